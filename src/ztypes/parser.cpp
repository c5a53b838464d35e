// A recursive-descent parser for LaTeX Z. Predicates, schema expressions
// and expressions are one grammar of terms, from the loosest binding:
//
//   quantifiers, \lambda, \mu, \LET           extend as far right as they can
//   \pipe \semi \hide \project \iff           (the ZRM's schema operators)
//   \implies (to the right), \lor, \land
//   \lnot, \pre, \Delta, \Xi
//   relations: e R e R e..., prefix relations, \true, \false
//   infix generics (to the right), \cross, infix functions 1 to 6
//   \power, prefix generics, unary minus
//   application, postfix functions, ^{...}, \limg \rimg, selection
//   names, numbers, brackets, sets, sequences, bags, \theta, \IF
#include "ztypes/parser.hpp"

#include <algorithm>
#include <optional>
#include <set>
#include <utility>

namespace tarn::ztypes {
namespace {

// Words of the language that never stand for a value.
const std::set<std::string, std::less<>> kKeywords = {
    "\\where", "\\land", "\\lor", "\\implies", "\\iff", "\\lnot", "\\forall", "\\exists",
    "\\exists_1", "\\lambda", "\\mu", "\\LET", "\\IF", "\\THEN", "\\ELSE", "\\power", "\\cross",
    "\\theta", "\\pre", "\\Delta", "\\Xi", "\\semi", "\\pipe", "\\project", "\\hide", "\\true",
    "\\false", "\\defs", "\\ldata", "\\rdata", "\\limg", "\\rimg", "\\rangle", "\\rbag"};

const std::set<std::string, std::less<>> kBinders = {"\\forall", "\\exists", "\\exists_1", "\\lambda", "\\mu", "\\LET"};

struct Binary {
  const char* word;
  TermKind kind;
  int precedence;
};

// The logical and schema operators, loosest first; \implies groups to the right.
constexpr Binary kBinaries[] = {
    {"\\pipe", TermKind::kPipe, 1},     {"\\semi", TermKind::kCompose, 2},
    {"\\project", TermKind::kProject, 4}, {"\\iff", TermKind::kIff, 5},
    {"\\implies", TermKind::kImplies, 6}, {"\\lor", TermKind::kOr, 7},
    {"\\land", TermKind::kAnd, 8}};
constexpr int kHidePrecedence = 3;

struct Failure {
  std::size_t offset;
  std::string message;
};

class Parser {
 public:
  Parser(const std::vector<Token>& tokens, std::size_t begin, std::size_t end, const Operators& operators)
      : tokens_(tokens), at_(begin), end_(end), operators_(operators) {}

  bool AtEnd() const { return at_ >= end_; }

  void SkipBreaks() {
    while (!AtEnd() && (Peek().kind == TokenKind::kBreak || Peek().text == ";")) ++at_;
  }

  void ExpectEnd() {
    if (!AtEnd()) Fail("unexpected `" + Peek().text + "`");
  }

  // A declaration part, up to \where, `|`, `@`, `]`, `\}` or the end.
  std::vector<Declaration> Declarations() {
    std::vector<Declaration> declarations;
    while (true) {
      SkipBreaks();
      if (AtEnd() || IsOneOf({"\\where", "|", "@", "]", "\\}"})) break;
      declarations.push_back(OneDeclaration());
    }
    return declarations;
  }

  // A box's declarations up to \where, then its predicates, separated by
  // line breaks and `;`. A line that cannot be read is skipped, the first
  // such failure kept, so that the rest of the box still defines its names.
  void Box(Paragraph& paragraph, bool declarations, std::optional<Failure>& failure) {
    bool predicates = !declarations;
    while (true) {
      SkipBreaks();
      if (AtEnd()) return;
      const std::size_t start = at_;
      try {
        if (!predicates && Is("\\where")) {
          ++at_;
          predicates = true;
          continue;
        }
        if (predicates) paragraph.predicates.push_back(ParseTerm());
        else paragraph.declarations.push_back(OneDeclaration());
        if (!AtEnd() && Peek().kind != TokenKind::kBreak && Peek().text != ";" && !Is("\\where"))
          Fail(predicates || Peek().text != "|" ? "unexpected `" + Peek().text + "`"
                                                 : "expected `\\where`, found `|`");
      } catch (Failure& found) {
        if (!failure) failure = std::move(found);
        at_ = std::max(at_, start + 1);
        while (!AtEnd() && Peek().kind != TokenKind::kBreak && Peek().text != ";" && !Is("\\where")) ++at_;
      }
    }
  }

