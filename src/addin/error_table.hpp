// The one table of error numbers and the messages that each working command
// shows for them.
#pragma once

#include <optional>
#include <string>

#include "common/error.hpp"

namespace tarn::addin {

enum class Command { kPropertyChecker, kRefinementChecker, kGenerator };

// What the command's handler shows for an error: the command's own message
// for the numbers it lists, the error's description for any other number,
// and nothing for a cancelled save dialog.
std::optional<std::string> MessageFor(Command command, const Error& error);

}  // namespace tarn::addin
