// Rose models read through the host interface: small models written the way
// the modelling tool writes them (petal/data/mapping.txt), the files the
// reader refuses (petal/data/errors.txt), and corrupted models.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "common/error.hpp"
#include "modelfile/load_error.hpp"
#include "modelfile/petal/petal_facts.hpp"
#include "modelfile/test_data.hpp"

namespace tarn::modelfile {
namespace {

using testing::DataPath;

class PetalMapping : public ::testing::Test {
 protected:
  // The case's model file: its bytes as m.mdl, or "file PATH" under petal/data/.
  PetalModel Read(const testing::Case& test) {
    PetalOptions options;
    options.pathMap["TARN_UNITS"] = DataPath("petal/data/units");
    if (!test.input.starts_with("file "))
      return ParsePetalModel(test.input, "m.mdl", options, Warn());
    return LoadPetalModel(DataPath("petal/data/" + test.InputLine().substr(5)), options, Warn());
  }
  std::function<void(const std::string&)> Warn() {
    warnings_.clear();
    return [this](std::string warning) {  // with the paths under petal/data/ made relative
      for (auto at = warning.find(kData); at != std::string::npos; at = warning.find(kData))
        warning.erase(at, kData.size());
      warnings_.push_back(warning);
    };
  }

  std::string Fact(const PetalModel& model, const std::string& query) {
    return testing::PetalFact(model, warnings_, query);
  }

  const std::string kData = DataPath("petal/data/");
  std::vector<std::string> warnings_;
};

TEST_F(PetalMapping, WhatTheModelsHold) {
  for (const testing::Case& test : testing::ReadCases(DataPath("petal/data/mapping.txt"))) {
    SCOPED_TRACE(test.where);
    const PetalModel model = Read(test);
    for (const auto& [query, expected] : test.sections)
      EXPECT_EQ(Fact(model, query), test.Expected(query)) << query;
  }
}

// The symbol of a unit's path from the environment; bytes already read load
// as the file would at their path (an unknown symbol's unit is looked for
// beside it), and messages name it.
TEST_F(PetalMapping, UnitsFoundThroughTheEnvironmentAndBesideTheModel) {
  const std::string model = DataPath("petal/data/units/model/m.mdl");
  ::setenv("Tarn_Units", DataPath("petal/data/units").c_str(), 1);
  const PetalModel from_environment = LoadPetalModel(model, {}, Warn());
  ::unsetenv("Tarn_Units");
  EXPECT_EQ(Fact(from_environment, "warnings"), "");
  EXPECT_EQ(Fact(from_environment, "diagram|1|classes"), "I, O");

  const std::string path = DataPath("petal/data/units/never-written.mdl");
  const PetalModel beside = ParsePetalModel(testing::ReadFile(model), path, {}, Warn());
  EXPECT_EQ(Fact(beside, "warnings"), "");
  EXPECT_EQ(Fact(beside, "diagram|1|classes"), "I, O");
  try {
    ParsePetalModel("\n(object Petal version 50)\n(object Something \"x\")\n", path, {}, Warn());
    ADD_FAILURE() << "no load error";
  } catch (const LoadError& error) {
    EXPECT_EQ(error.File(), path);
  }
}

TEST_F(PetalMapping, RefusesWithTheMessageAtItsPlace) {
  const std::string header = "\n(object Petal\n    version    \t50\n    charSet    \t0)\n\n";
  for (const testing::Case& test : testing::ReadCases(DataPath("petal/data/errors.txt"))) {
    SCOPED_TRACE(test.where);
    const bool whole = test.Has("error of the whole file");
    try {
      ParsePetalModel((whole ? "" : header) + test.input, "m.mdl", {}, Warn());
      ADD_FAILURE() << "no load error";
    } catch (const LoadError& error) {
      EXPECT_EQ(error.what(), test.Expected(whole ? "error of the whole file" : "error"));
    }
  }
  EXPECT_THROW(LoadPetalModel(DataPath("petal/data/absent.mdl"), {}, Warn()), Error);
}

// Corrupted models either load or fail with a load error; whatever loads
// can be walked through the host without touching freed or missing records.
TEST_F(PetalMapping, CorruptedModelsNeverCrash) {
  const std::string model = testing::ReadCases(DataPath("petal/data/mapping.txt")).at(0).input;
  std::mt19937 random(6);
  const std::string alphabet = "()\"\\|@ \n0123456789ABCDEF:$";
  for (int round = 0; round < 400; ++round) {
    std::string bytes = model;
    for (int i = 0; i < 4; ++i) {
      const std::size_t at = random() % bytes.size();
      if (random() % 2)
        bytes[at] = alphabet[random() % alphabet.size()];
      else
        bytes.erase(at, 1 + random() % 12);
    }
    try {
      const PetalModel petal = ParsePetalModel(bytes, "m.mdl", {}, Warn());
      for (const auto& cls : petal.app->model.classes) {
        if (!cls.unavailable.empty()) continue;
        for (const auto* super : cls.superclasses) EXPECT_NE(super, nullptr);
      }
      for (const auto& association : petal.app->model.associations) {
        if (!association.unavailable.empty()) continue;
        EXPECT_NE(association.first.supplier, nullptr);
        EXPECT_NE(association.second.supplier, nullptr);
      }
    } catch (const LoadError&) {
    }
  }
}

}  // namespace
}  // namespace tarn::modelfile
