#include "modelfile/test_data.hpp"

#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tarn::modelfile::testing {

namespace fs = std::filesystem;

std::string DataPath(const std::string& relative) {
  return TARN_SOURCE_DIR "/tests/modelfile/" + relative;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text.compare(at, 3, "\\x{") == 0 && at + 6 <= text.size() && text[at + 5] == '}') {
      out += static_cast<char>(std::stoi(text.substr(at + 3, 2), nullptr, 16));
      at += 5;
    } else {
      out += text[at];
    }
  }
  return out;
}

std::string Case::Expected(const std::string& label) const {
  for (const auto& [name, text] : sections)
    if (name == label) return text.empty() ? text : text.substr(0, text.size() - 1);
  return {};
}

bool Case::Has(const std::string& label) const {
  for (const auto& section : sections)
    if (section.first == label) return true;
  return false;
}

std::vector<Case> ReadCases(const std::string& path) {
  std::vector<Case> cases;
  std::istringstream in(ReadFile(path));
  std::string* text = nullptr;
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (line.starts_with("=== ")) {
      cases.push_back({path + ":" + std::to_string(number) + ": " + line.substr(4), "", {}});
      text = &cases.back().input;
    } else if (line.starts_with("--- ") && text != nullptr) {
      const std::string label = Unescape(line.substr(4, line.find("  # ") - 4));
      text = &cases.back().sections.emplace_back(label, "").second;
    } else if (text != nullptr) {
      *text += Unescape(line) + "\n";
    }
  }
  if (cases.empty()) throw std::runtime_error("no cases in " + path);
  return cases;
}

TempFolder::TempFolder() {
  static int made = 0;
  path_ = fs::temp_directory_path() /
          ("tarn-modelfile-" + std::to_string(::getpid()) + "-" + std::to_string(++made));
  fs::remove_all(path_);
  fs::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string TempFolder::Write(const std::string& name, const std::string& bytes) const {
  const fs::path file = path_ / name;
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
  return file.string();
}

}  // namespace tarn::modelfile::testing
