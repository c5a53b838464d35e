// tarn config and about, and what happens to files on disk.
#include <gmock/gmock.h>
#include <sys/stat.h>

#include "cli/run_tarn.hpp"

namespace tarn::testing {
namespace {

using ::testing::HasSubstr;

class ConfigTest : public TarnRun {
 protected:
  std::filesystem::path Settings() const { return Path("settings") / "Tarn.ini"; }
};

TEST_F(ConfigTest, FlagsWriteTheirKeysAndCreateTheFile) {
  auto result = Run({"config", "--zeves-path", "/opt/zeves/bin/zeves -gui"});
  ASSERT_EQ(result.code, 0) << result.err;
  EXPECT_EQ(Slurp(Settings()), "[Tarn]\r\nZEVESPATH=/opt/zeves/bin/zeves -gui\r\n");

  result = Run({"config", "--wizard-url", "http://localhost/wizard"});
  ASSERT_EQ(result.code, 0) << result.err;
  EXPECT_EQ(Slurp(Settings()), "[Tarn]\r\nZEVESPATH=/opt/zeves/bin/zeves -gui\r\nWIZARDURL=http://localhost/wizard\r\n");
  result = Run({"config"});
  EXPECT_EQ(result.out, "Settings file: " + Settings().string() +
                            "\nZ/EVES command line (ZEvesPath): /opt/zeves/bin/zeves -gui"
                            "\nWizard address (WizardUrl): http://localhost/wizard\n");
}

TEST_F(ConfigTest, HandWrittenFileKeepsEverythingElse) {
  std::filesystem::create_directories(Settings().parent_path());
  std::ofstream(Settings(), std::ios::binary)
      << "; my settings\n[Other]\nzevespath=not this one\n\n[tARN]\nZEvesPath = old zeves\nextra=kept\n"
         "WizardURL=http://old/\n[Last]\nk=v\n";
  auto result = Run({"config"});
  EXPECT_THAT(result.out, HasSubstr("(ZEvesPath): old zeves\n"));
  EXPECT_THAT(result.out, HasSubstr("(WizardUrl): http://old/\n"));

  result = Run({"config", "--zeves-path", "new zeves"});
  ASSERT_EQ(result.code, 0) << result.err;
  EXPECT_EQ(Slurp(Settings()),
            "; my settings\n[Other]\nzevespath=not this one\n\n[tARN]\nZEVESPATH=new zeves\nextra=kept\n"
            "WizardURL=http://old/\n[Last]\nk=v\n");
}

TEST_F(ConfigTest, PromptsForEachValueThenOkOrCancel) {
  env_["TARN_PROMPT"] = "1";
  auto result = Run({"config"}, "zeves one\n\ncancel\n");
  EXPECT_THAT(result.out, HasSubstr(" Z/Eves Path []: "));
  EXPECT_FALSE(std::filesystem::exists(Settings()));
  result = Run({"config"}, "zeves one\nhttp://w/\nok\n");
  EXPECT_EQ(result.code, 0);
  result = Run({"config"}, "\n\n\n");
  EXPECT_THAT(result.out, HasSubstr(" Z/Eves Path [zeves one]: "));
  EXPECT_THAT(result.out, HasSubstr("(WizardUrl): http://w/\n"));
}

TEST_F(ConfigTest, AboutBox) {
  const auto result = Run({"about"});
  EXPECT_EQ(result.code, 0);
  EXPECT_EQ(result.out,
            " About Tarn\nTarn 1.0\nThis add-in translates UML diagrams annotated with Object-Z into Z and Object-Z "
            "specifications, allowing class properties checking, refinements proof and type checking.\n"
            "Made by the Tarn developers.\n");
}

class OutputFileTest : public TarnRun {};

TEST_F(OutputFileTest, FailedWritesLoseNothing) {
  const auto model = Example("register.yaml");
  auto result = Run({"property-check", model, "-o", "no-folder/out.zed"});
  EXPECT_EQ(result.code, 1);
  EXPECT_THAT(result.err, HasSubstr("no-folder/out.zed"));

  std::filesystem::create_directories(Path("folder.zed"));
  result = Run({"property-check", model, "-o", "folder.zed"});
  EXPECT_EQ(result.code, 1);
  EXPECT_TRUE(std::filesystem::is_directory(Path("folder.zed")));

  Write("locked.zed", "keep me");
  ::chmod(Path("locked.zed").c_str(), 0444);
  result = Run({"property-check", model, "-o", "locked.zed"});
  EXPECT_EQ(result.code, 1);
  EXPECT_EQ(Slurp(Path("locked.zed")), "keep me");
  EXPECT_THAT(Files(), ::testing::ElementsAre("folder.zed", "locked.zed"));
}

}  // namespace
}  // namespace tarn::testing

namespace tarn::testing {
namespace {

TEST_F(ConfigTest, ValueThatDoesNotStickIsAnError) {
  auto result = Run({"config", "--zeves-path", std::string(800, 'z')});
  EXPECT_EQ(result.code, 1);
  EXPECT_THAT(result.err, HasSubstr("749"));
  result = Run({"config", "--wizard-url", "a\nb"});
  EXPECT_EQ(result.code, 1);
  env_["TARN_SETTINGS"] = (Path(Write("not-a-folder", "")) / "Tarn.ini").string();
  result = Run({"config", "--zeves-path", "zeves"});
  EXPECT_EQ(result.code, 1);
  EXPECT_THAT(result.err, HasSubstr("could not be written"));
}

}  // namespace
}  // namespace tarn::testing
