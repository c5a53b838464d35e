// The second pass of the XMI reader: resolves the references of the records
// collected from the file and fills the in-memory host with them.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "modelfile/text/code_page.hpp"
#include "modelfile/xmi/id_table.hpp"
#include "modelfile/xmi/xmi_reader.hpp"
#include "modelfile/xmi/xmi_records.hpp"

namespace tarn::modelfile::xmi {

class ModelBuilder {
 public:
  ModelBuilder(ModelRecords records, const std::string& path, const XmiOptions& options,
               const Warn& warn);

  XmiModel Build();

 private:
  // Texts: line breaks as CR LF, in the model's code page.
  std::string Text(std::string utf8, Place where) const;
  // "FILE:LINE:COLUMN" of a place.
  std::string Located(Place where) const;

  void LoadUnits();
  void Merge(ModelRecords unit, int parent);
  void FindRoot();
  void ComputeQualifiedNames();
  void AddPackages();
  void AddClasses();
  void AddOperation(OperationRecord& record, host::MemoryOperation& operation);
  void AddSuperclasses();
  void AddAssociations();
  void ConvertAssociations();
  const PropertyRecord* EndOutside(const AssociationRecord& association, const std::string& id);
  void IndexConstraints();
  void FindTagTargets();
  // Keeps where the tags of the element `id` go, when a tag names it.
  void KeepTags(std::string_view id, host::TaggedValues* tags);
  void AddTags();
  void WarnNoClass();
  void WarnOnce();

  // Names and texts of references. `of()` names what refers, for a warning:
  // it is called only when one is given.
  template <class Of>
  std::string TypeText(const Reference& type, const Of& of);
  std::string ValueText(const ValueRecord& value);
  std::string BoundText(const ValueRecord& bound, bool& unlimited);
  std::string Multiplicity(const PropertyRecord& end);
  // The text of a constraint's specification or an opaque expression; `name`
  // when it has none.
  static std::string ExpressionText(const ValueRecord& specification, const std::string& name);
  template <class Of>
  std::string ConditionText(const std::vector<Reference>& conditions, const Of& of);
  // The id a reference names in this file ("" for an href into another file).
  static std::string LocalId(const Reference& reference);
  const host::MemoryClass* ClassAt(const Reference& reference, std::string& problem);
  const host::MemoryClass* Unavailable(const std::string& message);
  void WarnOutside(const std::vector<const host::MemoryClass*>& classes, const std::string& what, Place where);
  int PackageOf(int name_space) const;
  const std::string& Qualified(int name_space) const { return qualified_[name_space]; }

  // Diagrams (model_diagrams.cpp).
  void AddDiagrams();
  // A class diagram and the namespace record of the package that owns it.
  using OwnedDiagram = std::pair<host::MemoryClassDiagram, int>;
  std::vector<DiagramRecord> NotationDiagrams(int model_file);
  int OwnerPackage(const DiagramRecord& diagram) const;
  std::string BelowRoot(int package) const;
  OwnedDiagram Diagram(const DiagramRecord& record);
  std::vector<OwnedDiagram> FallbackDiagrams();
  void PlaceDiagrams(std::vector<OwnedDiagram> diagrams);

  ModelRecords records_;
  const std::string& path_;
  const XmiOptions& options_;
  const Warn& warn_;
  std::unique_ptr<text::CodePage> code_page_;
  XmiModel result_;
  host::MemoryModel* model_ = nullptr;

  int root_ = kNone;  // namespace record of the root package
  std::vector<int> unit_files_;  // the model's files that hold its units
  std::vector<std::string> qualified_;  // by namespace record, UTF-8
  // By the ids of the records: class and end records' indices.
  IdTable<int> class_by_id_;
  IdTable<int> end_by_id_;
  std::unordered_map<std::string, int> package_by_id_;
  // The constraints by id (views of the records' ids), until the classes are in the host.
  IdTable<const ConstraintRecord*> constraint_by_id_;
  std::vector<host::MemoryClass*> classes_;  // by class record
  std::vector<host::MemoryAssociation*> associations_;  // by association record
  IdTable<host::MemoryAssociation*> association_by_id_;
  std::vector<host::MemoryOperation*> query_operations_;  // isQuery="true" in UML
  std::unordered_map<std::string, host::MemoryClass*> stand_ins_;
  std::unordered_set<const host::MemoryClass*> outside_;  // stand-ins for classes an export left out
  std::deque<PropertyRecord> outside_ends_;  // ends that only a connector tells of
  // Where the tags of each id that a tag names go (null until the element is
  // met), by views of the tag records: most elements have no tag, and a table
  // of every id would cost more than the rest of the tags' work.
  IdTable<host::TaggedValues*> tags_by_id_;

  // Unresolved type references: the first, and how many there were.
  std::string first_unresolved_type_;
  int unresolved_types_ = 0;
};

}  // namespace tarn::modelfile::xmi
