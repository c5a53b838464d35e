// Counts and positions are 16-bit signed integers throughout Tarn, as in the
// modelling tool's automation interface: a count past 32767 is an overflow.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/error.hpp"

namespace tarn {

constexpr std::size_t kMaxCount = 32767;

inline std::int16_t CountOf(std::size_t size) {
  if (size > kMaxCount) RaiseOverflow();
  return static_cast<std::int16_t>(size);
}

}  // namespace tarn
