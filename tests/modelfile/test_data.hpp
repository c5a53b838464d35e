// Test data kept in files beside the tests: whole files, folders made for a
// test, and case files that hold many small cases, each an input and what is
// expected of it.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace tarn::modelfile::testing {

// The path of a data file, relative to tests/modelfile/.
std::string DataPath(const std::string& relative);

std::string ReadFile(const std::string& path);

// One case of a case file. The file reads:
//   any lines before the first case (a comment on the file)
//   === NAME          a case: its input is the lines that follow,
//   --- LABEL         up to its first section: what is expected under LABEL
//                     ("  # ..." after the label is a comment).
// Every line of an input or a section ends with a line feed, and "\x{HH}"
// stands for the byte HH (a carriage return, a byte that is not UTF-8), also
// in a label.
struct Case {
  std::string where;  // FILE:LINE: NAME, for the failure messages
  std::string input;  // InputLine(): its first line alone
  std::vector<std::pair<std::string, std::string>> sections;

  // The text of the section LABEL, without its last line feed; "" if absent.
  std::string Expected(const std::string& label) const;
  bool Has(const std::string& label) const;
  std::string InputLine() const { return input.substr(0, input.find('\n')); }
};

std::vector<Case> ReadCases(const std::string& path);

// "\x{HH}" in `text` replaced by the byte HH.
std::string Unescape(const std::string& text);

// A folder of its own for a test, removed with everything in it at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // Writes `bytes` to the file `name` (folders made as needed); its path.
  std::string Write(const std::string& name, const std::string& bytes) const;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace tarn::modelfile::testing
