// The Z model's ordered, 1-based list: items are appended at the end and read
// by position from 1 to Count. Positions are 16-bit, so appending a 32768th
// item is an overflow.
#pragma once

#include <cstdint>
#include <vector>

#include "common/count.hpp"
#include "common/error.hpp"

namespace tarn::zmodel {

template <class T>
class Collection {
 public:
  Collection() = default;

  void Add(T item) {
    if (items_.size() >= kMaxCount) RaiseOverflow();
    items_.push_back(std::move(item));
  }

  std::int16_t Count() const { return static_cast<std::int16_t>(items_.size()); }
  bool Empty() const { return items_.empty(); }

  const T& Item(int position) const {
    if (position < 1 || position > Count())
      throw Error(kSubscriptOutOfRange, "Subscript out of range");
    return items_[static_cast<std::size_t>(position) - 1];
  }

  // Walks the items in order (positions 1 to Count).
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

  bool operator==(const Collection&) const = default;

 private:
  std::vector<T> items_;
};

}  // namespace tarn::zmodel
