// Reading a whole input file into memory in one piece.
#pragma once

#include <cstddef>
#include <string>

namespace tarn {

// The largest model file Tarn reads: 256 MiB. The largest Rose models seen in
// practice are a few MB, and the synthetic benchmark model of 10,000 classes
// is 112 MB; the readers need several times the file's size in memory, so a
// larger file is more likely a mistake (a device, a log, a disk image) than
// a model.
inline constexpr std::size_t kMaxModelFileSize = std::size_t{256} << 20;
inline constexpr const char* kMaxModelFileSizeText = "256 MiB";

// The bytes of the file; a folder, or a file that cannot be opened or read,
// raises the platform error, naming the path.
std::string ReadWholeFile(const std::string& path);

// The bytes of a model file. Only a regular file or a pipe (a FIFO, or
// /dev/stdin fed by one) is read, and at most kMaxModelFileSize bytes of it:
// a folder, a device, a socket or a larger file is refused before it fills
// the memory.
std::string ReadModelFile(const std::string& path);

// Refuses, as ReadModelFile does, a path that names something other than a
// model file: a folder, a device, a socket, or a regular file larger than
// kMaxModelFileSize. For a reader that reads the file a piece at a time. A
// path that does not exist passes: opening it will say so.
void CheckModelFile(const std::string& path);

// Whether the path names a regular file (not a pipe), which a reader may read
// at any offset.
bool IsRegularFile(const std::string& path);

// An open regular input file read in pieces at any offset, for a reader that
// streams a large file instead of holding it. Opening and reading raise the
// platform error, naming the path, as ReadWholeFile does.
class InputFile {
 public:
  explicit InputFile(const std::string& path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Copies up to `size` bytes from `offset`; fewer only at the end of the
  // file.
  std::size_t ReadAt(std::size_t offset, char* buffer, std::size_t size) const;

  int Descriptor() const { return descriptor_; }
  // The size of the file when it was opened.
  std::size_t Size() const { return size_; }

 private:
  std::string path_;
  int descriptor_ = -1;
  std::size_t size_ = 0;
};

}  // namespace tarn
