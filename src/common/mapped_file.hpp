// A whole model file in memory without a copy: a regular file is mapped
// read-only, a pipe is read.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarn {

// Reading a mapped file's pages costs a tenth of copying them, but a file
// that another program shortens while it is mapped would end the process
// (SIGBUS) where the lost pages are read. While a MappedFile exists, those
// pages read as zero bytes instead, and Changed() tells the reader to give
// up on what it read.
class MappedFile {
 public:
  // Opens and maps the file; refuses what ReadModelFile refuses, and raises
  // the platform error, naming the path, as it does.
  explicit MappedFile(const std::string& path);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // Files are mapped from this size on, and at most kMostMapped at a time;
  // the others are read.
  static constexpr std::size_t kMapFrom = 64 * 1024;
  static constexpr std::size_t kMostMapped = 1024;

  std::string_view Bytes() const { return {data_, size_}; }
  // Whether the bytes are mapped rather than read.
  bool Mapped() const { return mapped_ != 0; }
  // Lets the system take back the memory of the pages read so far: they are
  // read again from the file when they are next looked at. A reader that has
  // walked the whole file once and goes on to look at a few places in it
  // keeps only those in memory.
  void DropPages() const;
  // Whether part of the file was gone when it was read.
  bool Changed() const { return changed_ != 0; }
  // Raises the platform error of a file that changed while it was read.
  void CheckUnchanged() const;

 private:
  friend struct MappedFiles;

  std::string path_;
  std::string read_;  // the bytes of a file that cannot be mapped
  const char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t mapped_ = 0;  // bytes mapped at data_; 0 when read_ holds them
  volatile int changed_ = 0;
  MappedFile* next_ = nullptr;  // the other files mapped at the same time
};

}  // namespace tarn
