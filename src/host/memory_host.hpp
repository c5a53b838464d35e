// The in-memory model host: plain records that implement the host interface.
// The model-file readers fill it, and tests build models in it directly.
// Records are linked by pointer, so a filled model must not grow its
// containers once pointers into them have been taken. Classes, associations
// and diagrams are linked while a model is read, so they are kept in deques,
// which keep elements in place when appended to at the end; the attributes,
// operations and parameters of one element are only pointed to once the model
// is filled, and are kept in vectors: a deque takes a block of 512 bytes and
// its map for even one parameter, and a large model has many such lists.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "host/host.hpp"

namespace tarn::host {

// Where a record stands in the files of its model, for messages: `file`
// indexes MemoryModel::files, `line` and `column` count from 1 (the column in
// bytes). Every reader whose format has places fills the places of the
// classes, attributes, operations, parameters, associations and diagrams it
// reads; line 0 means the record has no place (a model built in memory).
struct Place {
  std::uint32_t file = 0;
  std::uint32_t line = 0;
  std::uint32_t column = 0;
};

struct TaggedValueEntry {
  std::string tool;
  std::string name;
  std::string value;
};

// The tagged values of one element; the first entry of a tool and name wins.
struct TaggedValues {
  std::vector<TaggedValueEntry> entries;

  std::string Find(std::string_view tool, std::string_view name) const;
  // Adds a value under the tool "Tarn".
  void Set(std::string name, std::string value);
};

// Raises the error of an element that a model file names but could not
// provide (it lies in a part of the model that was not loaded), when the
// element is used; `unavailable` is "" for every ordinary element.
inline void CheckAvailable(const std::string& unavailable) {
  if (!unavailable.empty()) throw Error(kFileNotFound, unavailable);
}

struct MemoryAttribute final : Attribute {
  std::string name;
  std::string type;
  std::string initial;
  TaggedValues tags;
  Place place;

  std::string ElementName() const override { return name; }
  std::string TaggedValue(std::string_view tool, std::string_view key) const override {
    return tags.Find(tool, key);
  }
  bool IsKind(std::string_view kind) const override { return kind == "Attribute"; }
  std::string AttributeType() const override { return type; }
  std::string InitialValue() const override { return initial; }
};

struct MemoryParameter final : Parameter {
  std::string name;
  std::string type;
  Place place;

  std::string ElementName() const override { return name; }
  std::string TaggedValue(std::string_view, std::string_view) const override { return {}; }
  bool IsKind(std::string_view kind) const override { return kind == "Parameter"; }
  std::string ParameterType() const override { return type; }
};

struct MemoryOperation final : Operation {
  std::string name;
  std::vector<MemoryParameter> parameters;
  std::string result;
  std::string pre;
  std::string post;
  TaggedValues tags;
  Place place;

  std::string ElementName() const override { return name; }
  std::string TaggedValue(std::string_view tool, std::string_view key) const override {
    return tags.Find(tool, key);
  }
  bool IsKind(std::string_view kind) const override { return kind == "Operation"; }
  std::string ReturnType() const override { return result; }
  Items<Parameter> OperationParameters() const override;
  std::string PreconditionText() const override { return pre; }
  std::string PostconditionText() const override { return post; }
};

struct MemoryClass final : Class {
  std::string id;  // unique among the classes and associations of a model file
  std::string name;
  // The package that holds the class, qualified below the root package
  // ("Pkg::Sub", or "Pkg::Outer" for a nested class); "" for the root.
  std::string package;
  std::vector<MemoryAttribute> attributes;
  std::vector<MemoryOperation> operations;
  std::vector<const MemoryClass*> superclasses;
  TaggedValues tags;
  std::string unavailable;  // the error every operation raises; "" for none
  // What a class made up by a reader stands for (an actor, an interface, a
  // class that the file leaves out...); "" for a class of the model.
  std::string standsFor;
  Place place;

