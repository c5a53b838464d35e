// CheckDocument: the toolkit is checked once, and each document is checked
// on a copy of the checker that holds it.
#include "ztypes/type_checker.hpp"

#include "ztypes/checker.hpp"
#include "ztypes/toolkit.hpp"

namespace tarn::ztypes {

std::vector<TypeError> CheckDocument(std::string_view latex) {
  static const Checker kWithToolkit = [] {
    Checker checker;
    checker.CheckText(ToolkitText());
    return checker;
  }();
  Checker checker = kWithToolkit;
  return checker.CheckText(latex);
}

}  // namespace tarn::ztypes
