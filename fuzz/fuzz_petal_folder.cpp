// The Rose petal reader on a folder of files: the input is laid out as a
// model and its unit files in a real folder, so that units are found on disk
// by $CURDIR, by a path map symbol ($UNITS) and by the fallback to the bare
// file name, in any case, and may name each other in cycles. Loading ends in
// a model or a load error, and a model it builds holds the properties of
// fuzz_petal_reader.
//
// The input is a list of files, each opening with a line "~NAME" (the first
// may leave it out and is then "model.mdl"); the first file is the model.
// NAME keeps letters, digits, '.', '_' and '-' in at most three folders
// below the fuzzing folder.
#include <unistd.h>

#include <cctype>
#include <cstdlib>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.hpp"
#include "fuzz_check.hpp"
#include "model_round_trip.hpp"
#include "modelfile/load_error.hpp"
#include "modelfile/native/native_writer.hpp"
#include "modelfile/petal/petal_reader.hpp"

namespace {

namespace fs = std::filesystem;
using namespace tarn;

struct File {
  std::string name;
  std::string_view bytes;
};

// A path below the fuzzing folder made of the name's harmless characters.
std::string SafeName(std::string_view name) {
  std::string safe;
  std::string part;
  int parts = 0;
  const auto close = [&] {
    if (!part.empty() && part != "." && part != ".." && parts < 3) {
      safe += (safe.empty() ? "" : "/") + part.substr(0, 24);
      ++parts;
    }
    part.clear();
  };
  for (const char c : name) {
    if (c == '/' || c == '\\')
      close();
    else if (std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-')
      part += c;
  }
  close();
  return safe.empty() ? "unnamed" : safe;
}

std::vector<File> SplitFiles(std::string_view input) {
  constexpr auto npos = std::string_view::npos;
  std::vector<File> files;
  std::string name = "model.mdl";
  std::size_t start = 0;
  if (!input.empty() && input[0] == '~') {
    const std::size_t end = input.find('\n');
    name = SafeName(input.substr(1, end == npos ? npos : end - 1));
    start = end == npos ? input.size() : end + 1;
  }
  for (;;) {
    const std::size_t next = input.find("\n~", start);
    files.push_back({name, input.substr(start, next == npos ? npos : next - start)});
    if (next == npos) break;
    const std::size_t end = input.find('\n', next + 2);
    name = SafeName(input.substr(next + 2, end == npos ? npos : end - next - 2));
    start = end == npos ? input.size() : end + 1;
  }
  return files;
}

// The folder the files are laid out in, one per process, removed at exit.
// It lies in memory (/dev/shm) where it can: making and removing folders on
// a disk's file system costs milliseconds, a hundred times the rest of a run.
class Folder {
 public:
  Folder() : path_(Base() / ("tarn-fuzz-folder-" + std::to_string(::getpid()))) {}
  ~Folder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  // Empties the folder and writes the files into it; the path of the first.
  fs::path LayOut(const std::vector<File>& files) {
    std::error_code error;
    fs::remove_all(path_, error);
    fs::create_directories(path_, error);
    for (const File& file : files) {
      const fs::path path = path_ / file.name;
      fs::create_directories(path.parent_path(), error);
      std::ofstream(path, std::ios::binary).write(file.bytes.data(), static_cast<std::streamsize>(file.bytes.size()));
    }
    return path_ / files.front().name;
  }
  const fs::path& Path() const { return path_; }

 private:
  static fs::path Base() {
    std::error_code error;
    if (fs::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0) return "/dev/shm";
    return fs::temp_directory_path();
  }

  fs::path path_;
};

Folder& TheFolder() {
  static Folder folder;
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  TheFolder();  // placed while $TMPDIR is still known
  // $SYMBOL in a unit's file name falls back to the environment: only the
  // path map may answer here.
  ::clearenv();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Folder& folder = TheFolder();
  const std::vector<File> files = SplitFiles(std::string_view(reinterpret_cast<const char*>(data), size));
  const fs::path model_path = folder.LayOut(files);
  std::error_code error;
  if (!fs::is_regular_file(model_path, error)) return 0;  // a later file's folder took its name

  modelfile::PetalOptions options;
  options.pathMap["UNITS"] = (folder.Path() / "units").string();
  modelfile::PetalModel model;
  try {
    model = modelfile::LoadPetalModel(model_path.string(), options, [](const std::string&) {});
  } catch (const modelfile::LoadError&) {
    return 0;
  } catch (const Error& failure) {
    // A unit's file name may lead out of the folder ($CURDIR\..\..), to a
    // file that cannot be read: the platform's error, like a real one.
    const auto number = failure.Number();
    fuzz::Expect(number == kFileNotFound || number == kPermissionDenied || number == kPathFileAccess,
                 "loading: " + failure.Description());
    return 0;
  }
  fuzz::ExpectLinksInside(model.app->model);
  for (const modelfile::PetalItem& item : model.items)
    fuzz::Expect(item.element != nullptr, "an item " + item.quid + " names no element");
  std::string written;
  try {
    written = modelfile::WriteNativeModel(model.app->model);
  } catch (const Error& failure) {
    fuzz::Expect(failure.Number() == kInvalidCall, "writing the model: " + failure.Description());
    return 0;
  }
  fuzz::ExpectRoundTrip(written);
  return 0;
}
