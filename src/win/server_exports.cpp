#include "win/server_exports.hpp"

#include <olectl.h>

#include <atomic>
#include <new>
#include <string>

#include "win/automation.hpp"

namespace tarn::win {
namespace {

class ClassFactory final : public IClassFactory {
 public:
  explicit ClassFactory(const PublicClass& made) : made_(made) { AddModuleReference(); }
  ~ClassFactory() { ReleaseModuleReference(); }
  ClassFactory(const ClassFactory&) = delete;
  ClassFactory& operator=(const ClassFactory&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    *out = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
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
  std::atomic<ULONG> references_{1};
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

bool Register(const PublicClass& made, const std::wstring& path, ServerLibrary library) {
  const std::wstring progId = made.progId;
  const std::wstring key = L"CLSID\\" + Text(made.clsid);
  const bool described = library.library == nullptr ||
                         (SetValue(key + L"\\TypeLib", nullptr, Text(*library.library)) &&
                          SetValue(key + L"\\VERSION", nullptr, L"1.0") && SetValue(key + L"\\Programmable", nullptr, L""));
  return described && SetValue(key, nullptr, progId) && SetValue(key + L"\\InprocServer32", nullptr, path) &&
         SetValue(key + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
         SetValue(key + L"\\ProgID", nullptr, progId) && SetValue(progId, nullptr, progId) &&
         SetValue(progId + L"\\CLSID", nullptr, Text(made.clsid));
}

}  // namespace

HRESULT GetClassObject(std::span<const PublicClass> classes, REFCLSID clsid, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  for (const PublicClass& made : classes) {
    if (!IsEqualCLSID(clsid, made.clsid)) continue;
    auto* factory = new (std::nothrow) ClassFactory(made);
    if (factory == nullptr) return E_OUTOFMEMORY;
    const HRESULT result = factory->QueryInterface(iid, out);
    factory->Release();
    return result;
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT RegisterServer(std::span<const PublicClass> classes, ServerLibrary library) {
  const std::wstring path = ModulePath();
  if (path.empty()) return SELFREG_E_CLASS;
  if (library.library != nullptr) {
    ITypeLib* loaded = nullptr;
    if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, &loaded))) return SELFREG_E_TYPELIB;
    loaded->Release();
  }
  for (const PublicClass& made : classes)
    if (!Register(made, path, library)) return SELFREG_E_CLASS;
  return S_OK;
}

HRESULT UnregisterServer(std::span<const PublicClass> classes, ServerLibrary library) {
  for (const PublicClass& made : classes) {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + Text(made.clsid)).c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, made.progId);
  }
  if (library.library != nullptr)
    UnRegisterTypeLib(*library.library, 1, 0, LOCALE_NEUTRAL, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
  return S_OK;
}

}  // namespace tarn::win
