// Whatever the model file or the paths, tarn reports the problem with an
// exit code and never loses or half-writes a document.
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
using ::testing::StartsWith;

constexpr const char* kPrevious = "previous document\r\n";

class BadInputTest : public TarnRun {
 protected:
  void SetUp() override { Write("out.zed", kPrevious); }

  // The model is refused with a message that starts with "tarn: " and
  // `prefix` and contains `text`; the previous document is untouched.
  void ExpectRefused(const std::string& command, const std::string& model, const std::string& prefix,
                     const std::string& text) {
    const auto result = Run({command, model, "-o", "out.zed", "--no-run"});
    EXPECT_EQ(result.code, 1) << model;
    EXPECT_THAT(result.err, StartsWith("tarn: " + prefix)) << model;
    EXPECT_THAT(result.err, HasSubstr(text)) << model;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(Slurp(Path("out.zed")), kPrevious);
    EXPECT_THAT(Files(), ::testing::Contains("out.zed"));
    for (const auto& name : Files()) EXPECT_THAT(name, ::testing::Not(HasSubstr(".tarn-")));
  }
};

std::string Garbage(std::size_t size) {
  std::string bytes;
  std::uint32_t state = 12345;
  for (std::size_t i = 0; i < size; ++i) {
    state = state * 1103515245u + 12345u;
    bytes += static_cast<char>(state >> 24);
  }
  return bytes;
}

TEST_F(BadInputTest, MalformedNativeFilesNameTheirPlace) {
  const auto register_ = Slurp(Example("register.yaml"));
  const auto truncated = Write("truncated.yaml", register_.substr(0, register_.find("tags:") + 3));
  ExpectRefused("property-check", truncated, truncated + ":", "tag");
  const auto garbage = Write("garbage.yaml", "\xF8" + Garbage(4000));
  ExpectRefused("property-check", garbage, garbage + ":1:1: error: ", "not UTF-8");
  const auto latin1 = Write("latin1.yaml", "tarn-model: 1\nclasses:\n  - name: \xE9t\xE9\n");
  ExpectRefused("objectz", latin1, latin1 + ":3:11: error: ", "not UTF-8");
  const auto empty = Write("empty.yaml", "");
  ExpectRefused("property-check", empty, empty + ":1:1: error: ", "tarn-model");
  const auto deep = Write("deep.yaml", "tarn-model: 1\nclasses: " + std::string(100000, '[') + std::string(100000, ']'));
  ExpectRefused("objectz", deep, deep + ":2:", "nesting");
}

TEST_F(BadInputTest, MalformedPetalFilesNameTheirPlace) {
  const auto truncated = Write("truncated.mdl", "\n(object Petal\n    version 42)\n(object Design \"Logical View\"\n  root");
  ExpectRefused("objectz", truncated, truncated + ":", "");
  const auto garbage = Write("garbage.mdl", Garbage(4000));
  ExpectRefused("objectz", garbage, garbage + ":", "");
  const auto empty = Write("empty.mdl", "");
  ExpectRefused("objectz", empty, empty + ":1:1: error: ", "empty");
  std::string nested = "\n(object Petal version 42)\n";
  for (int i = 0; i < 100000; ++i) nested += "(list ";
  const auto deep = Write("deep.mdl", nested);
  ExpectRefused("objectz", deep, deep + ":", "");
}

TEST_F(BadInputTest, MissingOrUnreadableModelFiles) {
  ExpectRefused("property-check", Path("missing.yaml").string(), "", "missing.yaml");
  for (const char* folder : {"folder.yaml", "folder.mdl"}) {
    std::filesystem::create_directories(Path(folder));
    ExpectRefused("property-check", Path(folder).string(), "error: Cannot read ", "Is a directory");
  }
  if (::geteuid() != 0) {
    const auto locked = Write("locked.yaml", "tarn-model: 1\n");
    ::chmod(locked.c_str(), 0);
    ExpectRefused("property-check", locked, "", "Permission denied");
  }
}

TEST_F(BadInputTest, FortyThousandAttributesOverflow) {
  std::string model = "tarn-model: 1\nselection: [C]\ndiagrams: [{ name: D, classes: [C] }]\nclasses:\n"
                      "  - name: C\n    tags: { Properties: \"%P\" }\n    attributes:\n";
  for (int i = 0; i < 40000; ++i) model += "      - { name: a" + std::to_string(i) + ", type: T }\n";
  const auto wide = Write("wide.yaml", model);
  ExpectRefused("property-check", wide, "error: Overflow", "32767");
  ExpectRefused("objectz", wide, "error: Overflow", "32767");
}

TEST_F(BadInputTest, TenMegabyteTextGoesThrough) {
  const std::string line(10 * 1024 * 1024, 'x');
  const auto model = Write("big.yaml", "tarn-model: 1\nselection: [C]\nclasses:\n  - name: C\n"
                                       "    tags: { Properties: \"%P\\n" + line + "\" }\n");
  const auto result = Run({"property-check", model, "-o", "big.zed"});
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_THAT(Slurp(Path("big.zed")), HasSubstr("    " + line + "\r\n"));
}

