#include "modelfile/model_query.hpp"

#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "common/error.hpp"
#include "modelfile/native/native_writer.hpp"
#include "modelfile/selection_error.hpp"

namespace tarn::modelfile::testing {
namespace {

std::string QueryElement(const host::Element& element, const std::vector<std::string>& q);

std::vector<std::string> Words(const std::string& query) {
  std::vector<std::string> words;
  std::stringstream in(query);
  for (std::string word; std::getline(in, word, '|');) words.push_back(word);
  return words;
}

std::string Join(const std::vector<std::string>& texts, const std::string& separator = ", ") {
  std::string out;
  for (const std::string& text : texts) out += (out.empty() ? "" : separator) + text;
  return out;
}

template <class T, class Describe>
std::string List(const host::Items<T>& items, const Describe& describe) {
  std::vector<std::string> texts;
  for (int i = 1; i <= items.ItemCount(); ++i) texts.push_back(describe(items.ItemAt(i)));
  return Join(texts);
}

std::string Name(const host::Element& element) { return element.ElementName(); }

std::string Role(const host::Role& role) {
  return role.ElementName() + ":" + role.RoleSupplierName() + ":" + role.RoleCardinality() + ":" +
         (role.RoleNavigable() ? "true" : "false");
}

const host::Operation& OperationNamed(const host::Class& owner, const std::string& name) {
  const auto operations = owner.ClassOperations();
  for (int i = 1; i <= operations.ItemCount(); ++i)
    if (operations.ItemAt(i).ElementName() == name) return operations.ItemAt(i);
  throw std::out_of_range("no operation " + name);
}

std::string ClassFact(const host::Class& c, const std::vector<std::string>& q) {
  const std::string& what = q.at(0);
  if (what == "name") return c.ElementName();
  if (what == "attribute") {
    const host::Attribute& attribute = c.ClassAttributes().ItemAt(std::stoi(q.at(1)));
    if (q.size() > 2) return attribute.TaggedValue("Tarn", q.at(3));  // attribute|K|tag|T
    return attribute.ElementName() + ":" + attribute.AttributeType() + "=" +
           attribute.InitialValue();
  }
  if (what == "attributes")
    return List(c.ClassAttributes(), [](const host::Attribute& a) {
      return a.ElementName() + ":" + a.AttributeType() +
             (a.InitialValue().empty() ? "" : "=" + a.InitialValue());
    });
  if (what == "operations") return List(c.ClassOperations(), Name);
  if (what == "superclasses") return List(c.Superclasses(), Name);
  if (what == "tag") return c.TaggedValue("Tarn", q.at(1));
  const host::Operation& operation = OperationNamed(c, q.at(1));
  if (q.size() > 2) return operation.TaggedValue("Tarn", q.at(3));  // operation|O|tag|T
  if (what == "pre") return operation.PreconditionText();
  if (what == "post") return operation.PostconditionText();
  const auto parameters = List(operation.OperationParameters(), [](const host::Parameter& p) {
    return p.ElementName() + ":" + p.ParameterType();
  });
  return "(" + parameters + ")" +
         (operation.ReturnType().empty() ? "" : " -> " + operation.ReturnType());
}

std::string DiagramFact(const host::ClassDiagram& diagram, const std::vector<std::string>& q) {
  const std::string size = std::to_string(diagram.AllClasses().ItemCount()) + "/" +
                           std::to_string(diagram.ClassAssociations().ItemCount());
  if (q.empty()) return diagram.ElementName() + "=" + size;
  if (q[0] == "size") return size;
  if (q[0] == "name") return diagram.ElementName();
  if (q[0] == "classes") return List(diagram.AllClasses(), Name);
  const std::vector<std::string> rest(q.begin() + 2, q.end());
  const int position = std::stoi(q.at(1));
  if (q[0] == "class") return QueryElement(diagram.AllClasses().ItemAt(position), rest);
  return QueryElement(diagram.ClassAssociations().ItemAt(position), rest);
}

template <class Record>
const Record& Named(const std::deque<Record>& records, const std::string& word) {
  for (const Record& record : records)
    if (record.id == word || (record.unavailable.empty() && record.name == word)) return record;
  throw std::out_of_range("no element " + word);
}

std::string ErrorWhenUsed(const host::Element& element) {
  try {
    element.ElementName();
  } catch (const Error& error) {
    return (error.Number() == kFileNotFound ? ""
                                            : "error " + std::to_string(error.Number()) + ": ") +
           error.what();
  }
  return "no error";
}

}  // namespace

std::string Identify(const host::Element& element) {
  const std::string kind = element.IsKind("Class")         ? "class "
                           : element.IsKind("Association") ? "association "
                                                           : "other ";
  if (const auto* c = dynamic_cast<const host::MemoryClass*>(&element)) return kind + c->id;
  if (const auto* a = dynamic_cast<const host::MemoryAssociation*>(&element)) return kind + a->id;
  return kind + element.ElementName();
}

namespace {

std::string QueryElement(const host::Element& element, const std::vector<std::string>& q) {
  if (!q.empty() && q[0] == "error") return ErrorWhenUsed(element);
  if (const auto* c = dynamic_cast<const host::Class*>(&element))
    return q.empty() ? Identify(*c) : ClassFact(*c, q);
  if (const auto* a = dynamic_cast<const host::Association*>(&element)) {
    if (q.empty()) return Role(a->FirstRole()) + " / " + Role(a->SecondRole());
    if (q[0] == "role classes")
      return Identify(a->FirstRole().RoleClass()) + " / " + Identify(a->SecondRole().RoleClass());
    return q[0] == "name" ? a->ElementName() : a->TaggedValue("Tarn", q.at(1));
  }
  return "other " + element.ElementName();
}

}  // namespace

std::string SelectFact(const Resolve& resolve, const std::string& query) {
  const std::vector<std::string> q = Words(query);
  std::vector<std::string> words;
  for (std::size_t at = 0, end = 0; end != std::string::npos; at = end + 2)
    words.push_back(q.at(1).substr(at, (end = q[1].find(", ", at)) - at));
  try {
    const std::vector<const host::Element*> selected = resolve(words);
    if (q.size() > 2) return QueryElement(*selected.at(0), {q.begin() + 2, q.end()});
    std::vector<std::string> texts;
    for (const host::Element* element : selected) texts.push_back(Identify(*element));
    return Join(texts);
  } catch (const SelectionError& error) {
    return std::string("refused: ") + error.what();
  }
}

std::string Query(const host::MemoryModel& model, const std::string& query) {
  const std::vector<std::string> q = Words(query);
  if (q[0] == "encoding") return model.encoding;
  if (q[0] == "root") return model.root.name;
  if (q[0] == "diagrams") {
    std::vector<std::string> texts;
    for (const auto& diagram : model.root.diagrams) texts.push_back(DiagramFact(diagram, {}));
    for (const auto& diagram : model.packageDiagrams) texts.push_back(DiagramFact(diagram, {}));
    return Join(texts, "; ");
  }
  if (q[0] == "diagram")
    return DiagramFact(model.root.ClassDiagrams().ItemAt(std::stoi(q.at(1))),
                       {q.begin() + 2, q.end()});
  if (q[0] == "package diagram") {
    for (const auto& diagram : model.packageDiagrams)
      if (diagram.package == q.at(1) && diagram.name == q.at(2))
        return DiagramFact(diagram, {q.begin() + 3, q.end()});
    throw std::out_of_range("no diagram " + q[1] + "::" + q[2]);
  }
  const std::vector<std::string> rest(q.begin() + 2, q.end());
  if (q[0] == "class") return QueryElement(Named(model.classes, q.at(1)), rest);
  if (q[0] == "association") return QueryElement(Named(model.associations, q.at(1)), rest);
  throw std::invalid_argument("no query " + query);
}

std::string ModelText(const host::MemoryModel& model) {
  std::string out = WriteNativeModel(model) + "root: " + model.root.name + "\n";
  const auto where = [&](const host::Place& place) {
    if (place.line == 0) return std::string(" (no place)");
    return " at " + std::filesystem::path(model.files.at(place.file)).filename().string() + ":" +
           std::to_string(place.line) + ":" + std::to_string(place.column);
  };
  const auto ids = [](const auto& records) {
    std::vector<std::string> texts;
    for (const auto* record : records) texts.push_back(record->id);
    return "[" + Join(texts) + "]";
  };
  for (const auto* diagrams : {&model.root.diagrams, &model.packageDiagrams})
    for (const auto& diagram : *diagrams)
      out += "diagram " + (diagram.package.empty() ? "" : diagram.package + "::") + diagram.name +
             where(diagram.place) + ": " + ids(diagram.classes) + ", " + ids(diagram.associations) +
             "\n";
  for (const auto& c : model.classes) {
    out += "class " + c.id + " in \"" + c.package + "\"" + where(c.place) + "\n";
    if (!c.unavailable.empty()) out += "  when used: " + ErrorWhenUsed(c) + "\n";
    for (const auto& attribute : c.attributes)
      out += "  attribute " + attribute.name + where(attribute.place) + "\n";
    for (const auto& operation : c.operations) {
      out += "  operation " + operation.name + where(operation.place) + "\n";
      for (const auto& parameter : operation.parameters)
        out += "    parameter " + parameter.name + where(parameter.place) + "\n";
    }
  }
  for (const auto& a : model.associations) {
    out += "association " + a.id + " in \"" + a.package + "\"" + where(a.place) + "\n";
    if (!a.unavailable.empty()) out += "  when used: " + ErrorWhenUsed(a) + "\n";
  }
  out.pop_back();
  return out;
}

}  // namespace tarn::modelfile::testing
