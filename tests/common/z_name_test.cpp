#include "common/z_name.hpp"

#include <gtest/gtest.h>

#include <string>

namespace tarn {
namespace {

TEST(ZName, LettersDigitsAndUnderscoreMarkupAfterALetter) {
  for (const std::string name : {"X", "NAME", "int", "Name2", "max\\_size", "A\\_1\\_b", "\xC9tat", "\x82\xA0X"})
    EXPECT_TRUE(IsZName(name)) << name;
}

TEST(ZName, CommandsNumbersAndOtherCharactersAreNot) {
  for (const std::string word :
       {"", "\\rel", "\\upto", "1", "10", "2X", "\\_x", "x\\", "x_1", "x\\-", "a\rb", "a\tb", "a b", "X'", "x?",
        "\\mathbb{Z}", "{X}", "A.B", "\\#", "-"})
    EXPECT_FALSE(IsZName(word)) << word;
}

}  // namespace
}  // namespace tarn
