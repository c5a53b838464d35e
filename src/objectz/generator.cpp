#include "objectz/generator.hpp"

#include <array>
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
  // The same paragraph with whole line ends, followed by an empty line.
  const auto paragraph = ProcessGivenSets();
  if (paragraph.empty()) return;
  for (const auto& line : SplitLines(paragraph)) WriteLine(line);
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
  const bool separated = row.ends_with(R"(\\)");
  document += row;
  if (anotherFollows && !separated) document += R"( \\)";
  document += "\r\n";
  pendingRow.reset();
}

}  // namespace tarn::objectz