  Paragraph ZedItem() {
    Paragraph paragraph;
    paragraph.offset = Peek().offset;
    if (Is("[")) {
      paragraph.kind = ParagraphKind::kGivenSets;
      ++at_;
      paragraph.names = WordList("]");
      Expect("]");
      return paragraph;
    }
    // name[X, Y] == or \defs; X op Y ==; op X ==; name ::=
    const std::size_t start = at_;
    if (Peek().kind == TokenKind::kWord && !kKeywords.contains(Peek().text)) {
      const Operator* op = operators_.Find(Peek().text);
      Word first = TakeWord();
      if (op && op->kind == OperatorKind::kPrefixGeneric && Peek().kind == TokenKind::kWord && PeekAt(1).text == "==") {
        paragraph.names.push_back(TakeWord());
        return Definition(std::move(paragraph), std::move(first), ParagraphKind::kAbbreviation);
      }
      if (!op && Peek().kind == TokenKind::kWord && PeekAt(1).kind == TokenKind::kWord && PeekAt(2).text == "==") {
        const Operator* middle = operators_.Find(Peek().text);
        if (middle && middle->kind == OperatorKind::kInfixGeneric) {
          paragraph.names.push_back(std::move(first));
          Word name = TakeWord();
          paragraph.names.push_back(TakeWord());
          return Definition(std::move(paragraph), std::move(name), ParagraphKind::kAbbreviation);
        }
      }
      if (!op && Is("[") && GenericHeader()) {
        ++at_;
        paragraph.names = WordList("]");
        Expect("]");
      }
      if (!op && Is("==")) return Definition(std::move(paragraph), std::move(first), ParagraphKind::kAbbreviation);
      if (!op && Is("\\defs")) return Definition(std::move(paragraph), std::move(first), ParagraphKind::kSchemaDefinition);
      if (!op && Is("::=") && paragraph.names.empty()) {
        ++at_;
        paragraph.kind = ParagraphKind::kFreeType;
        paragraph.name = std::move(first);
        FreeTypeBranches(paragraph);
        return paragraph;
      }
    }
    at_ = start;
    paragraph.kind = ParagraphKind::kConstraint;
    paragraph.predicates.push_back(ParseTerm());
    return paragraph;
  }

 private:
  const Token& Peek() const { return tokens_[std::min(at_, end_)]; }
  const Token& PeekAt(std::size_t ahead) const { return tokens_[std::min(at_ + ahead, end_)]; }
  bool Is(std::string_view text) const { return !AtEnd() && Peek().kind != TokenKind::kBreak && Peek().text == text; }
  bool IsOneOf(std::initializer_list<std::string_view> texts) const {
    return std::any_of(texts.begin(), texts.end(), [&](std::string_view text) { return Is(text); });
  }

  [[noreturn]] void Fail(const std::string& message) const { throw Failure{Peek().offset, message}; }

  void Expect(std::string_view text) {
    if (!Is(text)) Fail("expected `" + std::string(text) + "`, found " + Found());
    ++at_;
  }

  std::string Found() const {
    if (AtEnd()) return "the end";
    if (Peek().kind == TokenKind::kBreak) return "a line break";
    return "`" + Peek().text + "`";
  }

  Word TakeWord() {
    if (AtEnd() || Peek().kind == TokenKind::kBreak || Peek().kind == TokenKind::kNumber ||
        IsOneOf({"(", ")", "[", "]", "{", "}", "\\{", "\\}", ",", ";", ":", "|", "@"}))
      Fail("expected a name, found " + Found());
    Word word{Peek().text, Peek().offset};
    ++at_;
    return word;
  }

  std::vector<Word> WordList(std::string_view close) {
    std::vector<Word> words;
    if (Is(close)) return words;
    words.push_back(TakeWord());
    while (Is(",")) {
      ++at_;
      words.push_back(TakeWord());
    }
    return words;
  }

