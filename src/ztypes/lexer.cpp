// The environments and tokens of a document.
#include "ztypes/lexer.hpp"

#include <cctype>
#include <set>

namespace tarn::ztypes {
namespace {

const std::set<std::string, std::less<>> kEnvironments = {"zed", "syntax", "schema", "axdef", "gendef", "theorem"};

// Commands that only space, break or align the printed text.
const std::set<std::string, std::less<>> kSpacing = {
    "\\quad", "\\qquad", "\\hfill", "\\noindent", "\\zbreak", "\\znewpage", "\\vdots", "\\hspace",
    "\\,", "\\;", "\\:", "\\!", "\\ "};

const std::set<std::string, std::less<>> kOpeners = {"(", "[", "{", "\\{", "\\langle", "\\lbag", "\\limg", "\\ldata"};
const std::set<std::string, std::less<>> kClosers = {")", "]", "}", "\\}", "\\rangle", "\\rbag", "\\rimg", "\\rdata"};

bool IsLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

class Scanner {
 public:
  Scanner(std::string_view text, std::size_t begin, std::size_t end) : text_(text), at_(begin), end_(end) {}

  std::vector<Token> Tokens() {
    std::vector<Token> tokens;
    while (at_ < end_) {
      const std::size_t start = at_;
      const char c = text_[at_];
      if (c == '\n') {
        ++at_;
        tokens.push_back({TokenKind::kBreak, "\n", start, at_});
      } else if (c == ' ' || c == '\t' || c == '\r' || c == '~' || c == '&' || c == '\f' || c == '\v') {
        ++at_;
      } else if (c == '%') {
        while (at_ < end_ && text_[at_] != '\n') ++at_;
      } else if (c == '\\') {
        Command(tokens);
      } else if (IsLetter(c)) {
        Name();
        tokens.push_back({TokenKind::kWord, std::string(text_.substr(start, at_ - start)), start, at_});
      } else if (IsDigit(c)) {
        while (at_ < end_ && IsDigit(text_[at_])) ++at_;
        tokens.push_back({TokenKind::kNumber, std::string(text_.substr(start, at_ - start)), start, at_});
      } else {
        ++at_;
        for (const std::string_view longer : {"::=", "=="})
          if (text_.substr(start, longer.size()) == longer && start + longer.size() <= end_) at_ = start + longer.size();
        tokens.push_back({TokenKind::kSymbol, std::string(text_.substr(start, at_ - start)), start, at_});
      }
    }
    return tokens;
  }

 private:
  // A command, an escaped character or a spacing command at `\`.
  void Command(std::vector<Token>& tokens) {
    const std::size_t start = at_++;
    if (at_ >= end_) return;
    if (text_[at_] == '\\') {
      ++at_;
      tokens.push_back({TokenKind::kBreak, "\\\\", start, at_});
      return;
    }
    if (text_[at_] == '_' && at_ + 1 < end_ && IsLetter(text_[at_ + 1])) {
      at_ = start;
      Name();
      tokens.push_back({TokenKind::kWord, std::string(text_.substr(start, at_ - start)), start, at_});
      return;
    }
    if (!IsLetter(text_[at_])) {
      ++at_;
      const std::string symbol(text_.substr(start, 2));
      if (kSpacing.contains(symbol)) return;
      tokens.push_back({symbol == "\\#" ? TokenKind::kWord : TokenKind::kSymbol, symbol, start, at_});
      return;
    }
    while (at_ < end_ && IsLetter(text_[at_])) ++at_;
    std::string word(text_.substr(start, at_ - start));
    if (word == "\\t" && at_ < end_ && IsDigit(text_[at_])) {
      ++at_;
      return;
    }
    if (kSpacing.contains(word)) return;
    if (word == "\\also") {
      tokens.push_back({TokenKind::kBreak, word, start, at_});
      return;
    }
    Subscript();
    tokens.push_back({TokenKind::kWord, std::string(text_.substr(start, at_ - start)), start, at_});
  }

  // A name: letters, digits and `\_`, then subscripts and decorations.
  void Name() {
    while (at_ < end_) {
      if (IsLetter(text_[at_]) || IsDigit(text_[at_])) ++at_;
      else if (text_[at_] == '\\' && at_ + 1 < end_ && text_[at_ + 1] == '_') at_ += 2;
      else break;
    }
    Subscript();
    while (at_ < end_ && (text_[at_] == '\'' || text_[at_] == '?' || text_[at_] == '!')) ++at_;
  }

  // `_1`, `_a` or `_{...}` (on one line).
  void Subscript() {
    while (at_ + 1 < end_ && text_[at_] == '_') {
      if (IsLetter(text_[at_ + 1]) || IsDigit(text_[at_ + 1])) {
        at_ += 2;
      } else if (text_[at_ + 1] == '{') {
        std::size_t close = at_ + 2;
        while (close < end_ && text_[close] != '}' && text_[close] != '\n' && text_[close] != '{') ++close;
        if (close >= end_ || text_[close] != '}') return;
        at_ = close + 1;
      } else {
        return;
      }
    }
  }

