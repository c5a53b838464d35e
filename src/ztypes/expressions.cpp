// The types of expressions, with the toolkit's generics instantiated by
// unification (or by explicit actuals, `\emptyset[NAME]`).
#include <cctype>
#include <string>

#include "ztypes/checker.hpp"

namespace tarn::ztypes {

TypePtr Checker::Instantiate(const std::string& name, const Definition& definition,
                             const std::vector<TermPtr>& actuals, const Term& where) {
  if (definition.parameters.empty()) {
    if (!actuals.empty()) Report(where.begin, "`" + name + "` is not generic");
    return definition.type;
  }
  std::map<std::string, TypePtr> parameters;
  if (!actuals.empty() && actuals.size() != definition.parameters.size())
    Report(where.begin, "`" + name + "` has " + std::to_string(definition.parameters.size()) +
                            " generic parameters, not " + std::to_string(actuals.size()));
  for (std::size_t i = 0; i < definition.parameters.size(); ++i) {
    const std::string& parameter = definition.parameters[i];
    parameters[parameter] = actuals.size() == definition.parameters.size()
                                ? Element(*actuals[i], Expression(*actuals[i]), "a generic parameter")
                                : unifier_.Fresh();
  }
  return Substitute(definition.type, parameters);
}

TypePtr Checker::Element(const Term& term, const TypePtr& type, const std::string& what) {
  const TypePtr element = unifier_.Fresh();
  if (unifier_.Unify(type, Power(element))) return element;
  Report(term.begin, what + " needs a set, `" + Source(term) + "` is `" + Show(type) + "`");
  return unifier_.Fresh();
}

TypePtr Checker::Apply(const std::string& function, const Term& where, const TypePtr& type, const Term& argument,
                       const TypePtr& argumentType) {
  const TypePtr domain = unifier_.Fresh();
  const TypePtr range = unifier_.Fresh();
  if (!unifier_.Unify(type, Power(Product({domain, range})))) {
    Report(where.begin, "`" + function + "` is applied to `" + Source(argument) + "` but is `" + Show(type) +
                            "`, not a function");
    return range;
  }
  if (!unifier_.Unify(domain, argumentType))
    Report(argument.begin, "`" + function + "` needs `" + Show(domain) + "`, `" + Source(argument) + "` is `" +
                               Show(argumentType) + "`");
  return range;
}

TypePtr Checker::Operator(const std::string& op, const Term& left, const TypePtr& leftType, const Term& right,
                          const TypePtr& rightType, bool relation) {
  const Definition* definition = scope_.Find(op);
  const TypePtr result = unifier_.Fresh();
  if (!definition) {
    Report(left.begin, "`" + op + "` is not declared");
    return result;
  }
  const TypePtr type = Instantiate(op, *definition, {}, left);
  const TypePtr first = unifier_.Fresh();
  const TypePtr second = unifier_.Fresh();
  const TypePtr pair = Product({first, second});
  if (!unifier_.Unify(type, Power(relation ? pair : Product({pair, result})))) {
    Report(left.begin, "`" + op + "` is `" + Show(type) + "`, not an infix " + (relation ? "relation" : "function"));
    return result;
  }
  if (!unifier_.Unify(first, leftType))
    Report(left.begin, "`" + op + "` needs `" + Show(first) + "` on its left, `" + Source(left) + "` is `" +
                           Show(leftType) + "`");
  else if (!unifier_.Unify(second, rightType))
    Report(right.begin, "`" + op + "` needs `" + Show(second) + "` on its right, `" + Source(right) + "` is `" +
                            Show(rightType) + "`");
  return result;
}

TypePtr Checker::NameType(const Term& term) {
  if (const Definition* definition = scope_.Find(term.word))
    return Instantiate(term.word, *definition, term.items, term);
  Fields fields;
  std::string decoration;
  if (SchemaReference(term.word, term.items, term, fields, decoration))
    return Power(Schema(Decorate(fields, decoration)));
  const TypePtr type = unifier_.Fresh();
  if (theorem_) scope_.DeclareOutermost(term.word, {type, {}, false});
  else Report(term.begin, "`" + term.word + "` is not declared");
  return type;
}

TypePtr Checker::Characteristic(const Signature& signature) {
  if (signature.tuple.empty()) return unifier_.Fresh();
  if (signature.tuple.size() == 1) return signature.tuple[0];
  return Product(signature.tuple);
}

TypePtr Checker::Binder(const Term& term) {
  const Signature signature = Declarations(term.declarations);
  LocalFrame frame(scope_);
  DeclareLocals(signature);
  if (term.items[0]) Predicate(*term.items[0]);
  const TypePtr tuple = Characteristic(signature);
  const TypePtr body = term.items[1] ? Expression(*term.items[1]) : tuple;
  if (term.kind == TermKind::kComprehension) return Power(body);
  if (term.kind == TermKind::kLambda) return Power(Product({tuple, body}));
  return body;
}

// Elements that must share one type: a set's, a sequence's, a bag's.
TypePtr Checker::Elements(const Term& term) {
  const TypePtr element = unifier_.Fresh();
  for (const TermPtr& item : term.items) {
    const TypePtr type = Expression(*item);
    if (!unifier_.Unify(element, type))
      Report(item->begin, "the elements of `" + Source(term) + "` differ: `" + Source(*item) + "` is `" + Show(type) +
                              "`, the ones before are `" + Show(element) + "`");
  }
  return element;
}

TypePtr Checker::Expression(const Term& term) {
  switch (term.kind) {
    case TermKind::kNumber:
      return Number();
    case TermKind::kName:
      return NameType(term);
    case TermKind::kTuple: {
      std::vector<TypePtr> factors;
      for (const TermPtr& item : term.items) factors.push_back(Expression(*item));
      return Product(std::move(factors));
    }
    case TermKind::kSetExtension:
      return Power(Elements(term));
    case TermKind::kSequence:
      return Power(Product({Number(), Elements(term)}));
    case TermKind::kBag:
      return Power(Product({Elements(term), Number()}));
    case TermKind::kComprehension:
    case TermKind::kLambda:
    case TermKind::kMu:
      return Binder(term);
    case TermKind::kLet: {
      LocalFrame frame(scope_);
      for (const Declaration& definition : term.declarations)
        scope_.Declare(definition.names[0].text, {Expression(*definition.expression), {}, false});
      return Expression(*term.items[0]);
    }
    case TermKind::kIf: {
      Predicate(*term.items[0]);
      const TypePtr then = Expression(*term.items[1]);
      const TypePtr otherwise = Expression(*term.items[2]);
      if (!unifier_.Unify(then, otherwise))
        Report(term.items[2]->begin, "the branches of `\\IF` differ: `" + Source(*term.items[1]) + "` is `" +
                                         Show(then) + "`, `" + Source(*term.items[2]) + "` is `" + Show(otherwise) + "`");
      return then;
    }
    case TermKind::kPower:
      return Power(Power(Element(*term.items[0], Expression(*term.items[0]), "`\\power`")));
    case TermKind::kCross: {
      std::vector<TypePtr> factors;
      for (const TermPtr& item : term.items) factors.push_back(Element(*item, Expression(*item), "`\\cross`"));
      return Power(Product(std::move(factors)));
    }
    case TermKind::kApply:
      return Apply(Source(*term.items[0]), *term.items[0], Expression(*term.items[0]), *term.items[1],
                   Expression(*term.items[1]));
    case TermKind::kInfix: {
      const TypePtr left = Expression(*term.items[0]);
      const TypePtr right = Expression(*term.items[1]);
      return Operator(term.word, *term.items[0], left, *term.items[1], right, false);
    }
    case TermKind::kGeneric: {
      const Definition* definition = scope_.Find(term.word);
      if (!definition) {
        Report(term.begin, "`" + term.word + "` is not declared");
        return unifier_.Fresh();
      }
      if (definition->parameters.empty()) {
        Report(term.begin, "`" + term.word + "` is not generic");
        return unifier_.Fresh();
      }
      return Instantiate(term.word, *definition, term.items, term);
    }
    case TermKind::kPostfix: {
      const Definition* definition = scope_.Find(term.word);
      if (!definition) {
        Report(term.begin, "`" + term.word + "` is not declared");
        return unifier_.Fresh();
      }
      return Apply(term.word, term, Instantiate(term.word, *definition, {}, term), *term.items[0],
                   Expression(*term.items[0]));
    }
    case TermKind::kIterate: {
      const TypePtr relation = Expression(*term.items[0]);
      const TypePtr element = unifier_.Fresh();
      if (!unifier_.Unify(relation, Power(Product({element, element}))))
        Report(term.items[0]->begin, "an iteration needs a relation on one set, `" + Source(*term.items[0]) +
                                         "` is `" + Show(relation) + "`");
      const TypePtr count = Expression(*term.items[1]);
      if (!unifier_.Unify(count, Number()))
        Report(term.items[1]->begin, "an iteration needs a number, `" + Source(*term.items[1]) + "` is `" +
                                         Show(count) + "`");
      return relation;
    }
    case TermKind::kImage: {
      const TypePtr from = unifier_.Fresh();
      const TypePtr to = unifier_.Fresh();
      const TypePtr relation = Expression(*term.items[0]);
      if (!unifier_.Unify(relation, Power(Product({from, to}))))
        Report(term.items[0]->begin, "`\\limg \\rimg` needs a relation on its left, `" + Source(*term.items[0]) +
                                         "` is `" + Show(relation) + "`");
      const TypePtr set = Expression(*term.items[1]);
      if (!unifier_.Unify(set, Power(from)))
        Report(term.items[1]->begin, "`\\limg \\rimg` needs `" + Show(Power(from)) + "` inside, `" +
                                         Source(*term.items[1]) + "` is `" + Show(set) + "`");
      return Power(to);
    }
    case TermKind::kSelect: {
      const TypePtr type = Expression(*term.items[0]);
      const TypePtr top = unifier_.Shallow(type);
      if (top->kind == TypeKind::kVariable) return unifier_.Fresh();
      if (top->kind == TypeKind::kSchema && top->fields.contains(term.word)) return top->fields.at(term.word);
      if (top->kind == TypeKind::kProduct && term.word.size() < 4 && std::isdigit(static_cast<unsigned char>(term.word[0]))) {
        const std::size_t index = std::stoul(term.word);
        if (index >= 1 && index <= top->items.size()) return top->items[index - 1];
      }
      Report(term.begin, "`" + Source(*term.items[0]) + "` is `" + Show(type) + "`, which has no component `" +
                             term.word + "`");
      return unifier_.Fresh();
    }
    case TermKind::kTheta: {
      const Term& reference = *term.items[0];
      Fields fields;
      std::string decoration;
      if (reference.kind != TermKind::kName ||
          !SchemaReference(reference.word, reference.items, reference, fields, decoration)) {
        Report(reference.begin, "`\\theta` needs a schema, `" + Source(reference) + "` is none");
        return unifier_.Fresh();
      }
      ComponentsInScope(term, Decorate(fields, decoration));
      return Schema(fields);
    }
    case TermKind::kPre:
    case TermKind::kDelta:
    case TermKind::kXi:
    case TermKind::kCompose:
    case TermKind::kPipe:
    case TermKind::kProject:
    case TermKind::kHide:
    case TermKind::kRename:
    case TermKind::kSchemaText:
      return Power(Schema(SchemaExpression(term)));
    default:
      Predicate(term);
      Report(term.begin, "`" + Source(term) + "` is a predicate, not an expression");
      return unifier_.Fresh();
  }
}

}  // namespace tarn::ztypes
