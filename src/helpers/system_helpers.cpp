#include "helpers/system_helpers.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <sstream>
#include <vector>

#include "helpers/hooks.h"
#include "platform/sys/cp850.h"
#include "platform/sys/dos_path.h"

extern char** environ;

namespace zel {
namespace {

struct Output {
  int exitCode = -1;
  std::string text;
};

// Runs a program found on PATH without a shell, in the C locale so that its
// answers read the same everywhere; stdout is captured, stderr dropped.
std::optional<Output> runProgram(const std::vector<std::string>& args) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_adddup2(&fa, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&fa, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&fa, STDIN_FILENO, "/dev/null", O_RDONLY, 0);

  std::vector<std::string> env;
  for (char** e = environ; e && *e; ++e) {
    std::string_view v = *e;
    if (!v.starts_with("LC_ALL=") && !v.starts_with("LANG=")) env.emplace_back(v);
  }
  env.emplace_back("LC_ALL=C");
  env.emplace_back("LANG=C");
  std::vector<char*> argv, envp;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);

  pid_t pid = 0;
  int rc = posix_spawnp(&pid, argv[0], &fa, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&fa);
  ::close(fds[1]);
  if (rc != 0) {
    ::close(fds[0]);
    return std::nullopt;
  }
  Output out;
  char buf[4096];
  for (;;) {
    ssize_t n = ::read(fds[0], buf, sizeof buf);
    if (n > 0) out.text.append(buf, static_cast<size_t>(n));
    else if (n == 0 || errno != EINTR) break;
  }
  ::close(fds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  out.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return out;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

}  // namespace

std::string GETDIR() { return dos::currentDirectory(); }

bool TA_NA_REDE() { return dos::isNetworkDrive(GETDIR()); }

bool LF_ISFILE(std::string_view path, bool isDirectory) {
  return isDirectory ? dos::directoryExists(path) : dos::fileExists(path);
}

bool CRIADIR(std::string_view path) { return dos::createDirectory(path); }

std::optional<std::string> systemDefaultPrinter() {
  auto out = runProgram({"lpstat", "-d"});
  if (!out || out->exitCode != 0) return std::nullopt;
  std::istringstream lines(out->text);
  std::string line;
  const std::string_view kLead = "system default destination:";
  while (std::getline(lines, line)) {
    std::string_view l = trim(line);
    if (!l.starts_with(kLead)) continue;
    std::string_view name = trim(l.substr(kLead.size()));
    if (!name.empty()) return std::string(name);
  }
  return std::nullopt;
}

bool printerReady(std::string_view printer) {
  if (printer.empty()) return false;
  std::string name(printer);
  auto out = runProgram({"lpstat", "-p", name});
  if (!out || out->exitCode != 0) return false;
  std::istringstream lines(out->text);
  std::string line;
  const std::string lead = "printer " + name + " ";
  while (std::getline(lines, line)) {
    if (!line.starts_with(lead)) continue;
    std::string_view rest = std::string_view(line).substr(lead.size());
    if (rest.find("disabled") != std::string_view::npos) return false;
    return rest.starts_with("is idle") || rest.starts_with("now printing");
  }
  return false;
}

bool LPT_OK(int port, std::string_view printer) {
  if (port < 1 || port > 9) return false;
  if (!printer.empty()) return printerReady(printer);
  auto name = systemDefaultPrinter();
  return name && printerReady(*name);
}

std::string espcifMessage() { return std::string("Especifique o drive com ':' após a letra"_cp); }

bool espcifAccepts(std::string_view text) {
  std::string_view t = trim(text);
  return t.size() >= 2 && t[1] == ':';
}

bool ESPCIF(std::string_view text) {
  if (espcifAccepts(text)) return true;
  helperAlert(espcifMessage());
  return false;
}

}  // namespace zel
