// ZParser: reads classes of the model host into the Z model, and turns the
// "Retrieve" and "Properties" texts into predicate lines and theorems.
#pragma once

#include <string>

#include "host/host.hpp"
#include "zmodel/zmodel.hpp"

namespace tarn::parser {

class ZParser {
 public:
  zmodel::ZSchema ParseClass(const host::Class& roseClass) const;
  void ParseAbstractClass(zmodel::ZRCClass& check, const host::Class& roseClass) const;
  void ParseConcreteClass(zmodel::ZRCClass& check, const host::Class& roseClass) const;

  // Sets Retrieve to the lines of the retrieve text.
  void ParseRetrieve(zmodel::ZRCClass& check, const std::string& text) const;
  // Appends one theorem per property; raises 1008 (no line) or 1009 (the
  // first line is not a "%" header) before appending anything.
  void ParseProperties(zmodel::ZPCClass& check, const std::string& text) const;

  // The line rule, into a 16-bit collection.
  static zmodel::Collection<std::string> SplitLines(const std::string& text);

 private:
  zmodel::Schema ParseStateSchema(const host::Class& roseClass) const;
  zmodel::Schema ParseInitSchema(const host::Class& roseClass) const;
  zmodel::Collection<zmodel::Schema> ParseOperationSchemas(const host::Class& roseClass) const;
  zmodel::Schema ParseOperationSchema(const host::Operation& operation) const;
  zmodel::Collection<zmodel::Declaration> ParseAttributeDeclarations(const host::Class& roseClass) const;
  zmodel::Collection<zmodel::Declaration> ParseParameterDeclarations(const host::Operation& operation) const;
  zmodel::Collection<std::string> ParseInvariants(const host::Class& roseClass) const;
  zmodel::Collection<std::string> ParsePreConditions(const host::Operation& operation) const;
  zmodel::Collection<std::string> ParsePostConditions(const host::Operation& operation) const;
};

}  // namespace tarn::parser
