#include "addin/error_table.hpp"

namespace tarn::addin {
namespace {

constexpr const char* kCrLf = "\r\n";

std::optional<std::string> Listed(Command command, std::int32_t number) {
  const bool property = command == Command::kPropertyChecker;
  const bool refinement = command == Command::kRefinementChecker;
  const bool check = property || refinement;
  switch (number) {
    case kNotOneItem:
      if (property) return "You must select only 1 (one) class.";
      if (refinement)
        return std::string("You must select the refine association") + kCrLf +
               "between the Abstract and the Concrete classes of the Refinement.";
      break;
    case kWrongKind:
      if (property) return "The object you selected is not a class.";
      if (refinement) return "The object you selected is not a refine association.";
      break;
    case kOperationsDiffer:
      if (refinement) return "The operations in Abstract and Concrete classes are different.";
      break;
    case kMissingType:
      if (check) return "Every attribute or argument must have a type.";
      break;
    case kZEvesNotStarted:
      if (check) return std::string("Z/Eves cannot run. Check your") + kCrLf + "configurations and try again.";
      break;
    case kTypeCheckerNotStarted:
      if (command == Command::kGenerator)
        return std::string("Your browser cannot run. Check your") + kCrLf + "configurations and try again.";
      break;
    case kEmptyProperties:
      if (property) return std::string("The Properties field cannot be empty.") + kCrLf;
      break;
    case kPropertyWithoutHeader:
      if (property) return std::string("Every property must start with '%'.") + kCrLf;
      break;
    case kMalformedDefinition:
      if (property) return std::string("Every definition operation must have only one Post Condition.") + kCrLf;
      break;
    default:
      break;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> MessageFor(Command command, const Error& error) {
  if (error.Number() == kCancelled) return std::nullopt;
  if (auto message = Listed(command, error.Number())) return message;
  return error.Description();
}

}  // namespace tarn::addin
