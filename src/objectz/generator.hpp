// Generator: writes the first class diagram of the model as one Object-Z
// document for the oz and wizard style files, the input of the Wizard type
// checker. It walks the model host itself; it does not use the Z model.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/count.hpp"
#include "host/host.hpp"
#include "objectz/cardinality.hpp"

namespace tarn::objectz {

// The front matter of a document written to be typeset. When all three are
// empty the document has no title block; otherwise an empty one is printed
// empty.
struct FrontMatter {
  std::string title;
  std::string author;
  std::string date;
  std::string inputEncoding = "ansinew";  // LaTeX's name of the document's code page
};

class Generator {
 public:
  // Unset (the default), the document is written for the Wizard type
  // checker, in its line-oriented form. Set, the same translation is written
  // for oz.sty (and Tarn's tarn-z.sty when TeX finds it), so that pdflatex
  // typesets it and it reads as Object-Z:
  // a \documentclass preamble with this front matter, \\ between the lines
  // of every box, \zbreak between the boxes of a class (a gap where a long
  // class may break across pages), and neither empty lines nor empty
  // predicates.
  std::optional<FrontMatter> typeset;

  // Writes the document of the first class diagram of the root package to
  // `fileName`, replacing an existing file. The document is built in memory
  // and written in one step, so an error leaves no file behind and an
  // existing file untouched.
  void Generate(const host::Application& aRoseApp, const std::string& fileName);
  // The document that Generate writes.
  std::string DocumentText(const host::Application& aRoseApp);

  // The given-set table: the distinct names of the attribute types of the
  // diagram, in first-seen order.

  // Removes the Z type operators, brackets and commas from a type text,
  // leaving the names it is built from (and the blanks between them).
  static std::string CreateGivenSets(const std::string& GivenSets);
  // Records each blank-separated word of a reduced type text that is a Z
  // name and not yet recorded. The table is 16-bit: the 20480th distinct
  // name overflows.
  void UpdateGivenSets(const std::string& gSet);
  // The zed paragraph declaring the recorded names, with single-CR line
  // breaks, or "" when nothing is recorded.
  std::string ProcessGivenSets() const;

  // What the automation interface shows of the generator's state: the next
  // free slot of the given-set table (1 when it is empty), its highest index,
  // and whether the class written last has an attribute with an initial
  // value.
  std::int16_t ActualGivenSets() const { return CountOf(gaGivenSets.size() + 1); }
  std::int16_t MaxGivenSets() const { return giMaxGivenSets; }
  bool AttributeFlag() const { return attributeFlag; }

 private:
  void MapUMLClassDiagramToOZ();
  void MapUMLClassToOZ(std::int16_t ClassID);
  void MapOperationToOZ(const host::Operation& operation);
  void MapUMLToInit(const host::Items<host::Attribute>& myAttributes);
  void MapAssocToOZ(std::int16_t ClassID);
  void MapGenToOZ(std::int16_t ClassID);

  void IndexAssociations();
  void WriteOpening();
  void WriteGivenSets();
  // Appends the pieces and CR LF to the document, the one buffer the whole
  // text is written into, without a string of the line on the way.
  template <class... Pieces>
  void WriteLine(const Pieces&... pieces) {
    (document.append(std::string_view(pieces)), ...);
    document += "\r\n";
  }
  // The lines inside a box. A row is a declaration or a predicate, possibly
  // of several lines; the bar is the \ST between declarations and
  // predicates. For the Wizard they are written as they stand. To be
  // typeset, a row is cut into its lines, empty ones are left out, \\ goes
  // between consecutive lines that do not end with one, and the bar is
  // written only when a predicate follows it.
  template <class... Pieces>
  void WriteRow(const Pieces&... pieces) {
    if (!typeset) return WriteLine(pieces...);
    std::string row;
    (row.append(std::string_view(pieces)), ...);
    WriteTypesetRow(row);
  }
  void WriteTypesetRow(std::string_view row);
  void WriteBar();
  // The boxes of a class are separated by an empty line after each for the
  // Wizard, and by \zbreak before each but the first (the state box) to be
  // typeset.
  void BeginBox(std::string_view beginLine);
  void EndBox(std::string_view endLine);
  // Ends the row written last, adding the separator when another follows.
  void FlushRow(bool anotherFollows);

  const host::Application* RoseApp = nullptr;
  const host::ClassDiagram* myDiagram = nullptr;
  host::Items<host::Class> myClasses;
  host::Items<host::Association> myAssociations;
  // A role that a class declares through one association: the navigable role
  // at the other end from the class, the tagged values that belong to it,
  // and the name of the class at that end.
  struct DeclaredRoleOf {
    const host::Association* association;
    const host::Role* role;
    const char* typeTag;
    const char* invariantTag;
    DeclaredRole declared;
    std::string supplierName;
  };
  // The roles each class name declares, in diagram order: role B of an
  // association whose role A is at a class of that name, then role A of one
  // whose role B is.
  std::unordered_map<std::string, std::vector<DeclaredRoleOf>> declaredRoles;

  std::vector<std::string> gaGivenSets;
  std::unordered_set<std::string> recordedGivenSets;  // the names of gaGivenSets
  // The 16-bit size of the table. One slot always stays free: the size
  // doubles when a name would take the last one, so recording the 20480th
  // distinct name overflows.
  std::int16_t giMaxGivenSets = 10;

  // To be typeset: the state components of the class being written, its
  // attributes and the roles it declares.
  std::vector<std::string> stateNames;

  // Set while a class is written when one of its attributes has an initial
  // value: the class then gets an initial-state schema.
  bool attributeFlag = false;

  std::string document;  // the text written so far

  // To be typeset: the last row, held until it is known whether another
  // follows, and a bar waiting for its first predicate.
  std::optional<std::string> pendingRow;
  bool pendingBar = false;
};

}  // namespace tarn::objectz
