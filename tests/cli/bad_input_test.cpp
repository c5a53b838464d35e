// The bad-input table, the part of it whose inputs the test makes (the rest
// is data/bad_input.txt): whatever the model file, tarn reports the problem
// with an exit code and never loses or half-writes a document.
#include <gmock/gmock.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <csignal>
#include <thread>

#include "cli/run_tarn.hpp"
#include "common/read_file.hpp"

namespace tarn::testing {
namespace {

using ::testing::HasSubstr;

constexpr const char* kPrevious = "previous document\r\n";

class BadInputTest : public TarnRun {
 protected:
  void SetUp() override { Write("out.zed", kPrevious); }
  // The previous document is untouched and no temporary file is left.
  void ExpectNothingWritten() {
    EXPECT_EQ(Slurp(Path("out.zed")), kPrevious);
    for (const auto& name : Files()) EXPECT_THAT(name, ::testing::Not(HasSubstr(".tarn-")));
  }
};

std::string Garbage(std::size_t size) {
  std::string bytes;
  std::uint32_t state = 12345;
  for (std::size_t i = 0; i < size; ++i) bytes += static_cast<char>((state = state * 1103515245u + 12345u) >> 24);
  return bytes;
}

// A model of one class with the Properties text %P and `line` under it.
std::string ModelWithText(const std::string& line) {
  return "tarn-model: 1\nselection: [C]\ndiagrams: [{ name: D, classes: [C] }]\nclasses:\n  - name: C\n"
         "    tags: { Properties: \"%P\\n" + line + "\" }\n";
}

TEST_F(BadInputTest, MadeModelsAreRefusedNamingTheirPlace) {
  const auto example = Slurp(Example("register.yaml"));
  std::string attributes = "tarn-model: 1\nselection: [C]\ndiagrams: [{ name: D, classes: [C] }]\nclasses:\n"
                           "  - name: C\n    tags: { Properties: \"%P\" }\n    attributes:\n";
  for (int i = 0; i < 40000; ++i) attributes += "      - { name: a" + std::to_string(i) + ", type: T }\n";
  std::string lists = "\n(object Petal version 42)\n(object Design \"Logical View\"\n  root ";
  for (int i = 0; i < 100000; ++i) lists += "(list ";
  std::string elements = "<?xml version=\"1.0\"?>\n<xmi:XMI xmlns:xmi=\"http://www.omg.org/spec/XMI/20131001\">";
  for (int i = 0; i < 100000; ++i) elements += "<a>";
  const std::string overflow =
      "tarn: error: Overflow: a list of the model holds more items than its 16-bit count allows (32767).\n";
  const struct {
    const char* command;
    std::string file, text;
    std::string err;  // what standard error starts with; "@" stands for "tarn: " and the file's path
  } cases[] = {
      {"property-check", "truncated.yaml", example.substr(0, example.find("tags:") + 3),
       "@:11:8: error: syntax error: "},
      {"property-check", "garbage.yaml", "\xF8" + Garbage(4000), "@:1:1: error: the file is not UTF-8 here (byte 0xF8)\n"},
      {"objectz", "deep.yaml", "tarn-model: 1\nclasses: " + std::string(100000, '[') + std::string(100000, ']'),
       "@:2:73: error: nesting deeper than 64 levels\n"},
      {"property-check", "wide.yaml", attributes, overflow},
      {"objectz", "wide.yaml", attributes, overflow},
      {"objectz", "truncated.mdl", "\n(object Petal\n    version 42)\n(object Design \"Logical View\"\n  root",
       "@:4:1: error: unterminated object\n"},
      {"objectz", "garbage.mdl", Garbage(4000), "@:1:1: error: unexpected byte 0xD3\n"},
      {"objectz", "deep.mdl", lists, "@:4:1538: error: nesting deeper than 256 levels\n"},
      {"objectz", "deep.xmi", elements, "@:2:824: error: elements nest deeper than 256 levels\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const auto result = Run({c.command, Write(c.file, c.text), "-o", "out.zed", "--no-run"});
    EXPECT_EQ(result.code, 1);
    const auto err = c.err[0] == '@' ? "tarn: " + Path(c.file).string() + c.err.substr(1) : c.err;
    EXPECT_THAT(result.err, ::testing::StartsWith(err));
    EXPECT_EQ(result.out, "");
    ExpectNothingWritten();
  }
}

TEST_F(BadInputTest, UnreadableModelFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads any file";
  const auto locked = Write("locked.yaml", "tarn-model: 1\n");
  ::chmod(locked.c_str(), 0);
  const auto result = Run({"property-check", locked, "-o", "out.zed", "--no-run"});
  EXPECT_EQ(result.code, 1);
  EXPECT_EQ(result.err, "tarn: error: Cannot read " + locked + ": Permission denied\n");
  ExpectNothingWritten();
}

TEST_F(BadInputTest, TenMegabyteTextGoesThrough) {
  const std::string line(10 * 1024 * 1024, 'x');
  const auto result = Run({"property-check", Write("big.yaml", ModelWithText(line)), "-o", "big.zed"});
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_THAT(Slurp(Path("big.zed")), HasSubstr("    " + line + "\r\n"));
}

// A 10 MB document against a 64 KB file size limit fails part way through.
TEST_F(BadInputTest, WriteFailureHalfWayKeepsThePreviousFile) {
  const auto model = Write("big.yaml", ModelWithText(std::string(10 * 1024 * 1024, 'y')));
  const auto result = RunLimited("--fsize=65536", {"property-check", model, "-o", "out.zed"});
  EXPECT_EQ(result.code, 1);
  EXPECT_EQ(result.err, "tarn: error: Cannot write out.zed: File too large\n");
  ExpectNothingWritten();
}

// Memory that runs out is an error like any other: a message and exit 1, the
// previous document kept and no temporary file left. A 24 MiB text cannot
// be read, held and written in 64 MB of address space, however frugal the
// reader. Run on a tarn without the sanitizers (see tests/cli/CMakeLists.txt).
TEST_F(BadInputTest, RunningOutOfMemoryIsAnErrorThatKeepsThePreviousDocument) {
  const auto model = Write("big.yaml", ModelWithText(std::string(24 << 20, 'x')));
  const std::vector<std::string> commands[] = {
      {"property-check", model, "-o", "out.zed", "--no-run"},
      {"objectz", model, "-o", "out.zed", "--no-run"},
      {"dump", model},
  };
  for (const auto& args : commands) {
    SCOPED_TRACE(args.front());
    const auto result = RunLimited("--as=64000000", args, TARN_UNSANITIZED_BINARY);
    EXPECT_EQ(result.code, 1) << result.err;
    EXPECT_EQ(result.err, "tarn: error: out of memory: the model needs more memory than the system gives tarn\n");
    EXPECT_EQ(result.out, "");
    ExpectNothingWritten();
  }
  // The same model and program without the limit: the limit is what failed.
  EXPECT_EQ(Run({"property-check", model, "-o", "out.zed", "--no-run"}).code, 0);
}

// Feeds `text` and then `spaces` blanks to whoever opens the FIFO `path`
// for reading, on a thread of its own; a reader that stops early is not an
// error.
class FifoFeeder {
 public:
  FifoFeeder(const std::string& path, std::string text, std::size_t spaces) {
    ::mkfifo(path.c_str(), 0600);
    thread_ = std::thread([path, text = std::move(text), spaces] {
      const int fd = ::open(path.c_str(), O_WRONLY);
      const std::string blanks(1 << 16, ' ');
      bool open = fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
      for (std::size_t left = spaces; open && left > 0;) {
        const ssize_t wrote = ::write(fd, blanks.data(), std::min(left, blanks.size()));
        open = wrote > 0;
        if (open) left -= static_cast<std::size_t>(wrote);
      }
      if (fd >= 0) ::close(fd);
    });
  }
  ~FifoFeeder() { thread_.join(); }
  FifoFeeder(const FifoFeeder&) = delete;
  FifoFeeder& operator=(const FifoFeeder&) = delete;

 private:
  std::thread thread_;
};

// A model is a regular file or a pipe of at most 256 MiB; anything else is
// refused before it fills the memory, and a pipe is read like a file.
TEST_F(BadInputTest, ModelFilesThatAreNotFilesOrPipesOrAreTooLargeAreRefused) {
  const auto previousPipe = std::signal(SIGPIPE, SIG_IGN);  // the feeder of a refused pipe
  std::filesystem::resize_file(Write("huge.yaml", "tarn-model: 1\n"), kMaxModelFileSize + 1);
  // An XMI model is read a piece at a time, but the limit holds for it too.
  std::filesystem::resize_file(
      Write("huge.uml", "<?xml version=\"1.0\"?>\n<uml:Model xmlns:uml=\"http://www.eclipse.org/uml2/5.0.0/UML\">"),
      kMaxModelFileSize + 1);
  const auto socketPath = Path("model.sock").string();
  const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
  ASSERT_EQ(::bind(listening, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  const std::string tooLarge = ": the file is larger than 256 MiB, the limit for a model file\n";
  const struct {
    std::string model;
    bool fifo;  // `model` is a FIFO fed with `text` and `spaces` blanks
    std::string text;
    std::size_t spaces;
    std::string err;  // "" for the model of examples/register.yaml
  } cases[] = {
      {"/dev/zero", false, "", 0, "tarn: error: Cannot read /dev/zero: not a regular file or a pipe (a model file must be one)\n"},
      {"/dev/null", false, "", 0, "tarn: error: Cannot read /dev/null: not a regular file or a pipe (a model file must be one)\n"},
      {socketPath, false, "", 0, "tarn: error: Cannot read " + socketPath + ": not a regular file or a pipe (a model file must be one)\n"},
      {Path("huge.yaml"), false, "", 0, "tarn: error: Cannot read " + Path("huge.yaml").string() + tooLarge},
      {Path("huge.uml"), false, "", 0, "tarn: error: Cannot read " + Path("huge.uml").string() + tooLarge},
      {Path("over.fifo"), true, "tarn-model: 1\n", kMaxModelFileSize,
       "tarn: error: Cannot read " + Path("over.fifo").string() + tooLarge},
      {Path("model.fifo"), true, Slurp(Example("register.yaml")), 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.model);
    std::optional<FifoFeeder> feeder;
    if (c.fifo) feeder.emplace(c.model, c.text, c.spaces);
    const auto result = Run({"dump", c.model});
    feeder.reset();
    EXPECT_EQ(result.code, c.err.empty() ? 0 : 1) << result.err;
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.out, c.err.empty() ? Run({"dump", Example("register.yaml")}).out : "");
  }
  ::close(listening);
  std::signal(SIGPIPE, previousPipe);
}

// A model cut before any of its tags is a located error.
TEST_F(BadInputTest, XmiCutAnywhereIsALocatedError) {
  const std::string whole = Slurp(Example("xmi/papyrus/bank.uml"));
  int cuts = 0;
  for (auto at = whole.find('<', 1); at != std::string::npos; at = whole.find('<', at + 1), ++cuts) {
    const auto result = Run({"objectz", Write("cut.uml", whole.substr(0, at)), "-o", "out.zed", "--no-run"});
    ASSERT_EQ(result.code, 1) << "cut at byte " << at;
    ASSERT_THAT(result.err, ::testing::MatchesRegex(".*cut.uml:[0-9]+:[0-9]+: error: .*\n")) << "cut at byte " << at;
  }
  EXPECT_GT(cuts, 50);
  ExpectNothingWritten();
}

// Many missing units and many unit names whose case differs from the files:
// every warning has its own line and column, and every unit is found. Each
// warning used to count lines from the start of the file, and each name to
// list the whole folder again (see bench/unit_lookup_bench.cpp).
TEST_F(BadInputTest, ManyMissingUnitsAndUnitNamesOfAnotherCase) {
  // A package kept in a unit file of its own, holding one class and stubs for
  // other units.
  const auto unit = [](const std::string& name, const std::string& stubs) {
    return "\n(object Petal\n    version    \t50\n    charSet    \t0)\n\n(object Class_Category \"" + name +
           "\"\n    quid \"" + name + "\"\n    logical_models (list unit_reference_list\n\t(object Class \"Class_" +
           name + "\" quid \"C" + name + "\")\n" + stubs + "))\n";
  };
  const auto stub = [](const std::string& file, const std::string& quid) {
    return "\t(object Class_Category \"s" + quid + "\" is_unit TRUE is_loaded FALSE\n\t    file_name \"" + file +
           "\" quid \"" + quid + "\")\n";
  };
  constexpr int kUnits = 2000;
  std::filesystem::create_directories(Path("units"));
  for (int i = 0; i < 4 * kUnits; ++i) Write("units/other" + std::to_string(i) + ".cat", "");
  std::string stubs;
  for (int i = 0; i < kUnits; ++i) {
    const auto n = std::to_string(i);
    Write("units/Found" + n + ".cat", unit("F" + n, ""));
    stubs += stub("$CURDIR\\\\UNITS\\\\fOUND" + n + ".CAT", "F" + n) + stub("$CURDIR\\\\missing" + n + ".cat", "M" + n);
  }
  const auto result = Run({"dump", Write("model.cat", unit("U0", stubs))});
  ASSERT_EQ(result.code, 0) << result.err;
  std::size_t found = 0;
  for (auto at = result.out.find("  - id: \"CF"); at != std::string::npos; at = result.out.find("  - id: \"CF", at + 1))
    ++found;
  EXPECT_EQ(found, static_cast<std::size_t>(kUnits));
  // The stub of missing unit i is on line 12 + 4 * i of the model file, its
  // kind word in column 10.
  std::istringstream warnings(result.err);
  std::string line;
  for (int i = 0; i < kUnits; ++i) {
    ASSERT_TRUE(std::getline(warnings, line));
    EXPECT_THAT(line, ::testing::StartsWith("tarn: " + Path("model.cat").string() + ":" + std::to_string(12 + 4 * i) +
                                            ":10: warning: unit \"$CURDIR\\missing" + std::to_string(i) + ".cat\""));
  }
  EXPECT_FALSE(std::getline(warnings, line)) << line;
}

}  // namespace
}  // namespace tarn::testing
