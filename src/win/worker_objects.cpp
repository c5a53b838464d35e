#include "win/worker_objects.hpp"

#include "common/error.hpp"
#include "objectz/generator.hpp"
#include "parser/z_parser.hpp"
#include "visitor/z_visitor.hpp"
#include "win/dispatch_host.hpp"
#include "win/z_model_objects.hpp"
#include "zeves/z_generator.hpp"

namespace tarn::win {
namespace {

// The record a worker is given; Nothing raises error 91, another object 13.
template <class T>
T& Given(IUnknown* object) {
  T* record = As<T>(object, T::kClassName);
  if (record == nullptr)
    throw Error(91, std::string("Object variable or With block variable not set: no ") + T::kClassName + " was given");
  return *record;
}

// Hands a new reference to the caller.
template <class T, class Out>
void Give(const Ref<T>& object, Out** out) {
  *out = object.get();
  (*out)->AddRef();
}

class ZParserObject final : public Automation<_ZParser> {
 public:
  HRESULT STDMETHODCALLTYPE ParseClass(IDispatch* RoseClass, _ZSchema** schema) override {
    return Guarded([&] {
      DispatchSession session;
      Give(NewZSchema(parser_.ParseClass(session.Class(RoseClass))), schema);
    });
  }
  HRESULT STDMETHODCALLTYPE ParseAbstractClass(_ZRCClass* check, IDispatch* RoseClass) override {
    return Guarded([&] {
      auto& record = Given<ZRCClassObject>(check);
      DispatchSession session;
      record.abstract = NewZSchema(parser_.ParseClass(session.Class(RoseClass)));
    });
  }
  HRESULT STDMETHODCALLTYPE ParseConcreteClass(_ZRCClass* check, IDispatch* RoseClass) override {
    return Guarded([&] {
      auto& record = Given<ZRCClassObject>(check);
      DispatchSession session;
      record.concrete = NewZSchema(parser_.ParseClass(session.Class(RoseClass)));
    });
  }
  HRESULT STDMETHODCALLTYPE ParseRetrieve(_ZRCClass* check, BSTR text) override {
    return Guarded([&] {
      auto& record = Given<ZRCClassObject>(check);
      record.retrieve = NewCollection(parser::ZParser::SplitLines(FromBstr(text)));
    });
  }
  HRESULT STDMETHODCALLTYPE ParseProperties(_ZPCClass* check, BSTR text) override {
    return Guarded([&] {
      auto& record = Given<ZPCClassObject>(check);
      zmodel::ZPCClass parsed;
      parser_.ParseProperties(parsed, FromBstr(text));
      AppendTheorems(record.theorems, parsed.Theorems, "Theorems");
    });
  }

 private:
  parser::ZParser parser_;
};

class ZVisitorObject final : public Automation<_ZVisitor> {
 public:
  HRESULT STDMETHODCALLTYPE VisitRC(_ZRCClass* check) override {
    return Guarded([&] {
      auto& record = Given<ZRCClassObject>(check);
      zmodel::ZRCClass visited;
      visited.Abstract = ZSchemaOf(record.abstract, "Abstract");
      visited.Concrete = ZSchemaOf(record.concrete, "Concrete");
      visited.GivenSets = LinesOf(record.givenSets, "GivenSets");
      visitor_.VisitRC(visited);
      AppendTheorems(record.theorems, visited.Theorems, "Theorems");
      record.givenSets = NewCollection(visited.GivenSets);
    });
  }
  HRESULT STDMETHODCALLTYPE VisitPC(_ZPCClass* check) override {
    return Guarded([&] {
      auto& record = Given<ZPCClassObject>(check);
      zmodel::ZPCClass visited;
      visited.Schema = ZSchemaOf(record.schema, "Schema");
      visited.GivenSets = LinesOf(record.givenSets, "GivenSets");
      visitor_.VisitPC(visited);
      record.givenSets = NewCollection(visited.GivenSets);
    });
  }
  // Appends the type texts to the collection itself, up to an empty one.
  HRESULT STDMETHODCALLTYPE GetGivenSetsSchema(_Collection* GivenSets, _Schema* Schema) override {
    return Guarded([&] {
      auto& collection = Given<CollectionObject>(GivenSets);
      const auto schema = SchemaOf(Ref<SchemaObject>(&Given<SchemaObject>(Schema)), "Schema");
      zmodel::Collection<std::string> types;
      const auto append = [&] {
        for (const auto& type : types) AppendText(collection, type);
      };
      try {
        visitor_.GetGivenSetsSchema(types, schema);
      } catch (...) {
        append();
        throw;
      }
      append();
    });
  }
  HRESULT STDMETHODCALLTYPE CreateGivenSets(_Collection* GivenSets, _Collection** names) override {
    return Guarded([&] {
      auto& collection = Given<CollectionObject>(GivenSets);
      Give(NewCollection(visitor_.CreateGivenSets(LinesOf(Ref<CollectionObject>(&collection), "GivenSets"))), names);
    });
  }

 private:
  visitor::ZVisitor visitor_;
};

// The markup properties of the Z/EVES writer.
#define TARN_MARKUP_PROPERTY(name)                                                                    \
  HRESULT STDMETHODCALLTYPE get_##name(BSTR* value) override {                                      \
    return Guarded([&] { *value = ToBstr(generator_.name); });                                      \
  }                                                                                                 \
  HRESULT STDMETHODCALLTYPE put_##name(BSTR value) override {                                       \
    return Guarded([&] { generator_.name = FromBstr(value); });                                     \
  }

