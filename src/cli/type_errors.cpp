#include "cli/type_errors.hpp"

#include <algorithm>

#include "common/line_rule.hpp"
#include "cli/z_text_warnings.hpp"
#include "ztypes/type_checker.hpp"

namespace tarn::cli {
namespace {

std::vector<std::string_view> DocumentLines(std::string_view document) {
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start <= document.size();) {
    auto end = document.find('\n', start);
    if (end == std::string_view::npos) end = document.size();
    std::string_view line = document.substr(start, end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// The line `number` of the document as a note quotes it: trimmed, without
// the "\\" that ends a schema's line.
std::string_view LineOf(const std::vector<std::string_view>& lines, int number) {
  if (number < 1 || static_cast<std::size_t>(number) > lines.size()) return {};
  std::string_view line = TrimView(lines[number - 1]);
  if (line.ends_with("\\\\")) line = TrimView(line.substr(0, line.size() - 2));
  return line;
}

// The names the message quotes, `like this`.
std::vector<std::string> QuotedNames(const std::string& message) {
  std::vector<std::string> names;
  for (std::size_t open = message.find('`'); open != std::string::npos; open = message.find('`', open + 1)) {
    const auto close = message.find('`', open + 1);
    if (close == std::string::npos) break;
    names.push_back(message.substr(open + 1, close - open - 1));
    open = close;
  }
  return names;
}

// The state component of `classes` that the message names and that the Z
// toolkit defines as well: in a proof obligation, where Tarn's schemas are
// used as predicates, the name then means the toolkit's.
const host::MemoryAttribute* CapturedComponent(const std::string& message,
                                               const std::vector<const host::MemoryClass*>& classes) {
  for (const auto& name : QuotedNames(message)) {
    if (!IsZToolkitName(name)) continue;
    for (const auto* c : classes)
      for (const auto& a : c->attributes)
        if (a.name == name) return &a;
  }
  return nullptr;
}

// For "`n` is not declared" where `n` is a parameter of an operation of
// `classes`, or `result` where one has a return type: how the document
// declares it (the input n?, the output result!); "" otherwise.
std::string DeclaredAs(const std::string& message, const std::vector<const host::MemoryClass*>& classes,
                       const ItemNames& names) {
  const auto quoted = QuotedNames(message);
  if (quoted.size() != 1 || message != "`" + quoted.front() + "` is not declared") return {};
  const std::string& name = quoted.front();
  for (const auto* c : classes)
    for (const auto& o : c->operations) {
      if (name == "result" && !o.result.empty())
        return "the document declares the return value of operation " + names.Quoted(o.name) +
               " as the output result!: write it so";
      for (const auto& p : o.parameters)
        if (p.name == name)
          return "the document declares the parameter " + names.Quoted(p.name) + " as the input " +
                 names.Utf8(p.name) + "?: write it so";
    }
  return {};
}

}  // namespace

std::vector<Diagnostic> ModelTypeErrors(const std::string& document, const TextOrigins& origins,
                                        const host::MemoryModel& model,
                                        const std::vector<const host::MemoryClass*>& classes, const Note& about) {
  const ItemNames names(model);
  const auto lines = DocumentLines(document);
  std::vector<Diagnostic> diagnostics;
  std::vector<const host::MemoryAttribute*> captured;  // told once each
  for (const auto& error : ztypes::CheckDocument(document)) {
    const std::string_view line = LineOf(lines, error.line);
    const auto* component = CapturedComponent(error.message, classes);
    if (component != nullptr && std::find(captured.begin(), captured.end(), component) != captured.end()) continue;
    std::string quoted = "`";
    quoted += names.Utf8(std::string(line));
    quoted += '`';
    Diagnostic diagnostic{Diagnostic::Severity::kError, about.at, names.Utf8(error.message), 0, {}};
    if (const auto* origin = origins.Find(line)) {
      diagnostic.at = LocationOf(model, origin->place);
      diagnostic.notes.push_back({std::nullopt, "in " + origin->what +
                                                    (origin->line > 0 ? ", line " + std::to_string(origin->line) : "") +
                                                    ": `" + names.Utf8(origin->text) + "`"});
    } else {
      diagnostic.notes.push_back({std::nullopt, "in " + error.paragraph + " of the document Tarn writes: " + quoted});
    }
    if (component != nullptr) {
      captured.push_back(component);
      diagnostic.notes.insert(diagnostic.notes.begin(), {std::nullopt, diagnostic.message});
      diagnostic.at = LocationOf(model, component->place);
      diagnostic.message = "attribute " + names.Quoted(component->name) + " is taken for the Z toolkit's " +
                           component->name + " where the document's theorems use the state: rename the attribute";
    }
    if (const auto declared = DeclaredAs(error.message, classes, names); !declared.empty())
      diagnostic.notes.push_back({std::nullopt, declared});
    diagnostic.notes.push_back(about);
    diagnostics.push_back(std::move(diagnostic));
  }
  return diagnostics;
}

std::vector<Diagnostic> DocumentTypeErrors(const std::string& path, const std::string& document) {
  const auto lines = DocumentLines(document);
  std::vector<Diagnostic> diagnostics;
  for (const auto& error : ztypes::CheckDocument(document)) {
    Diagnostic diagnostic{Diagnostic::Severity::kError,
                          Location{path, static_cast<std::uint32_t>(error.line),
                                   static_cast<std::uint32_t>(error.column)},
                          error.message,
                          0,
                          {{std::nullopt, "in " + error.paragraph + ": `" + std::string(LineOf(lines, error.line)) + "`"}}};
    diagnostics.push_back(std::move(diagnostic));
  }
  return diagnostics;
}

}  // namespace tarn::cli
