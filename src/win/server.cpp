// The DLL's entry points: the four exports of an in-process automation
// server, for the public classes of Tarn's type library; they hold none of
// Tarn's own logic.
#include "common/windows_api.hpp"
// (windows_api.hpp comes first: it defines what windows.h needs; initguid.h
// makes the identifiers of tarn.h defined here)
#include <initguid.h>

#include "win/automation.hpp"
#include "win/server_exports.hpp"
#include "win/tarn.h"
#include "win/tarn_object.hpp"

using namespace tarn::win;

namespace {

const PublicClass kClasses[] = {
    {CLSID_ITarn, L"Tarn.ITarn", CreateTarnObject},
};

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    SetModule(instance);
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  return GetClassObject(kClasses, clsid, iid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return ModuleInUse() ? S_FALSE : S_OK; }

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() { return RegisterServer(kClasses, {&LIBID_Tarn}); }

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() { return UnregisterServer(kClasses, {&LIBID_Tarn}); }
