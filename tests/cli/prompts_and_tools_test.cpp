// The save prompt, the offers to start Z/EVES and the type checker, and the
// programs they start (stand-ins that record their arguments).
#include <gmock/gmock.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "cli/run_tarn.hpp"

namespace tarn::testing {
namespace {

using ::testing::HasSubstr;

class PromptsAndToolsTest : public TarnRun {
 protected:
  // A program that writes each of its arguments on a line of `record`.
  std::string Recorder(const std::string& name, const std::string& record) {
    const auto path = Write(name, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" +
                                      Path(record).string() + "'\n");
    ::chmod(path.c_str(), 0755);
    return path;
  }
  // The recorder runs on its own: wait until it has written its record.
  std::string AwaitRecord(const std::string& record) {
    for (int i = 0; i < 200 && !std::filesystem::exists(Path(record)); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return Slurp(Path(record));
  }
  void Configure(const std::string& zeves, const std::string& wizard) {
    const auto result = Run({"config", "--zeves-path", zeves, "--wizard-url", wizard});
    ASSERT_EQ(result.code, 0) << result.err;
  }
};

// Prompts go to standard error: standard output holds only the report.
TEST_F(PromptsAndToolsTest, PromptAddsTheDefaultExtension) {
  env_["TARN_PROMPT"] = "1";
  const auto result = Run({"property-check", Example("register.yaml")}, "register\nn\n");
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_THAT(result.err, HasSubstr(" Save Z/Object-Z Schema "));
  EXPECT_THAT(result.err, HasSubstr("Do you want to run Z/Eves? [y/N]"));
  EXPECT_EQ(result.out, "The specification was generated successfully.\nWritten to register.zed\n");
  EXPECT_TRUE(std::filesystem::exists(Path("register.zed")));

  EXPECT_EQ(Run({"property-check", Example("register.yaml"), "--no-run"}, "out.tex\n").code, 0);
  EXPECT_TRUE(std::filesystem::exists(Path("out.tex")));
}

TEST_F(PromptsAndToolsTest, EmptyAnswerOrEndOfInputCancelsSilently) {
  env_["TARN_PROMPT"] = "1";
  for (const char* input : {"\n", ""}) {
    const auto result = Run({"property-check", Example("register.yaml")}, input);
    EXPECT_EQ(result.code, 3);
    EXPECT_EQ(result.err,
              "-- Save Z/Object-Z Schema --\nFile name (.zed is added when none is given; empty cancels): ");
    EXPECT_EQ(result.out, "");
  }
  EXPECT_THAT(Files(), ::testing::IsEmpty());
}

TEST_F(PromptsAndToolsTest, RunStartsZEvesWithTheConfiguredWords) {
  Configure(Recorder("zeves", "zeves.args") + " --mode 'two words'", "");
  const auto result = Run({"property-check", Example("register.yaml"), "-o", "out.zed", "--run"});
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_EQ(AwaitRecord("zeves.args"), "--mode\ntwo words\n");
}

TEST_F(PromptsAndToolsTest, FileInTheCommandLineIsTheDocument) {
  Configure(Recorder("zeves", "zeves.args") + " --load {file} -x", "");
  std::filesystem::create_directories(Path("my docs"));
  const auto result = Run({"property-check", Example("register.yaml"), "-o", "my docs/out.zed", "--run"});
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_EQ(AwaitRecord("zeves.args"), "--load\n" + Path("my docs/out.zed").string() + "\n-x\n");
}

TEST_F(PromptsAndToolsTest, NoRunOrNoTerminalStartsNothing) {
  Configure(Recorder("zeves", "zeves.args"), "");
  EXPECT_EQ(Run({"property-check", Example("register.yaml"), "-o", "a.zed", "--no-run"}).code, 0);
  EXPECT_EQ(Run({"property-check", Example("register.yaml"), "-o", "b.zed"}).code, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(std::filesystem::exists(Path("zeves.args")));
}

TEST_F(PromptsAndToolsTest, MissingZEvesProgramIsReportedAfterWriting) {
  Configure(Path("no-such-zeves").string(), "");
  const auto result = Run({"property-check", Example("register.yaml"), "-o", "out.zed", "--run"});
  EXPECT_EQ(result.code, 1);
  EXPECT_THAT(result.err, ::testing::StartsWith("tarn: error: Cannot run " + Path("no-such-zeves").string() +
                                                ": No such file or directory\n"));
  EXPECT_TRUE(std::filesystem::exists(Path("out.zed")));
}

TEST_F(PromptsAndToolsTest, WizardAddressIsOneArgumentNeverAShellCommand) {
  const std::string address =
      "http://wizard/?q=1;touch${IFS}pwned1&x=$(touch${IFS}pwned2)|touch${IFS}pwned3\"'`touch${IFS}pwned4`";
  Configure("", address);
  env_["TARN_OPENER"] = Recorder("opener", "opener.args");
  const auto result = Run({"objectz", Example("bank.yaml"), "-o", "bank.tex", "--run"});
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_EQ(AwaitRecord("opener.args"), address + "\n");
  for (const char* pwned : {"pwned1", "pwned2", "pwned3", "pwned4"})
    EXPECT_FALSE(std::filesystem::exists(Path(pwned))) << pwned;
}

}  // namespace
}  // namespace tarn::testing

namespace tarn::testing {
namespace {

// A setting that would not start what it says is refused, naming it, and
// nothing starts: a value longer than the 749 characters the settings can
// return (it would run cut), a NUL byte (it would cut the value), an address
// beginning with '-' (the opener would take it as an option).
TEST_F(PromptsAndToolsTest, SettingsThatWouldNotStartWhatTheySayAreRefused) {
  const auto zeves = Recorder("zeves", "started.args");
  env_["TARN_OPENER"] = zeves;
  const std::string longArgument(800, 'a');
  const struct {
    std::string settings;
    const char* command;
    std::string message;  // "" for a setting that starts the recorder
  } cases[] = {
      {"ZEvesPath=" + zeves + " " + longArgument, "property-check",
       "The setting ZEvesPath is longer than the 749 characters that the settings file can return, so it "
       "would run cut; nothing was started.\n"},
      {"ZEvesPath=" + zeves + std::string(1, '\0') + " --evil", "property-check",
       "The setting ZEvesPath holds a NUL byte, which would cut it; nothing was started.\n"},
      {"WizardUrl=http://wizard/" + longArgument, "objectz", "The setting WizardUrl is longer than the 749"},
      {"WizardUrl=--help", "objectz",
       "The setting WizardUrl begins with '-', which the opener would take as an option; nothing was "
       "started.\n"},
      {"ZEvesPath=" + zeves + " ok", "property-check", ""},
      {"WizardUrl=http://wizard/", "objectz", ""},
  };
  std::filesystem::create_directories(Path("settings"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.settings.substr(0, 40));
    std::filesystem::remove(Path("started.args"));
    Write("settings/Tarn.ini", "[Tarn]\n" + c.settings + "\n");
    const auto model = Example(std::string(c.command) == "objectz" ? "bank.yaml" : "register.yaml");
    const auto result = Run({c.command, model, "-o", "doc.out", "--run"});
    EXPECT_TRUE(std::filesystem::exists(Path("doc.out")));
    if (c.message.empty()) {
      EXPECT_EQ(result.code, 0) << result.err;
      EXPECT_NE(AwaitRecord("started.args"), "");
      continue;
    }
    EXPECT_EQ(result.code, 1);
    EXPECT_THAT(result.err, HasSubstr(c.message));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(std::filesystem::exists(Path("started.args")));
  }
}

}  // namespace
}  // namespace tarn::testing
