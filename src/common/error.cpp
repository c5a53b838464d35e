#include "common/error.hpp"

#include <cerrno>
#include <cstring>

namespace tarn {

void RaiseOverflow() {
  throw Error(kOverflow, "Overflow: a list of the model holds more items than its 16-bit count allows (32767).");
}

void RaisePlatformError(int errnum, const std::string& doing) {
  std::int32_t number = kPathFileAccess;
  if (errnum == ENOENT || errnum == ENOTDIR) number = kFileNotFound;
  if (errnum == EACCES || errnum == EPERM || errnum == EROFS) number = kPermissionDenied;
  throw Error(number, doing + ": " + std::strerror(errnum));
}

}  // namespace tarn
