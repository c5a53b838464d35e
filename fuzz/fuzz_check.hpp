// What a fuzz target does when an input breaks a property that must hold for
// every input: it says which and stops, so that the fuzzer keeps the input.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace tarn::fuzz {

[[noreturn]] inline void Broken(const std::string& what) {
  std::fprintf(stderr, "broken: %s\n", what.c_str());
  std::abort();
}

inline void Expect(bool holds, const std::string& what) {
  if (!holds) Broken(what);
}

}  // namespace tarn::fuzz
