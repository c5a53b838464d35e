// Building, printing and unifying types.
#include "ztypes/types.hpp"

namespace tarn::ztypes {
namespace {

TypePtr Make(Type type) {
  for (const auto& item : type.items) type.size += item->size;
  for (const auto& [name, field] : type.fields) type.size += field->size;
  if (type.size > kMaxTypeSize) throw TypeTooLarge();
  return std::make_shared<const Type>(std::move(type));
}

// Precedence of a printed type: products inside products and power sets
// are bracketed.
std::string Print(const TypePtr& type, bool bracket) {
  switch (type->kind) {
    case TypeKind::kGiven:
    case TypeKind::kVariable:
      return type->name;
    case TypeKind::kPower:
      return "\\power " + Print(type->items[0], true);
    case TypeKind::kProduct: {
      std::string text;
      for (const auto& factor : type->items)
        text += (text.empty() ? "" : " \\cross ") + Print(factor, true);
      return bracket ? "(" + text + ")" : text;
    }
    case TypeKind::kSchema: {
      std::string text;
      for (const auto& [name, field] : type->fields)
        text += (text.empty() ? "" : "; ") + name + ": " + Print(field, false);
      return "[" + text + "]";
    }
  }
  return {};
}

}  // namespace

TypePtr Given(std::string name) { return Make({.kind = TypeKind::kGiven, .name = std::move(name)}); }

TypePtr Power(TypePtr element) { return Make({.kind = TypeKind::kPower, .items = {std::move(element)}}); }

TypePtr Product(std::vector<TypePtr> factors) {
  return Make({.kind = TypeKind::kProduct, .items = std::move(factors)});
}

TypePtr Schema(Fields fields) { return Make({.kind = TypeKind::kSchema, .fields = std::move(fields)}); }

TypePtr Number() { return Given(kNumberType); }

std::string ToLatex(const TypePtr& type) { return Print(type, false); }

TypePtr Unifier::Fresh() {
  bindings_.push_back(nullptr);
  return Make({.kind = TypeKind::kVariable, .name = "?", .variable = static_cast<int>(bindings_.size())});
}

TypePtr Unifier::Shallow(TypePtr type) const {
  while (type->kind == TypeKind::kVariable && bindings_[type->variable - 1])
    type = bindings_[type->variable - 1];
  return type;
}

bool Unifier::Occurs(int variable, const TypePtr& type) const {
  const TypePtr top = Shallow(type);
  if (top->kind == TypeKind::kVariable) return top->variable == variable;
  for (const auto& item : top->items)
    if (Occurs(variable, item)) return true;
  for (const auto& [name, field] : top->fields)
    if (Occurs(variable, field)) return true;
  return false;
}

bool Unifier::Unify(const TypePtr& left, const TypePtr& right) {
  const TypePtr a = Shallow(left);
  const TypePtr b = Shallow(right);
  if (a == b) return true;
  if (a->kind == TypeKind::kVariable || b->kind == TypeKind::kVariable) {
    const TypePtr& variable = a->kind == TypeKind::kVariable ? a : b;
    const TypePtr& other = a->kind == TypeKind::kVariable ? b : a;
    if (other->kind == TypeKind::kVariable && other->variable == variable->variable) return true;
    if (Occurs(variable->variable, other)) return false;
    bindings_[variable->variable - 1] = other;
    return true;
  }
  if (a->kind != b->kind) return false;
  switch (a->kind) {
    case TypeKind::kGiven:
      return a->name == b->name;
    case TypeKind::kPower:
    case TypeKind::kProduct:
      if (a->items.size() != b->items.size()) return false;
      for (std::size_t i = 0; i < a->items.size(); ++i)
        if (!Unify(a->items[i], b->items[i])) return false;
      return true;
    case TypeKind::kSchema: {
      if (a->fields.size() != b->fields.size()) return false;
      for (auto i = a->fields.begin(), j = b->fields.begin(); i != a->fields.end(); ++i, ++j)
        if (i->first != j->first || !Unify(i->second, j->second)) return false;
      return true;
    }
    case TypeKind::kVariable:
      break;
  }
  return false;
}

// A type in which nothing is bound is given back as it is, not made again:
// most types of a document hold no variable, and a check resolves them often.
TypePtr Unifier::Resolve(const TypePtr& type) const {
  const TypePtr top = Shallow(type);
  switch (top->kind) {
    case TypeKind::kGiven:
    case TypeKind::kVariable:
      return top;
    case TypeKind::kPower: {
      TypePtr element = Resolve(top->items[0]);
      return element == top->items[0] ? top : Power(std::move(element));
    }
    case TypeKind::kProduct: {
      std::vector<TypePtr> factors;
      bool changed = false;
      for (const auto& factor : top->items) {
        factors.push_back(Resolve(factor));
        changed = changed || factors.back() != factor;
      }
      return changed ? Product(std::move(factors)) : top;
    }
    case TypeKind::kSchema: {
      Fields fields;
      bool changed = false;
      for (const auto& [name, field] : top->fields) {
        const TypePtr resolved = Resolve(field);
        changed = changed || resolved != field;
        fields.emplace(name, resolved);
      }
      return changed ? Schema(std::move(fields)) : top;
    }
  }
  return top;
}

TypePtr Substitute(const TypePtr& type, const std::map<std::string, TypePtr>& parameters) {
  switch (type->kind) {
    case TypeKind::kGiven: {
      const auto found = parameters.find(type->name);
      return found == parameters.end() ? type : found->second;
    }
    case TypeKind::kVariable:
      return type;
    case TypeKind::kPower:
      return Power(Substitute(type->items[0], parameters));
    case TypeKind::kProduct: {
      std::vector<TypePtr> factors;
      for (const auto& factor : type->items) factors.push_back(Substitute(factor, parameters));
      return Product(std::move(factors));
    }
    case TypeKind::kSchema: {
      Fields fields;
      for (const auto& [name, field] : type->fields) fields.emplace(name, Substitute(field, parameters));
      return Schema(std::move(fields));
    }
  }
  return type;
}

}  // namespace tarn::ztypes
