// The workers as automation classes: ZParser, ZVisitor and ZGenerator over
// the Z model's records (z_model_objects.hpp), and Generator over the
// modelling tool's objects. Each runs the command layer's own worker.
#pragma once

#include "common/windows_api.hpp"
// (windows_api.hpp comes first: it defines what windows.h needs)
#include <unknwn.h>

namespace tarn::win {

// New workers, for the class factories.
IUnknown* CreateZParser();
IUnknown* CreateZVisitor();
IUnknown* CreateZGenerator();
IUnknown* CreateGenerator();

}  // namespace tarn::win
