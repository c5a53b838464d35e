// The Z model as automation objects: the six record classes and the
// collections their fields hold, with the sharing of references that scripts
// expect (a record assigned to a field is shared, not copied; a new record's
// collections are empty, its record fields Nothing). The workers (ZParser,
// ZVisitor, ZGenerator) read such records into Tarn's own Z model and put
// what they make back into them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "win/automation.hpp"
#include "win/tarn.h"
#include "zmodel/zmodel.hpp"

namespace tarn::win {

// An automation value, copied and released as one.
class Variant {
 public:
  Variant() { VariantInit(&value_); }
  explicit Variant(const VARIANT& value);
  Variant(const Variant& other) : Variant(other.value_) {}
  Variant& operator=(const Variant& other);
  ~Variant() { VariantClear(&value_); }

  const VARIANT& Get() const { return value_; }

 private:
  VARIANT value_;
};

class CollectionObject final : public Automation<_Collection> {
 public:
  static constexpr const char* kClassName = "Collection";

  HRESULT STDMETHODCALLTYPE Item(VARIANT Index, VARIANT* item) override;
  HRESULT STDMETHODCALLTYPE Add(VARIANT Item) override;
  HRESULT STDMETHODCALLTYPE get_Count(short* count) override;
  HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** items) override;

  // Appends a copy of the value (a shared reference for an object); the
  // 32768th item raises the overflow error.
  void Append(const VARIANT& value);
  const std::vector<Variant>& Items() const { return items_; }

 private:
  std::vector<Variant> items_;
};

// Get and put of the records' fields: texts, flags, and references to
// objects of the server (a reference to anything else is a type mismatch).
template <class Interface>
class Record : public Automation<Interface> {
 protected:
  HRESULT Get(const std::string& field, BSTR* value) {
    return this->Guarded([&] { *value = ToBstr(field); });
  }
  HRESULT Put(std::string& field, BSTR value) {
    return this->Guarded([&] { field = FromBstr(value); });
  }
  HRESULT Get(bool field, VARIANT_BOOL* value) {
    return this->Guarded([&] { *value = field ? VARIANT_TRUE : VARIANT_FALSE; });
  }
  HRESULT Put(bool& field, VARIANT_BOOL value) {
    return this->Guarded([&] { field = value != VARIANT_FALSE; });
  }
  template <class Object, class Out>
  HRESULT Get(const Ref<Object>& field, Out** value) {
    return this->Guarded([&] {
      *value = field.get();
      if (*value != nullptr) (*value)->AddRef();
    });
  }
  template <class Object>
  HRESULT Put(Ref<Object>& field, IUnknown* value);
};

// The type mismatch (13) of an object that is not of the expected class.
[[noreturn]] void RaiseTypeMismatch(const char* expected);

// The object of class T behind what a caller passed; null stays null.
template <class T>
T* As(IUnknown* object, const char* expected) {
  T* found = Implementation<T>(object);
  if (object != nullptr && found == nullptr) RaiseTypeMismatch(expected);
  return found;
}

template <class Interface>
template <class Object>
HRESULT Record<Interface>::Put(Ref<Object>& field, IUnknown* value) {
  return this->Guarded([&] { field = Ref<Object>(As<Object>(value, Object::kClassName)); });
}

Ref<CollectionObject> NewCollection();

class DeclarationObject final : public Record<_Declaration> {
 public:
  static constexpr const char* kClassName = "Declaration";
  std::string name, zType;

  HRESULT STDMETHODCALLTYPE get_Name(BSTR* value) override { return Get(name, value); }
  HRESULT STDMETHODCALLTYPE put_Name(BSTR value) override { return Put(name, value); }
  HRESULT STDMETHODCALLTYPE get_ZType(BSTR* value) override { return Get(zType, value); }
  HRESULT STDMETHODCALLTYPE put_ZType(BSTR value) override { return Put(zType, value); }
};

