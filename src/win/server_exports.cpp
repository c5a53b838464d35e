#include "win/server_exports.hpp"

#include <olectl.h>

#include <new>
#include <string>

#include "win/automation.hpp"

namespace tarn::win {
namespace {

class ClassFactory final : public Unknown<IClassFactory> {
 public:
  explicit ClassFactory(const PublicClass& made) : made_(made) {}

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    IUnknown* object = nullptr;
    try {
      object = made_.create();
    } catch (...) {
      return E_OUTOFMEMORY;
    }
    const HRESULT result = object->QueryInterface(iid, out);
    object->Release();
    return result;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock)
      AddModuleReference();
    else
      ReleaseModuleReference();
    return S_OK;
  }

 private:
  const PublicClass& made_;
};

std::wstring Text(REFGUID guid) {
  wchar_t text[40];
  StringFromGUID2(guid, text, 40);
  return text;
}

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(Module(), path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

// Sets the value `name` (null for the key's default) of `key` under
// HKEY_CLASSES_ROOT, creating the key.
bool SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY opened = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr) !=
      ERROR_SUCCESS)
    return false;
  const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  const bool set = RegSetValueExW(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) ==
                   ERROR_SUCCESS;
  RegCloseKey(opened);
  return set;
}

bool Register(const PublicClass& made, const std::wstring& path) {
  const std::wstring progId = made.progId;
  const std::wstring key = L"CLSID\\" + Text(made.clsid);
  const bool described = kTypeLibrary == nullptr ||
                         (SetValue(key + L"\\TypeLib", nullptr, Text(*kTypeLibrary)) &&
                          SetValue(key + L"\\VERSION", nullptr, L"1.0") && SetValue(key + L"\\Programmable", nullptr, L""));
  return described && SetValue(key, nullptr, progId) && SetValue(key + L"\\InprocServer32", nullptr, path) &&
         SetValue(key + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
         SetValue(key + L"\\ProgID", nullptr, progId) && SetValue(progId, nullptr, progId) &&
         SetValue(progId + L"\\CLSID", nullptr, Text(made.clsid));
}

}  // namespace
}  // namespace tarn::win

using namespace tarn::win;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    SetModule(instance);
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  for (const PublicClass& made : kPublicClasses) {
    if (!IsEqualCLSID(clsid, made.clsid)) continue;
    auto* factory = new (std::nothrow) ClassFactory(made);
    if (factory == nullptr) return E_OUTOFMEMORY;
    const HRESULT result = factory->QueryInterface(iid, out);
    factory->Release();
    return result;
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return ModuleInUse() ? S_FALSE : S_OK; }

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
  const std::wstring path = ModulePath();
  if (path.empty()) return SELFREG_E_CLASS;
  if (kTypeLibrary != nullptr) {
    ITypeLib* loaded = nullptr;
    if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, &loaded))) return SELFREG_E_TYPELIB;
    loaded->Release();
  }
  for (const PublicClass& made : kPublicClasses)
    if (!Register(made, path)) return SELFREG_E_CLASS;
  return S_OK;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
  for (const PublicClass& made : kPublicClasses) {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + Text(made.clsid)).c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, made.progId);
  }
  if (kTypeLibrary != nullptr)
    UnRegisterTypeLib(*kTypeLibrary, 1, 0, LOCALE_NEUTRAL, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
  return S_OK;
}
