// Runs the built tarn program in a folder of its own, with its own settings
// file, and collects its exit code, standard output and standard error.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

extern char** environ;

namespace tarn::testing {

struct Result {
  int code = -1;    // the exit code; -1 when a signal ended the program
  int signal = 0;   // the signal that ended it
  std::string out;
  std::string err;
};

inline std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class TarnRun : public ::testing::Test {
 protected:
  TarnRun()
      : dir_(std::filesystem::temp_directory_path() / ("tarn-cli-" + std::to_string(::getpid()) + "-" + TestName())) {
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    env_["TARN_SETTINGS"] = (dir_ / "settings" / "Tarn.ini").string();
    env_["TARN_PROMPT"] = "";
  }
  ~TarnRun() override { std::filesystem::remove_all(dir_); }
  static std::string TestName() {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '-');
    return name;
  }

  std::filesystem::path Path(const std::string& name) const { return dir_ / name; }
  std::string Write(const std::string& name, const std::string& text) {
    std::ofstream(Path(name), std::ios::binary) << text;
    return Path(name).string();
  }
  std::string Example(const std::string& name) const {
    return std::string(TARN_SOURCE_DIR) + "/examples/" + name;
  }

  // Runs tarn with the arguments in the test's folder, feeding `input`.
  Result Run(const std::vector<std::string>& args, const std::string& input = "") {
    std::vector<std::string> argv{TARN_BINARY};
    argv.insert(argv.end(), args.begin(), args.end());
    return Spawn(argv, input);
  }

  // Runs tarn (or another build of it) under a resource limit of prlimit
  // (e.g. "--fsize=65536").
  Result RunLimited(const std::string& limit, const std::vector<std::string>& args,
                    const std::string& binary = TARN_BINARY) {
    std::vector<std::string> argv{"/usr/bin/prlimit", limit, binary};
    argv.insert(argv.end(), args.begin(), args.end());
    return Spawn(argv, "");
  }

  Result Spawn(std::vector<std::string> argv, const std::string& input) {
    return Finish(Start(std::move(argv), input));
  }

  // The environment of a run: this process's, with env_ over it.
  std::vector<std::string> Environment() const {
    std::map<std::string, std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
      std::string text(*entry);
      const auto equals = text.find('=');
      env[text.substr(0, equals)] = text.substr(equals + 1);
    }
    for (const auto& [key, value] : env_) env[key] = value;
    std::vector<std::string> text;
    for (const auto& [key, value] : env) text.push_back(key + "=" + value);
    return text;
  }

  // Starts the program without waiting for it; 0 when it could not start.
  pid_t Start(std::vector<std::string> argv, const std::string& input) {
    Write(".stdin", input);
    std::vector<char*> cargv;
    for (auto& arg : argv) cargv.push_back(arg.data());
    cargv.push_back(nullptr);

    std::vector<std::string> envText = Environment();
    std::vector<char*> cenv;
    for (auto& entry : envText) cenv.push_back(entry.data());
    cenv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, Path(".stdin").c_str(), O_RDONLY, 0);
    if (stdout_.empty())
      posix_spawn_file_actions_addopen(&actions, 1, Path(".stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    else if (stdout_ == "closed")
      posix_spawn_file_actions_addclose(&actions, 1);
    else
      posix_spawn_file_actions_addopen(&actions, 1, stdout_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, Path(".stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0].c_str(), &actions, nullptr, cargv.data(), cenv.data());
    std::filesystem::current_path(cwd);
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : 0;
  }

  // Waits for a program that Start started and collects what it left.
  Result Finish(pid_t pid) {
    Result result;
    if (pid == 0) return result;
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    if (stdout_.empty()) result.out = Slurp(Path(".stdout"));
    result.err = Slurp(Path(".stderr"));
    return result;
  }

  // The files the runs left in the folder, but for the captured streams.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
      const auto name = entry.path().filename().string();
      if (name[0] != '.' && name != "settings") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::filesystem::path dir_;
  std::map<std::string, std::string> env_;
  // Standard output of the runs: "" captures it in Result::out, "closed"
  // starts the program without one, any other text is a path to open.
  std::string stdout_;
};

}  // namespace tarn::testing
