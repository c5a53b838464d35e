#include "modelfile/petal/corpus_fixture.hpp"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

#include "modelfile/test_data.hpp"

namespace tarn::modelfile::testing {
namespace {

namespace fs = std::filesystem;

// Id -> the file's path in the fixture, relative to its folder.
const std::map<std::string, std::string>& Files() {
  static const std::map<std::string, std::string> files = [] {
    std::map<std::string, std::string> read;
    std::istringstream lines(ReadFile(DataPath("petal/data/corpus_files.txt")));
    for (std::string line; std::getline(lines, line);) {
      if (line.size() < 4 || line[0] != 'C' || line[3] != ' ') continue;  // the comment
      const std::size_t name = line.find(' ', 4) + 1;
      read[line.substr(0, 3)] = line.substr(4, name - 5) + "/" + line.substr(name);
    }
    return read;
  }();
  return files;
}

}  // namespace

std::string CorpusSource() {
  const std::string source = TARN_ROSE_CORPUS;
  return fs::is_directory(source) ? source : std::string();
}

std::vector<std::string> CorpusIds() {
  std::vector<std::string> ids;
  for (const auto& [id, path] : Files()) ids.push_back(id);
  return ids;
}

std::string CorpusFolder() {
  static const TempFolder fixture;
  static const bool built = [] {
    for (const auto& [id, path] : Files()) {
      std::string corpus_name = fs::path(path).filename().string();
      std::replace(corpus_name.begin(), corpus_name.end(), ' ', '_');
      fixture.Write(path, ReadFile(CorpusSource() + "/" + id + "-" + corpus_name));
    }
    return true;
  }();
  return built ? fixture.path().string() + "/" : "";
}

std::string CorpusPath(const std::string& id, const std::string& tool) {
  const std::string path = CorpusFolder() + Files().at(id);
  if (tool.empty()) return path;
  std::string text = ReadFile(path);
  const std::string from = "tool       \t\"" + tool + "\"";
  const std::string to = "tool       \t\"Tarn\"";
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  const fs::path original = path;
  const fs::path copy =
      original.parent_path() / (original.stem().string() + "-tarn" + original.extension().string());
  std::ofstream(copy, std::ios::binary) << text;
  return copy.string();
}

}  // namespace tarn::modelfile::testing
