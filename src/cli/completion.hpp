// tarn completion SHELL: completion scripts for bash, zsh and fish, made from
// the command line's own definition so that they always offer the current
// subcommands and options. Ids for --select and names for --diagram come
// from `tarn list MODEL --ids` and `--diagram-names` on the model already on
// the command line.
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace tarn::cli {

// Prints the script for `shell` on stdout; a usage error for other shells.
int PrintCompletion(const CLI::App& app, const std::string& shell);

}  // namespace tarn::cli
