// The code pages of Windows, converted through UTF-16 with
// MultiByteToWideChar and WideCharToMultiByte.
#include "common/windows_api.hpp"

#include <cctype>
#include <cstdlib>

#include "modelfile/text/code_page.hpp"

namespace tarn::modelfile::text {
namespace {

std::string Lower(const std::string& name) {
  std::string lower = name;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// The number of the code page of that name; 0 when the name is not one.
UINT NumberOf(const std::string& given) {
  const std::string name = Lower(given);
  const auto numbered = [&](const std::string& prefix) -> UINT {
    if (!name.starts_with(prefix) || name.size() == prefix.size()) return 0;
    const std::string digits = name.substr(prefix.size());
    if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 5) return 0;
    return static_cast<UINT>(std::strtoul(digits.c_str(), nullptr, 10));
  };
  if (name == "utf-8" || name == "utf8") return CP_UTF8;
  if (name == "shift_jis") return 932;
  if (name == "gbk") return 936;
  if (name == "big5") return 950;
  if (name == "us-ascii") return 20127;
  if (const UINT n = numbered("windows-")) return n;
  if (const UINT n = numbered("cp")) return n;
  if (const UINT n = numbered("iso-8859-")) return n <= 16 ? 28590 + n : 0;
  return 0;
}

// The text as UTF-16; false when it holds bytes that are no character of
// the code page.
bool ToWide(UINT code_page, std::string_view bytes, std::wstring& wide) {
  wide.clear();
  if (bytes.empty()) return true;
  const int size = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  if (length == 0) return false;
  wide.resize(static_cast<std::size_t>(length));
  return MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), length) == length;
}

// The UTF-16 text in the code page; false when it holds a character the code
// page has not (no stand-in character is put in its place).
bool FromWide(UINT code_page, const std::wstring& wide, std::string& bytes) {
  bytes.clear();
  if (wide.empty()) return true;
  const int size = static_cast<int>(wide.size());
  const bool utf8 = code_page == CP_UTF8;
  BOOL defaulted = FALSE;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  const int length = WideCharToMultiByte(code_page, flags, wide.data(), size, nullptr, 0, nullptr,
                                         utf8 ? nullptr : &defaulted);
  if (length == 0 || defaulted) return false;
  bytes.resize(static_cast<std::size_t>(length));
  WideCharToMultiByte(code_page, flags, wide.data(), size, bytes.data(), length, nullptr, nullptr);
  return true;
}

bool Convert(UINT from, UINT to, std::string_view input, std::string& output) {
  std::wstring wide;
  return ToWide(from, input, wide) && FromWide(to, wide, output);
}

// The conversion of the whole input, or of the longest start of it that
// converts, with the place where it stopped.
Conversion ConvertAll(UINT from, UINT to, std::string_view input) {
  Conversion result;
  if (Convert(from, to, input, result.bytes)) return result;
  std::size_t good = input.size() - 1;
  while (!Convert(from, to, input.substr(0, good), result.bytes)) --good;
  result.failed_at = good;
  return result;
}

}  // namespace

struct CodePage::Converters {
  UINT number;
};

CodePage::CodePage(std::unique_ptr<Converters> converters) : converters_(std::move(converters)) {}

CodePage::~CodePage() = default;

std::unique_ptr<CodePage> CodePage::Open(const std::string& name) {
  const UINT number = NumberOf(name);
  if (number == 0 || !IsValidCodePage(number)) return nullptr;
  return std::unique_ptr<CodePage>(new CodePage(std::unique_ptr<Converters>(new Converters{number})));
}

Conversion CodePage::FromUtf8(std::string_view utf8) { return ConvertAll(CP_UTF8, converters_->number, utf8); }

Conversion CodePage::ToUtf8(std::string_view bytes) { return ConvertAll(converters_->number, CP_UTF8, bytes); }

}  // namespace tarn::modelfile::text
