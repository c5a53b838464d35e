// The subcommands of the tarn program, one file each. Each returns the exit
// code; usage errors and model file errors are thrown to main.
#pragma once

#include <string>

#include "cli/options.hpp"

namespace tarn::cli {

// property-check, refinement-check and objectz: one command of ITarn.
int RunTranslation(const std::string& command, Options options);
int RunConfig(const Options& options);
int RunAbout(const Options& options);
int RunDump(const Options& options);
int RunTypeset(const Options& options);
int RunList(const Options& options);
int RunCheck(const Options& options);

}  // namespace tarn::cli
