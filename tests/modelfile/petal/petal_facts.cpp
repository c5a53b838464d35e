#include "modelfile/petal/petal_facts.hpp"

#include "modelfile/model_query.hpp"

namespace tarn::modelfile::testing {

std::string PetalFact(const PetalModel& model, const std::vector<std::string>& warnings,
                      const std::string& query) {
  std::vector<std::string> lines = warnings;
  if (query == "warning count") return std::to_string(warnings.size());
  if (query == "missing units") {
    lines.clear();
    for (const MissingUnit& unit : model.missingUnits)
      lines.push_back(unit.package + " in " + unit.fileName);
  }
  if (query == "warnings" || query == "missing units") {
    std::string out;
    for (const std::string& line : lines) out += (out.empty() ? "" : "\n") + line;
    return out;
  }
  if (query == "model") return ModelText(model.app->model);
  if (query.starts_with("select|"))
    return SelectFact([&](const auto& words) { return ResolvePetalSelection(model, words); },
                      query);
  return Query(model.app->model, query);
}

}  // namespace tarn::modelfile::testing
