#include "win/dispatch_host.hpp"

#include <oleauto.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.hpp"
#include "common/windows_error.hpp"
#include "win/automation.hpp"

namespace tarn::win {
namespace {

// A member of the modelling tool's objects: its dispatch identifier, or
// DISPID_UNKNOWN for the members called by name.
struct Member {
  const char* name;
  DISPID id = DISPID_UNKNOWN;
};

constexpr Member kActiveModel{"ActiveModel", 209};
constexpr Member kSelectedItems{"SelectedItems", 12681};
constexpr Member kCurrentModel{"CurrentModel"};
constexpr Member kRootCategory{"RootCategory"};
constexpr Member kClassDiagrams{"ClassDiagrams"};
constexpr Member kGetAt{"GetAt"};
constexpr Member kAllClasses{"AllClasses", 415};
constexpr Member kClassAssociations{"ClassAssociations", 422};
constexpr Member kItemCount{"ItemCount", 202};
constexpr Member kItemAt{"ItemAt", 203};
constexpr Member kIsKind{"IsKind", 12669};
constexpr Member kTaggedValue{"TaggedValue", 119};
constexpr Member kElementName{"ElementName", 100};
constexpr Member kClassAttributes{"ClassAttributes", 416};
constexpr Member kClassOperations{"ClassOperations", 417};
constexpr Member kSuperclasses{"Superclasses", 424};
constexpr Member kAttributeType{"AttributeType", 413};
constexpr Member kInitialValue{"InitialValue", 412};
constexpr Member kReturnType{"ReturnType", 412};
constexpr Member kOperationParameters{"OperationParameters", 413};
constexpr Member kParameterType{"ParameterType", 413};
constexpr Member kPreconditionText{"PreconditionText", 418};
constexpr Member kPostconditionText{"PostconditionText", 420};
constexpr Member kFirstRole{"FirstRole", 413};
constexpr Member kSecondRole{"SecondRole", 414};
constexpr Member kRoleClass{"RoleClass", 621};
constexpr Member kRoleSupplierName{"RoleSupplierName", 625};
constexpr Member kRoleNavigable{"RoleNavigable", 616};
constexpr Member kRoleCardinality{"RoleCardinality", 617};

constexpr std::int32_t kObjectNotSet = 91;
constexpr std::int32_t kTypeMismatch = 13;
constexpr std::int32_t kNotSupported = 438;
constexpr std::int32_t kWrongArguments = 450;

// An error the call met, named after the member called.
[[noreturn]] void RaiseCallError(const Member& member, std::int32_t number, const std::string& text) {
  throw Error(number, text + " (" + member.name + ")");
}

[[noreturn]] void RaiseFailure(const Member& member, HRESULT result, EXCEPINFO& exception) {
  switch (result) {
    case DISP_E_EXCEPTION: {
      if (exception.pfnDeferredFillIn != nullptr) exception.pfnDeferredFillIn(&exception);
      const HRESULT code = exception.scode != 0 ? exception.scode : static_cast<HRESULT>(exception.wCode);
      const std::string text = exception.bstrDescription != nullptr ? FromBstr(exception.bstrDescription)
                                                                    : WindowsErrorText(static_cast<DWORD>(code));
      SysFreeString(exception.bstrDescription);
      SysFreeString(exception.bstrSource);
      SysFreeString(exception.bstrHelpFile);
      const std::int32_t number = exception.wCode != 0                         ? exception.wCode
                                  : HRESULT_FACILITY(code) == FACILITY_CONTROL ? HRESULT_CODE(code)
                                                                               : code;
      // The tool's own error, as it describes it.
      throw Error(number, text);
    }
    case DISP_E_MEMBERNOTFOUND:
    case DISP_E_UNKNOWNNAME:
      RaiseCallError(member, kNotSupported, "Object doesn't support this property or method");
    case DISP_E_TYPEMISMATCH:
      RaiseCallError(member, kTypeMismatch, "Type mismatch");
    case DISP_E_OVERFLOW:
      RaiseCallError(member, kOverflow, "Overflow");
    case DISP_E_BADPARAMCOUNT:
      RaiseCallError(member, kWrongArguments, "Wrong number of arguments or invalid property assignment");
    default:
      RaiseCallError(member, result, WindowsErrorText(static_cast<DWORD>(result)));
  }
}

DISPID IdOf(IDispatch* object, const Member& member) {
  if (member.id != DISPID_UNKNOWN) return member.id;
  std::wstring name(member.name, member.name + std::char_traits<char>::length(member.name));
  LPOLESTR names[] = {name.data()};
  DISPID id = DISPID_UNKNOWN;
  const HRESULT result = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(result)) {
    EXCEPINFO none{};
    RaiseFailure(member, result == DISP_E_UNKNOWNNAME ? DISP_E_MEMBERNOTFOUND : result, none);
  }
  return id;
}

// The value a call returned.
class Value {
 public:
  Value() { VariantInit(&value_); }
  ~Value() { VariantClear(&value_); }
  Value(const Value&) = delete;
  Value& operator=(const Value&) = delete;

