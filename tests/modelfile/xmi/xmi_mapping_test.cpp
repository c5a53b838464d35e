// How the XMI reader maps what the tools write onto the host: small models
// in the shapes real files use (xmi/data/mapping.txt), and what only a
// program can write.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "modelfile/load_error.hpp"
#include "modelfile/model_query.hpp"
#include "modelfile/test_data.hpp"
#include "modelfile/xmi/xmi_reader.hpp"

namespace tarn::modelfile {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;

// An Eclipse UML2 model named Shop holding `body`.
std::string Model(const std::string& body) {
  return R"(<?xml version="1.0" encoding="UTF-8"?>
<xmi:XMI xmi:version="20131001" xmlns:xmi="http://www.omg.org/spec/XMI/20131001" )"
         R"(xmlns:uml="http://www.eclipse.org/uml2/5.0.0/UML"><uml:Model xmi:id="shop" name="Shop">)" +
         body + "</uml:Model></xmi:XMI>\n";
}

class XmiMapping : public ::testing::Test {
 protected:
  XmiModel Read(const std::string& xml, const std::string& encoding = "windows-1252") {
    warnings_.clear();
    XmiOptions options;
    options.encoding = encoding;
    return ParseXmiModel(xml, "/nonexistent/shop.uml", options,
                         [this](const std::string& warning) { warnings_.push_back(warning); });
  }

  // A query of model_query.hpp, or "model", "warnings" (one a line).
  std::string Fact(const XmiModel& model, const std::string& query) {
    std::string out;
    for (const std::string& warning : warnings_) out += (out.empty() ? "" : "\n") + warning;
    if (query == "warnings") return out;
    if (query == "model") return testing::ModelText(model.app->model);
    if (query.starts_with("select|"))
      return testing::SelectFact(
          [&](const auto& words) { return ResolveXmiSelection(model, words); }, query);
    return testing::Query(model.app->model, query);
  }

  std::vector<std::string> warnings_;
};

TEST_F(XmiMapping, WhatTheToolsWrite) {
  for (const testing::Case& test : testing::ReadCases(testing::DataPath("xmi/data/mapping.txt"))) {
    SCOPED_TRACE(test.where);
    const XmiModel model = Read(test.input);
    for (const auto& [query, expected] : test.sections)
      EXPECT_EQ(Fact(model, query), test.Expected(query)) << query;
  }
}

TEST_F(XmiMapping, TextsInTheModelsCodePage) {
  const std::string body =
      "<packagedElement xmi:type=\"uml:Class\" xmi:id=\"C\"\n   name=\"Caf\xC3\xA9 \xE2\x82\xAC\"/>"
      "<packagedElement xmi:type=\"uml:Class\" xmi:id=\"D\" name=\"\xE6\x97\xA5\"/>";
  try {
    Read(Model(body));
    ADD_FAILURE() << "a character windows-1252 cannot hold was read";
  } catch (const LoadError& error) {
    EXPECT_EQ(error.Line(), 3);
    EXPECT_THAT(
        error.Message(),
        AllOf(HasSubstr("U+65E5"), HasSubstr("cannot be written in windows-1252; "
                                             "name a code page that holds it with --encoding")));
  }
  const XmiModel model = Read(Model(body), "utf-8");
  EXPECT_EQ(model.app->model.classes.front().name, "Caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(Read(Model(body.substr(0, body.find("<packagedElement", 10))))
                .app->model.classes.front()
                .name,
            "Caf\xE9 \x80");
}

// Places in a file read in pieces: the line and byte column of the tag,
// counted here from the text itself, in UTF-8 and in a single-byte code page.
TEST_F(XmiMapping, PlacesAcrossALongFile) {
  std::string padding;
  for (int i = 0; i < 100000; ++i) padding += "<!-- \xC3\xA9 a comment line -->\n";
  const struct {
    std::string xml;
    const char* encoding;
  } cases[] = {
      {Model(padding + "<ownedComment/><packagedElement xmi:type=\"uml:Class\" xmi:id=\"C\"\n "
                       "name=\"\xE6\x97\xA5\"/>"),
       "windows-1252"},
      {"<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<uml:Model "
       "xmlns:uml=\"http://www.omg.org/spec/UML/"
       "20161101\" xmlns:xmi=\"http://www.omg.org/spec/XMI/20131001\" name=\"M\">\n" +
           std::string(3000, ' ') +
           "<x name=\"\xE9\xE9\"/> <packagedElement xmi:type=\"uml:Class\" "
           "name=\"\xE9\"/></uml:Model>",
       "us-ascii"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.encoding);
    const std::size_t at = test.xml.find("<packagedElement");
    const auto line =
        std::count(test.xml.begin(), test.xml.begin() + static_cast<long>(at), '\n') + 1;
    const auto column = static_cast<int>(at - test.xml.rfind('\n', at));
    try {
      Read(test.xml, test.encoding);
      ADD_FAILURE() << "read";
    } catch (const LoadError& error) {
      EXPECT_EQ(error.Line(), line);
      EXPECT_EQ(error.Column(), column);
    }
  }
}

}  // namespace
}  // namespace tarn::modelfile
