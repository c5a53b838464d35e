// Starting Z/EVES and the browser: the program is spawned directly (never
// through a shell) in a session of its own, and Tarn does not wait for it.
#pragma once

#include "addin/seams.hpp"

namespace tarn::cli {

class PosixProgramStarter final : public addin::ProgramStarter {
 public:
  // A hidden program gets /dev/null for its output; a visible one shares
  // the terminal. Standard input is always /dev/null.
  long Start(const std::vector<std::string>& argv, addin::WindowState state) override;
};

}  // namespace tarn::cli
