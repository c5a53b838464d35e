// What may be declared as a given set: a Z name, as the type texts of a
// model write it in LaTeX markup.
#pragma once

#include <string_view>

namespace tarn {

// True when the word starts with a letter and holds only letters, digits and
// the underscore markup "\_". Every byte above 127 counts as a letter, so
// names in the model's code page, single- or double-byte, are names; LaTeX
// commands, numbers and words with any other character (a blank, a CR, a
// brace) are not.
bool IsZName(std::string_view word);

}  // namespace tarn
