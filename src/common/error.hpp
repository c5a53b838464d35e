// The one failure type of Tarn: a numbered error with a description, raised
// where a problem is found and caught only by the three working commands.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace tarn {

// Numbers that code outside the command layer raises. The messages that the
// commands show for them live in the error table of addin/.
enum ErrorNumber : std::int32_t {
  kInvalidCall = 5,            // run-time: invalid procedure call or argument
  kOverflow = 6,               // run-time: a 16-bit count went past 32767
  kOutOfMemory = 7,            // run-time: an allocation failed
  kSubscriptOutOfRange = 9,    // run-time: a 1-based position outside a collection
  kFileNotFound = 53,          // platform: a program or file that does not exist
  kPermissionDenied = 70,      // platform: no access
  kPathFileAccess = 75,        // platform: any other failure to read or write a file
  kPathNotFound = 76,          // platform: a folder of the path does not exist
  kNotOneItem = 1001,
  kWrongKind = 1002,
  kOperationsDiffer = 1004,
  kMissingType = 1005,
  kZEvesNotStarted = 1006,
  kTypeCheckerNotStarted = 1007,
  kEmptyProperties = 1008,
  kPropertyWithoutHeader = 1009,
  kMalformedDefinition = 1010,
  kCancelled = 32755,
};

class Error : public std::runtime_error {
 public:
  Error(std::int32_t number, const std::string& description)
      : std::runtime_error(description), number_(number), description_(description) {}

  std::int32_t Number() const { return number_; }
  // The whole text, also past a NUL byte (where what() ends).
  const std::string& Description() const { return description_; }

 private:
  std::int32_t number_;
  std::string description_;
};

// The run-time overflow error, raised when a 16-bit count would pass 32767.
[[noreturn]] void RaiseOverflow();

// A failure of the platform: the number that fits errno and the system's own
// description (strerror), prefixed with what was being done.
[[noreturn]] void RaisePlatformError(int errnum, const std::string& doing);

}  // namespace tarn
