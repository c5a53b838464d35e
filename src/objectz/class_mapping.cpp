// One class of the diagram as an Object-Z class paragraph: heading, class
// box, inherit line, state schema, initial-state schema and one operation
// schema per operation.
#include <cctype>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "common/count.hpp"
#include "common/line_rule.hpp"
#include "objectz/generator.hpp"

namespace tarn::objectz {
namespace {

// The names an operation changes, from its postcondition: of each line, the
// text before its first prime, and of that the text before its first "!"
// (x' = x + 1 gives x, result! = x gives result). A line that starts with a
// prime or a "!" gives an empty name. Names are joined with ",".
std::string DeltaList(std::string_view postcondition) {
  std::string list;
  std::size_t lines = 0;
  ForEachLine(postcondition, [&](std::string_view name) {
    CountOf(++lines);  // a 16-bit count: the 32768th line overflows
    name = name.substr(0, name.find('\''));
    name = name.substr(0, name.find('!'));
    if (lines > 1) list += ',';
    list += name;
  });
  return list;
}

bool IsNameCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

// The names of `state` that `postcondition` primes (x' in x' = x + 1), in
// the order of `state`, joined with ", ": the Delta-list of standard
// Object-Z. A name may hold \_; a LaTeX command is no name.
std::string TypesetDeltaList(std::string_view postcondition, const std::vector<std::string>& state) {
  std::set<std::string, std::less<>> primed;
  for (std::size_t i = 0; i < postcondition.size();) {
    if (postcondition[i] == '\\' && i + 1 < postcondition.size() && std::isalpha(static_cast<unsigned char>(postcondition[i + 1]))) {
      for (++i; i < postcondition.size() && std::isalpha(static_cast<unsigned char>(postcondition[i])); ++i) {
      }
      continue;
    }
    if (!std::isalpha(static_cast<unsigned char>(postcondition[i]))) {
      ++i;
      continue;
    }
    const std::size_t start = i;
    while (i < postcondition.size() &&
           (IsNameCharacter(postcondition[i]) || postcondition.substr(i, 2) == R"(\_)"))
      i += postcondition[i] == '\\' ? 2 : 1;
    if (i < postcondition.size() && postcondition[i] == '\'') primed.emplace(postcondition.substr(start, i - start));
  }
  std::string list;
  for (const auto& name : state) {
    if (!primed.contains(name)) continue;
    if (!list.empty()) list += ", ";
    list += name;
  }
  return list;
}

// An operation that its "isDefinition" tag marks as defined by an operation
// expression, with nothing of its own to declare or require: standard
// Object-Z writes it Name \defs expression, which oz.sty spells \sdef (its
// \defs is the == of an abbreviation).
bool IsOperationDefinition(const host::Operation& operation) {
  return operation.TaggedValue(host::kTool, "isDefinition") == "True" &&
         operation.OperationParameters().ItemCount() == 0 && operation.ReturnType().empty() &&
         operation.PreconditionText().empty() && !operation.PostconditionText().empty();
}

}  // namespace

void Generator::MapUMLClassToOZ(std::int16_t ClassID) {
  const host::Class& myClass = myClasses.ItemAt(ClassID);
  const auto myAttributes = myClass.ClassAttributes();
  const auto myOperations = myClass.ClassOperations();
  attributeFlag = false;

  const std::string className = myClass.ElementName();
  WriteLine(R"(\section{)", className, "}");
  WriteLine(R"(\begin{class}{)", className, "}");
  MapGenToOZ(ClassID);

  WriteLine(R"(\begin{state})");
  const int attributeCount = myAttributes.ItemCount();
  for (int i = 1; i <= attributeCount; ++i) {
    const host::Attribute& attribute = myAttributes.ItemAt(static_cast<std::int16_t>(i));
    WriteRow(attribute.ElementName(), " : ", attribute.AttributeType(),
             i != attributeCount ? R"(; \\)" : "");
    if (!attribute.InitialValue().empty()) attributeFlag = true;
  }
  MapAssocToOZ(ClassID);
  const std::string classInvariant = myClass.TaggedValue(host::kTool, "Invariant");
  if (!classInvariant.empty()) WriteRow(classInvariant);
  for (int i = 1; i <= attributeCount; ++i) {
    const std::string invariant =
        myAttributes.ItemAt(static_cast<std::int16_t>(i)).TaggedValue(host::kTool, "Invariant");
    if (!invariant.empty()) WriteRow(invariant, R"(  \\)");
  }
  EndBox(R"(\end{state})");

  if (attributeFlag) MapUMLToInit(myAttributes);

  // To be typeset, an operation's Delta-list holds the state components
  // it primes: attributes and the roles the class declares.
  stateNames.clear();
  if (typeset) {
    for (int i = 1; i <= attributeCount; ++i)
      stateNames.push_back(myAttributes.ItemAt(static_cast<std::int16_t>(i)).ElementName());
    if (const auto roles = declaredRoles.find(className); roles != declaredRoles.end())
      for (const auto& declared : roles->second) stateNames.push_back(declared.role->ElementName());
  }

  const int operationCount = myOperations.ItemCount();
  for (int k = 1; k <= operationCount; ++k)
    MapOperationToOZ(myOperations.ItemAt(static_cast<std::int16_t>(k)));

  WriteLine(R"(\end{class})");
}

void Generator::MapOperationToOZ(const host::Operation& operation) {
  const std::string postcondition = operation.PostconditionText();
  if (typeset && IsOperationDefinition(operation)) {
    std::string expression;
    ForEachLine(postcondition, [&](std::string_view line) {
      if (!expression.empty() && !line.empty()) expression += ' ';
      expression += line;
    });
    BeginBox(operation.ElementName() + R"( \sdef )" + expression);
    return;
  }
  BeginBox(R"(\begin{op}{)" + operation.ElementName() + "}");
  if (!typeset) {
    WriteRow(R"(\Delta  ()", DeltaList(postcondition), R"() \\)");
  } else if (const auto deltaList = TypesetDeltaList(postcondition, stateNames); !deltaList.empty()) {
    // An operation that changes no state component has no Delta-list.
    WriteRow(R"(\Delta()", deltaList, R"() \\)");
  }

  const auto myParameters = operation.OperationParameters();
  const int parameterCount = myParameters.ItemCount();
  for (int p = 1; p <= parameterCount; ++p) {
    const host::Parameter& parameter = myParameters.ItemAt(static_cast<std::int16_t>(p));
    WriteRow(parameter.ElementName(), "? : ", parameter.ParameterType(),
             p < parameterCount ? R"( \\)" : "");
  }
  const std::string returnType = operation.ReturnType();
  if (!returnType.empty()) WriteRow("result! : ", returnType);

  const std::string precondition = operation.PreconditionText();
  if (!precondition.empty() || !postcondition.empty()) {
    WriteBar();
    WriteRow(precondition);
    WriteRow(postcondition);
  }
  EndBox(R"(\end{op})");
}

void Generator::MapUMLToInit(const host::Items<host::Attribute>& myAttributes) {
  BeginBox(R"(\begin{init})");
  const int attributeCount = myAttributes.ItemCount();
  for (int i = 1; i <= attributeCount; ++i) {
    const host::Attribute& attribute = myAttributes.ItemAt(static_cast<std::int16_t>(i));
    const std::string initial = attribute.InitialValue();
    const std::string type = attribute.AttributeType();
    if (!initial.empty())
      WriteRow(attribute.ElementName(), " = ", initial, R"(  \\)");
    else if (type == "INT" || type == "int")
      WriteRow(attribute.ElementName(), R"( = 0  \\)");
  }
  EndBox(R"(\end{init})");
}

void Generator::MapGenToOZ(std::int16_t ClassID) {
  const auto superclasses = myClasses.ItemAt(ClassID).Superclasses();
  if (superclasses.ItemCount() != 1) return;
  // oz.sty lists an inherited class by its name alone, as the first line of
  // the class box.
  const std::string superclass = superclasses.ItemAt(1).ElementName();
  WriteLine(typeset ? superclass + R"( \\)" : "inherit " + superclass);
}

}  // namespace tarn::objectz
