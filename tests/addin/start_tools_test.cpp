#include <gmock/gmock.h>

#include "addin/addin_fixture.hpp"

namespace tarn::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class StartToolsTest : public AddinTest {
 protected:
  void SetUp() override { app_.model.selection = {&AddRegClass(app_.model)}; }
  addin::Outcome RunAnsweringYes() {
    saveDialog_.answers = {OutputPath()};
    messages_.answers = {true};
    return tarn_.RunPropertyChecker(app_);
  }
};

TEST_F(StartToolsTest, YesStartsTheConfiguredCommandLineAsWords) {
  WriteSettings("[tarn]\nzevespath=/opt/z eves/zeves --gui \"two words\"\n");
  tarn_.ZEvesPath = "/bin/never-used";
  EXPECT_EQ(RunAnsweringYes(), addin::Outcome::kDone);
  EXPECT_THAT(starter_.started, ElementsAre(ElementsAre("/opt/z", "eves/zeves", "--gui", "two words")));
  EXPECT_THAT(starter_.states, ElementsAre(addin::WindowState::kMaximizedWithFocus));
  EXPECT_EQ(tarn_.ZEvesPath, "/opt/z eves/zeves --gui \"two words\"");
  EXPECT_THAT(messages_.messages, IsEmpty());
}

TEST_F(StartToolsTest, TaskIdZeroIs1006AndTheDocumentStays) {
  WriteSettings("[Tarn]\r\nZEVESPATH=zeves\r\n");
  starter_.taskId = 0;
  EXPECT_EQ(RunAnsweringYes(), addin::Outcome::kFailed);
  EXPECT_THAT(messages_.messages, ElementsAre("Z/Eves cannot run. Check your\r\nconfigurations and try again."));
  EXPECT_EQ(ReadFileBytes(OutputPath()), Golden("zeves/reg_property_check.zed"));
}

TEST_F(StartToolsTest, MissingCommandLineIsAPlatformError) {
  EXPECT_EQ(RunAnsweringYes(), addin::Outcome::kFailed);
  EXPECT_THAT(messages_.messages, ElementsAre("No Z/EVES command line is configured."));
  EXPECT_THAT(starter_.started, IsEmpty());
}

TEST_F(StartToolsTest, ConfigurationOkWritesBothKeysCancelWritesNothing) {
  windows_.edit = std::make_pair(std::string("zeves --batch"), std::string("http://wizard.example/"));
  tarn_.RunConfiguration(app_);
  tarn_.OpenIni();
  EXPECT_EQ(tarn_.ZEvesPath, "zeves --batch");
  EXPECT_EQ(tarn_.WizardUrl, "http://wizard.example/");

  windows_.edit.reset();
  tarn_.RunConfiguration(app_);
  EXPECT_THAT(windows_.loaded.back(), ::testing::Pair("zeves --batch", "http://wizard.example/"));
  tarn_.OpenIni();
  EXPECT_EQ(tarn_.ZEvesPath, "zeves --batch");
}

TEST_F(StartToolsTest, AboutShowsTheTitle) {
  tarn_.RunAbout(app_);
  EXPECT_THAT(windows_.aboutTitles, ElementsAre("Tarn 1.0"));
}

}  // namespace
}  // namespace tarn::testing
