// A 1-based, read-only collection of host objects, as the modelling tool
// hands them out: ItemCount gives the size, ItemAt(1..ItemCount) an element.
#pragma once

#include <cstdint>
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

  // The 16-bit count; a collection of more than 32767 items overflows.
  std::int16_t ItemCount() const { return CountOf(items_.size()); }

  const T& ItemAt(int index) const {
    if (index < 1 || static_cast<std::size_t>(index) > items_.size())
      throw Error(kSubscriptOutOfRange, "Subscript out of range");
    return *items_[static_cast<std::size_t>(index) - 1];
  }

 private:
  std::vector<const T*> items_;
};

}  // namespace tarn::host