  VARIANT* Get() { return &value_; }

  // The value as the type a member returns; `member` names the call in errors.
  std::string Text(const Member& member) {
    if (V_VT(&value_) == VT_EMPTY || V_VT(&value_) == VT_NULL) return {};
    ChangeTo(member, VT_BSTR);
    return FromBstr(V_BSTR(&value_));
  }
  short Count(const Member& member) {
    ChangeTo(member, VT_I2);
    return V_I2(&value_);
  }
  bool Flag(const Member& member) {
    ChangeTo(member, VT_BOOL);
    return V_BOOL(&value_) != VARIANT_FALSE;
  }
  // A new reference to the object returned.
  IDispatch* Object(const Member& member) {
    if (V_VT(&value_) == VT_UNKNOWN && V_UNKNOWN(&value_) != nullptr) ChangeTo(member, VT_DISPATCH);
    if (V_VT(&value_) != VT_DISPATCH) {
      if (V_VT(&value_) == VT_EMPTY || V_VT(&value_) == VT_NULL)
        RaiseCallError(member, kObjectNotSet, "Object variable or With block variable not set");
      RaiseCallError(member, kTypeMismatch, "Type mismatch");
    }
    IDispatch* object = V_DISPATCH(&value_);
    if (object == nullptr) RaiseCallError(member, kObjectNotSet, "Object variable or With block variable not set");
    object->AddRef();
    return object;
  }

 private:
  void ChangeTo(const Member& member, VARTYPE type) {
    if (V_VT(&value_) == type) return;
    const HRESULT result = VariantChangeType(&value_, &value_, 0, type);
    if (FAILED(result)) {
      EXCEPINFO none{};
      RaiseFailure(member, result, none);
    }
  }

  VARIANT value_;
};

// One argument of a call: a text or a 16-bit position.
class Argument {
 public:
  explicit Argument(std::string_view text) {
    VariantInit(&value_);
    V_VT(&value_) = VT_BSTR;
    V_BSTR(&value_) = ToBstr(text);
  }
  explicit Argument(short position) {
    VariantInit(&value_);
    V_VT(&value_) = VT_I2;
    V_I2(&value_) = position;
  }
  ~Argument() { VariantClear(&value_); }
  Argument(Argument&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }
  Argument(const Argument&) = delete;
  Argument& operator=(const Argument&) = delete;

  const VARIANT& Get() const { return value_; }

 private:
  VARIANT value_;
};

// Calls a member (a method or a property read) of a tool's object.
void Call(IDispatch* object, const Member& member, Value& result, std::vector<Argument> arguments = {}) {
  if (object == nullptr) RaiseCallError(member, kObjectNotSet, "Object variable or With block variable not set");
  const DISPID id = IdOf(object, member);
  // Automation takes the arguments last to first.
  std::vector<VARIANT> passed;
  for (auto argument = arguments.rbegin(); argument != arguments.rend(); ++argument) passed.push_back(argument->Get());
  DISPPARAMS parameters{passed.data(), nullptr, static_cast<UINT>(passed.size()), 0};
  EXCEPINFO exception{};
  UINT wrongArgument = 0;
  const HRESULT outcome = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                                         &parameters, result.Get(), &exception, &wrongArgument);
  if (FAILED(outcome)) RaiseFailure(member, outcome, exception);
}

