// The transcripts of tests/cli/data/*.txt: commands run through the tarn
// program, each followed by what it must print and leave behind.
//
// Each case ("== NAME") runs in a fresh folder of its own, after the lines
// that come before the file's first case. Lines, by their first word:
//   # ...               a comment
//   needs PATH          the case is skipped when PATH does not exist
//   file NAME           writes NAME: the text of the "| TEXT" lines after it
//   copy PATH NAME      copies PATH to NAME
//   mkdir NAME, link NAME TARGET, chmod MODE NAME, env NAME=VALUE
//   $ WORDS             runs a command in the folder: WORDS split at blanks,
//                       '...' and "..." keep blanks; the word tarn is the
//                       program; "> FILE" sends standard output to FILE,
//                       ">&-" starts the command without one
//   < TEXT              a line of the command's standard input
// then what the command did:
//   exit N              its exit code (0 when none is given)
//   1> TEXT, 2> TEXT    a line of its standard output, its standard error; a
//                       stream that no 1>, 1~, 1/ or 1= line is about is empty
//   1~ TEXT             the stream holds TEXT
//   1/ REGEX            the whole stream matches REGEX
//   1= PATH             the stream is the bytes of the file PATH
//   same NAME PATH      the file NAME is the bytes of the file PATH
//   has NAME TEXT, lacks NAME TEXT, absent NAME
//   content NAME        the file NAME is the text of the "| TEXT" lines after it
//   mode NAME MODE      the permission bits of NAME
//   ls ENTRIES          every entry of the folder, sorted, but for dot files and
//                       settings: folders end in /, symlinks in @, FIFOs in |
// In every line, {dir} is the case's folder, {examples}, {golden} and
// {corpus} the folders of examples, golden documents and corpus files; {cr},
// {nl}, {tab} and {xHH} stand for those bytes, and {no-eol} at the end of a
// line drops its line end. PATH is relative to the case's folder.
#include <gmock/gmock.h>
#include <sys/stat.h>

#include "cli/run_tarn.hpp"

