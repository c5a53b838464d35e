// Converting texts between the UTF-8 of a model file and the model's code
// page with the platform's converter (iconv; MultiByteToWideChar and
// WideCharToMultiByte on Windows).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace tarn::modelfile::text {

struct Conversion {
  std::string bytes;
  // Where the input stopped converting: the offset of a character the target
  // cannot hold or of bytes that are not a character of the source;
  // std::string_view::npos when the whole input converted.
  std::size_t failed_at = std::string_view::npos;

  bool Succeeded() const { return failed_at == std::string_view::npos; }
};

class CodePage {
 public:
  // The code page of that name, or null when the platform does not know it.
  // Converter options ("//TRANSLIT", "//IGNORE") are not names: they would
  // change texts silently.
  static std::unique_ptr<CodePage> Open(const std::string& name);

  ~CodePage();
  CodePage(const CodePage&) = delete;
  CodePage& operator=(const CodePage&) = delete;

  // True when tab, CR, LF and the printable ASCII characters are single
  // bytes of the same value, as the rest of the system expects of a text.
  bool KeepsAscii();

  Conversion FromUtf8(std::string_view utf8);
  Conversion ToUtf8(std::string_view bytes);

 private:
  struct Converters;  // the platform's converters of this code page

  explicit CodePage(std::unique_ptr<Converters> converters);

  std::unique_ptr<Converters> converters_;
};

// `bytes` of that code page as UTF-8, to show or compare names with what
// the command line gives; the bytes unchanged when the code page is unknown
// or they do not convert.
std::string ToUtf8OrUnchanged(std::string_view bytes, const std::string& code_page);

}  // namespace tarn::modelfile::text
