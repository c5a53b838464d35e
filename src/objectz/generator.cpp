#include "objectz/generator.hpp"

#include <array>
#include <set>
#include <utility>

#include "common/atomic_file.hpp"
#include "common/line_rule.hpp"

namespace tarn::objectz {
namespace {

// The opening of every document: the preamble, the title page and the
// abstract, then the first section headings.
constexpr std::array<std::string_view, 30> kOpeningLines = {
    R"(\documentstyle[12pt,oz,wizard]{article})",
    "",
    R"(%% \documentclass[12pt]{article})",
    R"(%% \usepackage{oz,ztc})",
    R"(%% \ozcompatible)",
    R"(\newlength{\wordlength})",
    R"(\textwidth 178mm)",
    R"(\textheight 241mm)",
    R"(\hoffset=-35mm)",
    R"(\voffset=-24mm)",
    R"(\parindent=0mm)",
    R"(\parskip=0.2cm)",
    R"(\columnsep=1.2cm)",
    R"(\title{\huge Mapeamento de UML para uma Especifica\c{c}\~{a}o Formal \\em Object-Z \\})",
    R"(\author{ Ivo Renner Dahl\\)",
    R"(\\)",
    R"(Orientador Lino Barrete})",
    R"(\begin{document})",
    R"(\maketitle)",
    "",
    R"(\begin{abstract})",
    R"(Este documento apresenta a especifica\c{c}\~{a}o formal de um exemplo de )"
    R"(transforma\c{c}\~{a}o de um diagrama UML. Os  scripts foram basedos)"
    R"( na ideia proposta pelo projeto SERINGA, o qual desenvolveu um script que realiza )",
    R"(esta transforma\c{c}\~{a}o.)",
    R"(\end{abstract})",
    R"(\date{07 de Maio de 2002})",
    R"(\newpage)",
    R"(\section{Especifica\c{c}\~{a}o Formal em Z})",
    R"(\subsection{Esquemas})",
    R"(\section{Estado do Sistema})",
    "",
};

}  // namespace

void Generator::Generate(const host::Application& aRoseApp, const std::string& fileName) {
  ReplaceFile(fileName, DocumentText(aRoseApp));
}

std::string Generator::DocumentText(const host::Application& aRoseApp) {
  RoseApp = &aRoseApp;
  document.clear();
  MapUMLClassDiagramToOZ();
  return std::move(document);
}

void Generator::MapUMLClassDiagramToOZ() {
  myDiagram = &host::FirstClassDiagram(*RoseApp);
  myClasses = myDiagram->AllClasses();

  gaGivenSets.clear();
  recordedGivenSets.clear();
  giMaxGivenSets = 10;

  WriteOpening();

  const int classCount = myClasses.ItemCount();
  for (int i = 1; i <= classCount; ++i) {
    const auto attributes = myClasses.ItemAt(static_cast<std::int16_t>(i)).ClassAttributes();
    const int attributeCount = attributes.ItemCount();
    for (int j = 1; j <= attributeCount; ++j)
      UpdateGivenSets(CreateGivenSets(attributes.ItemAt(static_cast<std::int16_t>(j)).AttributeType()));
  }
  WriteGivenSets();

  // The associations are read only when some class has roles to declare.
  if (classCount > 0) IndexAssociations();
  for (int i = 1; i <= classCount; ++i) {
    MapUMLClassToOZ(static_cast<std::int16_t>(i));
    // The document of a large diagram is reserved once, from the length of
    // its first sixteenth, rather than reallocated and copied at every
    // doubling, which holds the old and the new buffer at once.
    if (i >= 64 && i == classCount / 16) document.reserve(document.size() * 18);
  }

  WriteLine(R"(\end{document})");
}

void Generator::WriteOpening() {
  if (!typeset) {
    for (const auto line : kOpeningLines) WriteLine(line);
    return;
  }
  const auto& front = *typeset;
  WriteLine(R"(\documentclass{article})");
  WriteLine(R"(\usepackage[)" + front.inputEncoding + "]{inputenc}");
  WriteLine(R"(\usepackage{oz})");
  // Tarn's style keeps the boxes to the page where it is installed; the
  // document typesets with oz.sty alone elsewhere.
  WriteLine(R"(\IfFileExists{tarn-z.sty}{\usepackage{tarn-z}}{})");
  const bool titled = !front.title.empty() || !front.author.empty() || !front.date.empty();
  if (titled) {
    WriteLine(R"(\title{)" + front.title + "}");
    WriteLine(R"(\author{)" + front.author + "}");
    WriteLine(R"(\date{)" + front.date + "}");
  }
  WriteLine(R"(\begin{document})");
  if (titled) WriteLine(R"(\maketitle)");
  WriteLine("");
}

void Generator::WriteGivenSets() {
  if (!typeset) {
    WriteLine(ProcessGivenSets());
    return;
  }
  // The same paragraph with whole line ends, followed by an empty line,
  // without the classes of the diagram: a class is a type of its own in
  // Object-Z, not a given set.
  std::set<std::string, std::less<>> classNames;
  for (int i = 1; i <= myClasses.ItemCount(); ++i)
    classNames.insert(myClasses.ItemAt(static_cast<std::int16_t>(i)).ElementName());
  std::string names;
  for (const auto& name : gaGivenSets) {
    if (classNames.contains(name)) continue;
    if (!names.empty()) names += ", ";
    names += name;
  }
  if (names.empty()) return;
  WriteLine(R"(\begin{zed})");
  WriteLine("[", names, "]");
  WriteLine(R"(\end{zed})");
  WriteLine("");
}

void Generator::WriteTypesetRow(std::string_view row) {
  for (auto& line : SplitLines(row)) {
    FlushRow(true);
    if (pendingBar) {
      WriteLine(R"(\ST)");
      pendingBar = false;
    }
    pendingRow = std::move(line);
  }
}

void Generator::WriteBar() {
  if (!typeset) {
    WriteLine(R"(\ST)");
    return;
  }
  FlushRow(false);
  pendingBar = true;
}

void Generator::BeginBox(std::string_view beginLine) {
  if (typeset) WriteLine(R"(\zbreak)");
  WriteLine(beginLine);
}

void Generator::EndBox(std::string_view endLine) {
  FlushRow(false);
  pendingBar = false;
  WriteLine(endLine);
  if (!typeset) WriteLine("");
}

void Generator::FlushRow(bool anotherFollows) {
  if (!pendingRow) return;
  std::string_view row = *pendingRow;
  if (anotherFollows) {
    document += row;
    if (!row.ends_with(R"(\\)")) document += R"( \\)";
  } else {
    // The last row before the bar or the end of the box ends with neither
    // a row break, which would add an empty row, nor a declaration's ";".
    auto trim = [&row] { row.remove_suffix(row.size() - row.find_last_not_of(' ') - 1); };
    trim();
    if (row.ends_with(R"(\\)")) row.remove_suffix(2), trim();
    if (row.ends_with(';')) row.remove_suffix(1), trim();
    document += row;
  }
  document += "\r\n";
  pendingRow.reset();
}

}  // namespace tarn::objectz
