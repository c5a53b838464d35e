// Failures of Windows API calls as Tarn's errors: the number that the same
// failure of a file or program has in the modelling tool's scripts, and the
// system's own description of it.
#pragma once

#include <string>

namespace tarn {

// The system's description of a Windows error code, without its line end.
std::string WindowsErrorText(unsigned long code);

// Raises the error of a failed Windows call: "doing: description", numbered
// 53 (file not found), 76 (path not found), 70 (permission denied), 7 (out of
// memory) or 75 (any other failure to reach a file).
[[noreturn]] void RaiseWindowsError(unsigned long code, const std::string& doing);

}  // namespace tarn
