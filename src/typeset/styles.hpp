// Tarn's LaTeX style files (tex/ in the sources), built into the program so
// that tarn typeset needs nothing but pdflatex.
#pragma once

#include <string_view>
#include <utility>
#include <vector>

namespace tarn::typeset {

// Each style file's name ("z-eves.sty") and text.
const std::vector<std::pair<std::string_view, std::string_view>>& StyleFiles();

}  // namespace tarn::typeset