TEST_F(BadInputTest, WriteFailureHalfWayKeepsThePreviousFile) {
  // A 10 MB document against a 64 KB file size limit fails part way through.
  const std::string line(10 * 1024 * 1024, 'y');
  const auto model = Write("big.yaml", "tarn-model: 1\nselection: [C]\nclasses:\n  - name: C\n"
                                       "    tags: { Properties: \"%P\\n" + line + "\" }\n");
  std::vector<std::string> args{"property-check", model, "-o", "out.zed"};
  const auto result = RunLimited("--fsize=65536", args);
  EXPECT_EQ(result.code, 1) << result.err;
  EXPECT_THAT(result.err, HasSubstr("out.zed"));
  EXPECT_THAT(result.err, HasSubstr("File too large"));
  EXPECT_EQ(Slurp(Path("out.zed")), kPrevious);
  for (const auto& name : Files()) EXPECT_THAT(name, ::testing::Not(HasSubstr(".tarn-")));
}

}  // namespace
}  // namespace tarn::testing

namespace tarn::testing {
namespace {

TEST_F(BadInputTest, EachModelFileErrorWithItsLineAndColumn) {
  const struct {
    const char* text;
    const char* place;
    const char* message;
  } cases[] = {
      {"tarn-model: 1\nclasses:\n  - name: A\n    name: B\n", "4:5", "given twice"},
      {"tarn-model: 2\n", "1:13", "version"},
      {"classes: []\n", "1:1", "tarn-model"},
      {"tarn-model: 1\nclasses:\n  - name: [A]\n", "3:11", "must be a text, not a list"},
      {"tarn-model: 1\nencoding: klingon\n", "2:11", "unknown encoding"},
      {"tarn-model: 1\nclasses:\n  - name: A\n  - name: A\n", "4:11", "duplicate id"},
      {"tarn-model: 1\nclasses:\n  - name: A\n    superclasses: [Z]\n", "4:20", "unknown id \"Z\""},
      {"tarn-model: 1\nselection: [Q]\n", "2:13", "unknown id \"Q\""},
      {"tarn-model: 1\nclasses:\n  - name: A\nassociations:\n  - id: r\n    roles: [{ class: A }]\n", "6:12",
       "exactly two roles"},
      {"tarn-model: 1\nclasses:\n  - name: \xE4\xB8\xAD\n", "3:11", "cannot be written in windows-1252"},
  };
  for (const auto& bad : cases) {
    const auto model = Write("bad.yaml", bad.text);
    ExpectRefused("property-check", model, model + ":" + bad.place + ": error: ", bad.message);
  }
}

}  // namespace
}  // namespace tarn::testing

namespace tarn::testing {
namespace {

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
  const std::string small = Slurp(Example("register.yaml"));
  const auto sparse = Path("huge.yaml");
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

  const struct {
    std::string model;
    bool fifo;  // `model` is a FIFO fed with `text` and `spaces` blanks
    std::string text;
    std::size_t spaces;
    int code;
    std::string message;
  } cases[] = {
      {"/dev/zero", false, "", 0, 1, "Cannot read /dev/zero: not a regular file or a pipe"},
      {"/dev/null", false, "", 0, 1, "Cannot read /dev/null: not a regular file or a pipe"},
      {socketPath, false, "", 0, 1, "model.sock: not a regular file or a pipe"},
      {sparse.string(), false, "", 0, 1, "huge.yaml: the file is larger than 256 MiB, the limit for a model file"},
      {Path("huge.uml").string(), false, "", 0, 1, "huge.uml: the file is larger than 256 MiB"},
      {Path("over.fifo").string(), true, "tarn-model: 1\n", kMaxModelFileSize, 1,
       "over.fifo: the file is larger than 256 MiB, the limit for a model file"},
      {Path("model.fifo").string(), true, small, 0, 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.model);
    std::optional<FifoFeeder> feeder;
    if (c.fifo) feeder.emplace(c.model, c.text, c.spaces);
    const auto result = Run({"dump", c.model});
    feeder.reset();
    EXPECT_EQ(result.code, c.code) << result.err;
    if (c.code == 0) {
      EXPECT_EQ(result.out, Run({"dump", Example("register.yaml")}).out);
      EXPECT_EQ(result.err, "");
    } else {
      EXPECT_THAT(result.err, HasSubstr(c.message));
      EXPECT_EQ(result.out, "");
    }
  }
  ::close(listening);
  std::signal(SIGPIPE, previousPipe);
}

// Memory that runs out is an error like any other: a message and exit 1, the
// previous document kept and no temporary file left. A 24 MiB text cannot
// be read, held and written in 64 MB of address space, however frugal the
// reader. Run on a tarn without the sanitizers (see tests/cli/CMakeLists.txt).
TEST_F(BadInputTest, RunningOutOfMemoryIsAnErrorThatKeepsThePreviousDocument) {
  const auto model = Write("big.yaml", "tarn-model: 1\nselection: [C]\ndiagrams: [{ name: D, classes: [C] }]\n"
                                       "classes:\n  - name: C\n    tags: { Properties: \"%P\\n" +
                                           std::string(24 << 20, 'x') + "\" }\n");
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
    EXPECT_EQ(Slurp(Path("out.zed")), kPrevious);
    EXPECT_THAT(Files(), ::testing::ElementsAre("big.yaml", "out.zed"));
  }
  // The same model and program without the limit: the limit is what failed.
  EXPECT_EQ(Run({"property-check", model, "-o", "out.zed", "--no-run"}).code, 0);
}

