// ZGenerator: writes a visited Z model as a Z/EVES document (LaTeX, CR LF
// line ends). The whole text is built before the file is touched, so an
// error leaves any previous file as it was.
#pragma once

#include <string>

#include "zmodel/zmodel.hpp"

namespace tarn::zeves {

class ZGenerator {
 public:
  // Markup of the document. Every generate call resets them to their
  // defaults first, so what a caller assigns never reaches a file.
  std::string documentClass;
  std::string usePackageZEves;
  std::string usePackageInputEnc;
  std::string beginDocument;
  std::string endDocument;
  std::string beginTheorem;
  std::string endTheorem;
  std::string beginSchema;
  std::string endSchema;
  std::string beginZed;
  std::string endZed;
  std::string defs;

  void GenerateRCSpecification(const zmodel::ZRCClass& check, const std::string& fileName);
  void GeneratePCSpecification(const zmodel::ZPCClass& check, const std::string& fileName);

  // The documents as text; the generate calls write exactly this.
  std::string RCSpecificationText(const zmodel::ZRCClass& check);
  std::string PCSpecificationText(const zmodel::ZPCClass& check);

 private:
  void LoadMarkupDefaults();
  std::string Document(const std::string& givenSets, const std::string& body, const std::string& theorems) const;
  std::string GenerateGivenSets(const zmodel::Collection<std::string>& givenSets) const;
  std::string GenerateClass(const zmodel::ZSchema& schema, const std::string& decoration) const;
  std::string GenerateAbstractClass(const zmodel::ZSchema& schema) const;
  std::string GenerateConcreteClass(const zmodel::ZSchema& schema) const;
  std::string GenerateStateSchema(const zmodel::Schema& state, const std::string& decoration) const;
  std::string GenerateInitSchema(const zmodel::Schema& init, const std::string& className,
                                 const std::string& decoration) const;
  std::string GenerateOperationSchema(const zmodel::Schema& operation, const std::string& className,
                                      const std::string& decoration) const;
  std::string GenerateDeclarations(const zmodel::Schema& schema) const;
  std::string GenerateInvariants(const zmodel::Schema& schema) const;
  std::string GenerateConditions(const zmodel::Schema& schema) const;
  std::string GenerateRetrieve(const zmodel::Collection<std::string>& retrieve, const std::string& abstractName,
                               const std::string& concreteName) const;
  std::string GenerateTheorems(const zmodel::Collection<zmodel::Theorem>& theorems) const;
  std::string GenerateTheorem(const zmodel::Theorem& theorem) const;
};

}  // namespace tarn::zeves
