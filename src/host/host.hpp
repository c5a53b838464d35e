// The model host interface: every operation Tarn needs from the modelling
// tool's objects. The commands, the parser and the Object-Z generator reach
// the model only through these, so they run against any object model that
// offers them. Texts are bytes in the model's code page; an unset text,
// tagged values included, reads as "".
#pragma once

#include <string>
#include <string_view>

#include "host/items.hpp"

namespace tarn::host {

class Class;

// The tool name under which Tarn's tagged values are stored.
inline constexpr std::string_view kTool = "Tarn";

// Anything with a name: classes, attributes, operations, parameters,
// associations, roles and diagrams.
class Element {
 public:
  virtual ~Element() = default;
  virtual std::string ElementName() const = 0;
  virtual std::string TaggedValue(std::string_view tool, std::string_view name) const = 0;
  // "Class" for a class, "Association" for an association.
  virtual bool IsKind(std::string_view kind) const = 0;
};

class Attribute : public Element {
 public:
  virtual std::string AttributeType() const = 0;
  virtual std::string InitialValue() const = 0;
};

class Parameter : public Element {
 public:
  virtual std::string ParameterType() const = 0;
};

class Operation : public Element {
 public:
  // "" when the operation returns nothing.
  virtual std::string ReturnType() const = 0;
  virtual Items<Parameter> OperationParameters() const = 0;
  virtual std::string PreconditionText() const = 0;
  virtual std::string PostconditionText() const = 0;
};

class Class : public Element {
 public:
  virtual Items<Attribute> ClassAttributes() const = 0;
  virtual Items<Operation> ClassOperations() const = 0;
  virtual Items<Class> Superclasses() const = 0;
};

class Role : public Element {
 public:
  virtual const Class& RoleClass() const = 0;
  virtual std::string RoleSupplierName() const = 0;
  virtual bool RoleNavigable() const = 0;
  virtual std::string RoleCardinality() const = 0;
};

class Association : public Element {
 public:
  virtual const Role& FirstRole() const = 0;
  virtual const Role& SecondRole() const = 0;
};

class ClassDiagram : public Element {
 public:
  virtual Items<Class> AllClasses() const = 0;
  virtual Items<Association> ClassAssociations() const = 0;
};

class Package : public Element {
 public:
  virtual Items<ClassDiagram> ClassDiagrams() const = 0;
};

class Model {
 public:
  virtual ~Model() = default;
  // The selected classes and associations, in selection order.
  virtual Items<Element> SelectedItems() const = 0;
  virtual const Package& RootCategory() const = 0;
};

class Application {
 public:
  virtual ~Application() = default;
  virtual const Model& ActiveModel() const = 0;
  // The same model, asked for by another name (the Object-Z generator does).
  virtual const Model& CurrentModel() const { return ActiveModel(); }
};

// The first class diagram of the root package (GetAt(1) of its diagrams).
inline const ClassDiagram& FirstClassDiagram(const Application& app) {
  const auto diagrams = app.CurrentModel().RootCategory().ClassDiagrams();
  if (diagrams.ItemCount() == 0)
    throw Error(kSubscriptOutOfRange, "Subscript out of range: the model has no class diagram to translate.");
  return diagrams.ItemAt(1);
}

}  // namespace tarn::host