  std::string_view text_;
  std::size_t at_;
  std::size_t end_;
};

// Keeps the line breaks that separate: outside brackets, between two
// tokens neither of which joins what stands on its two sides (a line that
// ends or starts with `\land` or `+` goes on on the next).
std::vector<Token> KeepSeparatingBreaks(std::vector<Token> raw, const Operators& operators) {
  std::vector<Token> tokens;
  int depth = 0;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    Token& token = raw[i];
    if (token.kind != TokenKind::kBreak) {
      if (kOpeners.contains(token.text)) ++depth;
      else if (kClosers.contains(token.text) && depth > 0) --depth;
      tokens.push_back(std::move(token));
      continue;
    }
    if (depth > 0 || tokens.empty() || tokens.back().kind == TokenKind::kBreak) continue;
    const Token& before = tokens.back();
    if (operators.IsInfix(before.text) || kOpeners.contains(before.text)) continue;
    std::size_t next = i + 1;
    while (next < raw.size() && raw[next].kind == TokenKind::kBreak) ++next;
    if (next == raw.size() || kClosers.contains(raw[next].text)) continue;
    // An operator that starts a line joins it to the line before, unless
    // it is being declared (`\cup, \cap: ...`).
    const bool declared = next + 1 < raw.size() && (raw[next + 1].text == ":" || raw[next + 1].text == ",");
    if (operators.IsInfix(raw[next].text) && !declared) continue;
    tokens.push_back(std::move(token));
  }
  return tokens;
}

// The text of a `{...}` group at `at` (skipping blanks), moving past it.
bool Group(std::string_view text, std::size_t& at, char open, char close, Word& group) {
  std::size_t i = at;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i >= text.size() || text[i] != open) return false;
  const std::size_t closing = text.find(close, i + 1);
  if (closing == std::string_view::npos || text.substr(i + 1, closing - i - 1).find('\n') != std::string_view::npos)
    return false;
  group.offset = i + 1;
  group.text = std::string(text.substr(i + 1, closing - i - 1));
  at = closing + 1;
  return true;
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// `[X, Y]` as words.
std::vector<Word> Parameters(const Word& group) {
  std::vector<Word> words;
  std::size_t start = 0;
  while (start <= group.text.size()) {
    std::size_t comma = group.text.find(',', start);
    if (comma == std::string::npos) comma = group.text.size();
    const std::string part = group.text.substr(start, comma - start);
    const std::string name = Trimmed(part);
    words.push_back({name, group.offset + start + part.find_first_not_of(" \t")});
    start = comma + 1;
  }
  return words;
}

}  // namespace

std::vector<Environment> ReadEnvironments(std::string_view text, const Operators& operators) {
  std::vector<Environment> environments;
  std::size_t at = 0;
  while (at < text.size()) {
    if (text[at] == '%') {
      at = text.find('\n', at);
      if (at == std::string_view::npos) break;
      continue;
    }
    if (text[at] == '\\' && text.substr(at, 7) != "\\begin{") {
      at += 2;
      continue;
    }
    if (text.substr(at, 7) != "\\begin{") {
      ++at;
      continue;
    }
    Environment environment;
    environment.offset = at;
    std::size_t after = at + 6;
    Word kind;
    if (!Group(text, after, '{', '}', kind) || !kEnvironments.contains(kind.text)) {
      at += 7;
      continue;
    }
    environment.kind = kind.text;
    if (kind.text == "schema" || kind.text == "theorem") {
      if (!Group(text, after, '{', '}', environment.name)) environment.error = "`\\begin{" + kind.text + "}` has no name";
      environment.name.text = Trimmed(environment.name.text);
      for (const std::string_view prefix : {"rule ", "grule ", "frule ", "axiom "})
        if (environment.name.text.starts_with(prefix)) environment.name.text = Trimmed(environment.name.text.substr(prefix.size()));
    }
    Word parameters;
    if (kind.text != "zed" && kind.text != "syntax" && Group(text, after, '[', ']', parameters))
      environment.parameters = Parameters(parameters);
    const std::string closing = "\\end{" + kind.text + "}";
    const std::size_t end = text.find(closing, after);
    if (end == std::string_view::npos) {
      environment.error = "`\\begin{" + kind.text + "}` has no `" + closing + "`";
      environment.tokens.push_back({TokenKind::kEnd, "", text.size(), text.size()});
      environments.push_back(std::move(environment));
      break;
    }
    environment.tokens = KeepSeparatingBreaks(Scanner(text, after, end).Tokens(), operators);
    environment.tokens.push_back({TokenKind::kEnd, "", end, end});
    environments.push_back(std::move(environment));
    at = end + closing.size();
  }
  return environments;
}

}  // namespace tarn::ztypes
