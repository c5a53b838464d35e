// Reading a whole input file into memory in one piece.
#pragma once

#include <string>

namespace tarn {

// The bytes of the file; a file that cannot be opened or read raises the
// platform error, naming the path.
std::string ReadWholeFile(const std::string& path);

}  // namespace tarn