namespace tarn::testing {
namespace {

using ::testing::HasSubstr;

const std::string kData = std::string(TARN_SOURCE_DIR) + "/tests/cli/data/";

struct Line {
  int number;
  std::string word, rest;
  std::string block;  // the "|" or "<" lines after it
};

struct Case {
  std::string file, name;
  std::vector<Line> lines;  // the file's lines before its first case, then the case's
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.file << ": " << c.name; }

std::vector<Case> LoadCases() {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(kData))
    if (entry.path().extension() == ".txt") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  std::vector<Case> cases;
  for (const auto& file : files) {
    std::istringstream text(Slurp(file));
    std::vector<Line> prelude;
    const auto first = cases.size();
    int number = 0;
    for (std::string raw; std::getline(text, raw);) {
      ++number;
      if (raw.empty() || raw[0] == '#') continue;
      const auto space = raw.find(' ');
      Line line{number, raw.substr(0, space), space == std::string::npos ? "" : raw.substr(space + 1), ""};
      auto& lines = cases.size() == first ? prelude : cases.back().lines;
      if (line.word == "==")
        cases.push_back({file.stem().string(), line.rest, prelude});
      else if ((line.word == "|" || line.word == "<") && !lines.empty())
        lines.back().block += line.rest + "\n";
      else
        lines.push_back(line);
    }
  }
  return cases;
}

// Words split at blanks; quotes keep blanks and go.
std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  char quote = 0;
  for (const char c : text) {
    if (quote != 0 && c != quote) {
      word += c;
    } else if (c == '\'' || c == '"') {
      quote = quote != 0 ? 0 : c;
      inWord = true;
    } else if (c != ' ') {
      word += c;
      inWord = true;
    } else if (inWord) {
      words.push_back(std::exchange(word, ""));
      inWord = false;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

class Transcript : public TarnRun, public ::testing::WithParamInterface<Case> {
 protected:
  std::string Expand(const std::string& text) const {
    const std::map<std::string, std::string> names{
        {"dir", dir_.string()},      {"examples", std::string(TARN_SOURCE_DIR) + "/examples"}, {"golden", TARN_GOLDEN_DIR},
        {"corpus", std::string(TARN_SOURCE_DIR) + "/../shared/corpus"},
        {"cr", "\r"}, {"nl", "\n"}, {"tab", "\t"}, {"no-eol", ""}};
    std::string out;
    for (std::size_t at = 0; at < text.size(); ++at) {
      const auto close = text.find('}', at);
      const auto name = text[at] == '{' && close != std::string::npos ? text.substr(at + 1, close - at - 1) : "";
      const bool byte = name.size() == 3 && name[0] == 'x' && std::isxdigit(name[1]) && std::isxdigit(name[2]);
      if (!byte && !names.contains(name)) {
        out += text[at];
        continue;
      }
      out += byte ? std::string(1, static_cast<char>(std::stoi(name.substr(1), nullptr, 16))) : names.at(name);
      at = close + (name == "no-eol" && text.compare(close + 1, 1, "\n") == 0 ? 1 : 0);
    }
    return out;
  }
  std::filesystem::path Resolve(const std::string& path) const { return dir_ / Expand(path); }

  // Every entry under the folder, but for dot files and settings.
  std::vector<std::string> Listing() const {
    std::vector<std::string> entries;
    for (auto it = std::filesystem::recursive_directory_iterator(dir_); it != decltype(it)(); ++it) {
      const auto name = it->path().lexically_relative(dir_).string();
      if (it->path().filename().string()[0] == '.' || name == "settings") {
        it.disable_recursion_pending();
        continue;
      }
      const auto status = it->symlink_status();
      entries.push_back(name + (is_symlink(status) ? "@" : is_directory(status) ? "/" : is_fifo(status) ? "|" : ""));
    }
    std::sort(entries.begin(), entries.end());
    return entries;
  }

  // Runs the command of the last "$" line.
  void Run() {
    std::vector<std::string> argv;
    for (std::size_t i = 0; i < command_.size(); ++i) {
      if (command_[i] == ">&-")
        stdout_ = "closed";
      else if (command_[i] == ">")
        stdout_ = Resolve(command_[++i]);
      else
        argv.push_back(command_[i] == "tarn" ? TARN_BINARY : Expand(command_[i]));
    }
    result_ = Spawn(argv, Expand(input_));
    stdout_.clear();
    command_.clear();
    ran_ = true;
  }
  // Checks the exit code of the command that ran, and the streams that no
  // line but 1> or 2> was about.
  void Finish() {
    if (!command_.empty()) Run();
    if (!ran_) return;
    EXPECT_EQ(result_.code, exit_) << result_.err;
    for (const int i : {0, 1}) {
      if (expected_[i] || !looked_[i]) {
        EXPECT_EQ(i == 0 ? result_.out : result_.err, Expand(expected_[i].value_or(""))) << "stream " << i + 1;
      }
    }
    ran_ = false;
    exit_ = 0;
    expected_[0] = expected_[1] = std::nullopt;
    looked_[0] = looked_[1] = false;
  }
  const std::string& Stream(const Line& line) {
    looked_[line.word[0] - '1'] = true;
    return line.word[0] == '1' ? result_.out : result_.err;
  }
  std::string Text(const Line& line) const { return Expand(line.rest.substr(line.rest.find(' ') + 1)); }

  // Does what one line says.
  void Do(const Line& line) {
    const auto words = Words(line.rest);
    const std::string& w = line.word;
    if (w == "$" || w == "needs" || w == "file" || w == "copy" || w == "mkdir" || w == "link" || w == "chmod" ||
        w == "env")
      Finish();
    else if (!command_.empty())
      Run();
    if (w == "needs") {
      if (!std::filesystem::exists(Resolve(line.rest))) GTEST_SKIP() << Expand(line.rest) << " is not there";
    } else if (w == "file") {
      std::filesystem::create_directories(Path(line.rest).parent_path());
      std::ofstream(Path(line.rest), std::ios::binary) << Expand(line.block);
    } else if (w == "copy") {
      std::filesystem::copy_file(Resolve(words[0]), Path(words[1]));
    } else if (w == "mkdir") {
      std::filesystem::create_directories(Path(line.rest));
    } else if (w == "link") {
      std::filesystem::create_symlink(Expand(words[1]), Path(words[0]));
    } else if (w == "chmod") {
      ::chmod(Path(words[1]).c_str(), std::stoi(words[0], nullptr, 8));
    } else if (w == "env") {
      env_[line.rest.substr(0, line.rest.find('='))] = Expand(line.rest.substr(line.rest.find('=') + 1));
    } else if (w == "$") {
      command_ = words;
      input_ = line.block;
    } else if (w == "exit") {
      exit_ = std::stoi(line.rest);
    } else if (w == "1>" || w == "2>") {
      expected_[w[0] - '1'] = expected_[w[0] - '1'].value_or("") + line.rest + "\n";
    } else if (w == "1~" || w == "2~") {
      EXPECT_THAT(Stream(line), HasSubstr(Expand(line.rest)));
    } else if (w == "1/" || w == "2/") {
      EXPECT_THAT(Stream(line), ::testing::MatchesRegex(Expand(line.rest)));
    } else if (w == "1=" || w == "2=") {
      EXPECT_EQ(Stream(line), Slurp(Resolve(line.rest)));
    } else if (w == "same") {
      EXPECT_EQ(Slurp(Path(words[0])), Slurp(Resolve(words[1])));
    } else if (w == "has" || w == "lacks") {
      EXPECT_EQ(Slurp(Path(words[0])).find(Text(line)) != std::string::npos, w == "has") << Text(line);
    } else if (w == "content") {
      EXPECT_EQ(Slurp(Path(line.rest)), Expand(line.block));
    } else if (w == "absent") {
      EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(Path(line.rest))));
    } else if (w == "ls") {
      EXPECT_EQ(Listing(), words);
    } else if (w == "mode") {
      struct stat status {};
      ::lstat(Path(words[0]).c_str(), &status);
      EXPECT_EQ(status.st_mode & 07777, static_cast<mode_t>(std::stoi(words[1], nullptr, 8)));
    } else {
      ADD_FAILURE() << "no such line: " << w;
    }
  }

  std::vector<std::string> command_;  // the "$" line that has not run yet, and its input
  std::string input_;
  Result result_;
  bool ran_ = false;  // a command ran whose exit code and streams are unchecked
  int exit_ = 0;
  std::optional<std::string> expected_[2];  // the 1> and 2> lines
  bool looked_[2] = {false, false};         // a 1~, 1/ or 1= line was about the stream
};

TEST_P(Transcript, Holds) {
  for (const auto& line : GetParam().lines) {
    SCOPED_TRACE("tests/cli/data/" + GetParam().file + ".txt:" + std::to_string(line.number));
    Do(line);
    if (IsSkipped()) return;
  }
  SCOPED_TRACE("tests/cli/data/" + GetParam().file + ".txt, end of " + GetParam().name);
  Finish();
}

INSTANTIATE_TEST_SUITE_P(Data, Transcript, ::testing::ValuesIn(LoadCases()), [](const auto& info) {
  std::string name = info.param.file + "_" + info.param.name;
  for (auto& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
});

}  // namespace
}  // namespace tarn::testing
