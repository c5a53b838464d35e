// The automation class ITarn: the command class that the menu scripts
// create, its interface _ITarn over the command layer, with the platform
// seams of Windows (or dialogs answered from a file, see scripted_seams.hpp).
#pragma once

#include "win/automation.hpp"
#include "win/tarn.h"

namespace tarn::win {

// A new ITarn object, its one reference the caller's.
IUnknown* CreateTarnObject();

}  // namespace tarn::win
