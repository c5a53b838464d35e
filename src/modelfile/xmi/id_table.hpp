// A table from the ids of a model's records to what the reader made of them,
// for resolving references. The ids are views of the records' own strings,
// which outlive the table. The slots are one array, probed in turn from the
// id's hash: a large model's lookups then cost one or two cache misses and no
// allocation per id, where a node-based map costs two or three and a node.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

namespace tarn::modelfile::xmi {

template <class Value>
class IdTable {
 public:
  // Room for `count` ids without growing.
  void Reserve(std::size_t count) {
    if (2 * count > slots_.size()) Rehash(Capacity(count));
  }

  // Adds `id` with `value` unless the table has it; the first value of an id
  // stays. An empty id is never added.
  void Add(std::string_view id, Value value) {
    if (id.empty()) return;
    if (2 * (count_ + 1) > slots_.size()) Rehash(Capacity(count_ + 1));
    const std::size_t hash = std::hash<std::string_view>()(id);
    Slot& slot = SlotOf(id, hash);
    if (!slot.id.empty()) return;
    slot = {hash, id, value};
    ++count_;
  }

  // The value of `id`; null when the table does not have it.
  Value* Find(std::string_view id) {
    if (id.empty() || count_ == 0) return nullptr;
    Slot& slot = SlotOf(id, std::hash<std::string_view>()(id));
    return slot.id.empty() ? nullptr : &slot.value;
  }
  const Value* Find(std::string_view id) const { return const_cast<IdTable*>(this)->Find(id); }

  bool Empty() const { return count_ == 0; }

  // Empties the table and gives back its memory.
  void Release() {
    std::vector<Slot>().swap(slots_);
    count_ = 0;
  }

 private:
  struct Slot {
    std::size_t hash = 0;
    std::string_view id;  // empty: a free slot
    Value value{};
  };

  // A power of two at least twice `count`, so that probes stay short.
  static std::size_t Capacity(std::size_t count) {
    std::size_t capacity = 16;
    while (capacity < 2 * count) capacity *= 2;
    return capacity;
  }

  // The slot that holds `id`, or the free slot where it would go.
  Slot& SlotOf(std::string_view id, std::size_t hash) {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      Slot& slot = slots_[i];
      if (slot.id.empty() || (slot.hash == hash && slot.id == id)) return slot;
    }
  }

  void Rehash(std::size_t capacity) {
    std::vector<Slot> old(capacity);
    old.swap(slots_);
    for (const Slot& slot : old)
      if (!slot.id.empty()) SlotOf(slot.id, slot.hash) = slot;
  }

  std::vector<Slot> slots_;
  std::size_t count_ = 0;
};

}  // namespace tarn::modelfile::xmi
