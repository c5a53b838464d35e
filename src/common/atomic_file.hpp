// Writing an output document so that a failure never leaves a half-written
// file and never destroys the previous one.
#pragma once

#include <string>
#include <string_view>

namespace tarn {

// Writes the bytes to a temporary file beside `path`, then renames it over
// `path`. An existing file that may not be written is refused, as opening it
// for writing would be. Failures raise the platform error of the step that
// failed; the temporary file is removed and `path` is left as it was.
void ReplaceFile(const std::string& path, std::string_view bytes);

}  // namespace tarn