  // Whether `[` here opens `[X, Y]` followed by `==` or `\defs`.
  bool GenericHeader() const {
    std::size_t i = at_ + 1;
    while (i + 1 < end_ && tokens_[i].kind == TokenKind::kWord && tokens_[i + 1].text == ",") i += 2;
    return i + 2 < end_ + 1 && tokens_[i].kind == TokenKind::kWord && tokens_[i + 1].text == "]" &&
           (tokens_[i + 2].text == "==" || tokens_[i + 2].text == "\\defs");
  }

  Paragraph Definition(Paragraph paragraph, Word name, ParagraphKind kind) {
    ++at_;
    paragraph.kind = kind;
    paragraph.name = std::move(name);
    paragraph.expression = ParseTerm();
    return paragraph;
  }

  void FreeTypeBranches(Paragraph& paragraph) {
    do {
      if (Is("|")) ++at_;
      Branch branch{TakeWord(), nullptr};
      if (Is("\\ldata")) {
        ++at_;
        branch.domain = ParseTerm();
        Expect("\\rdata");
      }
      paragraph.branches.push_back(std::move(branch));
    } while (Is("|"));
  }

  Declaration OneDeclaration() {
    Declaration declaration;
    if (PeekAt(1).text == "," || PeekAt(1).text == ":") {
      declaration.names.push_back(TakeWord());
      while (Is(",")) {
        ++at_;
        declaration.names.push_back(TakeWord());
      }
      Expect(":");
    }
    declaration.expression = ParseTerm();
    return declaration;
  }

  // Nesting is counted where the parser recurses into a new term.
  class Nesting {
   public:
    explicit Nesting(Parser& parser) : parser_(parser) {
      if (++parser_.nesting_ > kMaxDepth) parser_.Fail("nesting deeper than 256 levels");
    }
    ~Nesting() { --parser_.nesting_; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;

   private:
    Parser& parser_;
  };

  TermPtr Make(TermKind kind, std::size_t begin, std::vector<TermPtr> items, std::string word = {}) {
    auto term = std::make_unique<Term>();
    term->kind = kind;
    term->word = std::move(word);
    term->items = std::move(items);
    term->begin = begin;
    term->end = at_ > 0 ? tokens_[std::min(at_, end_) - 1].end : begin;
    for (const auto& item : term->items)
      if (item) term->depth = std::max(term->depth, item->depth + 1);
    if (term->depth > kMaxDepth) throw Failure{begin, "nesting deeper than 256 levels"};
    return term;
  }

  TermPtr WithDeclarations(TermPtr term, std::vector<Declaration> declarations) {
    for (const auto& declaration : declarations)
      if (declaration.expression) term->depth = std::max(term->depth, declaration.expression->depth + 1);
    if (term->depth > kMaxDepth) throw Failure{term->begin, "nesting deeper than 256 levels"};
    term->declarations = std::move(declarations);
    return term;
  }

  TermPtr ParseTerm() {
    Nesting nesting(*this);
    if (!AtEnd() && kBinders.contains(Peek().text)) return Binder();
    return Logic(0);
  }

  // \forall D | P @ Q and the other binders.
  TermPtr Binder() {
    const std::size_t begin = Peek().offset;
    const std::string word = Peek().text;
    ++at_;
    if (word == "\\LET") {
      std::vector<Declaration> definitions;
      do {
        if (Is(";")) ++at_;
        Declaration definition;
        definition.names.push_back(TakeWord());
        Expect("==");
        definition.expression = ParseTerm();
        definitions.push_back(std::move(definition));
      } while (Is(";"));
      Expect("@");
      std::vector<TermPtr> items;
      items.push_back(ParseTerm());
      return WithDeclarations(Make(TermKind::kLet, begin, std::move(items)), std::move(definitions));
    }
    std::vector<Declaration> declarations = Declarations();
    std::vector<TermPtr> items(2);
    if (Is("|")) {
      ++at_;
      items[0] = ParseTerm();
    }
    if (word != "\\mu" || Is("@")) {
      Expect("@");
      items[1] = ParseTerm();
    }
    const TermKind kind = word == "\\forall"    ? TermKind::kForall
                          : word == "\\exists"  ? TermKind::kExists
                          : word == "\\exists_1" ? TermKind::kExistsOne
                          : word == "\\lambda"  ? TermKind::kLambda
                                                : TermKind::kMu;
    return WithDeclarations(Make(kind, begin, std::move(items)), std::move(declarations));
  }

