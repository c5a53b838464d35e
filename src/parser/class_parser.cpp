// How one class of the model host becomes a ZSchema.
#include "common/line_rule.hpp"
#include "parser/z_parser.hpp"

namespace tarn::parser {

using zmodel::Collection;
using zmodel::Declaration;
using zmodel::Schema;
using zmodel::ZSchema;

Collection<std::string> ZParser::SplitLines(const std::string& text) {
  Collection<std::string> lines;
  for (auto& line : tarn::SplitLines(text)) lines.Add(std::move(line));
  return lines;
}

ZSchema ZParser::ParseClass(const host::Class& roseClass) const {
  ZSchema schema;
  schema.Name = roseClass.ElementName();
  schema.StateSchema = ParseStateSchema(roseClass);
  schema.InitSchema = ParseInitSchema(roseClass);
  schema.Schemas = ParseOperationSchemas(roseClass);
  return schema;
}

void ZParser::ParseAbstractClass(zmodel::ZRCClass& check, const host::Class& roseClass) const {
  check.Abstract = ParseClass(roseClass);
}

void ZParser::ParseConcreteClass(zmodel::ZRCClass& check, const host::Class& roseClass) const {
  check.Concrete = ParseClass(roseClass);
}

Schema ZParser::ParseStateSchema(const host::Class& roseClass) const {
  Schema state;
  state.Name = roseClass.ElementName();
  state.Declarations = ParseAttributeDeclarations(roseClass);
  state.Invariants = ParseInvariants(roseClass);
  return state;
}

Collection<Declaration> ZParser::ParseAttributeDeclarations(const host::Class& roseClass) const {
  Collection<Declaration> declarations;
  const auto attributes = roseClass.ClassAttributes();
  for (int i = 1; i <= attributes.ItemCount(); ++i) {
    const auto& attribute = attributes.ItemAt(i);
    declarations.Add({attribute.ElementName(), attribute.AttributeType()});
  }
  return declarations;
}

Collection<std::string> ZParser::ParseInvariants(const host::Class& roseClass) const {
  return SplitLines(roseClass.TaggedValue(host::kTool, "Invariant"));
}

Schema ZParser::ParseInitSchema(const host::Class& roseClass) const {
  Schema init;
  init.Name = "Init";
  const auto attributes = roseClass.ClassAttributes();
  for (int i = 1; i <= attributes.ItemCount(); ++i) {
    const auto& attribute = attributes.ItemAt(i);
    const auto value = Trim(attribute.InitialValue());
    if (!value.empty()) init.PostConditions.Add(attribute.ElementName() + "' = " + value);
  }
  return init;
}

Collection<Schema> ZParser::ParseOperationSchemas(const host::Class& roseClass) const {
  Collection<Schema> schemas;
  const auto operations = roseClass.ClassOperations();
  for (int i = 1; i <= operations.ItemCount(); ++i)
    schemas.Add(ParseOperationSchema(operations.ItemAt(i)));
  return schemas;
}

Schema ZParser::ParseOperationSchema(const host::Operation& operation) const {
  Schema schema;
  schema.Name = operation.ElementName();
  // Only the exact text "True" marks an operation; "true" or " True" do not.
  schema.isDefinition = operation.TaggedValue(host::kTool, "isDefinition") == "True";
  schema.isQuery = operation.TaggedValue(host::kTool, "isQuery") == "True";
  schema.Declarations = ParseParameterDeclarations(operation);
  schema.PreConditions = ParsePreConditions(operation);
  schema.PostConditions = ParsePostConditions(operation);
  return schema;
}

Collection<Declaration> ZParser::ParseParameterDeclarations(const host::Operation& operation) const {
  Collection<Declaration> declarations;
  const auto parameters = operation.OperationParameters();
  for (int i = 1; i <= parameters.ItemCount(); ++i) {
    const auto& parameter = parameters.ItemAt(i);
    declarations.Add({parameter.ElementName() + "?", parameter.ParameterType()});
  }
  // A return type of blanks still counts as one: only "" means none.
  const auto result = operation.ReturnType();
  if (!result.empty()) declarations.Add({"result!", result});
  return declarations;
}

Collection<std::string> ZParser::ParsePreConditions(const host::Operation& operation) const {
  return SplitLines(operation.PreconditionText());
}

Collection<std::string> ZParser::ParsePostConditions(const host::Operation& operation) const {
  return SplitLines(operation.PostconditionText());
}

}  // namespace tarn::parser
