#include "win/tarn_object.hpp"

#include <optional>

#include "addin/i_tarn.hpp"
#include "addin/settings/profile.hpp"
#include "win/dispatch_host.hpp"
#include "win/scripted_seams.hpp"
#include "win/win32_seams.hpp"

namespace tarn::win {
namespace {

class TarnObject final : public Automation<_ITarn> {
 public:
  TarnObject() : scripted_(Scripted()), tarn_(Platform()) {}

  HRESULT STDMETHODCALLTYPE get_ZEvesPath(BSTR* value) override {
    return Guarded([&] { *value = ToBstr(tarn_.ZEvesPath); });
  }
  HRESULT STDMETHODCALLTYPE put_ZEvesPath(BSTR value) override {
    return Guarded([&] { tarn_.ZEvesPath = FromBstr(value); });
  }
  HRESULT STDMETHODCALLTYPE get_WizardUrl(BSTR* value) override {
    return Guarded([&] { *value = ToBstr(tarn_.WizardUrl); });
  }
  HRESULT STDMETHODCALLTYPE put_WizardUrl(BSTR value) override {
    return Guarded([&] { tarn_.WizardUrl = FromBstr(value); });
  }

  HRESULT STDMETHODCALLTYPE RunAbout(IDispatch* RoseApp) override {
    return Guarded([&] {
      DispatchSession session;
      tarn_.RunAbout(session.Application(RoseApp));
    });
  }
  HRESULT STDMETHODCALLTYPE RunConfiguration(IDispatch* RoseApp) override {
    return Guarded([&] {
      DispatchSession session;
      tarn_.RunConfiguration(session.Application(RoseApp));
    });
  }
  // The three working commands show their errors themselves: nothing
  // reaches the caller.
  HRESULT STDMETHODCALLTYPE RunGenerator(IDispatch* RoseApp) override {
    return Guarded([&] {
      DispatchSession session;
      tarn_.RunGenerator(session.Application(RoseApp));
    });
  }
  HRESULT STDMETHODCALLTYPE RunPropertyChecker(IDispatch* RoseApp) override {
    return Guarded([&] {
      DispatchSession session;
      tarn_.RunPropertyChecker(session.Application(RoseApp));
    });
  }
  HRESULT STDMETHODCALLTYPE RunRefinementChecker(IDispatch* RoseApp) override {
    return Guarded([&] {
      DispatchSession session;
      tarn_.RunRefinementChecker(session.Application(RoseApp));
    });
  }
  HRESULT STDMETHODCALLTYPE PropertyCheck(IDispatch* RoseClass, BSTR RoseProperties, BSTR fileName) override {
    return Guarded([&] {
      DispatchSession session;
      tarn_.PropertyCheck(session.Class(RoseClass), FromBstr(RoseProperties), FromBstr(fileName));
    });
  }
  HRESULT STDMETHODCALLTYPE RefinementCheck(IDispatch* RoseAbstractClass, IDispatch* RoseConcreteClass,
                                            BSTR RoseRetrieve, BSTR fileName) override {
    return Guarded([&] {
      DispatchSession session;
      tarn_.RefinementCheck(session.Class(RoseAbstractClass), session.Class(RoseConcreteClass),
                            FromBstr(RoseRetrieve), FromBstr(fileName));
    });
  }

  HRESULT STDMETHODCALLTYPE OpenIni() override {
    return Guarded([&] { tarn_.OpenIni(); });
  }
  HRESULT STDMETHODCALLTYPE ReadINI(BSTR strsection, BSTR strkey, BSTR strfullpath, BSTR* value) override {
    return Guarded([&] { *value = ToBstr(tarn_.ReadINI(FromBstr(strsection), FromBstr(strkey), FromBstr(strfullpath))); });
  }
  HRESULT STDMETHODCALLTYPE WriteINI(BSTR strsection, BSTR strkey, BSTR strkeyvalue, BSTR strfullpath) override {
    return Guarded([&] {
      tarn_.WriteINI(FromBstr(strsection), FromBstr(strkey), FromBstr(strkeyvalue), FromBstr(strfullpath));
    });
  }

 private:
  static std::optional<ScriptedDialogs> Scripted() {
    const auto folder = ScriptedDialogs::Folder();
    if (!folder) return std::nullopt;
    return std::optional<ScriptedDialogs>(std::in_place, *folder);
  }
  addin::Platform Platform() {
    addin::SaveFileDialog& save = scripted_ ? static_cast<addin::SaveFileDialog&>(*scripted_) : saveDialog_;
    addin::MessageBoxes& messages = scripted_ ? static_cast<addin::MessageBoxes&>(*scripted_) : messageBoxes_;
    addin::DialogWindows& windows = scripted_ ? static_cast<addin::DialogWindows&>(*scripted_) : dialogWindows_;
    return addin::Platform{save, messages, programs_, windows, addin::SettingsLocation(addin::DefaultSettingsFile())};
  }

  Win32SaveDialog saveDialog_;
  Win32MessageBoxes messageBoxes_;
  Win32DialogWindows dialogWindows_;
  Win32ProgramStarter programs_;
  std::optional<ScriptedDialogs> scripted_;
  addin::ITarn tarn_;
};

}  // namespace

IUnknown* CreateTarnObject() { return static_cast<_ITarn*>(new TarnObject()); }

}  // namespace tarn::win