  const Binary* BinaryHere() const {
    if (AtEnd()) return nullptr;
    for (const Binary& binary : kBinaries)
      if (Peek().text == binary.word) return &binary;
    return nullptr;
  }

  // Precedence climbing over the logical and schema operators.
  TermPtr Logic(int least) {
    const std::size_t begin = Peek().offset;
    TermPtr left = Negation();
    while (true) {
      if (Is("\\hide") && kHidePrecedence >= least) {
        ++at_;
        Expect("(");
        std::vector<Word> names = WordList(")");
        Expect(")");
        std::vector<TermPtr> items;
        items.push_back(std::move(left));
        left = Make(TermKind::kHide, begin, std::move(items));
        left->names = std::move(names);
        continue;
      }
      const Binary* binary = BinaryHere();
      if (!binary || binary->precedence < least) break;
      ++at_;
      const bool right = binary->kind == TermKind::kImplies;
      TermPtr operand = [&] {
        Nesting nesting(*this);
        return Logic(right ? binary->precedence : binary->precedence + 1);
      }();
      std::vector<TermPtr> items;
      items.push_back(std::move(left));
      items.push_back(std::move(operand));
      left = Make(binary->kind, begin, std::move(items));
    }
    return left;
  }

  TermPtr Negation() {
    const std::size_t begin = Peek().offset;
    if (!AtEnd() && kBinders.contains(Peek().text)) return ParseTerm();
    for (const auto& [word, kind] : {std::pair{"\\lnot", TermKind::kNot}, std::pair{"\\pre", TermKind::kPre},
                                     std::pair{"\\Delta", TermKind::kDelta}, std::pair{"\\Xi", TermKind::kXi}}) {
      if (!Is(word)) continue;
      ++at_;
      Nesting nesting(*this);
      std::vector<TermPtr> items;
      items.push_back(kind == TermKind::kDelta || kind == TermKind::kXi ? Primary() : Negation());
      return Make(kind, begin, std::move(items));
    }
    return Relation();
  }

  const Operator* OperatorHere(OperatorKind kind) const {
    if (AtEnd() || Peek().kind == TokenKind::kBreak) return nullptr;
    const Operator* op = operators_.Find(Peek().text);
    return op && op->kind == kind ? op : nullptr;
  }

  TermPtr Relation() {
    const std::size_t begin = Peek().offset;
    if (Is("\\true") || Is("\\false")) {
      const TermKind kind = Is("\\true") ? TermKind::kTrue : TermKind::kFalse;
      ++at_;
      return Make(kind, begin, {});
    }
    if (OperatorHere(OperatorKind::kPrefixRelation)) {
      std::string word = Peek().text;
      ++at_;
      std::vector<TermPtr> items;
      items.push_back(Expression());
      return Make(TermKind::kPrefixRelation, begin, std::move(items), std::move(word));
    }
    TermPtr first = Expression();
    if (!OperatorHere(OperatorKind::kInfixRelation)) return first;
    std::vector<TermPtr> items;
    std::vector<std::string> ops;
    items.push_back(std::move(first));
    while (OperatorHere(OperatorKind::kInfixRelation)) {
      ops.push_back(Peek().text);
      ++at_;
      items.push_back(Expression());
    }
    TermPtr chain = Make(TermKind::kRelation, begin, std::move(items));
    chain->ops = std::move(ops);
    return chain;
  }

  TermPtr Expression() {
    const std::size_t begin = Peek().offset;
    TermPtr left = Cross();
    if (!OperatorHere(OperatorKind::kInfixGeneric)) return left;
    std::string word = Peek().text;
    ++at_;
    Nesting nesting(*this);
    std::vector<TermPtr> items;
    items.push_back(std::move(left));
    items.push_back(Expression());
    return Make(TermKind::kGeneric, begin, std::move(items), std::move(word));
  }

  TermPtr Cross() {
    const std::size_t begin = Peek().offset;
    std::vector<TermPtr> items;
    items.push_back(Infix(1));
    while (Is("\\cross")) {
      ++at_;
      items.push_back(Infix(1));
    }
    if (items.size() == 1) return std::move(items[0]);
    return Make(TermKind::kCross, begin, std::move(items));
  }

