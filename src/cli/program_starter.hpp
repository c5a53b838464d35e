// Starting Z/EVES and the browser: the program is spawned directly (never
// through a shell) in a session of its own, and Tarn does not wait for it.
#pragma once

#include <string>
#include <vector>

#include "addin/seams.hpp"

namespace tarn::cli {

class PosixProgramStarter final : public addin::ProgramStarter {
 public:
  // `opener` opens an address in the desktop's browser, the counterpart of
  // "start": xdg-open, or $TARN_OPENER.
  explicit PosixProgramStarter(std::string opener) : opener_(std::move(opener)) {}

  // The command line is split into words (see SplitCommandLine), a "{file}"
  // in them standing for the document; Z/EVES shares the terminal.
  long StartCommandLine(const std::string& commandLine, const std::string& document) override;
  // The address is the opener's one argument, whatever characters it holds;
  // the opener's output is kept off the terminal.
  long OpenAddress(const std::string& address) override;

 private:
  // Standard input is always /dev/null; a hidden program gets it for its
  // output as well.
  long Start(const std::vector<std::string>& argv, bool hidden);

  std::string opener_;
};

}  // namespace tarn::cli
