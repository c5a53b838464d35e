#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "parser/z_parser.hpp"

namespace tarn::parser {
namespace {

using ::testing::ElementsAre;

struct Parsed {
  std::string name;
  std::vector<std::string> lines;
  bool operator==(const Parsed&) const = default;
};

std::vector<Parsed> Properties(const std::string& text) {
  zmodel::ZPCClass check;
  ZParser().ParseProperties(check, text);
  std::vector<Parsed> result;
  for (const auto& theorem : check.Theorems)
    result.push_back({theorem.Name, {theorem.Theorem.begin(), theorem.Theorem.end()}});
  return result;
}

std::int32_t ErrorOf(const std::string& text) {
  zmodel::ZPCClass check;
  try {
    ZParser().ParseProperties(check, text);
  } catch (const Error& error) {
    EXPECT_TRUE(check.Theorems.Empty());
    return error.Number();
  }
  return 0;
}

TEST(ParseProperties, HeadersStartTheoremsInOrder) {
  EXPECT_THAT(Properties("%Nonnegative\r\ncount \\geq 0\r\n   % Bounded\r\ncount \\leq max"),
              ElementsAre(Parsed{"Nonnegative", {"count \\geq 0"}}, Parsed{"Bounded", {"count \\leq max"}}));
}

TEST(ParseProperties, NamesLoseEveryPercentPredicatesKeepTheirs) {
  EXPECT_THAT(Properties("%%A%B%\r\nx = 5 % 2\r\n%\r\n%Next"),
              ElementsAre(Parsed{"AB", {"x = 5 % 2"}}, Parsed{"", {}}, Parsed{"Next", {}}));
}

TEST(ParseProperties, BareLineFeedsMakeOneHeader) {
  EXPECT_THAT(Properties("%P\nx > 0\ny > 0"), ElementsAre(Parsed{"Px > 0y > 0", {}}));
}

TEST(ParseProperties, EmptyTextAndMissingHeaderAreRefused) {
  EXPECT_EQ(ErrorOf(""), kEmptyProperties);
  EXPECT_EQ(ErrorOf("   \r\n \r\n\n"), kEmptyProperties);
  EXPECT_EQ(ErrorOf("x > 0\r\n%Later"), kPropertyWithoutHeader);
  EXPECT_EQ(ErrorOf("\tx > 0"), kPropertyWithoutHeader);
}

}  // namespace
}  // namespace tarn::parser