// The one argument of a call that fetches an element of a collection.
std::vector<Argument> Position(int index) {
  std::vector<Argument> arguments;
  arguments.emplace_back(static_cast<short>(index));
  return arguments;
}

std::string CallText(IDispatch* object, const Member& member, std::vector<Argument> arguments = {}) {
  Value result;
  Call(object, member, result, std::move(arguments));
  return result.Text(member);
}

// A host object over one of the tool's objects.
class Dispatched {
 public:
  Dispatched(DispatchSession& session, IDispatch* object) : session_(session), object_(session.Hold(object)) {}

 protected:
  std::string Text(const Member& member, std::vector<Argument> arguments = {}) const {
    return CallText(object_, member, std::move(arguments));
  }
  bool Flag(const Member& member) const {
    Value result;
    Call(object_, member, result);
    return result.Flag(member);
  }
  // The tool's object that a member returns, kept by the session.
  IDispatch* Object(const Member& member) const {
    Value result;
    Call(object_, member, result);
    IDispatch* object = result.Object(member);
    session_.Hold(object);
    object->Release();
    return object;
  }
  // A collection that a member returns, its elements made into host objects
  // by `wrap` when asked for; `itemAt` is the member that fetches one.
  template <class Host>
  host::Items<Host> Collection(const Member& member, const Member& itemAt,
                               std::function<const Host&(DispatchSession&, IDispatch*)> wrap) const {
    IDispatch* collection = Object(member);
    Value count;
    Call(collection, kItemCount, count);
    DispatchSession& session = session_;
    return host::Items<Host>(count.Count(kItemCount), [&session, collection, itemAt, wrap](int index) -> const Host& {
      Value item;
      Call(collection, itemAt, item, Position(index));
      IDispatch* object = item.Object(itemAt);
      const Host& wrapped = wrap(session, object);
      object->Release();
      return wrapped;
    });
  }
  // The same for elements of one kind.
  template <class Host, class Wrapper>
  host::Items<Host> Collection(const Member& member, const Member& itemAt = kItemAt) const {
    return Collection<Host>(member, itemAt, [](DispatchSession& session, IDispatch* object) -> const Host& {
      return session.Keep(std::make_shared<Wrapper>(session, object));
    });
  }

  DispatchSession& session_;
  IDispatch* object_;
};

// The operations every named element of the tool answers.
template <class Host>
class Element : public Host, protected Dispatched {
 public:
  using Dispatched::Dispatched;
  std::string ElementName() const override { return Text(kElementName); }
  std::string TaggedValue(std::string_view tool, std::string_view name) const override {
    std::vector<Argument> arguments;
    arguments.emplace_back(tool);
    arguments.emplace_back(name);
    return Text(kTaggedValue, std::move(arguments));
  }
  bool IsKind(std::string_view kind) const override {
    std::vector<Argument> arguments;
    arguments.emplace_back(kind);
    Value result;
    Call(object_, kIsKind, result, std::move(arguments));
    return result.Flag(kIsKind);
  }
};

class DispatchParameter final : public Element<host::Parameter> {
 public:
  using Element::Element;
  std::string ParameterType() const override { return Text(kParameterType); }
};

class DispatchAttribute final : public Element<host::Attribute> {
 public:
  using Element::Element;
  std::string AttributeType() const override { return Text(kAttributeType); }
  std::string InitialValue() const override { return Text(kInitialValue); }
};

class DispatchOperation final : public Element<host::Operation> {
 public:
  using Element::Element;
  std::string ReturnType() const override { return Text(kReturnType); }
  host::Items<host::Parameter> OperationParameters() const override {
    return Collection<host::Parameter, DispatchParameter>(kOperationParameters);
  }
  std::string PreconditionText() const override { return Text(kPreconditionText); }
  std::string PostconditionText() const override { return Text(kPostconditionText); }
};

