// How the command line names the items of a loaded model: in UTF-8 (the
// model's texts are in its code page), qualified by their packages.
#pragma once

#include <memory>
#include <string>

#include "host/memory_host.hpp"
#include "modelfile/text/code_page.hpp"

namespace tarn::cli {

class ItemNames {
 public:
  explicit ItemNames(const host::MemoryModel& model);

  // A text of the model in UTF-8; unchanged when it does not convert.
  std::string Utf8(const std::string& text) const;
  // The text in UTF-8 within double quotes.
  std::string Quoted(const std::string& text) const;
  // "Logical View::Package::Name"; an unnamed class shows its id in
  // brackets, an unnamed association the classes at its roles, "(A–B)".
  std::string Qualified(const host::MemoryClass& item) const;
  std::string Qualified(const host::MemoryAssociation& item) const;
  std::string Qualified(const host::MemoryClassDiagram& item) const;
  // `class "Name"`, `association "Name"`; an unnamed association by the
  // classes at its roles and its id.
  std::string Describe(const host::MemoryClass& item) const;
  std::string Describe(const host::MemoryAssociation& item) const;

 private:
  std::string PackagePrefix(const std::string& package) const;
  std::string Unnamed(const host::MemoryAssociation& item) const;

  const host::MemoryModel& model_;
  std::unique_ptr<modelfile::text::CodePage> codePage_;
  bool keepsAscii_;  // ASCII text is the same in UTF-8
};

}  // namespace tarn::cli
