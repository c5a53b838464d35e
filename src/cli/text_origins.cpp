#include "cli/text_origins.hpp"

#include "common/line_rule.hpp"

namespace tarn::cli {
namespace {

// The line as it is compared: without its blanks, and without the "\\" that
// ends every line of a schema but its last.
std::string Key(std::string_view line) {
  std::string key;
  for (const char c : line)
    if (c != ' ' && c != '\t') key += c;
  if (key.ends_with("\\\\")) key.resize(key.size() - 2);
  return key;
}

}  // namespace

void TextOrigins::AddLine(std::string_view line, TextOrigin origin) {
  origin.text = line;
  byLine_.try_emplace(Key(line), std::move(origin));
}

void TextOrigins::AddText(const host::Place& place, const std::string& what, std::string_view text) {
  ForEachNumberedLine(text, [&](std::string_view line, std::size_t number) {
    AddLine(line, {place, what, number, {}});
  });
}

void TextOrigins::AddClass(const host::MemoryClass& c) {
  const std::string of = " of " + names_.Describe(c);
  for (const auto& a : c.attributes) {
    const std::string attribute = "attribute " + names_.Quoted(a.name) + of;
    AddLine(a.name + ": " + a.type, {a.place, "the declaration of " + attribute, 0, {}});
    if (!TrimView(a.initial).empty())
      AddLine(a.name + "' = " + Trim(a.initial), {a.place, "the initial value of " + attribute, 1, {}});
  }
  AddText(c.place, "the Invariant" + of, c.tags.Find(host::kTool, "Invariant"));
  for (const auto& o : c.operations) {
    const std::string operation = "operation " + names_.Quoted(o.name) + of;
    for (const auto& p : o.parameters)
      AddLine(p.name + "?: " + p.type,
              {p.place, "the declaration of parameter " + names_.Quoted(p.name) + " of " + operation, 0, {}});
    if (!o.result.empty()) AddLine("result!: " + o.result, {o.place, "the return type of " + operation, 0, {}});
    AddText(o.place, "the precondition of " + operation, o.pre);
    AddText(o.place, "the postcondition of " + operation, o.post);
    if (o.tags.Find(host::kTool, "isDefinition") == "True")
      AddLine(o.name + " \\defs " + Trim(o.post), {o.place, "the postcondition of " + operation, 1, {}});
  }
  AddText(c.place, "the Properties" + of, c.tags.Find(host::kTool, "Properties"));
}

void TextOrigins::AddRetrieve(const host::MemoryAssociation& a) {
  AddText(a.place, "the Retrieve of " + names_.Describe(a), a.tags.Find(host::kTool, "Retrieve"));
}

const TextOrigin* TextOrigins::Find(std::string_view documentLine) const {
  const auto found = byLine_.find(Key(documentLine));
  return found == byLine_.end() ? nullptr : &found->second;
}

}  // namespace tarn::cli
