// Where a document goes: through a symlink to its target, straight into a
// FIFO or a device, to standard output; never over the model or a file it
// loaded.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "cli/run_tarn.hpp"

namespace tarn::testing {
namespace {

using ::testing::HasSubstr;

std::string Golden(const std::string& name) { return Slurp(std::string(TARN_GOLDEN_DIR) + "/" + name); }

// A Rose model whose package pkg is a unit of its own, and that unit.
constexpr const char* kModelWithUnit =
    "\n(object Petal\n    version    \t43\n    charSet    \t0)\n\n(object Design \"Logical View\"\n"
    "    is_unit    \tTRUE\n    is_loaded  \tTRUE\n    quid       \t\"0001\"\n"
    "    root_category \t(object Class_Category \"Logical View\"\n\tquid       \t\"0002\"\n"
    "\tlogical_models \t(list unit_reference_list\n\t    (object Class_Category \"pkg\"\n"
    "\t\tis_unit    \tTRUE\n\t\tis_loaded  \tFALSE\n\t\tfile_name  \t\"$CURDIR\\\\pkg.cat\"\n"
    "\t\tquid       \t\"0003\"))\n\tlogical_presentations \t(list unit_reference_list)))\n";
constexpr const char* kUnit =
    "\n(object Petal\n    version    \t43\n    charSet    \t0)\n\n(object Class_Category \"pkg\"\n"
    "    is_unit    \tTRUE\n    is_loaded  \tTRUE\n    quid       \t\"0003\"\n"
    "    logical_models \t(list unit_reference_list\n\t(object Class \"C\"\n\t    quid       \t\"0004\"))\n"
    "    logical_presentations \t(list unit_reference_list))\n";

class OutputPathTest : public TarnRun {
 protected:
  Result Check(const std::string& output) {
    return Run({"property-check", Example("register.yaml"), "-o", output, "--no-run"});
  }
  mode_t Mode(const std::string& name) const {
    struct stat status {};
    ::lstat(Path(name).c_str(), &status);
    return status.st_mode;
  }
};

TEST_F(OutputPathTest, ASymlinkIsWrittenThroughAndStays) {
  Write("target.zed", "old");
  ::chmod(Path("target.zed").c_str(), 0640);
  std::filesystem::create_symlink("target.zed", Path("link.zed"));
  std::filesystem::create_directories(Path("sub"));
  std::filesystem::create_symlink("../link.zed", Path("sub/chain.zed"));  // a relative link to a link
  std::filesystem::create_symlink("new.zed", Path("dangling.zed"));
  for (const char* link : {"link.zed", "sub/chain.zed", "dangling.zed"}) {
    const auto result = Check(link);
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_TRUE(S_ISLNK(Mode(link))) << link;
  }
  EXPECT_EQ(Slurp(Path("target.zed")), Golden("zeves/reg_property_check.zed"));
  EXPECT_EQ(Mode("target.zed") & 07777, 0640u);
  EXPECT_EQ(Slurp(Path("new.zed")), Golden("zeves/reg_property_check.zed"));
  EXPECT_THAT(Files(), ::testing::ElementsAre("dangling.zed", "link.zed", "new.zed", "sub", "target.zed"));
}

TEST_F(OutputPathTest, AReplacedFileKeepsItsPermissionBits) {
  for (const mode_t mode : {0600u, 0664u, 0755u}) {
    Write("kept.zed", "old");
    ::chmod(Path("kept.zed").c_str(), mode);
    ASSERT_EQ(Check("kept.zed").code, 0);
    EXPECT_EQ(Mode("kept.zed") & 07777, mode);
  }
}

TEST_F(OutputPathTest, AFifoIsWrittenDirectly) {
  ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
  // Open for reading first, so that tarn's open for writing does not wait;
  // the document fits the pipe's buffer.
  const int reader = ::open(Path("pipe").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  const auto result = Check("pipe");
  EXPECT_EQ(result.code, 0) << result.err;
  std::string got(1 << 16, '\0');
  const auto length = ::read(reader, got.data(), got.size());
  ::close(reader);
  got.resize(static_cast<std::size_t>(std::max<ssize_t>(length, 0)));
  EXPECT_EQ(got, Golden("zeves/reg_property_check.zed"));
  EXPECT_TRUE(S_ISFIFO(Mode("pipe")));
}

// As root, a node of the null device made for the test, so that a fault
// can never replace the system's /dev/null; as any other user /dev/null,
// which only root could replace.
TEST_F(OutputPathTest, ADeviceIsWrittenDirectly) {
  std::string device = "/dev/null";
  if (::geteuid() == 0) {
    device = Path("null").string();
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
      GTEST_SKIP() << "no device node may be made here";
  }
  const auto result = Check(device);
  EXPECT_EQ(result.code, 0) << result.err;
  struct stat status {};
  ASSERT_EQ(::lstat(device.c_str(), &status), 0);
  EXPECT_TRUE(S_ISCHR(status.st_mode));
}

// "-" and /dev/stdout put the document on standard output, and the report
// moves to standard error.
TEST_F(OutputPathTest, StandardOutputHoldsOnlyTheDocument) {
  // /dev/stdout through a link of the test's own, so that a fault replaces
  // the link, never the system's /dev/stdout.
  std::filesystem::create_symlink("/dev/stdout", Path("stdout"));
  for (const char* output : {"-", "stdout"}) {
    const auto result = Check(output);
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out, Golden("zeves/reg_property_check.zed")) << output;
    EXPECT_THAT(result.err, HasSubstr("The specification was generated successfully.\n")) << output;
  }
  EXPECT_THAT(Check("-").err, HasSubstr("Written to standard output\n"));
  EXPECT_TRUE(std::filesystem::is_symlink(Path("stdout")));
  EXPECT_THAT(Files(), ::testing::ElementsAre("stdout"));
}

TEST_F(OutputPathTest, NeverOverTheModelOrAFileItLoaded) {
  const auto model = Write("register.yaml", Slurp(Example("register.yaml")));
  std::filesystem::create_symlink("register.yaml", Path("alias.zed"));
  for (const char* output : {"register.yaml", "alias.zed", "./register.yaml"}) {
    const auto result = Run({"property-check", model, "-o", output});
    EXPECT_EQ(result.code, 2);
    EXPECT_THAT(result.err, HasSubstr("tarn: error: " + std::string(output) + " is "));
    EXPECT_THAT(result.err, HasSubstr("the model file; a document is never written over it"));
  }
  EXPECT_EQ(Slurp(model), Slurp(Example("register.yaml")));

  // A Rose unit: the package pkg lives in pkg.cat, which the model loads.
  const auto rose = Write("model.mdl", kModelWithUnit);
  const std::string unit = kUnit;
  Write("pkg.cat", unit);
  const auto loaded = Run({"list", rose, "-v"});
  ASSERT_EQ(loaded.code, 0) << loaded.err;
  EXPECT_EQ(loaded.out, "class  0004  -  Logical View::pkg::C\n");
  EXPECT_EQ(loaded.err, "tarn: read " + rose + "\ntarn: read " + Path("pkg.cat").string() + "\n");
  const auto result = Run({"objectz", rose, "-o", "pkg.cat"});
  EXPECT_EQ(result.code, 2);
  EXPECT_THAT(result.err, HasSubstr("pkg.cat, a file the model loaded; a document is never written over it"));
  EXPECT_EQ(Slurp(Path("pkg.cat")), unit);
}

// A Papyrus model: the .uml file and the .notation beside it.
TEST_F(OutputPathTest, NeverOverAnXmiModelOrItsNotation) {
  for (const char* name : {"bank.uml", "bank.notation"})
    std::filesystem::copy_file(Example(std::string("xmi/papyrus/") + name), Path(name));
  const auto model = Path("bank.uml").string();
  EXPECT_EQ(Run({"list", model, "-v"}).err,
            "tarn: read " + model + "\ntarn: read " + Path("bank.notation").string() + "\n");
  for (const char* output : {"bank.uml", "bank.notation"}) {
    const auto before = Slurp(Path(output));
    const auto result = Run({"objectz", model, "-o", output});
    EXPECT_EQ(result.code, 2) << output;
    EXPECT_THAT(result.err, HasSubstr("a document is never written over it")) << output;
    EXPECT_EQ(Slurp(Path(output)), before);
  }
}

TEST_F(OutputPathTest, ThePromptAsksAgainForAModelFile) {
  env_["TARN_PROMPT"] = "1";
  const auto model = Write("register.yaml", Slurp(Example("register.yaml")));
  const auto result = Run({"property-check", model, "--no-run"}, "register.yaml\nout\n");
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_THAT(result.err, HasSubstr("tarn: error: register.yaml is "));
  EXPECT_THAT(result.err, HasSubstr("register.yaml, the model file; a document is never written over it"));
  EXPECT_EQ(Slurp(Path("out.zed")), Golden("zeves/reg_property_check.zed"));
}

}  // namespace
}  // namespace tarn::testing
