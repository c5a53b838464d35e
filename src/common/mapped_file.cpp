#include "common/mapped_file.hpp"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include "common/error.hpp"
#include "common/read_file.hpp"

namespace tarn {

// The files mapped now, and the SIGBUS handler that serves them while there
// is one. Tarn reads its files on one thread, and a SIGBUS of a mapped page
// is raised by the read itself, so the list never changes under the handler.
struct MappedFiles {
  static inline MappedFile* first = nullptr;
  static inline struct sigaction previous {};
  static inline std::size_t page = 4096;
  static inline std::size_t count = 0;

  static void OnBusError(int, siginfo_t* info, void*) {
    const auto* address = static_cast<const char*>(info->si_addr);
    for (MappedFile* file = first; file != nullptr; file = file->next_) {
      if (address < file->data_ || address >= file->data_ + file->mapped_) continue;
      // Zero pages from the lost one to the end of the mapping; the read is
      // made again when the handler returns, and finds them.
      char* lost = const_cast<char*>(file->data_) +
                   static_cast<std::size_t>(address - file->data_) / page * page;
      const auto size = static_cast<std::size_t>(file->data_ + file->mapped_ - lost);
      if (::mmap(lost, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) ==
          MAP_FAILED)
        break;
      file->changed_ = 1;
      return;
    }
    // Not a page of a mapped file: the read is made again under the action
    // there was before, as if this handler had never been.
    ::sigaction(SIGBUS, &previous, nullptr);
  }

  static void Add(MappedFile& file) {
    if (first == nullptr) {
      page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
      struct sigaction action {};
      action.sa_sigaction = &OnBusError;
      action.sa_flags = SA_SIGINFO;
      sigemptyset(&action.sa_mask);
      ::sigaction(SIGBUS, &action, &previous);
    }
    file.next_ = first;
    first = &file;
    ++count;
  }

  static void Remove(MappedFile& file) {
    for (MappedFile** link = &first; *link != nullptr; link = &(*link)->next_) {
      if (*link != &file) continue;
      *link = file.next_;
      --count;
      break;
    }
    if (first == nullptr) ::sigaction(SIGBUS, &previous, nullptr);
  }
};

MappedFile::MappedFile(const std::string& path) : path_(path) {
  // What is not a model file is refused before it is opened. A pipe, or a
  // file whose size is unknown (a file of /proc that says 0), is read
  // instead, within the size limit of a model file.
  CheckModelFile(path);
  if (IsRegularFile(path)) {
    const InputFile file(path);
    // A small file costs no more to read than to map, and every mapping
    // counts against the process's bound on mappings (about 65,000 on
    // Linux), which malloc needs too: a model of many small units must not
    // use it up.
    const bool map = file.Size() >= kMapFrom && MappedFiles::count < kMostMapped;
    void* mapped = !map ? MAP_FAILED
                        : ::mmap(nullptr, file.Size(), PROT_READ, MAP_PRIVATE, file.Descriptor(), 0);
    if (mapped != MAP_FAILED) {
      data_ = static_cast<const char*>(mapped);
      size_ = mapped_ = file.Size();
      MappedFiles::Add(*this);
      return;
    }
  }
  read_ = ReadModelFile(path);
  data_ = read_.data();
  size_ = read_.size();
}

MappedFile::~MappedFile() {
  if (mapped_ == 0) return;
  MappedFiles::Remove(*this);
  ::munmap(const_cast<char*>(data_), mapped_);
}

void MappedFile::DropPages() const {
  if (mapped_ != 0) ::madvise(const_cast<char*>(data_), mapped_, MADV_DONTNEED);
}

void MappedFile::CheckUnchanged() const {
  if (Changed())
    throw Error(kPathFileAccess, "Cannot read " + path_ + ": the file changed while it was read");
}

}  // namespace tarn
