#include "cli/item_names.hpp"

#include <algorithm>

namespace tarn::cli {

ItemNames::ItemNames(const host::MemoryModel& model)
    : model_(model),
      codePage_(modelfile::text::CodePage::Open(model.encoding)),
      keepsAscii_(codePage_ != nullptr && codePage_->KeepsAscii()) {}

std::string ItemNames::Utf8(const std::string& text) const {
  if (codePage_ == nullptr) return text;
  // Most names are ASCII, which such a code page writes as UTF-8 does.
  if (keepsAscii_ && std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; })) return text;
  auto converted = codePage_->ToUtf8(text);
  return converted.Succeeded() ? std::move(converted.bytes) : text;
}

std::string ItemNames::Quoted(const std::string& text) const {
  std::string quoted = "\"";
  quoted.append(Utf8(text)).append("\"");
  return quoted;
}

std::string ItemNames::PackagePrefix(const std::string& package) const {
  return Utf8(model_.root.name) + "::" + (package.empty() ? "" : Utf8(package) + "::");
}

// Ids are kept as the model file gives them, not in its code page.
std::string ItemNames::Qualified(const host::MemoryClass& item) const {
  return PackagePrefix(item.package) + (item.name.empty() ? "(" + item.id + ")" : Utf8(item.name));
}

std::string ItemNames::Qualified(const host::MemoryAssociation& item) const {
  return PackagePrefix(item.package) + (item.name.empty() ? Unnamed(item) : Utf8(item.name));
}

// An unnamed association by the classes at its roles, "(Room–Guest)"; by its
// id when they cannot be named.
std::string ItemNames::Unnamed(const host::MemoryAssociation& item) const {
  const host::MemoryClass* first = item.first.supplier;
  const host::MemoryClass* second = item.second.supplier;
  if (!item.unavailable.empty() || first == nullptr || second == nullptr || !first->unavailable.empty() ||
      !second->unavailable.empty())
    return "(" + item.id + ")";
  return "(" + Utf8(first->name) + "\u2013" + Utf8(second->name) + ")";
}

std::string ItemNames::Qualified(const host::MemoryClassDiagram& item) const {
  return PackagePrefix(item.package) + Utf8(item.name);
}

std::string ItemNames::Describe(const host::MemoryClass& item) const { return "class " + Quoted(item.name); }

std::string ItemNames::Describe(const host::MemoryAssociation& item) const {
  if (!item.name.empty()) return "association " + Quoted(item.name);
  const std::string between = Unnamed(item);
  return "association " + (between == "(" + item.id + ")" ? "\"" + item.id + "\"" : between + " (id " + item.id + ")");
}

}  // namespace tarn::cli
