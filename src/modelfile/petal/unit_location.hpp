// Where the file of a controlled unit lies. A unit's file name is written as
// the modelling tool saw it on the machine that saved the model: Windows
// separators, a virtual path symbol in front ($CURDIR, $SOME_ROOT), file names
// that may differ in case from those on disk.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tarn::modelfile::petal {

struct UnitLocation {
  std::string found;                // the path of the unit's file; "" when none exists
  std::vector<std::string> looked;  // every path tried, in order
};

// Finds the file that `file_name` (as stored in `referencing_file`) names:
// $CURDIR is the folder of the referencing file; any other $SYMBOL is looked
// up without regard to case in `path_map`, then as an environment variable.
// When the path so made does not exist, the file's own name is looked for in
// the folder of the referencing file and then in that of `model_file`.
// File and folder names match without regard to case.
UnitLocation LocateUnit(std::string_view file_name, const std::string& referencing_file,
                        const std::string& model_file,
                        const std::map<std::string, std::string>& path_map);

}  // namespace tarn::modelfile::petal
