// A loaded model as text: short facts for tables, and the whole model for
// golden files.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/memory_host.hpp"

namespace tarn::modelfile::testing {

// A fact of the model as a short text. A query is words separated by '|':
//   encoding, root       the code page; the root package's name
//   diagrams             "name=classes/associations; ..." of every class
//                        diagram, the root package's first
//   diagram|N            the N-th class diagram of the root package (from 1)
//   package diagram|P|D  the class diagram D of the package P
//     of a diagram:  nothing ("name=classes/associations"), |name, |size
//                    ("classes/associations"), |classes (their names),
//                    |class|K, |association|K (the K-th it shows)
//   class|C, association|A  the first whose id or name is C or A
//     of a class:    |name, |attributes "name:type=initial, ...",
//                    |attribute|K "name:type=initial" of the K-th, |attribute|K|tag|T,
//                    |operations,
//                    |superclasses (their names), |operation|O
//                    "(p:type, ...) -> return" (no " -> " without one), |pre|O, |post|O, |tag|T,
//                    |operation|O|tag|T
//     of an association: nothing ("name:Class:multiplicity:navigable / ..."
//                    of its roles), |name, |tag|T
//     of either:     |error, the error it raises when used
std::string Query(const host::MemoryModel& model, const std::string& query);

// The words of a query after the element, of an element found otherwise
// (by a selection); nothing: what Identify says of a class.
std::string QueryElement(const host::Element& element, const std::vector<std::string>& words);

// "class ID", "association ID", or "other NAME" for another kind of element
// (the kind as IsKind says).
std::string Identify(const host::Element& element);

// "select|WORDS", WORDS separated by ", ", for a reader whose selection
// `resolve` makes: what Identify says of each element, or the query's further
// words of the first; "refused: " and why for a selection the reader refuses.
using Resolve = std::function<std::vector<const host::Element*>(const std::vector<std::string>&)>;
std::string SelectFact(const Resolve& resolve, const std::string& query);

// The query's words.
std::vector<std::string> Words(const std::string& query);

// The model as text for golden files: the native writer's dump, then what it
// leaves out: the root package's name, the diagrams of the other packages,
// the error each stand-in raises when used, and the package and place of
// every record (files by their names alone); no line feed at its end.
std::string ModelText(const host::MemoryModel& model);

}  // namespace tarn::modelfile::testing
