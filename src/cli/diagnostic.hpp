// What Tarn prints on standard error, in one style: a first line
// "tarn: FILE:LINE:COLUMN: error: ..." (or warning, without the place when
// there is none), the message's further lines as they are, and notes that
// name the items it is about, their places and the fix. `tarn check
// --format json` prints the same records as JSON lines.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/memory_host.hpp"
#include "modelfile/load_error.hpp"

namespace tarn::cli {

struct Location {
  std::string file;
  std::uint32_t line = 0;
  std::uint32_t column = 0;
};

struct Note {
  std::optional<Location> at;
  std::string text;
};

struct Diagnostic {
  enum class Severity { kError, kWarning } severity = Severity::kError;
  std::optional<Location> at;
  std::string message;      // its lines end with LF; no line break at the end
  std::int32_t number = 0;  // the error number; 0 for none
  std::vector<Note> notes;
};

// The text with its control bytes (a NUL, an escape, a DEL...) written as
// \xHH, so that a message shows them instead of being cut or handing them to
// the terminal. Line feeds and tabs stay.
std::string Printable(std::string_view text);

// A diagnostic without a place.
Diagnostic Unplaced(Diagnostic::Severity severity, std::string message, std::vector<Note> notes = {});

// The location of a record of the model; nothing when it has no place.
std::optional<Location> LocationOf(const host::MemoryModel& model, const host::Place& place);

// A message box's text as terminal lines: CR LF and lone CRs become LF, and
// the line breaks at its end are dropped.
std::string MessageLines(const std::string& text);

void PrintText(std::ostream& out, const Diagnostic& diagnostic);
// One JSON object on one line: severity, file, line, column (when placed),
// number (when numbered), message and notes.
void PrintJson(std::ostream& out, const Diagnostic& diagnostic);

// A diagnostic from a line a reader wrote as "FILE:LINE:COLUMN: warning:
// message" or "FILE: warning: message".
Diagnostic ParseReaderWarning(const std::string& line);

// The errors of a model file that could not be loaded: the first, those
// found with it, and one that says how many more were not shown.
std::vector<Diagnostic> LoadDiagnostics(const modelfile::LoadError& error);

}  // namespace tarn::cli
