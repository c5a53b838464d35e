// Facts of a loaded model as short texts, so that tables of expected facts
// stay readable. A query is words separated by '|':
//   classes                      the number of uml:Class elements read
//   class|C|attributes           "name:type=initial, ..." of the first class named C
//   class|C|operation|O          "(p:type, ...) -> return"
//   class|C|pre|O, class|C|post|O  an operation's condition texts
//   class|C|superclasses         their names, ", "-separated
//   class|C|tag|T                a tagged value of tool Tarn
//   association|A                "name:Class:multiplicity:navigable / ..." by id or name
//   association|A|tag|T
//   diagrams                     "name=classes/associations; ..." every class diagram, first first
#pragma once

#include <string>

#include "modelfile/xmi/xmi_reader.hpp"

namespace tarn::modelfile::testing {

std::string Query(const XmiModel& model, const std::string& query);

}  // namespace tarn::modelfile::testing
