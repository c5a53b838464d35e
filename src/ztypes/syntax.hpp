// The syntax tree of LaTeX Z. Predicates, expressions and schema
// expressions share one kind of node, Term, because their grammars overlap
// (`S \land T` is a predicate or a schema expression, a name is a variable
// or a schema reference): the checker decides from where a term stands.
// Every node keeps the byte range of its text in the document.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace tarn::ztypes {

// A name as written, with where it starts.
struct Word {
  std::string text;
  std::size_t offset = 0;
};

enum class TermKind {
  // Expressions.
  kName,           // word; items: explicit generic actuals S[\nat]
  kNumber,         // word
  kTuple,          // items
  kSetExtension,   // items
  kSequence,       // \langle items \rangle
  kBag,            // \lbag items \rbag
  kComprehension,  // \{ declarations | items[0] @ items[1] \}; either may be null
  kLambda,         // \lambda declarations | items[0] @ items[1]
  kMu,             // \mu declarations | items[0] @ items[1] (null: the characteristic tuple)
  kLet,            // \LET declarations (definitions) @ items[0]: expression or predicate
  kIf,             // \IF items[0] \THEN items[1] \ELSE items[2]
  kPower,          // \power items[0]
  kCross,          // items[0] \cross items[1] \cross ...
  kApply,          // items[0] applied to items[1]
  kInfix,          // items[0] word items[1]: an infix function (`+`, `\cup`)
  kGeneric,        // word with items as actuals: `X \rel Y`, `\seq X`
  kPostfix,        // items[0] word: `R \inv`, `R \plus`
  kIterate,        // items[0] ^{items[1]}
  kImage,          // items[0] \limg items[1] \rimg
  kSelect,         // items[0] . word
  kTheta,          // \theta items[0] (a schema reference)
  // Predicates.
  kRelation,       // items[0] ops[0] items[1] ops[1] items[2] ...: a chain
  kPrefixRelation, // word items[0]
  kTrue,
  kFalse,
  kNot,            // items[0]
  kAnd,            // items[0], items[1]
  kOr,
  kImplies,
  kIff,
  kForall,         // declarations | items[0] @ items[1]
  kExists,
  kExistsOne,
  // Schema expressions only.
  kPre,            // \pre items[0]
  kDelta,          // \Delta items[0]
  kXi,             // \Xi items[0]
  kCompose,        // items[0] \semi items[1]
  kPipe,           // items[0] \pipe items[1]
  kProject,        // items[0] \project items[1]
  kHide,           // items[0] \hide (names)
  kRename,         // items[0] [renames: new/old]
  kSchemaText,     // [declarations | items[0]]
};

struct Term;
using TermPtr = std::unique_ptr<Term>;

// `x, y: E` (names and the set), a schema inclusion (no names; the schema
// expression), or a local definition `x == E` of \LET.
struct Declaration {
  std::vector<Word> names;
  TermPtr expression;
};

struct Renaming {
  Word to;
  Word from;
};

struct Term {
  TermKind kind = TermKind::kName;
  std::string word;
  std::vector<TermPtr> items;
  std::vector<std::string> ops;  // a relation chain's relations
  std::vector<Declaration> declarations;
  std::vector<Renaming> renames;
  std::vector<Word> names;       // \hide's names
  std::size_t begin = 0;         // byte range in the document
  std::size_t end = 0;
  int depth = 1;                 // levels of nodes below and including this one
};

enum class ParagraphKind {
  kGivenSets,     // [A, B]: names
  kAbbreviation,  // name[parameters] == expression
  kSchemaDefinition,  // name[parameters] \defs expression
  kFreeType,      // name ::= branches
  kConstraint,    // a predicate in a zed box: predicates[0]
  kSchemaBox,     // \begin{schema}{name}[parameters]
  kAxiomatic,     // \begin{axdef}
  kGeneric,       // \begin{gendef}[parameters]
  kTheorem,       // \begin{theorem}{name}[parameters]: predicates
};

// A free type's branch: a constant, or a constructor with its domain.
struct Branch {
  Word name;
  TermPtr domain;  // null for a constant
};

struct Paragraph {
  ParagraphKind kind = ParagraphKind::kConstraint;
  Word name;
  std::vector<Word> names;  // given sets; a generic's parameters
  std::vector<Declaration> declarations;
  std::vector<TermPtr> predicates;
  TermPtr expression;
  std::vector<Branch> branches;
  std::size_t offset = 0;  // where the paragraph starts
};

}  // namespace tarn::ztypes
