#include "cli/command_line.hpp"

#include <filesystem>

#include "common/atomic_file.hpp"
#include "common/error.hpp"

namespace tarn::cli {

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  for (std::size_t i = 0; i < commandLine.size(); ++i) {
    const char c = commandLine[i];
    if (c == ' ' || c == '\t') {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
      continue;
    }
    inWord = true;
    if (c == '\'' || c == '"') {
      std::size_t j = i + 1;
      for (; j < commandLine.size() && commandLine[j] != c; ++j) {
        if (c == '"' && commandLine[j] == '\\' && j + 1 < commandLine.size() &&
            (commandLine[j + 1] == '"' || commandLine[j + 1] == '\\'))
          ++j;
        word += commandLine[j];
      }
      if (j >= commandLine.size())
        throw Error(kInvalidCall, "The command line has an unterminated quote: " + commandLine);
      i = j;
    } else if (c == '\\' && i + 1 < commandLine.size()) {
      word += commandLine[++i];
    } else {
      word += c;
    }
  }
  if (inWord) words.push_back(std::move(word));
  return words;
}

std::vector<std::string> NameDocument(std::vector<std::string> words, const std::string& fileName) {
  constexpr std::string_view kFile = "{file}";
  for (auto& word : words) {
    for (auto at = word.find(kFile); at != std::string::npos; at = word.find(kFile, at)) {
      if (fileName == kStandardOutput)
        throw Error(kInvalidCall, "The Z/EVES command line names the document ({file}), but it was written to "
                                  "standard output.");
      const auto path = std::filesystem::absolute(fileName).lexically_normal().string();
      word.replace(at, kFile.size(), path);
      at += path.size();
    }
  }
  return words;
}

}  // namespace tarn::cli
