// What every automation object of the server shares: IUnknown, IDispatch
// answered from the type library embedded in the DLL, ISupportErrorInfo, and
// Tarn's errors turned into automation errors. Texts cross the interface as
// automation strings (UTF-16) and are Tarn's bytes of the ANSI code page on
// this side.
#pragma once

#include "common/windows_api.hpp"
// (windows_api.hpp comes first: it defines what windows.h needs)
#include <oleauto.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tarn::win {

// An automation string as bytes of the ANSI code page; a character the code
// page has not becomes '?', as the modelling tool's scripts convert it.
std::string FromBstr(BSTR text);
// Bytes of the ANSI code page as a new automation string, owned by the caller.
BSTR ToBstr(std::string_view text);

// The DLL's module handle, set when it is loaded.
HMODULE Module();
void SetModule(HMODULE module);
// The objects alive and the locks of the class factories: the DLL may be
// unloaded when there are none.
void AddModuleReference();
void ReleaseModuleReference();
bool ModuleInUse();

// The type information of an interface of the embedded type library, loaded
// once; null when the library cannot be loaded.
ITypeInfo* TypeInfoOf(REFIID iid);

// The failure result of one of Tarn's error numbers, as automation callers
// read it: the number in the control facility (VBScript's Err.Number shows
// 1001 for 1001). A number that is already a failure result (an error of the
// modelling tool) is kept.
HRESULT ResultOf(std::int32_t number);

// Runs the body of a member of the interface `iid`; an error that leaves it
// becomes the member's failure result, with the error's description (source
// "Tarn") as the rich error information that callers read.
HRESULT Guard(REFIID iid, const std::function<void()>& body);

// IUnknown, IDispatch and ISupportErrorInfo for an object whose default (and
// only) interface is `Interface`, a dual interface of the type library.
template <class Interface>
class Automation : public Interface, public ISupportErrorInfo {
 public:
  Automation() { AddModuleReference(); }
  virtual ~Automation() { ReleaseModuleReference(); }
  Automation(const Automation&) = delete;
  Automation& operator=(const Automation&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(Interface)) {
      *out = static_cast<Interface*>(this);
    } else if (iid == IID_ISupportErrorInfo) {
      *out = static_cast<ISupportErrorInfo*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    ITypeInfo* type = TypeInfoOf(__uuidof(Interface));
    if (type == nullptr) return TYPE_E_CANTLOADLIBRARY;
    type->AddRef();
    *info = type;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    ITypeInfo* type = TypeInfoOf(__uuidof(Interface));
    if (type == nullptr) return TYPE_E_CANTLOADLIBRARY;
    return DispGetIDsOfNames(type, names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* arguments, VARIANT* result,
                                   EXCEPINFO* exception, UINT* argumentError) override {
    ITypeInfo* type = TypeInfoOf(__uuidof(Interface));
    if (type == nullptr) return TYPE_E_CANTLOADLIBRARY;
    return DispInvoke(static_cast<Interface*>(this), type, member, flags, arguments, result, exception,
                      argumentError);
  }

  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
    return iid == __uuidof(Interface) ? S_OK : S_FALSE;
  }

 protected:
  HRESULT Guarded(const std::function<void()>& body) { return Guard(__uuidof(Interface), body); }

 private:
  std::atomic<ULONG> references_{1};
};

}  // namespace tarn::win
