// Replacing an output file: byte for byte, and a failure leaves what was
// there as it was, with no temporary file beside it.
#include "common/atomic_file.hpp"

#include <gmock/gmock.h>

#include "common/error.hpp"
#include "support/scratch.hpp"

namespace tarn::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Property;
using ::testing::Throws;
using ReplaceFileTest = ScratchTest;

TEST_F(ReplaceFileTest, CreatesAndReplacesByteForByte) {
  const std::string bytes("a\r\nb\0c", 6);
  ReplaceFile(PathOf("out.zed"), bytes);
  EXPECT_EQ(ReadBytes(PathOf("out.zed")), bytes);
  ReplaceFile(PathOf("out.zed"), "second");
  EXPECT_EQ(ReadBytes(PathOf("out.zed")), "second");
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.zed"});
}

TEST_F(ReplaceFileTest, FailuresRaiseThePlatformErrorAndKeepWhatWasThere) {
  const auto missing = PathOf("no-such/out.zed");
  EXPECT_THAT([&] { ReplaceFile(missing, "x"); },
              Throws<Error>(AllOf(Property(&Error::Number, kFileNotFound),
                                  Property(&Error::Description, HasSubstr(missing)))));
  EXPECT_TRUE(Entries().empty());
  EXPECT_THROW(ReplaceFile(dir_.string(), "x"), Error);  // a folder at the path

  const auto path = PathOf("out.zed");
  WriteBytes(path, "old");
  fs::permissions(path, fs::perms::owner_read, fs::perm_options::replace);
  EXPECT_THROW(ReplaceFile(path, "new"), Error);
  fs::permissions(path, fs::perms::owner_all, fs::perm_options::replace);
  if (::geteuid() != 0) {  // root may write any folder
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
    EXPECT_THROW(ReplaceFile(path, "new"), Error);
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
  }
  EXPECT_EQ(ReadBytes(path), "old");
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.zed"});
}

// The caller's check comes once the new file is ready: when it says the old
// file changed, nothing is replaced and nothing is left beside it.
TEST_F(ReplaceFileTest, ReplacesOnlyWhileTheCallerSaysTheFileIsUnchanged) {
  const auto path = PathOf("Tarn.ini");
  WriteBytes(path, "old");
  bool asked = false;
  EXPECT_FALSE(ReplaceFileIfUnchanged(path, "new", [&] { return !(asked = true); }));
  EXPECT_TRUE(asked);
  EXPECT_EQ(ReadBytes(path), "old");
  EXPECT_EQ(Entries(), std::vector<std::string>{"Tarn.ini"});
  EXPECT_TRUE(ReplaceFileIfUnchanged(path, "new", [] { return true; }));
  EXPECT_EQ(ReadBytes(path), "new");
}

// A name of one of the process's own descriptors is written to, not
// replaced: a pipe gets the bytes.
TEST_F(ReplaceFileTest, OwnDescriptorIsWrittenInPlace) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  EXPECT_NO_THROW(ReplaceFile("/dev/fd/" + std::to_string(ends[1]), "through the pipe"));
  ::close(ends[1]);
  char bytes[64] = {};
  const ssize_t got = ::read(ends[0], bytes, sizeof bytes);
  EXPECT_EQ(std::string(bytes, got > 0 ? static_cast<std::size_t>(got) : 0), "through the pipe");
  ::close(ends[0]);
  EXPECT_TRUE(Entries().empty());
}

}  // namespace
}  // namespace tarn::testing
