// Input files read whole, in pieces and mapped: the same bytes every way,
// and a mapped file that shrinks under the reader is an error, not a crash.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "common/error.hpp"
#include "common/mapped_file.hpp"
#include "common/read_file.hpp"
#include "support/scratch.hpp"

namespace tarn::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Property;
using ::testing::Throws;
using InputFilesTest = ScratchTest;

// Enough pages to be mapped and a bit, every byte different from its
// neighbours.
std::string Pages() {
  std::string bytes;
  for (std::size_t i = 0; i < MappedFile::kMapFrom + 100; ++i) bytes += static_cast<char>('a' + i % 26);
  return bytes;
}

TEST_F(InputFilesTest, EveryWayOfReadingGivesTheSameBytes) {
  const std::string path = PathOf("model");
  for (const std::string& bytes : {std::string(), std::string("x"), Pages()}) {
    WriteBytes(path, bytes);
    EXPECT_EQ(ReadWholeFile(path), bytes);
    const MappedFile mapped(path);
    EXPECT_EQ(mapped.Bytes(), bytes);
    mapped.DropPages();  // the pages given back are read again
    EXPECT_EQ(mapped.Bytes(), bytes);
    const InputFile file(path);
    std::string pieces(bytes.size() + 10, '?');
    const std::size_t first = file.ReadAt(0, pieces.data(), 4000);
    const std::size_t rest = file.ReadAt(first, pieces.data() + first, pieces.size() - first);
    pieces.resize(first + rest);  // fewer bytes only at the end
    EXPECT_EQ(pieces, bytes);
  }
  // A file of /proc says it is empty but is not: it is read, not mapped.
  EXPECT_THAT(std::string(MappedFile("/proc/self/status").Bytes()), HasSubstr("Name:"));
}

// Every mapping counts against the process's bound on mappings, which malloc
// needs too: a model of many units used to run out of them and fail as out
// of memory. Small files are read, and only so many files are mapped at once.
TEST_F(InputFilesTest, SmallFilesAreReadAndOnlySoManyAreMappedAtOnce) {
  const std::string small = PathOf("small"), large = PathOf("large");
  WriteBytes(small, std::string(MappedFile::kMapFrom - 1, 'x'));
  WriteBytes(large, Pages());
  EXPECT_FALSE(MappedFile(small).Mapped());
  std::vector<std::unique_ptr<MappedFile>> open;
  for (std::size_t i = 0; i < MappedFile::kMostMapped; ++i) open.push_back(std::make_unique<MappedFile>(large));
  EXPECT_TRUE(open.front()->Mapped() && open.back()->Mapped());
  const MappedFile beyond(large);
  EXPECT_FALSE(beyond.Mapped());
  EXPECT_EQ(beyond.Bytes(), Pages());
  open.pop_back();
  EXPECT_TRUE(MappedFile(large).Mapped());
}

TEST_F(InputFilesTest, FoldersAndMissingFilesArePlatformErrors) {
  for (const std::string& path : {dir_.string(), PathOf("missing")}) {
    const auto namesThePath = Throws<Error>(Property(&Error::Description, HasSubstr("Cannot read " + path + ": ")));
    EXPECT_THAT([&] { MappedFile mapped(path); }, namesThePath);
    EXPECT_THAT([&] { InputFile file(path); }, namesThePath);
  }
}

TEST_F(InputFilesTest, AMappedFileThatShrinksReadsAsZerosAndIsAnError) {
  const std::string path = PathOf("model");
  WriteBytes(path, Pages());
  const MappedFile mapped(path);
  EXPECT_FALSE(mapped.Changed());
  ASSERT_EQ(::truncate(path.c_str(), 4096), 0);
  const std::string_view bytes = mapped.Bytes();
  EXPECT_EQ(bytes[100], 'a' + 100 % 26);  // still in the file
  EXPECT_EQ(bytes[2 * 4096 + 7], '\0');   // gone: read as zero instead of SIGBUS
  EXPECT_EQ(bytes.back(), '\0');
  EXPECT_TRUE(mapped.Changed());
  const std::string changed = "Cannot read " + path + ": the file changed while it was read";
  EXPECT_THAT([&] { mapped.CheckUnchanged(); }, Throws<Error>(Property(&Error::Description, changed)));
}

}  // namespace
}  // namespace tarn::testing
