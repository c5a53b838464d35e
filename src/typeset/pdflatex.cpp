#include "typeset/pdflatex.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "common/atomic_file.hpp"
#include "common/error.hpp"
#include "common/read_file.hpp"
#include "modelfile/text/utf8.hpp"
#include "typeset/styles.hpp"

extern char** environ;

namespace tarn::typeset {
namespace {

namespace fs = std::filesystem;

// The name of the copy of the document that pdflatex reads.
constexpr const char* kJob = "document";

// The run in progress, for a signal that ends Tarn meanwhile: its folder
// and its pdflatex.
std::atomic<const char*> folderInProgress{nullptr};
std::atomic<pid_t> pdflatexInProgress{0};
static_assert(std::atomic<const char*>::is_always_lock_free && std::atomic<pid_t>::is_always_lock_free);

// A folder of its own under the system's temporary folder, removed with
// everything in it when the run ends.
class TemporaryFolder {
 public:
  TemporaryFolder() {
    std::string pattern = (fs::temp_directory_path() / "tarn-typeset-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) RaisePlatformError(errno, "Cannot create a temporary folder");
    name_ = pattern;
    path_ = pattern;
    folderInProgress.store(name_.c_str());
  }
  ~TemporaryFolder() {
    folderInProgress.store(nullptr);
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  const fs::path& Path() const { return path_; }

 private:
  std::string name_;  // the path, for the signal handler
  fs::path path_;
};

std::string ReadStandardInput() {
  std::string bytes;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      RaisePlatformError(errno, "Cannot read standard input");
    }
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  return bytes;
}

void WriteBytes(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) RaisePlatformError(errno, "Cannot write " + path.string());
}

// Runs pdflatex in `folder` on the document copy, never asking anything and
// never running shell commands; its terminal output goes to `outputFile`.
// Files the document reads are looked for in `folder` (Tarn's styles), then
// in `documentFolder`, then where TeX looks for them. Returns its exit status.
// A document for the Wizard does not name its code page, so wizard.sty
// takes windows-1252 unless \TarnInputEncoding names another: "utf8" for a
// document in UTF-8. A character that a font lacks, which TeX would leave
// out of the page saying so only in its log, is an error.
int RunPdfLatex(const std::string& pdflatex, const fs::path& folder, const fs::path& documentFolder,
                const fs::path& outputFile, bool utf8) {
  std::vector<std::string> words = {pdflatex, "-interaction=nonstopmode", "-file-line-error", "-no-shell-escape",
                                    std::string("-jobname=") + kJob,
                                    std::string("\\tracinglostchars=3 ") +
                                        (utf8 ? "\\def\\TarnInputEncoding{utf8}" : "") + "\\input{" + kJob +
                                        ".tex}"};
  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  // Long lines unwrapped, so that each message is one line. An empty entry
  // at the end of TEXINPUTS stands for TeX's own folders.
  const char* inputs = std::getenv("TEXINPUTS");
  std::vector<std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view variable = *entry;
    if (!variable.starts_with("max_print_line=") && !variable.starts_with("TEXINPUTS="))
      variables.emplace_back(variable);
  }
  variables.emplace_back("max_print_line=100000");
  variables.emplace_back("TEXINPUTS=.:" + documentFolder.string() + ":" + (inputs != nullptr ? inputs : ""));
  std::vector<char*> envp;
  for (auto& variable : variables) envp.push_back(variable.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  pid_t pid = 0;
  const int spawned = ::posix_spawn(&pid, pdflatex.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) RaisePlatformError(spawned, "Cannot run " + pdflatex);
  pdflatexInProgress.store(pid);

  int status = 0;
  int waited;
  while ((waited = ::waitpid(pid, &status, 0)) == -1 && errno == EINTR) {
  }
  pdflatexInProgress.store(0);
  if (waited == -1) RaisePlatformError(errno, "Cannot wait for " + pdflatex);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The line an editor shows for each line that TeX counts (from 1): TeX ends
// a line at a lone CR too, which an editor does not (the given-set paragraph
// of an Object-Z document breaks its lines so).
std::vector<int> EditorLines(std::string_view text) {
  std::vector<int> lines = {0, 1};
  int editor = 1;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      lines.push_back(++editor);
    } else if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) {
      lines.push_back(editor);
    }
  }
  return lines;
}

