// The line rule and the trim rule that every multi-line text of the model
// goes through before it becomes predicate lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarn {

// Removes leading and trailing blanks (code 32) only; tabs and other
// whitespace stay.
std::string Trim(std::string_view text);

// Cuts the text at every CR, deletes every LF, trims each piece and drops the
// empty ones. CR LF and a bare CR end a line; a bare LF joins its two sides.
std::vector<std::string> SplitLines(std::string_view text);

}  // namespace tarn
