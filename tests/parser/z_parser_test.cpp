// The parser's rules that a document does not show on its own: how the
// Properties text splits into theorems, which texts it refuses, and the
// 16-bit count of a class's attributes. The rest of what the parser reads
// is checked through the Z/EVES documents of tests/addin/data/.
#include <gmock/gmock.h>

#include "host/memory_host.hpp"
#include "parser/z_parser.hpp"

namespace tarn::parser {
namespace {

using ::testing::Property;
using ::testing::Throws;

// The theorems as "[name: line line]", one after the other, or "error N"
// for the error raised.
std::string Properties(const std::string& text) {
  zmodel::ZPCClass check;
  try {
    ZParser().ParseProperties(check, text);
  } catch (const Error& error) {
    EXPECT_TRUE(check.Theorems.Empty());
    return "error " + std::to_string(error.Number());
  }
  std::string theorems;
  for (const auto& theorem : check.Theorems) {
    theorems += "[" + theorem.Name + ":";
    for (const auto& line : theorem.Theorem) theorems += " " + line;
    theorems += "]";
  }
  return theorems;
}

TEST(ParseProperties, HeaderLinesStartTheoremsInOrder) {
  const struct {
    const char* text;
    std::string theorems;
  } rows[] = {
      {"%Nonnegative\r\ncount \\geq 0\r\n   % Bounded\r\ncount \\leq max",
       "[Nonnegative: count \\geq 0][Bounded: count \\leq max]"},
      {"%%A%B%\r\nx = 5 % 2\r\n%\r\n%Next", "[AB: x = 5 % 2][:][Next:]"},  // names lose every '%'
      {"%P\nx > 0\ny > 0", "[Px > 0y > 0:]"},                              // a bare LF joins lines
      {"", "error 1008"},
      {"   \r\n \r\n\n", "error 1008"},
      {"x > 0\r\n%Later", "error 1009"},
      {"\tx > 0", "error 1009"},  // a tab is not trimmed
  };
  for (const auto& row : rows) EXPECT_EQ(Properties(row.text), row.theorems) << row.text;
}

TEST(ParseClass, The32768thAttributeOverflows) {
  host::MemoryClass wide;
  wide.attributes.resize(32767);
  EXPECT_EQ(ZParser().ParseClass(wide).StateSchema.Declarations.Count(), 32767);
  wide.attributes.emplace_back();
  EXPECT_THAT([&] { ZParser().ParseClass(wide); }, Throws<Error>(Property(&Error::Number, kOverflow)));
}

}  // namespace
}  // namespace tarn::parser
