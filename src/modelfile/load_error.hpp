// A problem found in a model file, reported with the place it was found.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarn::modelfile {

// what() is "FILE:LINE:COLUMN: message"; LINE and COLUMN count from 1, and
// COLUMN counts bytes from the start of the line.
class LoadError : public std::runtime_error {
 public:
  // `hint` says how to mend the problem, when the reader can tell; what()
  // leaves it out.
  LoadError(const std::string& file, int line, int column, const std::string& message, std::string hint = {})
      : std::runtime_error(file + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " +
                           message),
        file_(file),
        line_(line),
        column_(column),
        message_(message),
        hint_(std::move(hint)) {}

  const std::string& File() const { return file_; }
  int Line() const { return line_; }
  int Column() const { return column_; }
  const std::string& Message() const { return message_; }
  const std::string& Hint() const { return hint_; }

  // Further problems of the same file, found in the same reading, in the
  // order they are best reported; and how many more there were.
  std::vector<LoadError> more;
  std::size_t unreported = 0;

 private:
  std::string file_;
  int line_;
  int column_;
  std::string message_;
  std::string hint_;
};

}  // namespace tarn::modelfile
