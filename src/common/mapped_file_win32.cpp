// The Windows side of a whole model file in memory: the file is read, within
// the size limit of a model file. Only the fake modelling tool of the tests
// reads model files on Windows, and a read file never changes under it.
#include "common/windows_api.hpp"

#include "common/error.hpp"
#include "common/mapped_file.hpp"
#include "common/read_file.hpp"
#include "common/windows_error.hpp"

namespace tarn {

MappedFile::MappedFile(const std::string& path) : path_(path) {
  const std::string doing = "Cannot read " + path;
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) RaiseWindowsError(GetLastError(), doing);
  LARGE_INTEGER size{};
  const bool sized = GetFileSizeEx(file, &size) != 0;
  const DWORD error = GetLastError();
  if (!sized || GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    if (!sized) RaiseWindowsError(error, doing);
    throw Error(kPathFileAccess, doing + ": not a regular file (a model file must be one)");
  }
  if (static_cast<unsigned long long>(size.QuadPart) > kMaxModelFileSize) {
    CloseHandle(file);
    throw Error(kPathFileAccess, doing + ": the file is larger than " + kMaxModelFileSizeText +
                                     ", the limit for a model file");
  }
  read_.resize(static_cast<std::size_t>(size.QuadPart));
  std::size_t got = 0;
  while (got < read_.size()) {
    DWORD piece = 0;
    if (!ReadFile(file, read_.data() + got, static_cast<DWORD>(read_.size() - got), &piece, nullptr)) {
      const DWORD failure = GetLastError();
      CloseHandle(file);
      RaiseWindowsError(failure, doing);
    }
    if (piece == 0) break;
    got += piece;
  }
  CloseHandle(file);
  read_.resize(got);
  data_ = read_.data();
  size_ = read_.size();
}

MappedFile::~MappedFile() = default;

void MappedFile::DropPages() const {}

void MappedFile::CheckUnchanged() const {}

}  // namespace tarn
