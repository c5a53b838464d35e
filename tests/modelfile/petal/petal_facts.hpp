// Facts of a loaded Rose model, for the tables of the petal tests.
#pragma once

#include <string>
#include <vector>

#include "modelfile/petal/petal_reader.hpp"

namespace tarn::modelfile::testing {

// A query of model_query.hpp, "select|WORDS..." of it, or "model" (the
// model as text), "warnings" and "missing units" (one a line), "warning count".
std::string PetalFact(const PetalModel& model, const std::vector<std::string>& warnings,
                      const std::string& query);

}  // namespace tarn::modelfile::testing
