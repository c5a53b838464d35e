// Paragraphs, declarations and predicates.
#include "ztypes/checker.hpp"

#include <algorithm>

#include "ztypes/lexer.hpp"
#include "ztypes/parser.hpp"

namespace tarn::ztypes {

std::vector<TypeError> Checker::CheckText(std::string_view text) {
  text_ = text;
  errors_.clear();
  operators_.ReadDirectives(text);
  for (const Environment& environment : ReadEnvironments(text, operators_)) {
    ParsedEnvironment parsed = ParseEnvironment(environment, operators_);
    // Syntax errors come in document order with the paragraphs around them.
    std::size_t error = 0;
    for (const Paragraph& paragraph : parsed.paragraphs) {
      for (; error < parsed.errors.size() && parsed.errors[error].offset < paragraph.offset; ++error) {
        paragraph_ = parsed.errors[error].paragraph;
        Report(parsed.errors[error].offset, "syntax: " + parsed.errors[error].message);
      }
      paragraph_ = Title(paragraph);
      try {
        CheckParagraph(paragraph);
      } catch (const TypeTooLarge& tooLarge) {
        theorem_ = false;
        Report(paragraph.offset, tooLarge.what());
      }
    }
    for (; error < parsed.errors.size(); ++error) {
      paragraph_ = parsed.errors[error].paragraph;
      Report(parsed.errors[error].offset, "syntax: " + parsed.errors[error].message);
    }
  }
  return std::move(errors_);
}

void Checker::OpenParameters(const std::vector<Word>& parameters) {
  for (const Word& parameter : parameters) scope_.Declare(parameter.text, {Power(Given(parameter.text)), {}, false});
}

void Checker::DeclareGlobal(const std::string& name, const TypePtr& type, const std::vector<Word>& parameters,
                            bool schema) {
  Definition definition{unifier_.Resolve(type), {}, schema};
  for (const Word& parameter : parameters) definition.parameters.push_back(parameter.text);
  scope_.Declare(name, std::move(definition));
}

void Checker::CheckParagraph(const Paragraph& paragraph) {
  switch (paragraph.kind) {
    case ParagraphKind::kGivenSets:
      for (const Word& name : paragraph.names) DeclareGlobal(name.text, Power(Given(name.text)), {});
      return;
    case ParagraphKind::kAbbreviation:
    case ParagraphKind::kSchemaDefinition: {
      TypePtr type;
      {
        LocalFrame frame(scope_);
        OpenParameters(paragraph.names);
        type = paragraph.kind == ParagraphKind::kAbbreviation ? Expression(*paragraph.expression)
                                                              : Power(Schema(SchemaExpression(*paragraph.expression)));
      }
      DeclareGlobal(paragraph.name.text, type, paragraph.names, paragraph.kind == ParagraphKind::kSchemaDefinition);
      return;
    }
    case ParagraphKind::kFreeType: {
      const TypePtr free = Given(paragraph.name.text);
      DeclareGlobal(paragraph.name.text, Power(free), {});
      for (const Branch& branch : paragraph.branches) {
        TypePtr type = free;
        if (branch.domain)
          type = Power(Product({Element(*branch.domain, Expression(*branch.domain), "`\\ldata \\rdata`"), free}));
        DeclareGlobal(branch.name.text, type, {});
      }
      return;
    }
    case ParagraphKind::kConstraint:
      Predicate(*paragraph.predicates.front());
      return;
    case ParagraphKind::kSchemaBox:
    case ParagraphKind::kGeneric:
    case ParagraphKind::kAxiomatic: {
      Signature signature;
      {
        LocalFrame frame(scope_);
        OpenParameters(paragraph.names);
        signature = Declarations(paragraph.declarations);
        LocalFrame components(scope_);
        DeclareLocals(signature);
        for (const TermPtr& predicate : paragraph.predicates) Predicate(*predicate);
      }
      if (paragraph.kind == ParagraphKind::kSchemaBox) {
        DeclareGlobal(paragraph.name.text, Power(Schema(signature.fields)), paragraph.names, true);
      } else {
        for (const auto& [name, type] : signature.fields) DeclareGlobal(name, type, paragraph.names);
      }
      return;
    }
    case ParagraphKind::kTheorem: {
      LocalFrame frame(scope_);
      OpenParameters(paragraph.names);
      theorem_ = true;
      for (const TermPtr& predicate : paragraph.predicates) Predicate(*predicate);
      theorem_ = false;
      return;
    }
  }
}

Signature Checker::Declarations(const std::vector<Declaration>& declarations) {
  Signature signature;
  for (const Declaration& declaration : declarations) {
    if (declaration.names.empty()) {
      const Fields fields = SchemaExpression(*declaration.expression);
      Merge(signature.fields, fields, *declaration.expression);
      signature.tuple.push_back(Schema(fields));
      continue;
    }
    const TypePtr element = Element(*declaration.expression, Expression(*declaration.expression),
                                    "a declaration");
    for (const Word& name : declaration.names) {
      Term where;
      where.begin = name.offset;
      where.end = name.offset + name.text.size();
      Merge(signature.fields, {{name.text, element}}, where);
      signature.tuple.push_back(element);
    }
  }
  return signature;
}

void Checker::DeclareLocals(const Signature& signature) {
  for (const auto& [name, type] : signature.fields) scope_.Declare(name, {type, {}, false});
}

void Checker::Predicate(const Term& term) {
  switch (term.kind) {
    case TermKind::kTrue:
    case TermKind::kFalse:
      return;
    case TermKind::kNot:
      Predicate(*term.items[0]);
      return;
    case TermKind::kAnd:
    case TermKind::kOr:
    case TermKind::kImplies:
    case TermKind::kIff:
      Predicate(*term.items[0]);
      Predicate(*term.items[1]);
      return;
    case TermKind::kForall:
    case TermKind::kExists:
    case TermKind::kExistsOne: {
      const Signature signature = Declarations(term.declarations);
      LocalFrame frame(scope_);
      DeclareLocals(signature);
      if (term.items[0]) Predicate(*term.items[0]);
      Predicate(*term.items[1]);
      return;
    }
    case TermKind::kLet: {
      LocalFrame frame(scope_);
      for (const Declaration& definition : term.declarations)
        scope_.Declare(definition.names[0].text, {Expression(*definition.expression), {}, false});
      Predicate(*term.items[0]);
      return;
    }
    case TermKind::kIf:
      Predicate(*term.items[0]);
      Predicate(*term.items[1]);
      Predicate(*term.items[2]);
      return;
    case TermKind::kRelation: {
      std::vector<TypePtr> types;
      for (const TermPtr& item : term.items) types.push_back(Expression(*item));
      for (std::size_t i = 0; i < term.ops.size(); ++i)
        Relate(term.ops[i], *term.items[i], types[i], *term.items[i + 1], types[i + 1]);
      return;
    }
    case TermKind::kPrefixRelation: {
      const Definition* relation = scope_.Find(term.word);
      if (!relation) {
        Report(term.begin, "`" + term.word + "` is not declared");
        return;
      }
      const TypePtr argument = Expression(*term.items[0]);
      const TypePtr element = Element(term, Instantiate(term.word, *relation, {}, term), "`" + term.word + "`");
      if (!unifier_.Unify(element, argument))
        Report(term.items[0]->begin, "`" + term.word + "` needs `" + Show(element) + "`, `" + Source(*term.items[0]) +
                                         "` is `" + Show(argument) + "`");
      return;
    }
    case TermKind::kName:
      // An undeclared name standing as a predicate in a theorem is a schema
      // the theorem quantifies over: nothing is known of it.
      if (theorem_ && !scope_.Find(term.word)) {
        Fields fields;
        std::string decoration;
        if (!SchemaReference(term.word, term.items, term, fields, decoration)) return;
      }
      [[fallthrough]];
    case TermKind::kPre:
    case TermKind::kDelta:
    case TermKind::kXi:
    case TermKind::kCompose:
    case TermKind::kPipe:
    case TermKind::kProject:
    case TermKind::kHide:
    case TermKind::kRename:
    case TermKind::kSchemaText:
      ComponentsInScope(term, SchemaExpression(term));
      return;
    default:
      Expression(term);
      Report(term.begin, "`" + Source(term) + "` is an expression, not a predicate");
      return;
  }
}

// A schema as a predicate: its components must be declared where it
// stands, with the same types. In a theorem, those declared nowhere are
// variables the theorem quantifies over; a global name is not, as Z/EVES
// has it: a state component named `items` is then the toolkit's `items`,
// and its type must be that one's.
void Checker::ComponentsInScope(const Term& term, const Fields& fields) {
  for (const auto& [name, type] : fields) {
    const Definition* variable = scope_.Find(name);
    if (!variable && theorem_) {
      scope_.DeclareOutermost(name, {type, {}, false});
      continue;
    }
    if (!variable) {
      Report(term.begin, "`" + name + "` of `" + Source(term) + "` is not declared here");
      continue;
    }
    const TypePtr found = variable->parameters.empty() ? variable->type : Instantiate(name, *variable, {}, term);
    if (!unifier_.Unify(found, type))
      Report(term.begin, "`" + name + "` is `" + Show(found) + "` here but `" + Show(type) + "` in `" +
                             Source(term) + "`");
  }
}

void Checker::Relate(const std::string& op, const Term& left, const TypePtr& leftType, const Term& right,
                     const TypePtr& rightType) {
  if (op == "=") {
    if (!unifier_.Unify(leftType, rightType))
      Report(left.begin, "`=` needs the same type on both sides: `" + Source(left) + "` is `" + Show(leftType) +
                             "`, `" + Source(right) + "` is `" + Show(rightType) + "`");
    return;
  }
  if (op == "\\in") {
    if (!unifier_.Unify(rightType, Power(leftType)))
      Report(right.begin, "`\\in` needs a set of `" + Show(leftType) + "` on its right, `" + Source(right) +
                              "` is `" + Show(rightType) + "`");
    return;
  }
  Operator(op, left, leftType, right, rightType, true);
}

void Checker::Report(std::size_t offset, std::string message) {
  offset = std::min(offset, text_.size());
  const std::size_t lineStart = text_.rfind('\n', offset == 0 ? 0 : offset - 1);
  const std::size_t start = offset == 0 || lineStart == std::string_view::npos ? 0 : lineStart + 1;
  std::size_t lineEnd = text_.find('\n', offset);
  if (lineEnd == std::string_view::npos) lineEnd = text_.size();
  std::string line(text_.substr(start, lineEnd - start));
  const auto first = line.find_first_not_of(" \t\r");
  line = first == std::string::npos ? std::string() : line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
  const int number = static_cast<int>(std::count(text_.begin(), text_.begin() + static_cast<std::ptrdiff_t>(start), '\n')) + 1;
  errors_.push_back({number, static_cast<int>(offset - start) + 1, std::move(message), paragraph_, std::move(line)});
}

std::string Checker::Source(const Term& term) const {
  std::string text;
  for (std::size_t i = term.begin; i < term.end && i < text_.size(); ++i) {
    const char c = text_[i];
    const bool blank = c == ' ' || c == '\t' || c == '\r' || c == '\n';
    if (blank && (text.empty() || text.back() == ' ')) continue;
    text += blank ? ' ' : c;
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  if (text.size() > 60) text = text.substr(0, 57) + "...";
  return text;
}

std::string Checker::Show(const TypePtr& type) const { return ToLatex(unifier_.Resolve(type)); }

}  // namespace tarn::ztypes
