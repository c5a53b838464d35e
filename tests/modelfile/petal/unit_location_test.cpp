// Finding unit files by names whose case differs from the files on disk.
#include "modelfile/petal/unit_location.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace tarn::modelfile::petal {
namespace {

namespace fs = std::filesystem;

// A folder is listed once, on the first name looked for in it: a model that
// names thousands of units does not list a large folder thousands of times.
TEST(FolderListing, MatchesWithoutCaseAndListsEachFolderOnce) {
  const fs::path folder = fs::temp_directory_path() / ("tarn-listing-" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder / "Sub");
  std::ofstream(folder / "Unit.CAT") << "";
  FolderListing listing;
  const struct {
    const char* name;
    fs::path found;
  } cases[] = {
      {"unit.cat", folder / "Unit.CAT"}, {"UNIT.CAT", folder / "Unit.CAT"}, {"sub", folder / "Sub"},
      {"unit.ca", ""},                   {"later.cat", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(listing.Find(folder.string(), c.name), c.found.string()) << c.name;
    std::ofstream(folder / "Later.cat") << "";  // made after the first listing
  }
  EXPECT_EQ(FolderListing().Find(folder.string(), "later.cat"), (folder / "Later.cat").string());
  EXPECT_EQ(listing.Find((folder / "missing").string(), "x"), "");
  fs::remove_all(folder);
}

}  // namespace
}  // namespace tarn::modelfile::petal
