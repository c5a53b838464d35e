// Where the lines of a Z/EVES document came from: the Z/EVES commands copy
// the model's texts (types, initial values, conditions, Invariant,
// Properties, Retrieve) into the document line by line, so a line of the
// document is found again among the lines of the texts it was made from. A
// type error in the document is then told at the model element and the line
// of its text where the user typed it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

#include "cli/item_names.hpp"
#include "host/memory_host.hpp"

namespace tarn::cli {

struct TextOrigin {
  host::Place place;  // of the element that holds the text
  std::string what;   // "the postcondition of operation \"Add\" of class \"Reg\""
  std::size_t line = 0;  // in the text, from 1; 0 for a line made of several texts (a declaration)
  std::string text;      // the line as the model holds it, trimmed
};

class TextOrigins {
 public:
  explicit TextOrigins(const ItemNames& names) : names_(names) {}

  // The texts of a class that its state, initialisation and operation
  // schemas are made of, and its Properties.
  void AddClass(const host::MemoryClass& c);
  // The Retrieve of an association.
  void AddRetrieve(const host::MemoryAssociation& a);

  // Where the document line came from; null for a line Tarn made itself (a
  // schema's inclusion of another, a proof obligation).
  const TextOrigin* Find(std::string_view documentLine) const;

 private:
  // Each line of `text` as the line rule cuts it, numbered as the user sees
  // the text.
  void AddText(const host::Place& place, const std::string& what, std::string_view text);
  void AddLine(std::string_view line, TextOrigin origin);

  const ItemNames& names_;
  // By the line without its blanks and its closing "\\"; the first origin
  // of a line wins.
  std::unordered_map<std::string, TextOrigin> byLine_;
};

}  // namespace tarn::cli
