// Schema references and the schema calculus: the signatures of \Delta,
// \Xi, \pre, the logical operators, \semi, \pipe, \project, \hide,
// renaming and quantification, as the ZRM defines them.
#include <cctype>

#include "ztypes/checker.hpp"

namespace tarn::ztypes {
namespace {

bool EndsWith(const std::string& name, char c) { return !name.empty() && name.back() == c; }

// A name's decoration: its trailing strokes (', ?, !) and subscript digits.
std::size_t DecorationStart(const std::string& name) {
  std::size_t end = name.size();
  while (end > 0 && (name[end - 1] == '\'' || name[end - 1] == '?' || name[end - 1] == '!')) --end;
  if (end == name.size()) {
    std::size_t digits = end;
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1]))) --digits;
    if (digits < end && digits > 1 && name[digits - 1] == '_') end = digits - 1;
  }
  return end;
}

}  // namespace

Fields Decorate(const Fields& fields, const std::string& decoration) {
  if (decoration.empty()) return fields;
  Fields decorated;
  for (const auto& [name, type] : fields) decorated.emplace(name + decoration, type);
  return decorated;
}

bool Checker::SchemaReference(const std::string& name, const std::vector<TermPtr>& actuals, const Term& where,
                              Fields& fields, std::string& decoration) {
  const Definition* definition = scope_.Find(name);
  decoration.clear();
  if (!definition) {
    const std::size_t start = DecorationStart(name);
    if (start == 0 || start == name.size()) return false;
    definition = scope_.Find(name.substr(0, start));
    decoration = name.substr(start);
  }
  if (!definition || !definition->schema) return false;
  const TypePtr type = Instantiate(name, *definition, actuals, where);
  if (type->kind != TypeKind::kPower || type->items[0]->kind != TypeKind::kSchema) return false;
  fields = type->items[0]->fields;
  return true;
}

void Checker::Merge(Fields& into, const Fields& from, const Term& where) {
  for (const auto& [name, type] : from) {
    const auto [found, added] = into.emplace(name, type);
    if (!added && !unifier_.Unify(found->second, type))
      Report(where.begin, "`" + name + "` is declared as `" + Show(found->second) + "` and as `" + Show(type) + "`");
  }
}

Fields Checker::SchemaExpression(const Term& term) {
  switch (term.kind) {
    case TermKind::kName: {
      Fields fields;
      std::string decoration;
      if (SchemaReference(term.word, term.items, term, fields, decoration)) return Decorate(fields, decoration);
      Report(term.begin, "`" + term.word + (scope_.Find(term.word) ? "` is not a schema" : "` is not declared"));
      return {};
    }
    case TermKind::kDelta:
    case TermKind::kXi: {
      Fields fields = SchemaExpression(*term.items[0]);
      Merge(fields, Decorate(fields, "'"), term);
      return fields;
    }
    case TermKind::kPre: {
      Fields fields = SchemaExpression(*term.items[0]);
      std::erase_if(fields, [](const auto& field) { return EndsWith(field.first, '\'') || EndsWith(field.first, '!'); });
      return fields;
    }
    case TermKind::kNot:
      return SchemaExpression(*term.items[0]);
    case TermKind::kAnd:
    case TermKind::kOr:
    case TermKind::kImplies:
    case TermKind::kIff: {
      Fields fields = SchemaExpression(*term.items[0]);
      Merge(fields, SchemaExpression(*term.items[1]), term);
      return fields;
    }
    case TermKind::kCompose:
    case TermKind::kPipe: {
      // S \semi T matches S's x' with T's x; S \pipe T matches S's x! with T's x?.
      Fields first = SchemaExpression(*term.items[0]);
      Fields second = SchemaExpression(*term.items[1]);
      const bool compose = term.kind == TermKind::kCompose;
      for (auto field = first.begin(); field != first.end();) {
        const std::string& name = field->first;
        if (!EndsWith(name, compose ? '\'' : '!')) {
          ++field;
          continue;
        }
        const std::string matching = name.substr(0, name.size() - 1) + (compose ? "" : "?");
        const auto match = second.find(matching);
        if (match == second.end()) {
          ++field;
          continue;
        }
        if (!unifier_.Unify(field->second, match->second))
          Report(term.begin, "`" + name + "` is `" + Show(field->second) + "` but `" + matching + "` is `" +
                                 Show(match->second) + "` in `" + Source(term) + "`");
        second.erase(match);
        field = first.erase(field);
      }
      Merge(first, second, term);
      return first;
    }
    case TermKind::kProject: {
      Fields first = SchemaExpression(*term.items[0]);
      Fields second = SchemaExpression(*term.items[1]);
      Merge(first, second, term);
      for (auto& [name, type] : second) type = first.at(name);
      return second;
    }
    case TermKind::kHide: {
      Fields fields = SchemaExpression(*term.items[0]);
      for (const Word& name : term.names)
        if (!fields.erase(name.text))
          Report(name.offset, "`" + name.text + "` is not a component of `" + Source(*term.items[0]) + "`");
      return fields;
    }
    case TermKind::kRename: {
      Fields fields = SchemaExpression(*term.items[0]);
      Fields renamed;
      for (const Renaming& renaming : term.renames)
        if (!fields.contains(renaming.from.text))
          Report(renaming.from.offset,
                 "`" + renaming.from.text + "` is not a component of `" + Source(*term.items[0]) + "`");
      for (const auto& [name, type] : fields) {
        std::string to = name;
        for (const Renaming& renaming : term.renames)
          if (renaming.from.text == name) to = renaming.to.text;
        Merge(renamed, {{to, type}}, term);
      }
      return renamed;
    }
    case TermKind::kSchemaText: {
      const Signature signature = Declarations(term.declarations);
      LocalFrame frame(scope_);
      DeclareLocals(signature);
      if (term.items[0]) Predicate(*term.items[0]);
      return signature.fields;
    }
    case TermKind::kForall:
    case TermKind::kExists:
    case TermKind::kExistsOne: {
      const Signature signature = Declarations(term.declarations);
      LocalFrame frame(scope_);
      DeclareLocals(signature);
      if (term.items[0]) Predicate(*term.items[0]);
      Fields fields = SchemaExpression(*term.items[1]);
      for (const auto& [name, type] : signature.fields) {
        const auto found = fields.find(name);
        if (found == fields.end()) continue;
        if (!unifier_.Unify(found->second, type))
          Report(term.begin, "`" + name + "` is `" + Show(type) + "` in the quantifier but `" + Show(found->second) +
                                 "` in the schema");
        fields.erase(found);
      }
      return fields;
    }
    default:
      Report(term.begin, "`" + Source(term) + "` is not a schema expression");
      return {};
  }
}

}  // namespace tarn::ztypes