// Control bytes that a model or a settings file carries into a message are
// shown as \xHH: never cut at a NUL, never handed to the terminal.
TEST_F(BadInputTest, ControlBytesInMessagesAreShownEscaped) {
  std::filesystem::create_directories(Path("settings"));
  Write("settings/Tarn.ini", "[Tarn]\nZEvesPath=zeves \x1b[2J\nWizardUrl=a\x07" "b\n");
  const std::string stub = "\t    (object Class_Category \"gone\" is_unit TRUE is_loaded FALSE\n"
                           "\t\tfile_name \"\x1b]0;title\x07gone.cat\" quid \"0000000000U1\")\n";
  const struct {
    std::vector<std::string> args;
    std::string file, text;  // a model file to write first
    bool onStdout;
    std::string shown;
  } cases[] = {
      {{"dump", "nul.yaml"}, "nul.yaml", "tarn-model: 1\nclasses:\n  - name: \"A\\e[31m\\0after\"\n  - name: \"A\\e[31m\\0after\"\n",
       false, "duplicate id \"A\\x1b[31m\\x00after\""},
      {{"property-check", "ok.yaml", "--select", "\x1b[31mX", "-o", "o.zed"}, "ok.yaml", Slurp(Example("register.yaml")),
       false, "--select \\x1b[31mX: no class"},
      {{"dump", "m.mdl"}, "m.mdl",
       "\n(object Petal version 50 charSet 0)\n(object Design \"Logical View\"\n root_category (object "
       "Class_Category \"Logical View\"\n  logical_models (list unit_reference_list\n" + stub + ")))\n",
       false, "unit \"\\x1b]0;title\\x07gone.cat\" of package"},
      {{"config"}, "", "", true, "zeves \\x1b[2J\nWizard address (WizardUrl): a\\x07b\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.front());
    if (!c.file.empty()) Write(c.file, c.text);
    const auto result = Run(c.args);
    const std::string& shown = c.onStdout ? result.out : result.err;
    EXPECT_THAT(shown, HasSubstr(c.shown));
    for (const std::string& stream : {result.out, result.err}) {
      EXPECT_EQ(stream.find('\x1b'), std::string::npos) << stream;
      EXPECT_EQ(stream.find('\x07'), std::string::npos) << stream;
      EXPECT_EQ(stream.find('\0'), std::string::npos) << stream;
    }
  }
}

// A class cannot inherit from itself: objectz and dump name every cycle, and
// the document is still written.
TEST_F(BadInputTest, SuperclassCyclesAreWarnedOf) {
  const auto withClasses = [](const std::string& classes) {
    return "tarn-model: 1\ndiagrams: [{ name: D, classes: [A] }]\nclasses:\n" + classes;
  };
  const struct {
    std::string classes;
    std::string warnings;
  } cases[] = {
      {"  - { name: A, superclasses: [A] }\n", "tarn: warning: class A is its own superclass\n"},
      {"  - { name: A, superclasses: [A, B] }\n  - { name: B, superclasses: [A] }\n",
       "tarn: warning: class A is its own superclass\ntarn: warning: superclass cycle: A -> B -> A\n"},
      {"  - { name: A, superclasses: [B, C] }\n  - { name: B, superclasses: [C] }\n"
       "  - { name: C, superclasses: [D] }\n  - { name: D, superclasses: [B, D] }\n",
       "tarn: warning: superclass cycle: B -> C -> D -> B\ntarn: warning: class D is its own superclass\n"},
      {"  - { name: A, superclasses: [B, C] }\n  - { name: B, superclasses: [C] }\n  - name: C\n", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.classes);
    const auto model = Write("cycle.yaml", withClasses(c.classes));
    auto result = Run({"objectz", model, "-o", "out.zed", "--no-run"});
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.err, c.warnings);
    EXPECT_THAT(Slurp(Path("out.zed")), HasSubstr("\\begin{class}{A}"));
    result = Run({"dump", model});
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.err, c.warnings);
    EXPECT_THAT(Run({"property-check", model, "--select", "A", "-o", "out.zed", "--no-run"}).err,
                ::testing::Not(HasSubstr("warning")));
  }
}

}  // namespace
}  // namespace tarn::testing
