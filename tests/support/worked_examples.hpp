// Models of the two Z/EVES worked examples, built in the in-memory host the
// way a model file would fill it (multi-line texts with CR LF).
#pragma once

#include <fstream>
#include <sstream>
#include <string>

#include "host/memory_host.hpp"

namespace tarn::testing {

inline host::MemoryAttribute Attribute(std::string name, std::string type, std::string initial = "") {
  host::MemoryAttribute attribute;
  attribute.name = std::move(name);
  attribute.type = std::move(type);
  attribute.initial = std::move(initial);
  return attribute;
}

inline host::MemoryParameter Parameter(std::string name, std::string type) {
  host::MemoryParameter parameter;
  parameter.name = std::move(name);
  parameter.type = std::move(type);
  return parameter;
}

inline host::MemoryOperation Operation(std::string name, std::string pre, std::string post) {
  host::MemoryOperation operation;
  operation.name = std::move(name);
  operation.pre = std::move(pre);
  operation.post = std::move(post);
  return operation;
}

// The register class Reg with its property Bounded; selected when `select`.
inline host::MemoryClass& AddRegClass(host::MemoryModel& model) {
  auto& reg = model.classes.emplace_back();
  reg.id = reg.name = "Reg";
  reg.attributes.push_back(Attribute("names", "\\power NAME", "\\emptyset"));
  reg.attributes.push_back(Attribute("max", "\\nat"));
  reg.tags.Set("Invariant", "\\# names \\leq max");
  reg.tags.Set("Properties", "%Bounded\r\nReg \\implies \\# names \\leq max");

  auto& add = reg.operations.emplace_back(
      Operation("Add", "n? \\notin names", "names' = names \\cup \\{n?\\}\r\nmax' = max"));
  add.parameters.push_back(Parameter("n", "NAME"));
  auto& size = reg.operations.emplace_back(Operation("Size", "", "result! = \\# names"));
  size.result = "\\nat";
  size.tags.Set("isQuery", "True");
  reg.operations.push_back(Operation("Clear", "", "names' = \\emptyset\r\nmax' = max"));
  auto& full = reg.operations.emplace_back(Operation("Full", "", "Add \\semi Clear"));
  full.tags.Set("isDefinition", "True");
  return reg;
}

// The abstract and concrete buffers, linked by the refine association.
inline host::MemoryAssociation& AddBufRefinement(host::MemoryModel& model) {
  auto& abstractBuf = model.classes.emplace_back();
  abstractBuf.id = "BufAbstract";
  abstractBuf.name = "Buf";
  abstractBuf.attributes.push_back(Attribute("items", "\\seq X", "\\langle \\rangle"));
  auto& put = abstractBuf.operations.emplace_back(
      Operation("Put", "", "items' = items \\cat \\langle x? \\rangle"));
  put.parameters.push_back(Parameter("x", "X"));

  auto& concreteBuf = model.classes.emplace_back();
  concreteBuf.id = "BufConcrete";
  concreteBuf.name = "Buf";
  concreteBuf.attributes.push_back(Attribute("arr", "\\nat \\fun X"));
  concreteBuf.attributes.push_back(Attribute("n", "\\nat", "0"));
  auto& putC = concreteBuf.operations.emplace_back(
      Operation("Put", "", "arr' = arr \\oplus \\{n + 1 \\mapsto x?\\}\r\nn' = n + 1"));
  putC.parameters.push_back(Parameter("x", "X"));

  auto& refines = model.associations.emplace_back();
  refines.id = "refines";
  refines.first.supplier = &abstractBuf;
  refines.second.supplier = &concreteBuf;
  refines.tags.Set("Retrieve", "\\# items = n\r\nitems = (1 \\upto n) \\dres arr");
  return refines;
}

inline std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

inline std::string Golden(const std::string& name) { return ReadFileBytes(std::string(TARN_GOLDEN_DIR) + "/" + name); }

}  // namespace tarn::testing
