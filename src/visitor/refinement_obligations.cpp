// The proof obligations of a refinement check, stated over the decorated
// schema names that the Z/EVES writer prints: InitA/InitC, NA/NC, Retrieve.
#include "visitor/z_visitor.hpp"

namespace tarn::visitor {

void ZVisitor::VisitRC(zmodel::ZRCClass& check) const {
  auto& theorems = check.Theorems;
  const auto& abstractClass = check.Abstract;
  const auto& concreteClass = check.Concrete;

  CreateInitTheorem(theorems, "A", "C");
  if (abstractClass.Schemas.Count() != concreteClass.Schemas.Count())
    throw Error(kOperationsDiffer, "The classes " + abstractClass.Name + " and " + concreteClass.Name +
                                       " have different numbers of operations.");
  for (const auto& operation : abstractClass.Schemas) {
    bool found = false;
    for (const auto& candidate : concreteClass.Schemas) {
      if (candidate.Name == operation.Name) {
        found = true;
        break;
      }
    }
    if (!found)
      throw Error(kOperationsDiffer, "The concrete class " + concreteClass.Name + " has no operation " +
                                         operation.Name + ".");
    CreateOperationTheorems(theorems, operation);
  }

  auto& givenSets = check.GivenSets;
  GetGivenSetsSchema(givenSets, abstractClass.StateSchema);
  GetGivenSetsSchema(givenSets, concreteClass.StateSchema);
  for (const auto& operation : abstractClass.Schemas) GetGivenSetsSchema(givenSets, operation);
  for (const auto& operation : concreteClass.Schemas) GetGivenSetsSchema(givenSets, operation);
  check.GivenSets = CreateGivenSets(givenSets);
}

void ZVisitor::CreateInitTheorem(zmodel::Collection<zmodel::Theorem>& theorems,
                                 const std::string& abstractDecoration,
                                 const std::string& concreteDecoration) const {
  // The Init schemas constrain the after state, so the retrieve relation
  // that links them is the primed one.
  zmodel::Theorem theorem;
  theorem.Name = "InitTheorem";
  theorem.Theorem.Add("Init" + concreteDecoration + " \\land Retrieve' \\implies Init" + abstractDecoration);
  theorems.Add(std::move(theorem));
}

void ZVisitor::CreateOperationTheorems(zmodel::Collection<zmodel::Theorem>& theorems,
                                       const zmodel::Schema& operation) const {
  const auto& name = operation.Name;
  zmodel::Theorem applicability;
  applicability.Name = name + "ApplTheorem";
  applicability.Theorem.Add("\\pre " + name + "A \\land Retrieve \\implies \\pre " + name + "C");
  theorems.Add(std::move(applicability));

  zmodel::Theorem correctness;
  correctness.Name = name + "CorrTheorem";
  correctness.Theorem.Add("\\pre " + name + "A \\land Retrieve \\land " + name + "C \\land Retrieve' \\implies " +
                          name + "A");
  theorems.Add(std::move(correctness));
}

}  // namespace tarn::visitor