class SchemaObject final : public Record<_Schema> {
 public:
  static constexpr const char* kClassName = "Schema";
  std::string name;
  Ref<CollectionObject> declarations = NewCollection(), preConditions = NewCollection(),
                        postConditions = NewCollection(), invariants = NewCollection();
  bool isDefinition = false, isQuery = false;

  HRESULT STDMETHODCALLTYPE get_Name(BSTR* value) override { return Get(name, value); }
  HRESULT STDMETHODCALLTYPE put_Name(BSTR value) override { return Put(name, value); }
  HRESULT STDMETHODCALLTYPE get_Declarations(_Collection** value) override { return Get(declarations, value); }
  HRESULT STDMETHODCALLTYPE putref_Declarations(_Collection* value) override { return Put(declarations, value); }
  HRESULT STDMETHODCALLTYPE get_PreConditions(_Collection** value) override { return Get(preConditions, value); }
  HRESULT STDMETHODCALLTYPE putref_PreConditions(_Collection* value) override { return Put(preConditions, value); }
  HRESULT STDMETHODCALLTYPE get_PostConditions(_Collection** value) override { return Get(postConditions, value); }
  HRESULT STDMETHODCALLTYPE putref_PostConditions(_Collection* value) override { return Put(postConditions, value); }
  HRESULT STDMETHODCALLTYPE get_Invariants(_Collection** value) override { return Get(invariants, value); }
  HRESULT STDMETHODCALLTYPE putref_Invariants(_Collection* value) override { return Put(invariants, value); }
  HRESULT STDMETHODCALLTYPE get_isDefinition(VARIANT_BOOL* value) override { return Get(isDefinition, value); }
  HRESULT STDMETHODCALLTYPE put_isDefinition(VARIANT_BOOL value) override { return Put(isDefinition, value); }
  HRESULT STDMETHODCALLTYPE get_isQuery(VARIANT_BOOL* value) override { return Get(isQuery, value); }
  HRESULT STDMETHODCALLTYPE put_isQuery(VARIANT_BOOL value) override { return Put(isQuery, value); }
};

class ZSchemaObject final : public Record<_ZSchema> {
 public:
  static constexpr const char* kClassName = "ZSchema";
  std::string name;
  Ref<SchemaObject> stateSchema, initSchema;
  Ref<CollectionObject> schemas = NewCollection();

  HRESULT STDMETHODCALLTYPE get_Name(BSTR* value) override { return Get(name, value); }
  HRESULT STDMETHODCALLTYPE put_Name(BSTR value) override { return Put(name, value); }
  HRESULT STDMETHODCALLTYPE get_StateSchema(_Schema** value) override { return Get(stateSchema, value); }
  HRESULT STDMETHODCALLTYPE putref_StateSchema(_Schema* value) override { return Put(stateSchema, value); }
  HRESULT STDMETHODCALLTYPE get_InitSchema(_Schema** value) override { return Get(initSchema, value); }
  HRESULT STDMETHODCALLTYPE putref_InitSchema(_Schema* value) override { return Put(initSchema, value); }
  HRESULT STDMETHODCALLTYPE get_Schemas(_Collection** value) override { return Get(schemas, value); }
  HRESULT STDMETHODCALLTYPE putref_Schemas(_Collection* value) override { return Put(schemas, value); }
};

class TheoremObject final : public Record<_Theorem> {
 public:
  static constexpr const char* kClassName = "Theorem";
  std::string name;
  Ref<CollectionObject> theorem = NewCollection();

  HRESULT STDMETHODCALLTYPE get_Name(BSTR* value) override { return Get(name, value); }
  HRESULT STDMETHODCALLTYPE put_Name(BSTR value) override { return Put(name, value); }
  HRESULT STDMETHODCALLTYPE get_Theorem(_Collection** value) override { return Get(theorem, value); }
  HRESULT STDMETHODCALLTYPE putref_Theorem(_Collection* value) override { return Put(theorem, value); }
};

