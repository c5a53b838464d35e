// Qualified names of petal models ("Logical View::Pkg::Class"). A name that
// itself holds "::" is written with each of its colons as "\:", so a
// qualified name splits at every "::" not preceded by a backslash.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarn::modelfile::petal {

// `name` with every ':' written "\:", fit to be one segment.
std::string EscapeColons(std::string_view name);

// The simple names of a qualified name, "\:" turned back into ':'.
std::vector<std::string> SplitQualifiedName(std::string_view qualified);

// The qualified name of `segments`, each escaped.
std::string JoinQualifiedName(const std::vector<std::string>& segments);

}  // namespace tarn::modelfile::petal
