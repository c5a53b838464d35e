// The Windows side of replacing an output document: the bytes go to a new
// file beside the target, which is then moved over it in one step.
#include "common/windows_api.hpp"

#include <atomic>
#include <cstdio>

#include "common/atomic_file.hpp"
#include "common/error.hpp"
#include "common/windows_error.hpp"

namespace tarn {
namespace {

// Closes a file handle and, unless it was kept, deletes the file.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& target) {
    static std::atomic<unsigned> serial{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
      char suffix[32];
      std::snprintf(suffix, sizeof suffix, ".tarn-%lx%x", GetCurrentProcessId(), serial++);
      name_ = target + suffix;
      handle_ = CreateFileA(name_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (handle_ != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (handle_ == INVALID_HANDLE_VALUE) name_.clear();
  }
  ~TemporaryFile() {
    Close();
    if (!name_.empty()) DeleteFileA(name_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  bool Created() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Handle() const { return handle_; }
  const std::string& Name() const { return name_; }
  bool Close() {
    if (handle_ == INVALID_HANDLE_VALUE) return true;
    const bool closed = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }
  void Keep() { name_.clear(); }

 private:
  std::string name_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace

void ReplaceFile(const std::string& path, std::string_view bytes) { ReplaceFileIfUnchanged(path, bytes, {}); }

bool ReplaceFileIfUnchanged(const std::string& path, std::string_view bytes, const std::function<bool()>& unchanged) {
  const std::string doing = "Cannot write " + path;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    throw Error(kPathFileAccess, doing + ": it is a folder");
  // A file marked read-only stays as it is.
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
    RaiseWindowsError(ERROR_ACCESS_DENIED, doing);

  TemporaryFile temp(path);
  if (!temp.Created()) RaiseWindowsError(GetLastError(), doing);
  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const DWORD piece = left > (DWORD{1} << 30) ? (DWORD{1} << 30) : static_cast<DWORD>(left);
    DWORD written = 0;
    if (!WriteFile(temp.Handle(), data, piece, &written, nullptr)) RaiseWindowsError(GetLastError(), doing);
    data += written;
    left -= written;
  }
  if (!FlushFileBuffers(temp.Handle()) || !temp.Close()) RaiseWindowsError(GetLastError(), doing);
  if (unchanged && !unchanged()) return false;
  if (!MoveFileExA(temp.Name().c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    RaiseWindowsError(GetLastError(), doing);
  temp.Keep();
  return true;
}

}  // namespace tarn
