// The line rule and the trim rule that every multi-line text of the model
// goes through before it becomes predicate lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarn {

// Removes leading and trailing blanks (code 32) only; tabs and other
// whitespace stay.
std::string_view TrimView(std::string_view text);
std::string Trim(std::string_view text);

// Cuts the text at every CR, deletes every LF, trims each piece and drops the
// empty ones. CR LF and a bare CR end a line; a bare LF joins its two sides.
// `visit` gets each line in turn, as a view that lasts until the next, and
// its number in the text (from 1, the dropped lines counted).
template <class Visit>
void ForEachNumberedLine(std::string_view text, Visit visit) {
  std::string joined;  // a piece without its line feeds, which are rare
  std::size_t number = 0;
  for (std::size_t start = 0;;) {
    ++number;
    const auto cr = text.find('\r', start);
    std::string_view piece = text.substr(start, cr == std::string_view::npos ? cr : cr - start);
    if (!piece.empty() && piece.front() == '\n') piece.remove_prefix(1);  // the LF of CR LF
    if (piece.find('\n') != std::string_view::npos) {
      joined.clear();
      for (char c : piece)
        if (c != '\n') joined += c;
      piece = joined;
    }
    piece = TrimView(piece);
    if (!piece.empty()) visit(piece, number);
    if (cr == std::string_view::npos) break;
    start = cr + 1;
  }
}

// The same, without the numbers.
template <class Visit>
void ForEachLine(std::string_view text, Visit visit) {
  ForEachNumberedLine(text, [&](std::string_view line, std::size_t) { visit(line); });
}

std::vector<std::string> SplitLines(std::string_view text);

}  // namespace tarn
