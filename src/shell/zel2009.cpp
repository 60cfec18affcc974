// The command line of zel2009.
#include "shell/zel2009.h"

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/console/console.h"
#include "shell/shell_state.h"

namespace zel::shell {

namespace {

constexpr const char* kUsage =
    "Usage: zel2009 [TERMINAL]\n"
    "       zel2009 --init DIR\n"
    "       zel2009 --help | --version\n"
    "\n"
    "Starts the rural-activity workbook in the current directory (the program\n"
    "directory, unless DDO2009 names another one).\n"
    "\n"
    "  TERMINAL     this workstation's number, 0 to 99 (the environment\n"
    "               variable TERMINAL wins over it); without one, \"00\", or a\n"
    "               question on a network drive\n"
    "  --init DIR   makes DIR a program directory holding the delivered\n"
    "               reference tables (CODABENS, TABPAIS, STATUS), creating DIR\n"
    "               when missing and keeping tables that exist; the data come\n"
    "               from ZEL_DATA_DIR or the source tree's data folder\n"
    "  --help       this text\n"
    "  --version    the version\n";

}  // namespace

int MAIN(const std::vector<std::string>& args) {
  const std::string first = args.empty() ? "" : args[0];
  if (first == "--help" || first == "-h") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (first == "--version") {
    std::printf("zel2009 %s\n", ShellState{}.VERSAO.c_str());
    return 0;
  }
  if (first == "--init") {
    if (args.size() != 2 || args[1].empty()) {
      std::fputs("zel2009: --init needs one directory\n", stderr);
      return 2;
    }
    std::string log;
    bool ok = initProgramDirectory(args[1], deliveredDataDir(), &log);
    std::fputs(log.c_str(), stderr);
    return ok ? 0 : 1;
  }
  if (first.size() > 1 && first[0] == '-' && (first[1] < '0' || first[1] > '9')) {
    std::fprintf(stderr, "zel2009: unknown option %s\n%s", first.c_str(), kUsage);
    return 2;
  }
  const std::string terminal = terminalArgumentWithEnvironment(first);
  if (!terminalFromArgument(terminal)) {
    std::fprintf(stderr, "zel2009: terminal number %s does not fit two digits (0 to 99)\n",
                 terminal.c_str());
    return 2;
  }
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
    std::fputs("zel2009: needs a terminal\n", stderr);
    return 1;
  }
  std::string error;
  auto backend = makeNcursesBackend(&error);
  if (!backend) {
    std::fprintf(stderr, "zel2009: %s\n", error.c_str());
    return 1;
  }
  setConsole(std::make_unique<Console>(std::move(backend)));
  int status = runProgram(terminal);
  setConsole(nullptr);  // gives the terminal back
  return status;
}

}  // namespace zel::shell