  TermPtr Infix(int least) {
    const std::size_t begin = Peek().offset;
    TermPtr left = Prefix();
    while (const Operator* op = OperatorHere(OperatorKind::kInfixFunction)) {
      if (op->precedence < least) break;
      std::string word = Peek().text;
      ++at_;
      Nesting nesting(*this);
      std::vector<TermPtr> items;
      items.push_back(std::move(left));
      items.push_back(Infix(op->precedence + 1));
      left = Make(TermKind::kInfix, begin, std::move(items), std::move(word));
    }
    return left;
  }

  TermPtr Prefix() {
    const std::size_t begin = Peek().offset;
    if (Is("\\power") || Is("-") || OperatorHere(OperatorKind::kPrefixGeneric)) {
      std::string word = Peek().text;
      ++at_;
      if (!StartsPrimary() && !Is("\\power") && !Is("-") && !OperatorHere(OperatorKind::kPrefixGeneric))
        throw Failure{begin, "`" + word + "` needs an expression after it"};
      Nesting nesting(*this);
      std::vector<TermPtr> items;
      if (word == "-") {
        items.push_back(Make(TermKind::kName, begin, {}, "\\negate"));
        items.push_back(Prefix());
        return Make(TermKind::kApply, begin, std::move(items));
      }
      items.push_back(Prefix());
      if (word == "\\power") return Make(TermKind::kPower, begin, std::move(items));
      return Make(TermKind::kGeneric, begin, std::move(items), std::move(word));
    }
    return Postfixed();
  }

  bool StartsPrimary() const {
    if (AtEnd()) return false;
    const Token& token = Peek();
    if (token.kind == TokenKind::kNumber) return true;
    if (token.kind == TokenKind::kWord)
      return (!kKeywords.contains(token.text) || token.text == "\\theta" || token.text == "\\IF") &&
             !operators_.Find(token.text);
    return IsOneOf({"(", "\\{", "\\langle", "\\lbag", "{"});
  }

  // Application, postfix functions, ^{...}, relational image and selection.
  TermPtr Postfixed() {
    const std::size_t begin = Peek().offset;
    TermPtr left = Primary();
    while (true) {
      std::vector<TermPtr> items;
      items.push_back(std::move(left));
      if (OperatorHere(OperatorKind::kPostfix)) {
        std::string word = Peek().text;
        ++at_;
        left = Make(TermKind::kPostfix, begin, std::move(items), std::move(word));
      } else if (Is("^")) {
        ++at_;
        left = Superscript(begin, std::move(items));
      } else if (Is("\\limg")) {
        ++at_;
        items.push_back(ParseTerm());
        Expect("\\rimg");
        left = Make(TermKind::kImage, begin, std::move(items));
      } else if (Is(".")) {
        ++at_;
        if (Peek().kind == TokenKind::kNumber) {
          std::string number = Peek().text;
          ++at_;
          left = Make(TermKind::kSelect, begin, std::move(items), std::move(number));
        } else {
          left = Make(TermKind::kSelect, begin, std::move(items), TakeWord().text);
        }
      } else if (StartsPrimary()) {
        items.push_back(Primary());
        left = Make(TermKind::kApply, begin, std::move(items));
      } else {
        return std::move(items[0]);
      }
    }
  }

  // ^{-1}, ^{\sim}, ^+, ^*: the relational inverse and closures; ^{e}: iteration.
  TermPtr Superscript(std::size_t begin, std::vector<TermPtr> items) {
    const bool braced = Is("{");
    if (braced) ++at_;
    std::string postfix;
    if (Is("-") && PeekAt(1).text == "1") postfix = "\\inv", at_ += 2;
    else if (Is("\\sim")) postfix = "\\inv", ++at_;
    else if (Is("+")) postfix = "\\plus", ++at_;
    else if (Is("*")) postfix = "\\star", ++at_;
    if (postfix.empty()) {
      items.push_back(braced ? ParseTerm() : Primary());
    }
    if (braced) Expect("}");
    if (!postfix.empty()) return Make(TermKind::kPostfix, begin, std::move(items), std::move(postfix));
    return Make(TermKind::kIterate, begin, std::move(items));
  }

  std::vector<TermPtr> TermList(std::string_view close) {
    std::vector<TermPtr> items;
    if (Is(close)) return items;
    items.push_back(ParseTerm());
    while (Is(",")) {
      ++at_;
      items.push_back(ParseTerm());
    }
    return items;
  }

