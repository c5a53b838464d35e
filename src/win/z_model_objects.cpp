#include "win/z_model_objects.hpp"

#include <new>

#include "common/count.hpp"
#include "common/error.hpp"

namespace tarn::win {
namespace {

constexpr std::int32_t kTypeMismatch = 13;
constexpr std::int32_t kObjectNotSet = 91;

// The automation API takes the source of a copy or a conversion by a pointer
// that is not const, though it does not change it.
VARIANT* Source(const VARIANT& value) { return const_cast<VARIANT*>(&value); }

[[noreturn]] void RaiseNothing(const char* field) {
  throw Error(kObjectNotSet, std::string("Object variable or With block variable not set: ") + field + " is Nothing");
}

// Walks a copy of a collection's items for For Each.
class ItemEnumerator final : public Unknown<IEnumVARIANT> {
 public:
  explicit ItemEnumerator(std::vector<Variant> items, std::size_t next = 0) : items_(std::move(items)), next_(next) {}

  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) override {
    ULONG given = 0;
    for (; given < count && next_ < items_.size(); ++given, ++next_) {
      VariantInit(&items[given]);
      VariantCopy(&items[given], Source(items_[next_].Get()));
    }
    if (fetched != nullptr) *fetched = given;
    return given == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    next_ += count;
    if (next_ <= items_.size()) return S_OK;
    next_ = items_.size();
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    next_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override {
    if (copy == nullptr) return E_POINTER;
    *copy = new (std::nothrow) ItemEnumerator(items_, next_);
    return *copy == nullptr ? E_OUTOFMEMORY : S_OK;
  }

 private:
  std::vector<Variant> items_;
  std::size_t next_;
};

template <class Object>
Object& Existing(const Ref<Object>& object, const char* field) {
  if (!object) RaiseNothing(field);
  return *object.get();
}

// The record of class T that an item of a collection holds.
template <class T>
T& RecordAt(const Variant& item, const char* field) {
  const VARIANT& value = item.Get();
  IUnknown* object = V_VT(&value) == VT_DISPATCH ? V_DISPATCH(&value)
                     : V_VT(&value) == VT_UNKNOWN ? V_UNKNOWN(&value)
                                                  : nullptr;
  T* record = Implementation<T>(object);
  if (record == nullptr)
    throw Error(kTypeMismatch, std::string("Type mismatch: an item of ") + field + " is not a " + T::kClassName);
  return *record;
}

void AppendObject(CollectionObject& collection, IDispatch* object) {
  VARIANT value;
  VariantInit(&value);
  V_VT(&value) = VT_DISPATCH;
  V_DISPATCH(&value) = object;
  collection.Append(value);
}

template <class T>
Ref<T> New() {
  return Ref<T>::Adopt(new T());
}

Ref<SchemaObject> NewSchema(const zmodel::Schema& schema) {
  auto object = New<SchemaObject>();
  object->name = schema.Name;
  for (const auto& declaration : schema.Declarations) {
    auto record = New<DeclarationObject>();
    record->name = declaration.Name;
    record->zType = declaration.ZType;
    AppendObject(*object->declarations.get(), record.get());
  }
  object->preConditions = NewCollection(schema.PreConditions);
  object->postConditions = NewCollection(schema.PostConditions);
  object->invariants = NewCollection(schema.Invariants);
  object->isDefinition = schema.isDefinition;
  object->isQuery = schema.isQuery;
  return object;
}

}  // namespace

Variant::Variant(const VARIANT& value) {
  VariantInit(&value_);
  const HRESULT copied = VariantCopyInd(&value_, Source(value));
  if (FAILED(copied)) throw Error(copied == E_OUTOFMEMORY ? kOutOfMemory : kTypeMismatch, "The value cannot be kept.");
}

Variant& Variant::operator=(const Variant& other) {
  if (this != &other) {
    VariantClear(&value_);
    VariantCopy(&value_, Source(other.value_));
  }
  return *this;
}

void RaiseTypeMismatch(const char* expected) {
  throw Error(kTypeMismatch, std::string("Type mismatch: the object is not a ") + expected);
}

void CollectionObject::Append(const VARIANT& value) {
  if (items_.size() >= kMaxCount) RaiseOverflow();
  items_.emplace_back(value);
}

HRESULT CollectionObject::Item(VARIANT Index, VARIANT* item) {
  return Guarded([&] {
    VARIANT position;
    VariantInit(&position);
    if (FAILED(VariantChangeType(&position, &Index, 0, VT_I4))) throw Error(kTypeMismatch, "Type mismatch");
    if (V_I4(&position) < 1 || static_cast<std::size_t>(V_I4(&position)) > items_.size())
      throw Error(kSubscriptOutOfRange, "Subscript out of range");
    VariantInit(item);
    VariantCopy(item, Source(items_[static_cast<std::size_t>(V_I4(&position)) - 1].Get()));
  });
}

HRESULT CollectionObject::Add(VARIANT Item) {
  return Guarded([&] { Append(Item); });
}

HRESULT CollectionObject::get_Count(short* count) {
  return Guarded([&] { *count = CountOf(items_.size()); });
}

HRESULT CollectionObject::get__NewEnum(IUnknown** items) {
  return Guarded([&] { *items = new ItemEnumerator(items_); });
}

Ref<CollectionObject> NewCollection() { return New<CollectionObject>(); }

void AppendText(CollectionObject& collection, const std::string& text) {
  VARIANT value;
  VariantInit(&value);
  V_VT(&value) = VT_BSTR;
  V_BSTR(&value) = ToBstr(text);
  try {
    collection.Append(value);
  } catch (...) {
    VariantClear(&value);
    throw;
  }
  VariantClear(&value);
}


Ref<CollectionObject> NewCollection(const zmodel::Collection<std::string>& lines) {
  auto collection = NewCollection();
  for (const auto& line : lines) AppendText(*collection.get(), line);
  return collection;
}

Ref<ZSchemaObject> NewZSchema(const zmodel::ZSchema& schema) {
  auto object = New<ZSchemaObject>();
  object->name = schema.Name;
  object->stateSchema = NewSchema(schema.StateSchema);
  object->initSchema = NewSchema(schema.InitSchema);
  for (const auto& operation : schema.Schemas) AppendObject(*object->schemas.get(), NewSchema(operation).get());
  return object;
}

void AppendTheorems(const Ref<CollectionObject>& theorems, const zmodel::Collection<zmodel::Theorem>& made,
                    const char* field) {
  CollectionObject& collection = Existing(theorems, field);
  for (const auto& theorem : made) {
    auto record = New<TheoremObject>();
    record->name = theorem.Name;
    record->theorem = NewCollection(theorem.Theorem);
    AppendObject(collection, record.get());
  }
}

zmodel::Collection<std::string> LinesOf(const Ref<CollectionObject>& lines, const char* field) {
  zmodel::Collection<std::string> read;
  for (const Variant& item : Existing(lines, field).Items()) {
    VARIANT text;
    VariantInit(&text);
    if (FAILED(VariantChangeType(&text, Source(item.Get()), 0, VT_BSTR)))
      throw Error(kTypeMismatch, std::string("Type mismatch: an item of ") + field + " is not a text");
    read.Add(FromBstr(V_BSTR(&text)));
    VariantClear(&text);
  }
  return read;
}

zmodel::Schema SchemaOf(const Ref<SchemaObject>& schema, const char* field) {
  const SchemaObject& object = Existing(schema, field);
  zmodel::Schema read;
  read.Name = object.name;
  for (const Variant& item : Existing(object.declarations, "Declarations").Items()) {
    const auto& declaration = RecordAt<DeclarationObject>(item, "Declarations");
    read.Declarations.Add({declaration.name, declaration.zType});
  }
  read.PreConditions = LinesOf(object.preConditions, "PreConditions");
  read.PostConditions = LinesOf(object.postConditions, "PostConditions");
  read.Invariants = LinesOf(object.invariants, "Invariants");
  read.isDefinition = object.isDefinition;
  read.isQuery = object.isQuery;
  return read;
}

zmodel::ZSchema ZSchemaOf(const Ref<ZSchemaObject>& schema, const char* field) {
  const ZSchemaObject& object = Existing(schema, field);
  zmodel::ZSchema read;
  read.Name = object.name;
  read.StateSchema = SchemaOf(object.stateSchema, "StateSchema");
  read.InitSchema = SchemaOf(object.initSchema, "InitSchema");
  for (const Variant& item : Existing(object.schemas, "Schemas").Items()) {
    auto& operation = RecordAt<SchemaObject>(item, "Schemas");
    read.Schemas.Add(SchemaOf(Ref<SchemaObject>(&operation), "Schemas"));
  }
  return read;
}

zmodel::Collection<zmodel::Theorem> TheoremsOf(const Ref<CollectionObject>& theorems, const char* field) {
  zmodel::Collection<zmodel::Theorem> read;
  for (const Variant& item : Existing(theorems, field).Items()) {
    const auto& theorem = RecordAt<TheoremObject>(item, field);
    read.Add({theorem.name, LinesOf(theorem.theorem, "Theorem")});
  }
  return read;
}

IUnknown* CreateZRCClass() { return static_cast<_ZRCClass*>(new ZRCClassObject()); }
IUnknown* CreateZPCClass() { return static_cast<_ZPCClass*>(new ZPCClassObject()); }
IUnknown* CreateZSchema() { return static_cast<_ZSchema*>(new ZSchemaObject()); }
IUnknown* CreateSchema() { return static_cast<_Schema*>(new SchemaObject()); }
IUnknown* CreateDeclaration() { return static_cast<_Declaration*>(new DeclarationObject()); }
IUnknown* CreateTheorem() { return static_cast<_Theorem*>(new TheoremObject()); }

}  // namespace tarn::win
