#include "common/line_rule.hpp"

namespace tarn {

std::string Trim(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  if (text.empty()) return lines;
  std::size_t start = 0;
  while (true) {
    const auto cr = text.find('\r', start);
    const auto piece = text.substr(start, cr == std::string_view::npos ? cr : cr - start);
    std::string joined;
    joined.reserve(piece.size());
    for (char c : piece)
      if (c != '\n') joined += c;
    auto line = Trim(joined);
    if (!line.empty()) lines.push_back(std::move(line));
    if (cr == std::string_view::npos) break;
    start = cr + 1;
  }
  return lines;
}

}  // namespace tarn
