// A fake of the modelling tool for the add-in's tests: an automation server
// (ProgID "TarnTest.FakeRose") whose objects answer the dispatch identifiers
// that Tarn calls, serving a Rose model that Tarn's own petal reader loads.
// Scripts may call the tool's members by name as well (ActiveModel,
// SelectedItems, ItemCount, ItemAt). Besides the tool's members, the
// application object has three of its own:
//   Open PATH        loads the model (a .mdl or .cat file and its units)
//   Select ID, ...   selects the classes and associations named as --select
//                    names them (quid, qualified name, unique name); none
//                    clears the selection
//   ItemIds          one line "class QUID" or "association QUID" for every
//                    item of the model, in the order of the model file
#include "common/windows_api.hpp"
// (windows_api.hpp comes first: it defines what windows.h needs)
#include <initguid.h>
#include <oleauto.h>

#include <memory>
#include <string>
#include <vector>

#include "common/error.hpp"
#include "host/memory_host.hpp"
#include "modelfile/load_error.hpp"
#include "modelfile/petal/petal_reader.hpp"
#include "modelfile/text/code_page.hpp"
#include "win/automation.hpp"
#include "win/server_exports.hpp"

namespace tarn::win {
namespace {

// {8542E04B-A4BB-4CBF-8BB3-B0F984C66C16}
DEFINE_GUID(CLSID_FakeRose, 0x8542e04b, 0xa4bb, 0x4cbf, 0x8b, 0xb3, 0xb0, 0xf9, 0x84, 0xc6, 0x6c, 0x16);

// The loaded model, shared by every object served from it.
struct Loaded {
  modelfile::PetalModel model;
  std::unique_ptr<modelfile::text::CodePage> codePage;
  std::vector<const host::Element*> selection;

  // A text of the model (bytes of its code page) as an automation string.
  BSTR Text(const std::string& bytes) const {
    const auto converted = codePage ? codePage->ToUtf8(bytes) : modelfile::text::Conversion{bytes};
    const int size = static_cast<int>(converted.bytes.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, converted.bytes.data(), size, nullptr, 0);
    BSTR text = SysAllocStringLen(nullptr, static_cast<UINT>(length));
    MultiByteToWideChar(CP_UTF8, 0, converted.bytes.data(), size, text, length);
    return text;
  }
};

enum class Kind { kApplication, kModel, kPackage, kDiagram, kClass, kAttribute, kOperation, kParameter,
                  kAssociation, kRole, kElement, kCollection };

// What an object stands for: a host object of one kind, or a collection.
struct Target {
  Target(Kind kind, const host::Element* element = nullptr) : kind(kind), element(element) {}

  Kind kind;
  const host::Element* element;
  std::vector<Target> elements;  // a collection's
};

template <class T>
Target CollectionOf(Kind kind, const host::Items<T>& items) {
  Target collection(Kind::kCollection);
  for (int i = 1; i <= items.ItemCount(); ++i) collection.elements.push_back({kind, &items.ItemAt(i)});
  return collection;
}

// The arguments of a call, first to last, as texts.
std::vector<std::string> Texts(DISPPARAMS* parameters) {
  std::vector<std::string> texts;
  for (UINT i = parameters->cArgs; i-- > 0;) {
    VARIANT text;
    VariantInit(&text);
    if (FAILED(VariantChangeType(&text, &parameters->rgvarg[i], 0, VT_BSTR)))
      throw Error(13, "Type mismatch");
    texts.push_back(FromBstr(V_BSTR(&text)));
    VariantClear(&text);
  }
  return texts;
}

class FakeObject final : public Unknown<IDispatch> {
 public:
  FakeObject(std::shared_ptr<Loaded> loaded, Target target) : loaded_(std::move(loaded)), target_(std::move(target)) {}

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

