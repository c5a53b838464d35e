// The programs tarn starts after writing a document: Z/EVES with the words of
// its command line, the desktop's opener with the Wizard address; a stand-in
// records the arguments it was started with.
#include <gmock/gmock.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "cli/run_tarn.hpp"

namespace tarn::testing {
namespace {

using ::testing::HasSubstr;

class ToolsTest : public TarnRun {};

TEST_F(ToolsTest, StartsWhatTheSettingsSayAndNothingElse) {
  // A program that says so on standard output, then writes each of its
  // arguments on a line of started.args.
  const auto recorder = Write("recorder", "#!/bin/sh\necho 'the recorder ran'\n"
                                          "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" +
                                              Path("started.args").string() + "'\n");
  ::chmod(recorder.c_str(), 0755);
  env_["TARN_OPENER"] = recorder;
  std::filesystem::create_directories(Path("my docs"));
  const std::string address =
      "http://wizard/?q=1;touch${IFS}pwned1&x=$(touch${IFS}pwned2)|touch${IFS}pwned3\"'`touch${IFS}pwned4`";
  const std::string longArgument(800, 'a');
  const struct {
    std::string setting;
    std::string output;  // a .zed for property-check, a .tex for objectz
    const char* run;     // --run, --no-run, or "" for neither (standard input is no terminal)
    std::string started;  // the arguments of the program started, one a line; "" for none
    std::string err;      // what standard error holds when nothing may be started
  } cases[] = {
      {"ZEvesPath=" + recorder + " --mode 'two words'", "doc.zed", "--run", "--mode\ntwo words\n", ""},
      {"ZEvesPath=" + recorder + " --load {file} -x", "my docs/doc.zed", "--run",
       "--load\n" + Path("my docs/doc.zed").string() + "\n-x\n", ""},
      {"ZEvesPath=" + recorder, "doc.zed", "--no-run", "", ""},
      {"ZEvesPath=" + recorder, "doc.zed", "", "", ""},
      // The address is one argument, never a shell command.
      {"WizardUrl=" + address, "doc.tex", "--run", address + "\n", ""},
      {"WizardUrl=http://wizard/", "doc.tex", "--no-run", "", ""},
      // A value longer than the settings can return would run cut, a NUL byte
      // would cut it, an address beginning with '-' would be an option.
      {"ZEvesPath=" + recorder + " " + longArgument, "doc.zed", "--run", "",
       "The setting ZEvesPath is longer than the 749 characters that the settings file can return, so it "
       "would run cut; nothing was started.\n"},
      {"ZEvesPath=" + recorder + std::string(1, '\0') + " --evil", "doc.zed", "--run", "",
       "The setting ZEvesPath holds a NUL byte, which would cut it; nothing was started.\n"},
      {"WizardUrl=http://wizard/" + longArgument, "doc.tex", "--run", "",
       "The setting WizardUrl is longer than the 749 characters"},
      {"WizardUrl=--help", "doc.tex", "--run", "",
       "The setting WizardUrl begins with '-', which the opener would take as an option; nothing was started.\n"},
  };
  std::filesystem::create_directories(Path("settings"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.setting.substr(0, 40) + " " + c.run);
    std::filesystem::remove(Path("started.args"));
    Write("settings/Tarn.ini", "[Tarn]\n" + c.setting + "\n");
    const bool objectz = c.output.ends_with(".tex");
    std::vector<std::string> args{objectz ? "objectz" : "property-check",
                                  Example(objectz ? "bank.yaml" : "register.yaml"), "-o", c.output};
    if (*c.run) args.push_back(c.run);
    const auto result = Run(args);
    EXPECT_TRUE(std::filesystem::exists(Path(c.output)));
    EXPECT_EQ(result.code, c.err.empty() ? 0 : 1) << result.err;
    EXPECT_THAT(result.err, c.err.empty() ? ::testing::Matcher<std::string>("") : HasSubstr(c.err));
    // The program runs on its own: wait until it has written its record.
    for (int i = 0; i < 200 && !c.started.empty() && !std::filesystem::exists(Path("started.args")); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    std::this_thread::sleep_for(std::chrono::milliseconds(c.started.empty() ? 200 : 50));
    EXPECT_EQ(Slurp(Path("started.args")), c.started);
    // Z/EVES shares tarn's terminal; the opener is started hidden, its chatter kept off it.
    EXPECT_EQ(Slurp(Path(".stdout")).find("the recorder ran") != std::string::npos, !objectz && !c.started.empty());
  }
  for (const auto& name : Files()) EXPECT_THAT(name, ::testing::Not(HasSubstr("pwned")));
}

}  // namespace
}  // namespace tarn::testing
