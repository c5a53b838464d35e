#include "common/atomic_file.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/error.hpp"

namespace tarn {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

class ReplaceFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("tarn-atomic-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir_);
  }
  std::size_t EntriesInDir() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
  }
  fs::path dir_;
};

TEST_F(ReplaceFileTest, CreatesAndReplacesByteForByte) {
  const auto path = (dir_ / "out.zed").string();
  ReplaceFile(path, std::string("a\r\nb\0c", 6));
  EXPECT_EQ(Slurp(path), std::string("a\r\nb\0c", 6));
  ReplaceFile(path, "second");
  EXPECT_EQ(Slurp(path), "second");
  EXPECT_EQ(EntriesInDir(), 1u);
}

TEST_F(ReplaceFileTest, MissingFolderIsAPlatformErrorAndWritesNothing) {
  const auto path = (dir_ / "no-such" / "out.zed").string();
  try {
    ReplaceFile(path, "x");
    FAIL() << "expected an error";
  } catch (const Error& error) {
    EXPECT_EQ(error.Number(), kFileNotFound);
    EXPECT_NE(error.Description().find(path), std::string::npos);
  }
  EXPECT_EQ(EntriesInDir(), 0u);
}

TEST_F(ReplaceFileTest, DirectoryAtThePathIsRefused) {
  EXPECT_THROW(ReplaceFile(dir_.string(), "x"), Error);
}

TEST_F(ReplaceFileTest, ReadOnlyExistingFileIsLeftAsItWas) {
  const auto path = dir_ / "out.zed";
  std::ofstream(path) << "old";
  fs::permissions(path, fs::perms::owner_read, fs::perm_options::replace);
  EXPECT_THROW(ReplaceFile(path.string(), "new"), Error);
  EXPECT_EQ(Slurp(path), "old");
  EXPECT_EQ(EntriesInDir(), 1u);
}

TEST_F(ReplaceFileTest, UnwritableFolderKeepsThePreviousFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write any folder";
  const auto path = dir_ / "out.zed";
  std::ofstream(path) << "old";
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
  EXPECT_THROW(ReplaceFile(path.string(), "new"), Error);
  fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
  EXPECT_EQ(Slurp(path), "old");
}

}  // namespace
}  // namespace tarn