  // The members the tool offers by name, and the fake's own.
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    static const std::pair<const wchar_t*, DISPID> kNamed[] = {
        {L"CurrentModel", kCurrentModel}, {L"RootCategory", kRootCategory}, {L"ClassDiagrams", kClassDiagrams},
        {L"GetAt", kGetAt}, {L"Open", kOpen}, {L"Select", kSelect}, {L"ItemIds", kItemIds},
        {L"ActiveModel", 209}, {L"SelectedItems", 12681}, {L"ItemCount", 202}, {L"ItemAt", 203}};
    HRESULT result = S_OK;
    for (UINT i = 0; i < count; ++i) {
      ids[i] = DISPID_UNKNOWN;
      for (const auto& [name, id] : kNamed)
        if (i == 0 && lstrcmpiW(names[0], name) == 0) ids[0] = id;
      if (ids[i] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
    }
    return result;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT* result,
                                   EXCEPINFO* exception, UINT*) override {
    VARIANT answer;
    VariantInit(&answer);
    try {
      if (!Answer(member, parameters, answer)) return DISP_E_MEMBERNOTFOUND;
    } catch (const Error& error) {
      if (exception != nullptr) {
        *exception = EXCEPINFO{};
        exception->scode = ResultOf(error.Number());
        exception->bstrSource = SysAllocString(L"FakeRose");
        exception->bstrDescription = ToBstr(error.Description());
      }
      return DISP_E_EXCEPTION;
    }
    if (result != nullptr)
      *result = answer;
    else
      VariantClear(&answer);
    return S_OK;
  }

 private:
  static constexpr DISPID kCurrentModel = 1, kRootCategory = 2, kClassDiagrams = 3, kGetAt = 4, kOpen = 5,
                          kSelect = 6, kItemIds = 7;

  void Object(VARIANT& answer, Target target) const {
    V_VT(&answer) = VT_DISPATCH;
    V_DISPATCH(&answer) = new FakeObject(loaded_, std::move(target));
  }
  void Text(VARIANT& answer, const std::string& bytes) const {
    V_VT(&answer) = VT_BSTR;
    V_BSTR(&answer) = loaded_->Text(bytes);
  }
  void Flag(VARIANT& answer, bool flag) const {
    V_VT(&answer) = VT_BOOL;
    V_BOOL(&answer) = flag ? VARIANT_TRUE : VARIANT_FALSE;
  }

  // Fills the answer to a call of `member`; false for a member this kind of
  // object has not.
  bool Answer(DISPID member, DISPPARAMS* parameters, VARIANT& answer) {
    const auto arguments = Texts(parameters);
    if (target_.kind == Kind::kApplication) return AnswerApplication(member, arguments, answer);
    if (!loaded_) throw Error(91, "No model is open.");
    if (const host::Element* element = target_.element) {
      if (member == 100) return Text(answer, element->ElementName()), true;
      if (member == 119 && arguments.size() == 2) return Text(answer, element->TaggedValue(arguments[0], arguments[1])), true;
      if (member == 12669 && arguments.size() == 1) return Flag(answer, element->IsKind(arguments[0])), true;
    }
    switch (target_.kind) {
      case Kind::kModel:
        if (member == 12681) {
          Target selection(Kind::kCollection);
          for (const host::Element* item : loaded_->selection) selection.elements.push_back({KindOf(*item), item});
          return Object(answer, std::move(selection)), true;
        }
        if (member == kRootCategory) return Object(answer, {Kind::kPackage, &loaded_->model.app->model.root}), true;
        return false;
      case Kind::kPackage:
        if (member != kClassDiagrams) return false;
        return Object(answer, CollectionOf(Kind::kDiagram, As<host::Package>().ClassDiagrams())), true;
      case Kind::kDiagram:
        if (member == 415) return Object(answer, CollectionOf(Kind::kClass, As<host::ClassDiagram>().AllClasses())), true;
        if (member == 422)
          return Object(answer, CollectionOf(Kind::kAssociation, As<host::ClassDiagram>().ClassAssociations())), true;
        return false;
      case Kind::kClass: {
        const auto& roseClass = As<host::Class>();
        if (member == 416) return Object(answer, CollectionOf(Kind::kAttribute, roseClass.ClassAttributes())), true;
        if (member == 417) return Object(answer, CollectionOf(Kind::kOperation, roseClass.ClassOperations())), true;
        if (member == 424) return Object(answer, CollectionOf(Kind::kClass, roseClass.Superclasses())), true;
        return false;
      }
      case Kind::kAttribute:
        if (member == 413) return Text(answer, As<host::Attribute>().AttributeType()), true;
        if (member == 412) return Text(answer, As<host::Attribute>().InitialValue()), true;
        return false;
      case Kind::kOperation: {
        const auto& operation = As<host::Operation>();
        if (member == 412) return Text(answer, operation.ReturnType()), true;
        if (member == 413) return Object(answer, CollectionOf(Kind::kParameter, operation.OperationParameters())), true;
        if (member == 418) return Text(answer, operation.PreconditionText()), true;
        if (member == 420) return Text(answer, operation.PostconditionText()), true;
        return false;
      }
      case Kind::kParameter:
        if (member == 413) return Text(answer, As<host::Parameter>().ParameterType()), true;
        return false;
      case Kind::kAssociation:
        if (member == 413) return Object(answer, {Kind::kRole, &As<host::Association>().FirstRole()}), true;
        if (member == 414) return Object(answer, {Kind::kRole, &As<host::Association>().SecondRole()}), true;
        return false;
      case Kind::kRole: {
        const auto& role = As<host::Role>();
        if (member == 621) return Object(answer, {Kind::kClass, &role.RoleClass()}), true;
        if (member == 625) return Text(answer, role.RoleSupplierName()), true;
        if (member == 616) return Flag(answer, role.RoleNavigable()), true;
        if (member == 617) return Text(answer, role.RoleCardinality()), true;
        return false;
      }
      case Kind::kCollection:
        if (member == 202) {
          V_VT(&answer) = VT_I2;
          V_I2(&answer) = CountOf(target_.elements.size());
          return true;
        }
        if ((member == 203 || member == kGetAt) && arguments.size() == 1) {
          const long index = std::strtol(arguments[0].c_str(), nullptr, 10);
          if (index < 1 || static_cast<std::size_t>(index) > target_.elements.size())
            throw Error(kSubscriptOutOfRange, "Subscript out of range");
          return Object(answer, target_.elements[static_cast<std::size_t>(index) - 1]), true;
        }
        return false;
      default:
        return false;
    }
  }

