// The notes that follow the message of a working command's error: which
// items of the model it is about, where they stand, and how to mend it. The
// message itself stays as the error table gives it.
#pragma once

#include <string>
#include <vector>

#include "addin/error_table.hpp"
#include "addin/settings/profile.hpp"
#include "cli/diagnostic.hpp"
#include "host/memory_host.hpp"

namespace tarn::cli {

struct CommandContext {
  addin::Command command;
  const host::MemoryModel& model;  // with the selection the command took
  addin::SettingsLocation settings;
  std::string opener;  // the program that opens the Wizard address
};

std::vector<Note> Explain(const CommandContext& context, const Error& error);

}  // namespace tarn::cli
