#include "typeset/pdflatex.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "common/atomic_file.hpp"
#include "common/error.hpp"
#include "common/read_file.hpp"
#include "typeset/styles.hpp"

extern char** environ;

namespace tarn::typeset {
namespace {

namespace fs = std::filesystem;

// The name of the copy of the document that pdflatex reads.
constexpr const char* kJob = "document";

// A folder of its own under the system's temporary folder, removed with
// everything in it when the run ends.
class TemporaryFolder {
 public:
  TemporaryFolder() {
    auto pattern = (fs::temp_directory_path() / "tarn-typeset-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) RaisePlatformError(errno, "Cannot create a temporary folder");
    path_ = pattern;
  }
  ~TemporaryFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

void WriteBytes(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) RaisePlatformError(errno, "Cannot write " + path.string());
}

// Runs pdflatex in `folder` on the document copy, never asking anything and
// never running shell commands; its terminal output goes to `outputFile`.
// Files the document reads are looked for in `folder` (Tarn's styles), then
// in `documentFolder`, then where TeX looks for them. Returns its exit status.
int RunPdfLatex(const std::string& pdflatex, const fs::path& folder, const fs::path& documentFolder,
                const fs::path& outputFile) {
  std::vector<std::string> words = {pdflatex, "-interaction=nonstopmode", "-file-line-error", "-no-shell-escape",
                                    std::string(kJob) + ".tex"};
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

  int status = 0;
  while (::waitpid(pid, &status, 0) == -1)
    if (errno != EINTR) RaisePlatformError(errno, "Cannot wait for " + pdflatex);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

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
  const auto text = ReadWholeFile(document);

  const TemporaryFolder folder;
  WriteBytes(folder.Path() / (std::string(kJob) + ".tex"), text);
  for (const auto& [name, style] : StyleFiles()) WriteBytes(folder.Path() / name, style);
  const auto outputFile = folder.Path() / "pdflatex.out";
  const auto documentFolder = fs::absolute(document).parent_path();
  const int status = RunPdfLatex(pdflatex, folder.Path(), documentFolder, outputFile);

  TypesetResult result;
  result.messages = ReadLatexOutput(ReadWholeFile(outputFile.string()));
  const std::string copy = std::string("./") + kJob + ".tex";
  bool failed = false;
  for (auto& message : result.messages) {
    // A warning's "input line" is one of the document's.
    if (message.file == copy || !message.error) message.file = document;
    failed = failed || message.error;
  }
  const auto output = folder.Path() / (std::string(kJob) + ".pdf");
  if (!failed && (status != 0 || !fs::exists(output))) {
    result.messages.push_back(
        {true, document, 0, "pdflatex failed without naming an error (exit status " + std::to_string(status) + ")", ""});
    failed = true;
  }
  if (failed) return result;
  ReplaceFile(pdf, ReadWholeFile(output.string()));
  result.written = true;
  return result;
}

}  // namespace tarn::typeset
