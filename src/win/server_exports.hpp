// What the four exports of an in-process automation server do, for a list
// of public classes: registering them (CLSID, ProgID, apartment threading,
// the type library) and handing out the class objects that create them.
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

// The type library that the classes' objects describe themselves with; a
// server without one leaves `library` null.
struct ServerLibrary {
  const GUID* library = nullptr;
};

HRESULT GetClassObject(std::span<const PublicClass> classes, REFCLSID clsid, REFIID iid, void** out);
HRESULT RegisterServer(std::span<const PublicClass> classes, ServerLibrary library);
HRESULT UnregisterServer(std::span<const PublicClass> classes, ServerLibrary library);

}  // namespace tarn::win
