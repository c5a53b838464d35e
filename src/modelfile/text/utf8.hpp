// Small UTF-8 helpers: finding ill-formed bytes and naming characters in
// messages.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarn::modelfile::text {

// The length of the well-formed UTF-8 character that starts at `offset`, or 0
// when the bytes there are not one (overlong forms and surrogates included).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t offset);

// The offset of the first byte that does not begin a well-formed character,
// or std::string_view::npos when the whole text is UTF-8.
std::size_t FindInvalidUtf8(std::string_view text);

// The code point of the well-formed character at `offset`.
char32_t DecodeUtf8(std::string_view text, std::size_t offset);

// "U+00E9 "é"": the well-formed character at `offset`, for messages.
std::string DescribeCharacter(std::string_view text, std::size_t offset);

// The Z markup of the mathematical character at `offset` of a UTF-8 text,
// such as "\\leq" for "≤", for the symbols people type instead of it; ""
// for any other character.
std::string_view ZMarkupOf(std::string_view text, std::size_t offset);

}  // namespace tarn::modelfile::text
