// Runs programs for the tool's tests: the built zeldbf, python3-dbf, shell
// helpers. Standard input, output and error go through files, so large
// outputs never block on a pipe.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace zel::tools::testing {

struct RunResult {
  int exitCode = -1;  // -1 when killed by a signal
  int signal = 0;
  std::string out, err;
};

inline std::string slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

inline void spit(const std::string& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f << text;
}

// A scratch folder, removed with the object.
class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/zeldbf-test-XXXXXX";
    path_ = mkdtemp(tmpl);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Starts argv[0] (a path) with its input from `inPath` and its output to
// `outPath`/`errPath`; returns the child's pid.
inline pid_t spawn(const std::vector<std::string>& argv, const std::string& inPath,
                   const std::string& outPath, const std::string& errPath) {
  pid_t pid = fork();
  if (pid == 0) {
    int in = open(inPath.c_str(), O_RDONLY);
    int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0) _exit(127);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  return pid;
}

inline RunResult waitFor(pid_t pid, const std::string& outPath, const std::string& errPath) {
  RunResult r;
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) r.signal = WTERMSIG(status);
  r.out = slurp(outPath);
  r.err = slurp(errPath);
  return r;
}

// Runs a program to its end with `input` on its standard input.
inline RunResult run(const std::vector<std::string>& argv, const std::string& input = "") {
  static int counter = 0;
  std::string base = "/tmp/zeldbf-run-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
  spit(base + ".in", input);
  pid_t pid = spawn(argv, base + ".in", base + ".out", base + ".err");
  RunResult r = waitFor(pid, base + ".out", base + ".err");
  for (const char* ext : {".in", ".out", ".err"}) std::remove((base + ext).c_str());
  return r;
}

// The built tool.
inline RunResult zeldbf(std::vector<std::string> args, const std::string& input = "") {
  args.insert(args.begin(), ZEL_TOOL_PATH);
  return run(args, input);
}

}  // namespace zel::tools::testing
