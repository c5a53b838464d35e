// The five entry points of an in-process automation server (DllMain and the
// four exports), for the public classes that the DLL linking this defines:
// registering them (CLSID, ProgID, apartment threading, the type library)
// and handing out the class objects that create them.
#pragma once

#include "common/windows_api.hpp"
// (windows_api.hpp comes first: it defines what windows.h needs)
#include <oaidl.h>

#include <span>

namespace tarn::win {

struct PublicClass {
  const CLSID& clsid;
  const wchar_t* progId;  // "Tarn.ITarn"
  IUnknown* (*create)();  // a new object, its one reference the caller's
};

// Defined by each DLL: its public classes, and the type library that their
// objects describe themselves with (null for none).
extern const std::span<const PublicClass> kPublicClasses;
extern const GUID* const kTypeLibrary;

}  // namespace tarn::win