class ZPCClassObject final : public Record<_ZPCClass> {
 public:
  static constexpr const char* kClassName = "ZPCClass";
  Ref<ZSchemaObject> schema;
  Ref<CollectionObject> givenSets = NewCollection(), theorems = NewCollection();

  HRESULT STDMETHODCALLTYPE get_Schema(_ZSchema** value) override { return Get(schema, value); }
  HRESULT STDMETHODCALLTYPE putref_Schema(_ZSchema* value) override { return Put(schema, value); }
  HRESULT STDMETHODCALLTYPE get_GivenSets(_Collection** value) override { return Get(givenSets, value); }
  HRESULT STDMETHODCALLTYPE putref_GivenSets(_Collection* value) override { return Put(givenSets, value); }
  HRESULT STDMETHODCALLTYPE get_Theorems(_Collection** value) override { return Get(theorems, value); }
  HRESULT STDMETHODCALLTYPE putref_Theorems(_Collection* value) override { return Put(theorems, value); }
};

class ZRCClassObject final : public Record<_ZRCClass> {
 public:
  static constexpr const char* kClassName = "ZRCClass";
  Ref<ZSchemaObject> abstract, concrete;
  Ref<CollectionObject> givenSets = NewCollection(), retrieve = NewCollection(), theorems = NewCollection();

  HRESULT STDMETHODCALLTYPE get_Abstract(_ZSchema** value) override { return Get(abstract, value); }
  HRESULT STDMETHODCALLTYPE putref_Abstract(_ZSchema* value) override { return Put(abstract, value); }
  HRESULT STDMETHODCALLTYPE get_Concrete(_ZSchema** value) override { return Get(concrete, value); }
  HRESULT STDMETHODCALLTYPE putref_Concrete(_ZSchema* value) override { return Put(concrete, value); }
  HRESULT STDMETHODCALLTYPE get_GivenSets(_Collection** value) override { return Get(givenSets, value); }
  HRESULT STDMETHODCALLTYPE putref_GivenSets(_Collection* value) override { return Put(givenSets, value); }
  HRESULT STDMETHODCALLTYPE get_Retrieve(_Collection** value) override { return Get(retrieve, value); }
  HRESULT STDMETHODCALLTYPE putref_Retrieve(_Collection* value) override { return Put(retrieve, value); }
  HRESULT STDMETHODCALLTYPE get_Theorems(_Collection** value) override { return Get(theorems, value); }
  HRESULT STDMETHODCALLTYPE putref_Theorems(_Collection* value) override { return Put(theorems, value); }
};

// The records as Tarn's Z model. A record field that is Nothing raises
// error 91 ("Object variable or With block variable not set"), an item of a
// collection that is not of its kind the type mismatch (13).
zmodel::Collection<std::string> LinesOf(const Ref<CollectionObject>& lines, const char* field);
zmodel::Schema SchemaOf(const Ref<SchemaObject>& schema, const char* field);
zmodel::ZSchema ZSchemaOf(const Ref<ZSchemaObject>& schema, const char* field);
zmodel::Collection<zmodel::Theorem> TheoremsOf(const Ref<CollectionObject>& theorems, const char* field);

// New records of Tarn's Z model.
Ref<CollectionObject> NewCollection(const zmodel::Collection<std::string>& lines);
Ref<ZSchemaObject> NewZSchema(const zmodel::ZSchema& schema);
// Appends a text to a collection.
void AppendText(CollectionObject& collection, const std::string& text);
// Appends each theorem to the collection, as a new Theorem record.
void AppendTheorems(const Ref<CollectionObject>& theorems, const zmodel::Collection<zmodel::Theorem>& made,
                    const char* field);

// New, empty records, for the class factories.
IUnknown* CreateZRCClass();
IUnknown* CreateZPCClass();
IUnknown* CreateZSchema();
IUnknown* CreateSchema();
IUnknown* CreateDeclaration();
IUnknown* CreateTheorem();

}  // namespace tarn::win