// What a text that is not a LaTeX document looks like, for the one sentence
// that refuses it; "" for a document.
std::string NotADocument(std::string_view text) {
  if (text.find("\\begin{document}") != std::string_view::npos) return {};
  const auto start = text.find_first_not_of(" \t\r\n");
  const std::string_view head = text.substr(start == std::string_view::npos ? text.size() : start);
  if (head.starts_with("tarn-model:") || text.find("\ntarn-model:") != std::string_view::npos)
    return "a Tarn model file";
  if (head.starts_with("(object Petal")) return "a Rose model";
  if (head.starts_with("<?xml") || head.starts_with("<xmi:") || head.starts_with("<uml:")) return "an XML (XMI) model";
  return "not a LaTeX document";
}

}  // namespace

void RemoveTypesetFolderInProgress() {
  if (const pid_t child = pdflatexInProgress.load(); child > 0) {
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
  }
  const char* folder = folderInProgress.load();
  if (folder == nullptr) return;
  const int handle = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (handle >= 0) {
    for (const char* name : {"document.tex", "document.aux", "document.log", "document.pdf", "document.out",
                             "document.toc", "pdflatex.out", "texput.log"})
      ::unlinkat(handle, name, 0);
    for (const auto& [name, text] : StyleFiles()) ::unlinkat(handle, name.data(), 0);
    ::close(handle);
  }
  ::rmdir(folder);
}

std::string FindOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string_view folders = path != nullptr ? path : "";
  while (!folders.empty()) {
    const auto colon = folders.find(':');
    const auto folder = folders.substr(0, colon);
    const auto candidate = (fs::path(folder.empty() ? "." : folder) / name).string();
    struct stat info {};
    if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
      return candidate;
    if (colon == std::string_view::npos) break;
    folders.remove_prefix(colon + 1);
  }
  return {};
}

TypesetResult Typeset(const std::string& document, const std::string& pdf) {
  const auto pdflatex = FindOnPath("pdflatex");
  if (pdflatex.empty())
    throw Error(kFileNotFound,
                "pdflatex was not found on PATH. It comes with the Debian packages texlive-latex-base and "
                "texlive-science: apt-get install texlive-latex-base texlive-science");
  const bool standardInput = document == kStandardOutput;
  const auto text = standardInput ? ReadStandardInput() : ReadWholeFile(document);
  if (const auto what = NotADocument(text); !what.empty())
    throw Error(kInvalidCall, (standardInput ? std::string("standard input") : document) + " is " + what +
                                  ", not a document Tarn wrote: typeset what tarn property-check, refinement-check "
                                  "or objectz writes (tarn objectz MODEL --typeset -o doc.tex, then tarn typeset "
                                  "doc.tex)");

  const TemporaryFolder folder;
  WriteBytes(folder.Path() / (std::string(kJob) + ".tex"), text);
  for (const auto& [name, style] : StyleFiles()) WriteBytes(folder.Path() / name, style);
  const auto outputFile = folder.Path() / "pdflatex.out";
  const auto documentFolder = standardInput ? fs::current_path() : fs::absolute(document).parent_path();
  const bool utf8 = modelfile::text::FindInvalidUtf8(text) == std::string::npos &&
                    std::any_of(text.begin(), text.end(), [](char c) { return (c & 0x80) != 0; });
  const int status = RunPdfLatex(pdflatex, folder.Path(), documentFolder, outputFile, utf8);

  TypesetResult result;
  result.messages = ReadLatexOutput(ReadWholeFile(outputFile.string()));
  const std::string copy = std::string("./") + kJob + ".tex";
  const std::string name = standardInput ? "standard input" : document;
  const auto editorLines = EditorLines(text);
  bool failed = false;
  for (auto& message : result.messages) {
    // A warning's "input line" is one of the document's, and so is an
    // overfull box's; their lines as an editor counts them.
    if (message.file == copy || !message.error || message.text.starts_with("Overfull")) {
      message.file = name;
      if (message.line > 0 && static_cast<std::size_t>(message.line) < editorLines.size())
        message.line = editorLines[static_cast<std::size_t>(message.line)];
    }
    failed = failed || message.error;
  }
  const auto output = folder.Path() / (std::string(kJob) + ".pdf");
  if (!failed && (status != 0 || !fs::exists(output))) {
    result.messages.push_back(
        {true, name, 0, "pdflatex failed without naming an error (exit status " + std::to_string(status) + ")", ""});
    failed = true;
  }
  if (failed) return result;
  ReplaceFile(pdf, ReadWholeFile(output.string()));
  result.written = true;
  return result;
}

}  // namespace tarn::typeset