class DispatchClass final : public Element<host::Class> {
 public:
  using Element::Element;
  host::Items<host::Attribute> ClassAttributes() const override {
    return Collection<host::Attribute, DispatchAttribute>(kClassAttributes);
  }
  host::Items<host::Operation> ClassOperations() const override {
    return Collection<host::Operation, DispatchOperation>(kClassOperations);
  }
  host::Items<host::Class> Superclasses() const override {
    return Collection<host::Class, DispatchClass>(kSuperclasses);
  }
};

class DispatchRole final : public Element<host::Role> {
 public:
  using Element::Element;
  const host::Class& RoleClass() const override {
    return session_.Keep(std::make_shared<DispatchClass>(session_, Object(kRoleClass)));
  }
  std::string RoleSupplierName() const override { return Text(kRoleSupplierName); }
  bool RoleNavigable() const override { return Flag(kRoleNavigable); }
  std::string RoleCardinality() const override { return Text(kRoleCardinality); }
};

class DispatchAssociation final : public Element<host::Association> {
 public:
  using Element::Element;
  const host::Role& FirstRole() const override {
    return session_.Keep(std::make_shared<DispatchRole>(session_, Object(kFirstRole)));
  }
  const host::Role& SecondRole() const override {
    return session_.Keep(std::make_shared<DispatchRole>(session_, Object(kSecondRole)));
  }
};

class DispatchClassDiagram final : public Element<host::ClassDiagram> {
 public:
  using Element::Element;
  host::Items<host::Class> AllClasses() const override {
    return Collection<host::Class, DispatchClass>(kAllClasses);
  }
  host::Items<host::Association> ClassAssociations() const override {
    return Collection<host::Association, DispatchAssociation>(kClassAssociations);
  }
};

class DispatchPackage final : public Element<host::Package> {
 public:
  using Element::Element;
  host::Items<host::ClassDiagram> ClassDiagrams() const override {
    return Collection<host::ClassDiagram, DispatchClassDiagram>(kClassDiagrams, kGetAt);
  }
};

// A selected item: a class, an association, or anything else the tool
// selects, told apart by asking the tool.
class DispatchItem final : public Element<host::Element> {
 public:
  using Element::Element;
};

class DispatchModel final : public host::Model, protected Dispatched {
 public:
  using Dispatched::Dispatched;
  host::Items<host::Element> SelectedItems() const override {
    return Collection<host::Element>(kSelectedItems, kItemAt, [](DispatchSession& session, IDispatch* object)
                                                                  -> const host::Element& {
      const DispatchItem probe(session, object);
      if (probe.IsKind("Class")) return session.Keep(std::make_shared<DispatchClass>(session, object));
      if (probe.IsKind("Association")) return session.Keep(std::make_shared<DispatchAssociation>(session, object));
      return session.Keep(std::make_shared<DispatchItem>(session, object));
    });
  }
  const host::Package& RootCategory() const override {
    return session_.Keep(std::make_shared<DispatchPackage>(session_, Object(kRootCategory)));
  }
};

class DispatchApplication final : public host::Application, protected Dispatched {
 public:
  using Dispatched::Dispatched;
  const host::Model& ActiveModel() const override {
    return session_.Keep(std::make_shared<DispatchModel>(session_, Object(kActiveModel)));
  }
  const host::Model& CurrentModel() const override {
    return session_.Keep(std::make_shared<DispatchModel>(session_, Object(kCurrentModel)));
  }
};

}  // namespace

IDispatch* DispatchSession::Hold(IDispatch* object) {
  if (object == nullptr) return nullptr;
  object->AddRef();
  kept_.push_back(std::shared_ptr<IDispatch>(object, [](IDispatch* held) { held->Release(); }));
  return object;
}

const host::Application& DispatchSession::Application(IDispatch* app) {
  return Keep(std::make_shared<DispatchApplication>(*this, app));
}

const host::Class& DispatchSession::Class(IDispatch* roseClass) {
  return Keep(std::make_shared<DispatchClass>(*this, roseClass));
}

}  // namespace tarn::win
