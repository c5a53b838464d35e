// What the tarn process sets up before it runs a command, and checks when
// the command has run.
#pragma once

#include <optional>
#include <string>

namespace tarn::cli {

// Standard input, output and error that were closed when tarn started are
// held by /dev/null opened for reading only: no file that tarn opens can
// take their place (a document written to standard output by mistake), and
// a write to a closed standard output still fails, as it should.
void KeepStandardStreamsOpen();

// SIGINT, SIGTERM and SIGHUP remove the temporary file of a write in
// progress, then end the process as the signal would have. A signal that
// was ignored when tarn started stays ignored.
void CleanUpOnTerminationSignals();

// Flushes standard output; the system's description of the failure when a
// write to it failed, now or before.
std::optional<std::string> FlushStandardOutput();

}  // namespace tarn::cli
