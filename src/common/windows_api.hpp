// The Windows API for Tarn's Windows side. windows.h defines macros that
// would silently rename Tarn's own functions of the same names (the atomic
// ReplaceFile, the profile functions of the settings file): they are undone
// here, and the API's functions are called by their "A" names.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef ReplaceFile
#undef GetPrivateProfileString
#undef WritePrivateProfileString
