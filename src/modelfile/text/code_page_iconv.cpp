// The code pages of glibc's iconv.
#include <iconv.h>

#include <cerrno>

#include "modelfile/text/code_page.hpp"

namespace tarn::modelfile::text {
namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);
const std::size_t kFailed = static_cast<std::size_t>(-1);

Conversion Convert(iconv_t converter, std::string_view input) {
  // Start from the initial shift state so that every text converts on its own.
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  Conversion result;
  std::string& out = result.bytes;
  out.resize(input.size() + 16);
  std::size_t used = 0;
  char* in = const_cast<char*>(input.data());
  std::size_t in_left = input.size();
  bool flushing = false;
  for (;;) {
    char* to = out.data() + used;
    std::size_t to_left = out.size() - used;
    // After the input, a call without input writes what ends a shift state.
    const std::size_t status = flushing ? iconv(converter, nullptr, nullptr, &to, &to_left)
                                        : iconv(converter, &in, &in_left, &to, &to_left);
    used = static_cast<std::size_t>(to - out.data());
    if (status == kFailed && errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    if (status == kFailed) {
      result.failed_at = static_cast<std::size_t>(in - input.data());
      break;
    }
    if (flushing) break;
    flushing = true;
  }
  out.resize(used);
  return result;
}

}  // namespace

struct CodePage::Converters {
  iconv_t from_utf8;
  iconv_t to_utf8;

  ~Converters() {
    iconv_close(from_utf8);
    iconv_close(to_utf8);
  }
};

CodePage::CodePage(std::unique_ptr<Converters> converters) : converters_(std::move(converters)) {}

CodePage::~CodePage() = default;

std::unique_ptr<CodePage> CodePage::Open(const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos) return nullptr;
  const iconv_t from_utf8 = iconv_open(name.c_str(), "UTF-8");
  if (from_utf8 == kNoConverter) return nullptr;
  const iconv_t to_utf8 = iconv_open("UTF-8", name.c_str());
  if (to_utf8 == kNoConverter) {
    iconv_close(from_utf8);
    return nullptr;
  }
  return std::unique_ptr<CodePage>(new CodePage(std::unique_ptr<Converters>(new Converters{from_utf8, to_utf8})));
}

Conversion CodePage::FromUtf8(std::string_view utf8) { return Convert(converters_->from_utf8, utf8); }

Conversion CodePage::ToUtf8(std::string_view bytes) { return Convert(converters_->to_utf8, bytes); }

}  // namespace tarn::modelfile::text
