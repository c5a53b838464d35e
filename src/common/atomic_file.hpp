// Writing an output document so that a failure never leaves a half-written
// file and never destroys the previous one.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tarn {

// The path that names standard output.
inline constexpr std::string_view kStandardOutput = "-";

// Writes the bytes to a temporary file beside `path`, then renames it over
// `path`. An existing file that may not be written is refused, as opening it
// for writing would be; a replaced file keeps its permission bits, and its
// owner and group where the process may set them. Failures raise the
// platform error of the step that failed; the temporary file is removed and
// `path` is left as it was.
//
// A symbolic link is written through: the file it leads to is replaced and
// the link stays. A FIFO, a device or any other file that is not a regular
// file is written to directly, and so is "-" (standard output) or a name of
// one of the process's own descriptors (/dev/stdout, /dev/fd/N).
void ReplaceFile(const std::string& path, std::string_view bytes);

// As ReplaceFile, but `unchanged` is asked once the new file is ready, just
// before it takes the old one's place: when it answers false (the old file
// changed since the caller read it), nothing is replaced and the result is
// false. The window in which a change by another program is lost is then
// that of one stat and one rename.
bool ReplaceFileIfUnchanged(const std::string& path, std::string_view bytes,
                            const std::function<bool()>& unchanged);

// Removes the temporary file of a ReplaceFile in progress, if there is one.
// Safe to call from a signal handler, which is what it is for: a program
// ended by a signal while writing leaves nothing beside the target.
void RemoveTemporaryFileInProgress();

}  // namespace tarn
