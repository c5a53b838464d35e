// The Z type checker on any bytes: it returns (no crash, no endless loop or
// recursion, however deep the nesting), and every error points into the
// text, at a line the error quotes, with a message and a paragraph.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.hpp"
#include "ztypes/type_checker.hpp"

namespace {

using tarn::fuzz::Expect;

// The text of each line, trimmed as the checker trims it.
std::string Line(std::string_view text, int number) {
  std::size_t start = 0;
  for (int line = 1; line < number; ++line) start = text.find('\n', start) + 1;
  std::size_t end = text.find('\n', start);
  if (end == std::string_view::npos) end = text.size();
  std::string line(text.substr(start, end - start));
  const auto first = line.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  int lines = 1;
  for (const char c : text) lines += c == '\n' ? 1 : 0;
  for (const tarn::ztypes::TypeError& error : tarn::ztypes::CheckDocument(text)) {
    Expect(error.line >= 1 && error.line <= lines, "an error outside the text's lines");
    Expect(error.column >= 1, "an error before its line");
    Expect(!error.message.empty() && !error.paragraph.empty(), "an error without message or paragraph");
    Expect(error.text == Line(text, error.line), "an error quotes another line");
  }
  return 0;
}
