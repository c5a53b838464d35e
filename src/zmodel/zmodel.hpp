// The Z model of one check: plain records filled by the parser, completed by
// the visitor and read by the Z/EVES writer. Names are undecorated; the "A"
// and "C" of a refinement check are added only when obligations and schema
// names are written.
#pragma once

#include <string>

#include "zmodel/collection.hpp"

namespace tarn::zmodel {

// One declaration: an attribute name, a parameter name followed by "?", or
// "result!"; the type text exactly as typed (possibly empty).
struct Declaration {
  std::string Name;
  std::string ZType;

  bool operator==(const Declaration&) const = default;
};

// A state schema, an initialisation schema ("Init") or an operation schema.
struct Schema {
  std::string Name;
  Collection<Declaration> Declarations;
  Collection<std::string> PreConditions;
  Collection<std::string> PostConditions;
  Collection<std::string> Invariants;
  bool isDefinition = false;
  bool isQuery = false;

  bool operator==(const Schema&) const = default;
};

// One class of the model rendered as Z.
struct ZSchema {
  std::string Name;
  Schema StateSchema;
  Schema InitSchema;
  Collection<Schema> Schemas;

  bool operator==(const ZSchema&) const = default;
};

struct Theorem {
  std::string Name;
  Collection<std::string> Theorem;  // the predicate lines, in order

  bool operator==(const struct Theorem&) const = default;
};

// The property check of one class.
struct ZPCClass {
  ZSchema Schema;
  // Raw type texts during the visit; the given-set names after it.
  Collection<std::string> GivenSets;
  Collection<Theorem> Theorems;
};

// The refinement check of an abstract and a concrete class.
struct ZRCClass {
  ZSchema Abstract;
  ZSchema Concrete;
  Collection<std::string> GivenSets;
  Collection<std::string> Retrieve;
  Collection<Theorem> Theorems;
};

}  // namespace tarn::zmodel