  TermPtr Primary() {
    const std::size_t begin = Peek().offset;
    if (AtEnd()) Fail("expected a term, found the end");
    const Token& token = Peek();
    if (token.kind == TokenKind::kNumber) {
      ++at_;
      return Make(TermKind::kNumber, begin, {}, token.text);
    }
    if (kBinders.contains(token.text)) return ParseTerm();
    if (Is("(") || Is("{")) {
      const std::string close = Is("(") ? ")" : "}";
      ++at_;
      std::vector<TermPtr> items = TermList(close);
      Expect(close);
      if (items.size() == 1) return std::move(items[0]);
      if (items.empty()) Fail("an empty `" + close + "`");
      return Make(TermKind::kTuple, begin, std::move(items));
    }
    if (Is("\\{")) return Set(begin);
    if (Is("\\langle") || Is("\\lbag")) {
      const bool sequence = Is("\\langle");
      ++at_;
      std::vector<TermPtr> items = TermList(sequence ? "\\rangle" : "\\rbag");
      Expect(sequence ? "\\rangle" : "\\rbag");
      return Make(sequence ? TermKind::kSequence : TermKind::kBag, begin, std::move(items));
    }
    if (Is("[")) {
      ++at_;
      std::vector<Declaration> declarations = Declarations();
      std::vector<TermPtr> items(1);
      if (Is("|")) {
        ++at_;
        items[0] = ParseTerm();
      }
      Expect("]");
      return WithDeclarations(Make(TermKind::kSchemaText, begin, std::move(items)), std::move(declarations));
    }
    if (Is("\\theta")) {
      ++at_;
      Nesting nesting(*this);
      std::vector<TermPtr> items;
      items.push_back(Primary());
      return Make(TermKind::kTheta, begin, std::move(items));
    }
    if (Is("\\IF")) {
      ++at_;
      std::vector<TermPtr> items;
      items.push_back(ParseTerm());
      Expect("\\THEN");
      items.push_back(ParseTerm());
      Expect("\\ELSE");
      items.push_back(ParseTerm());
      return Make(TermKind::kIf, begin, std::move(items));
    }
    if (token.kind != TokenKind::kWord || kKeywords.contains(token.text) || operators_.Find(token.text))
      Fail("unexpected " + Found());
    std::string name = token.text;
    ++at_;
    TermPtr term = Make(TermKind::kName, begin, {}, std::move(name));
    if (Is("[")) return Brackets(begin, std::move(term));
    return term;
  }

  // S[new/old, ...] or S[E, ...] after a name.
  TermPtr Brackets(std::size_t begin, TermPtr name) {
    ++at_;
    if (PeekAt(1).text == "/") {
      std::vector<Renaming> renames;
      do {
        if (Is(",")) ++at_;
        Word to = TakeWord();
        Expect("/");
        renames.push_back({std::move(to), TakeWord()});
      } while (Is(","));
      Expect("]");
      std::vector<TermPtr> items;
      items.push_back(std::move(name));
      TermPtr term = Make(TermKind::kRename, begin, std::move(items));
      term->renames = std::move(renames);
      return term;
    }
    std::string word = name->word;
    std::vector<TermPtr> actuals = TermList("]");
    Expect("]");
    return Make(TermKind::kName, begin, std::move(actuals), std::move(word));
  }

  // Whether `\{` here opens a set comprehension: its first tokens declare
  // (`x, y:`), or a `|` or `@` stands in it outside brackets and binders.
  bool Comprehension() const {
    std::size_t i = at_ + 1;
    while (i + 1 < end_ && tokens_[i].kind == TokenKind::kWord && tokens_[i + 1].text == ",") i += 2;
    if (i + 1 < end_ && tokens_[i].kind == TokenKind::kWord && tokens_[i + 1].text == ":") return true;
    int depth = 0;
    for (i = at_ + 1; i < end_; ++i) {
      const std::string& text = tokens_[i].text;
      if (text == "(" || text == "[" || text == "\\{" || text == "{" || text == "\\langle" || text == "\\lbag") {
        ++depth;
      } else if (text == ")" || text == "]" || text == "\\}" || text == "}" || text == "\\rangle" || text == "\\rbag") {
        if (depth == 0) return false;
        --depth;
      } else if (depth == 0 && kBinders.contains(text)) {
        return false;
      } else if (depth == 0 && (text == "|" || text == "@")) {
        return true;
      }
    }
    return false;
  }

