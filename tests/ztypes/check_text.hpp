// Helpers of the checker's tests: a text in a Z environment, and errors
// written on one line each so that a failure shows what was found.
#pragma once

#include <string>
#include <vector>

#include "ztypes/type_checker.hpp"

namespace tarn::ztypes {

inline std::string Zed(const std::string& body) { return "\\begin{zed}\n" + body + "\n\\end{zed}\n"; }

// "LINE:COLUMN [paragraph] message" for each error.
inline std::vector<std::string> Describe(const std::vector<TypeError>& errors) {
  std::vector<std::string> lines;
  for (const TypeError& error : errors)
    lines.push_back(std::to_string(error.line) + ":" + std::to_string(error.column) + " [" + error.paragraph + "] " +
                    error.message);
  return lines;
}

inline std::vector<std::string> Errors(const std::string& text) { return Describe(CheckDocument(text)); }

}  // namespace tarn::ztypes
