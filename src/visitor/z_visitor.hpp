// ZVisitor: completes a parsed Z model with its given sets and, for a
// refinement check, the proof obligations.
#pragma once

#include <string>

#include "zmodel/zmodel.hpp"

namespace tarn::visitor {

class ZVisitor {
 public:
  // Replaces GivenSets by the given-set names of the class's declarations.
  void VisitPC(zmodel::ZPCClass& check) const;
  // Appends InitTheorem and each operation's ApplTheorem and CorrTheorem,
  // then replaces GivenSets by the names of both classes. Raises 1004 when
  // the operations do not pair up by name, 1005 for an empty type.
  void VisitRC(zmodel::ZRCClass& check) const;

  // Appends the type text of every declaration; raises 1005 on an empty one.
  void GetGivenSetsSchema(zmodel::Collection<std::string>& givenSets, const zmodel::Schema& schema) const;
  // The given-set names of a collection of type texts, in order of first
  // occurrence: the Z names left once the Z type operators, brackets and
  // commas are removed.
  zmodel::Collection<std::string> CreateGivenSets(const zmodel::Collection<std::string>& givenSets) const;

 private:
  void CreateInitTheorem(zmodel::Collection<zmodel::Theorem>& theorems, const std::string& abstractDecoration,
                         const std::string& concreteDecoration) const;
  void CreateOperationTheorems(zmodel::Collection<zmodel::Theorem>& theorems, const zmodel::Schema& operation) const;
  zmodel::Collection<std::string> CollectGivenSetNames(const std::string& text) const;
};

}  // namespace tarn::visitor
