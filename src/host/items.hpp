// A 1-based, read-only collection of host objects, as the modelling tool
// hands them out: ItemCount gives the size, ItemAt(1..ItemCount) an element.
// A collection of the in-memory host holds its elements; one of the modelling
// tool fetches each element when it is asked for.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/count.hpp"
#include "common/error.hpp"

namespace tarn::host {

template <class T>
class Items {
 public:
  Items() = default;
  explicit Items(std::vector<const T*> items) : items_(std::move(items)) {}
  // `count` elements, element i (from 1) given by fetch(i) when asked for.
  Items(std::int16_t count, std::function<const T&(int)> fetch) : count_(count), fetch_(std::move(fetch)) {}

  // The 16-bit count; a collection of more than 32767 items overflows.
  std::int16_t ItemCount() const { return fetch_ ? count_ : CountOf(items_.size()); }

  const T& ItemAt(int index) const {
    if (index < 1 || index > ItemCount()) throw Error(kSubscriptOutOfRange, "Subscript out of range");
    return fetch_ ? fetch_(index) : *items_[static_cast<std::size_t>(index) - 1];
  }

 private:
  std::vector<const T*> items_;
  std::int16_t count_ = 0;
  std::function<const T&(int)> fetch_;
};

}  // namespace tarn::host