class ZGeneratorObject final : public Automation<_ZGenerator> {
 public:
  TARN_MARKUP_PROPERTY(documentClass)
  TARN_MARKUP_PROPERTY(usePackageZEves)
  TARN_MARKUP_PROPERTY(usePackageInputEnc)
  TARN_MARKUP_PROPERTY(beginDocument)
  TARN_MARKUP_PROPERTY(endDocument)
  TARN_MARKUP_PROPERTY(beginTheorem)
  TARN_MARKUP_PROPERTY(endTheorem)
  TARN_MARKUP_PROPERTY(beginSchema)
  TARN_MARKUP_PROPERTY(endSchema)
  TARN_MARKUP_PROPERTY(beginZed)
  TARN_MARKUP_PROPERTY(endZed)
  TARN_MARKUP_PROPERTY(defs)

  HRESULT STDMETHODCALLTYPE GenerateRCSpecification(_ZRCClass* check, BSTR fileName) override {
    return Guarded([&] {
      auto& record = Given<ZRCClassObject>(check);
      zmodel::ZRCClass written;
      written.Abstract = ZSchemaOf(record.abstract, "Abstract");
      written.Concrete = ZSchemaOf(record.concrete, "Concrete");
      written.GivenSets = LinesOf(record.givenSets, "GivenSets");
      written.Retrieve = LinesOf(record.retrieve, "Retrieve");
      written.Theorems = TheoremsOf(record.theorems, "Theorems");
      generator_.GenerateRCSpecification(written, FromBstr(fileName));
    });
  }
  HRESULT STDMETHODCALLTYPE GeneratePCSpecification(_ZPCClass* check, BSTR fileName) override {
    return Guarded([&] {
      auto& record = Given<ZPCClassObject>(check);
      zmodel::ZPCClass written;
      written.Schema = ZSchemaOf(record.schema, "Schema");
      written.GivenSets = LinesOf(record.givenSets, "GivenSets");
      written.Theorems = TheoremsOf(record.theorems, "Theorems");
      generator_.GeneratePCSpecification(written, FromBstr(fileName));
    });
  }

 private:
  zeves::ZGenerator generator_;
};

#undef TARN_MARKUP_PROPERTY

class GeneratorObject final : public Automation<_Generator> {
 public:
  HRESULT STDMETHODCALLTYPE get_m_OutputPath(BSTR* value) override {
    return Guarded([&] { *value = ToBstr(outputPath_); });
  }
  HRESULT STDMETHODCALLTYPE put_m_OutputPath(BSTR value) override {
    return Guarded([&] { outputPath_ = FromBstr(value); });
  }
  HRESULT STDMETHODCALLTYPE get_RoseApp(IDispatch** value) override {
    return Guarded([&] {
      *value = roseApp_.get();
      if (*value != nullptr) (*value)->AddRef();
    });
  }
  HRESULT STDMETHODCALLTYPE putref_RoseApp(IDispatch* value) override {
    return Guarded([&] { roseApp_ = Ref<IDispatch>(value); });
  }
  HRESULT STDMETHODCALLTYPE get_giActualGivenSets(short* value) override {
    return Guarded([&] { *value = generator_.ActualGivenSets(); });
  }
  HRESULT STDMETHODCALLTYPE get_giMaxGivenSets(short* value) override {
    return Guarded([&] { *value = generator_.MaxGivenSets(); });
  }
  // The document is built in memory and written in one step: no file stays
  // open, and so there is no file number.
  HRESULT STDMETHODCALLTYPE get_FileNum(short* value) override {
    return Guarded([&] { *value = 0; });
  }
  HRESULT STDMETHODCALLTYPE get_attributeFlag(VARIANT_BOOL* value) override {
    return Guarded([&] { *value = generator_.AttributeFlag() ? VARIANT_TRUE : VARIANT_FALSE; });
  }
  HRESULT STDMETHODCALLTYPE Generate(IDispatch* aRoseApp, BSTR fileName) override {
    return Guarded([&] {
      roseApp_ = Ref<IDispatch>(aRoseApp);
      DispatchSession session;
      generator_.Generate(session.Application(aRoseApp), FromBstr(fileName));
    });
  }
  HRESULT STDMETHODCALLTYPE UpdateGivenSets(BSTR gSet) override {
    return Guarded([&] { generator_.UpdateGivenSets(FromBstr(gSet)); });
  }
  HRESULT STDMETHODCALLTYPE ProcessGivenSets(BSTR* paragraph) override {
    return Guarded([&] { *paragraph = ToBstr(generator_.ProcessGivenSets()); });
  }
  HRESULT STDMETHODCALLTYPE CreateGivenSets(BSTR GivenSets, BSTR* names) override {
    return Guarded([&] { *names = ToBstr(objectz::Generator::CreateGivenSets(FromBstr(GivenSets))); });
  }

 private:
  objectz::Generator generator_;
  std::string outputPath_;
  Ref<IDispatch> roseApp_;
};

}  // namespace

IUnknown* CreateZParser() { return static_cast<_ZParser*>(new ZParserObject()); }
IUnknown* CreateZVisitor() { return static_cast<_ZVisitor*>(new ZVisitorObject()); }
IUnknown* CreateZGenerator() { return static_cast<_ZGenerator*>(new ZGeneratorObject()); }
IUnknown* CreateGenerator() { return static_cast<_Generator*>(new GeneratorObject()); }

}  // namespace tarn::win