  TermPtr Set(std::size_t begin) {
    if (Comprehension()) {
      ++at_;
      std::vector<Declaration> declarations = Declarations();
      std::vector<TermPtr> items(2);
      if (Is("|")) {
        ++at_;
        items[0] = ParseTerm();
      }
      if (Is("@")) {
        ++at_;
        items[1] = ParseTerm();
      }
      Expect("\\}");
      return WithDeclarations(Make(TermKind::kComprehension, begin, std::move(items)), std::move(declarations));
    }
    ++at_;
    std::vector<TermPtr> items = TermList("\\}");
    Expect("\\}");
    return Make(TermKind::kSetExtension, begin, std::move(items));
  }

  const std::vector<Token>& tokens_;
  std::size_t at_;
  std::size_t end_;
  const Operators& operators_;
  int nesting_ = 0;
};

std::string ZedItemTitle(const std::vector<Token>& tokens, std::size_t begin, std::size_t end) {
  if (tokens[begin].text == "[") return "given sets";
  for (std::size_t i = begin; i < end && i < begin + 4; ++i) {
    if (tokens[i].text == "==") return "abbreviation " + tokens[begin].text;
    if (tokens[i].text == "\\defs") return "schema " + tokens[begin].text;
    if (tokens[i].text == "::=") return "free type " + tokens[begin].text;
  }
  return "predicate";
}

}  // namespace

std::string Title(const Paragraph& paragraph) {
  switch (paragraph.kind) {
    case ParagraphKind::kGivenSets: return "given sets";
    case ParagraphKind::kAbbreviation: return "abbreviation " + paragraph.name.text;
    case ParagraphKind::kSchemaDefinition:
    case ParagraphKind::kSchemaBox: return "schema " + paragraph.name.text;
    case ParagraphKind::kFreeType: return "free type " + paragraph.name.text;
    case ParagraphKind::kConstraint: return "predicate";
    case ParagraphKind::kAxiomatic: return "axiomatic definition";
    case ParagraphKind::kGeneric: return "generic definition";
    case ParagraphKind::kTheorem: return "theorem " + paragraph.name.text;
  }
  return {};
}

ParsedEnvironment ParseEnvironment(const Environment& environment, const Operators& operators) {
  ParsedEnvironment parsed;
  const std::vector<Token>& tokens = environment.tokens;
  const std::size_t end = tokens.size() - 1;
  if (environment.kind == "zed" || environment.kind == "syntax") {
    std::size_t begin = 0;
    while (begin < end) {
      std::size_t stop = begin;
      while (stop < end && tokens[stop].kind != TokenKind::kBreak) ++stop;
      if (stop > begin) {
        Parser parser(tokens, begin, stop, operators);
        try {
          parsed.paragraphs.push_back(parser.ZedItem());
          parser.ExpectEnd();
        } catch (const Failure& failure) {
          if (!parsed.paragraphs.empty() && parsed.paragraphs.back().offset == tokens[begin].offset)
            parsed.paragraphs.pop_back();
          parsed.errors.push_back({failure.offset, failure.message, ZedItemTitle(tokens, begin, stop)});
        }
      }
      begin = stop + 1;
    }
    return parsed;
  }

  Paragraph paragraph;
  paragraph.offset = environment.offset;
  paragraph.name = environment.name;
  paragraph.names = environment.parameters;
  paragraph.kind = environment.kind == "schema"   ? ParagraphKind::kSchemaBox
                   : environment.kind == "axdef"  ? ParagraphKind::kAxiomatic
                   : environment.kind == "gendef" ? ParagraphKind::kGeneric
                                                  : ParagraphKind::kTheorem;
  if (!environment.error.empty()) {
    parsed.errors.push_back({environment.offset, environment.error, Title(paragraph)});
    return parsed;
  }
  Parser parser(tokens, 0, end, operators);
  std::optional<Failure> failure;
  parser.Box(paragraph, paragraph.kind != ParagraphKind::kTheorem, failure);
  if (failure) parsed.errors.push_back({failure->offset, failure->message, Title(paragraph)});
  parsed.paragraphs.push_back(std::move(paragraph));
  return parsed;
}

}  // namespace tarn::ztypes
