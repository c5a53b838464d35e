// Checks the paragraphs of Z texts one after the other: each text sees the
// definitions of the texts checked before it (the toolkit, then a document).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "ztypes/operators.hpp"
#include "ztypes/scope.hpp"
#include "ztypes/syntax.hpp"
#include "ztypes/type_checker.hpp"
#include "ztypes/types.hpp"

namespace tarn::ztypes {

// The components a schema text declares, and the types of its
// characteristic tuple in declaration order.
struct Signature {
  Fields fields;
  std::vector<TypePtr> tuple;
};

// The components with the decoration added to their names.
Fields Decorate(const Fields& fields, const std::string& decoration);

class Checker {
 public:
  // Checks the Z environments of a text; its definitions and operator
  // directives stay for the texts checked next.
  std::vector<TypeError> CheckText(std::string_view text);

 private:
  // A local frame for the time of one schema text, quantifier or paragraph.
  class LocalFrame {
   public:
    explicit LocalFrame(Scope& scope) : scope_(scope) { scope_.Open(); }
    ~LocalFrame() { scope_.Close(); }
    LocalFrame(const LocalFrame&) = delete;
    LocalFrame& operator=(const LocalFrame&) = delete;

   private:
    Scope& scope_;
  };

  // Paragraphs.
  void CheckParagraph(const Paragraph& paragraph);
  void OpenParameters(const std::vector<Word>& parameters);
  void DeclareGlobal(const std::string& name, const TypePtr& type, const std::vector<Word>& parameters,
                     bool schema = false);

  // Declarations and predicates.
  Signature Declarations(const std::vector<Declaration>& declarations);
  void DeclareLocals(const Signature& signature);
  void Predicate(const Term& term);
  void Relate(const std::string& op, const Term& left, const TypePtr& leftType, const Term& right,
              const TypePtr& rightType);
  void ComponentsInScope(const Term& term, const Fields& fields);

  // Expressions.
  TypePtr Expression(const Term& term);
  TypePtr NameType(const Term& term);
  // A definition's type with its generic parameters replaced by the
  // actuals' element types, or by fresh variables when there are none.
  TypePtr Instantiate(const std::string& name, const Definition& definition, const std::vector<TermPtr>& actuals,
                      const Term& where);
  TypePtr Apply(const std::string& function, const Term& where, const TypePtr& type, const Term& argument,
                const TypePtr& argumentType);
  // An infix function's result, or an infix relation's check (result unused).
  TypePtr Operator(const std::string& op, const Term& left, const TypePtr& leftType, const Term& right,
                   const TypePtr& rightType, bool relation);
  // The element type of a set; `what` names what needs the set in the message.
  TypePtr Element(const Term& term, const TypePtr& type, const std::string& what);
  TypePtr Elements(const Term& term);
  TypePtr Binder(const Term& term);
  TypePtr Characteristic(const Signature& signature);

  // Schema expressions.
  Fields SchemaExpression(const Term& term);
  // A name that is a schema, possibly decorated (`Reg'`): its undecorated
  // components and the decoration. False, with nothing reported, when the
  // name (or its undecorated base) is no schema.
  bool SchemaReference(const std::string& name, const std::vector<TermPtr>& actuals, const Term& where,
                       Fields& fields, std::string& decoration);
  void Merge(Fields& into, const Fields& from, const Term& where);

  // Messages.
  void Report(std::size_t offset, std::string message);
  std::string Source(const Term& term) const;
  std::string Show(const TypePtr& type) const;

  Operators operators_;
  Scope scope_;
  Unifier unifier_;
  std::string_view text_;
  std::string paragraph_;
  bool theorem_ = false;
  std::vector<TypeError> errors_;
};

}  // namespace tarn::ztypes
