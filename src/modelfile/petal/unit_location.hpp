// Where the file of a controlled unit lies. A unit's file name is written as
// the modelling tool saw it on the machine that saved the model: Windows
// separators, a virtual path symbol in front ($CURDIR, $SOME_ROOT), file names
// that may differ in case from those on disk.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarn::modelfile::petal {

// The names in folders without regard to case, each folder read once: a
// model may name thousands of units whose case differs from the files on
// disk, in a folder of thousands of files.
class FolderListing {
 public:
  // The path of the entry of `folder` whose name equals `name` without regard
  // to case (the first one listed when several do); "" when there is none.
  std::string Find(const std::string& folder, const std::string& name);

 private:
  // folder -> name in lower case -> path of the entry
  std::unordered_map<std::string, std::unordered_map<std::string, std::string>> folders_;
};

struct UnitLocation {
  std::string found;                // the path of the unit's file; "" when none exists
  std::vector<std::string> looked;  // every path tried, in order
  // The virtual path symbol the file name begins with, as written and
  // without its "$" ("SOME_ROOT" for "$SOME_ROOT\\pkg\\a.cat"); "" for none
  // and for $CURDIR.
  std::string symbol;
  bool symbol_mapped = false;  // `path_map` gives its folder
};

// Finds the file that `file_name` (as stored in `referencing_file`) names:
// $CURDIR is the folder of the referencing file; any other $SYMBOL is looked
// up without regard to case in `path_map`, then as an environment variable.
// When the path so made does not exist, the file's own name is looked for in
// the folder of the referencing file and then in that of `model_file`.
// File and folder names match without regard to case; `folders` keeps the
// folders read on the way for the next call.
UnitLocation LocateUnit(std::string_view file_name, const std::string& referencing_file,
                        const std::string& model_file,
                        const std::map<std::string, std::string>& path_map, FolderListing& folders);

}  // namespace tarn::modelfile::petal
