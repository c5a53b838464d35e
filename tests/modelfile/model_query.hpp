// A loaded model as text: short facts for tables, and the whole model for
// golden files.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/memory_host.hpp"

namespace tarn::modelfile::testing {

// A fact of the model as a short text. A query is words separated by '|':
// an element, then what of it.
//   encoding, root          the code page; the root package's name
//   diagrams                "name=classes/associations; ..." of every class
//                           diagram, the root package's first
//   diagram|N               the N-th class diagram of the root package
//   package diagram|P|D     the class diagram D of the package P
//     nothing               "name=classes/associations"
//     |name, |size          its name; "classes/associations"
//     |classes              the names of the classes it shows
//     |class|K, |association|K  the K-th class or association it shows
//   class|C, association|A  the first whose id or name is C or A
//     nothing               "class ID"; of an association, its roles:
//                           "name:Class:multiplicity:navigable / ..."
//     |name, |tag|T         its name; its tagged value T (of the tool Tarn)
//     |error                the error it raises when used
//   of a class:
//     |attributes           "name:type=initial, ..." ("=" only with an initial value)
//     |attribute|K          "name:type=initial" of the K-th; |attribute|K|tag|T
//     |operations, |superclasses  their names
//     |operation|O          "(p:type, ...) -> return" ("->" only with a return type)
//     |pre|O, |post|O       its conditions; |operation|O|tag|T
//   of an association:
//     |role classes         what Identify says of its roles' classes
// Positions (N, K) count from 1.
std::string Query(const host::MemoryModel& model, const std::string& query);

// "class ID", "association ID", or "other NAME" for another kind of element
// (the kind as IsKind says).
std::string Identify(const host::Element& element);

// "select|WORDS", WORDS separated by ", ", of a reader's selection, which
// `resolve` makes: what Identify says of each element, or the query's
// further words of the first; "refused: " and why when the reader refuses.
using Resolve = std::function<std::vector<const host::Element*>(const std::vector<std::string>&)>;
std::string SelectFact(const Resolve& resolve, const std::string& query);

// The model as text for golden files: the native writer's dump, then what it
// leaves out: the root package's name, the diagrams of the other packages,
// the error each stand-in raises when used, and the package and place of
// every record (files by their names alone); no line feed at its end.
std::string ModelText(const host::MemoryModel& model);

}  // namespace tarn::modelfile::testing
