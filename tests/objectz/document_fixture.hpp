// Builds small models in the in-memory host and runs the generator on them
// through its one entry point, reading back the bytes it wrote.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <sstream>
#include <string>

#include "host/memory_host.hpp"
#include "objectz/generator.hpp"

namespace tarn::objectz {

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Lines joined with CR LF, each line closed by one.
inline std::string CrLfLines(std::initializer_list<std::string> lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

class DocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() /
           ("tarn-objectz-" + std::to_string(::getpid()) + "-" + info->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    model().root.diagrams.emplace_back().name = "Main";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  host::MemoryModel& model() { return app_.model; }
  host::MemoryClassDiagram& diagram() { return model().root.diagrams.front(); }

  // A class of the model, shown on the first diagram.
  host::MemoryClass& AddClass(const std::string& name) {
    auto& added = model().classes.emplace_back();
    added.name = name;
    diagram().classes.push_back(&added);
    return added;
  }
  host::MemoryAttribute& AddAttribute(host::MemoryClass& owner, const std::string& name,
                                      const std::string& type, const std::string& initial = "") {
    auto& attribute = owner.attributes.emplace_back();
    attribute.name = name;
    attribute.type = type;
    attribute.initial = initial;
    return attribute;
  }
  host::MemoryOperation& AddOperation(host::MemoryClass& owner, const std::string& name) {
    auto& operation = owner.operations.emplace_back();
    operation.name = name;
    return operation;
  }
  // An association shown on the first diagram; the first role is at `a`.
  host::MemoryAssociation& AddAssociation(const host::MemoryClass& a, const std::string& roleA,
                                          const host::MemoryClass& b, const std::string& roleB) {
    auto& association = model().associations.emplace_back();
    association.first.supplier = &a;
    association.first.name = roleA;
    association.second.supplier = &b;
    association.second.name = roleB;
    diagram().associations.push_back(&association);
    return association;
  }

  std::string OutputPath() const { return (dir_ / "model.tex").string(); }

  // The whole document the generator writes for the model.
  std::string Generate() {
    Generator generator;
    generator.typeset = typeset_;
    generator.Generate(app_, OutputPath());
    return ReadBytes(OutputPath());
  }

  // The lines of the class paragraph of `name`, from its heading up to and
  // including "\end{class}"; the first paragraph of that name.
  std::string ClassParagraph(const std::string& name) {
    const std::string document = Generate();
    const auto begin = document.find("\\section{" + name + "}\r\n");
    if (begin == std::string::npos) return "<no paragraph for " + name + ">";
    const std::string end = "\\end{class}\r\n";
    return document.substr(begin, document.find(end, begin) + end.size() - begin);
  }

  // The lines of the state schema of `name`, between "\begin{state}" and
  // "\end{state}" (both excluded).
  std::string StateSchema(const std::string& name) { return Between(ClassParagraph(name), "state"); }

  static std::string Between(const std::string& text, const std::string& environment) {
    const std::string begin = "\\begin{" + environment + "}\r\n";
    const auto from = text.find(begin);
    if (from == std::string::npos) return "<no " + environment + ">";
    const auto start = from + begin.size();
    return text.substr(start, text.find("\\end{" + environment + "}", start) - start);
  }

  host::MemoryApplication app_;
  std::filesystem::path dir_;
  std::optional<FrontMatter> typeset_;  // set: the document to be typeset
};

}  // namespace tarn::objectz
