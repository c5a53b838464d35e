#include "common/windows_error.hpp"

#include "common/windows_api.hpp"

#include "common/error.hpp"

namespace tarn {

std::string WindowsErrorText(unsigned long code) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string description = length == 0 ? "Windows error " + std::to_string(code) : std::string(text, length);
  LocalFree(text);
  while (!description.empty() && (description.back() == '\n' || description.back() == '\r' ||
                                  description.back() == ' '))
    description.pop_back();
  return description;
}

void RaiseWindowsError(unsigned long code, const std::string& doing) {
  std::int32_t number = kPathFileAccess;
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
      number = kFileNotFound;
      break;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
      number = kPathNotFound;
      break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      number = kPermissionDenied;
      break;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      number = kOutOfMemory;
      break;
    default:
      break;
  }
  throw Error(number, doing + ": " + WindowsErrorText(code));
}

}  // namespace tarn
