// The first pass of the XMI reader: streams through a UML 2 XMI document and
// keeps the records of what Tarn uses. References stay unresolved; forward
// references are normal in XMI, so they are resolved once the whole file is read.
#pragma once

#include <string>
#include <string_view>

#include "modelfile/xmi/xmi_records.hpp"

namespace tarn::modelfile::xmi {

// The records of the model file `bytes` (read from `path`). Throws LoadError
// for a file that is not well-formed XML, and with one sentence saying what to
// do instead for XML that is not a UML 2 model (XMI 1.x, a Papyrus diagram
// file, any other XML).
// Places are in file `file` of the model (see Place).
ModelRecords CollectModel(std::string_view bytes, const std::string& path, int file = 0);
// Same, reading the file a piece at a time.
ModelRecords CollectModelFile(const std::string& path, int file = 0);

// The class diagrams of the Papyrus .notation file at `path`, in file order.
std::vector<DiagramRecord> CollectNotationDiagrams(const std::string& path, int file);

// The names of Tarn's tagged values.
bool IsTarnTag(std::string_view name);

}  // namespace tarn::modelfile::xmi