  bool AnswerApplication(DISPID member, const std::vector<std::string>& arguments, VARIANT& answer) {
    if (member == kOpen && arguments.size() == 1) {
      auto loaded = std::make_shared<Loaded>();
      try {
        loaded->model = modelfile::LoadPetalModel(arguments[0], {}, [](const std::string&) {});
      } catch (const modelfile::LoadError& error) {
        throw Error(kPathFileAccess, error.what());
      }
      loaded->codePage = modelfile::text::CodePage::Open(loaded->model.app->model.encoding);
      loaded_ = std::move(loaded);
      return true;
    }
    if (!loaded_) throw Error(91, "No model is open.");
    if (member == kSelect) {
      loaded_->selection = modelfile::ResolvePetalSelection(loaded_->model, arguments);
      return true;
    }
    if (member == kItemIds) {
      std::string lines;
      for (const auto& item : loaded_->model.items) {
        if (item.element->IsKind("Class")) lines += "class " + item.quid + "\r\n";
        if (item.element->IsKind("Association")) lines += "association " + item.quid + "\r\n";
      }
      return Text(answer, lines), true;
    }
    if (member == 209 || member == kCurrentModel) return Object(answer, {Kind::kModel}), true;
    return false;
  }

  static Kind KindOf(const host::Element& element) {
    if (element.IsKind("Class")) return Kind::kClass;
    if (element.IsKind("Association")) return Kind::kAssociation;
    return Kind::kElement;
  }

  template <class T>
  const T& As() const {
    return dynamic_cast<const T&>(*target_.element);
  }

  std::shared_ptr<Loaded> loaded_;
  Target target_;
};

IUnknown* CreateApplication() { return new FakeObject(nullptr, Target(Kind::kApplication)); }

const PublicClass kClasses[] = {
    {CLSID_FakeRose, L"TarnTest.FakeRose", CreateApplication},
};

}  // namespace

const std::span<const PublicClass> kPublicClasses = kClasses;
const GUID* const kTypeLibrary = nullptr;

}  // namespace tarn::win
