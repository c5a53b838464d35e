// The types of Z: given types, power sets, Cartesian products, schema
// (binding) types, and the type variables that stand for a generic
// parameter until unification decides it. Types are shared and never
// changed; a Unifier records what its variables stand for.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tarn::ztypes {

struct Type;
using TypePtr = std::shared_ptr<const Type>;

enum class TypeKind { kGiven, kPower, kProduct, kSchema, kVariable };

// A schema type's components, sorted by name.
using Fields = std::map<std::string, TypePtr>;

struct Type {
  TypeKind kind = TypeKind::kGiven;
  std::string name{};          // a given type's name; `?` for a variable
  std::vector<TypePtr> items{};  // the element type of a power set; a product's factors
  Fields fields{};             // a schema type's components
  int variable = 0;            // a variable's number
  std::size_t size = 1;        // nodes in the type written out as a tree
};

// The largest type the checker builds (in nodes written out as a tree).
// Abbreviations that pair their predecessors double at each step; past
// this size a text is refused instead of being worked on for ever.
inline constexpr std::size_t kMaxTypeSize = 4096;

struct TypeTooLarge : std::runtime_error {
  TypeTooLarge() : std::runtime_error("a type larger than 4096 nodes") {}
};

// The one number type, `\num`.
inline constexpr const char* kNumberType = "\\num";

TypePtr Given(std::string name);
TypePtr Power(TypePtr element);
TypePtr Product(std::vector<TypePtr> factors);
TypePtr Schema(Fields fields);
TypePtr Number();

// Types printed in LaTeX Z: `\power (\num \cross X)`, `[a: \num; b: NAME]`.
std::string ToLatex(const TypePtr& type);

// The variables of one document and what unification has bound them to.
class Unifier {
 public:
  // A fresh variable, printed `?` while it is not bound: an instance of a
  // generic parameter that nothing has decided yet.
  TypePtr Fresh();
  // Makes the two types equal by binding variables; false (nothing bound
  // that would not have been bound anyway) when they cannot be.
  bool Unify(const TypePtr& left, const TypePtr& right);
  // The type with every bound variable replaced by what it stands for.
  TypePtr Resolve(const TypePtr& type) const;
  // Follows the bindings of a variable at the top only.
  TypePtr Shallow(TypePtr type) const;

 private:
  bool Occurs(int variable, const TypePtr& type) const;
  std::vector<TypePtr> bindings_;  // by variable number - 1; null while free
};

// The type with the given types named in `parameters` replaced by the types
// given for them (a generic definition's instantiation).
TypePtr Substitute(const TypePtr& type, const std::map<std::string, TypePtr>& parameters);

}  // namespace tarn::ztypes
