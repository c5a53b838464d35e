// A command object wired to scripted seams, a settings file and an output
// folder of its own.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "addin/i_tarn.hpp"
#include "support/scripted_platform.hpp"
#include "support/worked_examples.hpp"

namespace tarn::testing {

class AddinTest : public ::testing::Test {
 protected:
  AddinTest()
      : dir_(std::filesystem::temp_directory_path() /
             ("tarn-addin-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name())),
        tarn_(addin::Platform{saveDialog_, messages_, starter_, windows_,
                              addin::SettingsLocation(dir_ / "config" / "Tarn.ini")}) {
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  ~AddinTest() override { std::filesystem::remove_all(dir_); }

  std::string OutputPath(const std::string& name = "out.zed") const { return (dir_ / name).string(); }
  bool OutputExists(const std::string& name = "out.zed") const { return std::filesystem::exists(dir_ / name); }
  void WriteSettings(const std::string& text) {
    std::filesystem::create_directories(dir_ / "config");
    std::ofstream(dir_ / "config" / "Tarn.ini", std::ios::binary) << text;
  }
  // The file names left in the output folder (never a temporary file).
  std::vector<std::string> OutputFolder() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_))
      if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
    return names;
  }

  std::filesystem::path dir_;
  host::MemoryApplication app_;
  ScriptedSaveDialog saveDialog_;
  ScriptedMessages messages_;
  ScriptedStarter starter_;
  ScriptedWindows windows_;
  addin::ITarn tarn_;
};

}  // namespace tarn::testing
