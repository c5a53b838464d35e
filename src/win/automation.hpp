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
#include <utility>

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

// What every object of the server is besides its interface, so that an
// interface pointer a caller passes can be told to be one of the server's
// own objects, and of which class (see Implementation).
class Implemented {
 public:
  virtual ~Implemented() = default;
};

// The private identifier an object of the server answers with its
// Implemented side, without a new reference.
extern const IID kImplementedIid;

// The object of class T behind an interface pointer that a caller holds a
// reference to; null when the pointer is null or not a T of this server.
template <class T>
T* Implementation(IUnknown* object) {
  if (object == nullptr) return nullptr;
  void* implemented = nullptr;
  if (FAILED(object->QueryInterface(kImplementedIid, &implemented))) return nullptr;
  return dynamic_cast<T*>(static_cast<Implemented*>(implemented));
}

// A reference to an object, released with the holder.
template <class T>
class Ref {
 public:
  Ref() = default;
  // Takes a reference of its own.
  explicit Ref(T* object) : object_(object) {
    if (object_ != nullptr) object_->AddRef();
  }
  Ref(const Ref& other) : Ref(other.object_) {}
  Ref& operator=(const Ref& other) {
    Ref copy(other);
    std::swap(object_, copy.object_);
    return *this;
  }
  ~Ref() {
    if (object_ != nullptr) object_->Release();
  }
  // A new object whose first reference this takes over.
  static Ref Adopt(T* created) {
    Ref ref;
    ref.object_ = created;
    return ref;
  }
  T* get() const { return object_; }
  T* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  T* object_ = nullptr;
};

// IUnknown for an object of one interface, counted among the module's
// living objects.
template <class Interface>
class Unknown : public Interface {
 public:
  Unknown() { AddModuleReference(); }
  virtual ~Unknown() { ReleaseModuleReference(); }
  Unknown(const Unknown&) = delete;
  Unknown& operator=(const Unknown&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid != IID_IUnknown && iid != __uuidof(Interface)) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    *out = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 private:
  std::atomic<ULONG> references_{1};
};

// IUnknown, IDispatch and ISupportErrorInfo for an object whose default (and
// only) interface is `Interface`, a dual interface of the type library.
template <class Interface>
class Automation : public Unknown<Interface>, public ISupportErrorInfo, public Implemented {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_ISupportErrorInfo) {
      *out = static_cast<ISupportErrorInfo*>(this);
    } else if (iid == kImplementedIid) {
      *out = static_cast<Implemented*>(this);
      return S_OK;
    } else if (iid == IID_IDispatch) {
      *out = static_cast<Interface*>(this);
    } else {
      return Unknown<Interface>::QueryInterface(iid, out);
    }
    AddRef();
    return S_OK;
  }
  // One count for both interfaces.
  ULONG STDMETHODCALLTYPE AddRef() override { return Unknown<Interface>::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return Unknown<Interface>::Release(); }

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
};

}  // namespace tarn::win
