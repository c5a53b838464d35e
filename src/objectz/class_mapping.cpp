// One class of the diagram as an Object-Z class paragraph: heading, class
// box, inherit line, state schema, initial-state schema and one operation
// schema per operation.
#include <string>
#include <string_view>

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

  const int operationCount = myOperations.ItemCount();
  for (int k = 1; k <= operationCount; ++k)
    MapOperationToOZ(myOperations.ItemAt(static_cast<std::int16_t>(k)));

  WriteLine(R"(\end{class})");
}

void Generator::MapOperationToOZ(const host::Operation& operation) {
  const std::string postcondition = operation.PostconditionText();
  BeginBox(R"(\begin{op}{)" + operation.ElementName() + "}");
  const std::string deltaList = DeltaList(postcondition);
  // Typeset, an operation that changes nothing has no Delta list at all.
  if (!typeset || !deltaList.empty()) WriteRow(R"(\Delta  ()", deltaList, R"() \\)");

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