  std::string ElementName() const override {
    CheckAvailable(unavailable);
    return name;
  }
  std::string TaggedValue(std::string_view tool, std::string_view key) const override {
    CheckAvailable(unavailable);
    return tags.Find(tool, key);
  }
  bool IsKind(std::string_view kind) const override {
    CheckAvailable(unavailable);
    return kind == "Class";
  }
  Items<Attribute> ClassAttributes() const override;
  Items<Operation> ClassOperations() const override;
  Items<Class> Superclasses() const override;
};

struct MemoryRole final : Role {
  std::string name;
  const MemoryClass* supplier = nullptr;  // never null in a filled model
  std::string multiplicity;
  bool navigable = false;

  std::string ElementName() const override { return name; }
  std::string TaggedValue(std::string_view, std::string_view) const override { return {}; }
  bool IsKind(std::string_view kind) const override { return kind == "Role"; }
  const Class& RoleClass() const override { return *supplier; }
  std::string RoleSupplierName() const override { return supplier->ElementName(); }
  bool RoleNavigable() const override { return navigable; }
  std::string RoleCardinality() const override { return multiplicity; }
};

struct MemoryAssociation final : Association {
  std::string id;
  std::string name;
  std::string package;  // as for a class
  MemoryRole first;
  MemoryRole second;
  TaggedValues tags;
  std::string unavailable;  // the error every operation raises; "" for none
  Place place;

  std::string ElementName() const override {
    CheckAvailable(unavailable);
    return name;
  }
  std::string TaggedValue(std::string_view tool, std::string_view key) const override {
    CheckAvailable(unavailable);
    return tags.Find(tool, key);
  }
  bool IsKind(std::string_view kind) const override {
    CheckAvailable(unavailable);
    return kind == "Association";
  }
  const Role& FirstRole() const override {
    CheckAvailable(unavailable);
    return first;
  }
  const Role& SecondRole() const override {
    CheckAvailable(unavailable);
    return second;
  }
};

struct MemoryClassDiagram final : ClassDiagram {
  std::string name;
  // The package that holds the diagram, qualified below the root package
  // ("Pkg::Sub"); "" for the root package itself.
  std::string package;
  std::vector<const MemoryClass*> classes;  // as drawn; a class may repeat
  std::vector<const MemoryAssociation*> associations;
  Place place;

  std::string ElementName() const override { return name; }
  std::string TaggedValue(std::string_view, std::string_view) const override { return {}; }
  bool IsKind(std::string_view kind) const override { return kind == "ClassDiagram"; }
  Items<Class> AllClasses() const override;
  Items<Association> ClassAssociations() const override;
};

struct MemoryPackage final : Package {
  std::string name = "Logical View";
  std::deque<MemoryClassDiagram> diagrams;

  std::string ElementName() const override { return name; }
  std::string TaggedValue(std::string_view, std::string_view) const override { return {}; }
  bool IsKind(std::string_view kind) const override { return kind == "Category"; }
  Items<ClassDiagram> ClassDiagrams() const override;
};

struct MemoryModel final : Model {
  std::string encoding = "windows-1252";  // code page of every text
  MemoryPackage root;
  std::deque<MemoryClass> classes;
  std::deque<MemoryAssociation> associations;
  std::vector<const Element*> selection;
  // The class diagrams of the packages below the root package, in package
  // order (the root's own diagrams are those of `root`).
  std::deque<MemoryClassDiagram> packageDiagrams;
  // Every file the reader read, the model file first (then the units of a
  // Rose model, the diagram file of an XMI model...), as it named them.
  std::vector<std::string> files;

  Items<Element> SelectedItems() const override { return Items<Element>(selection); }
  const Package& RootCategory() const override { return root; }
};

struct MemoryApplication final : Application {
  MemoryModel model;

  const Model& ActiveModel() const override { return model; }
};

}  // namespace tarn::host
