// The tool's command line: a command word, its positional arguments and the
// few options (--json, --soft, --index FILE), which may stand anywhere.
#pragma once

#include <string>
#include <vector>

#include "platform/sys/status.h"

namespace zel::tools {

struct CommandLine {
  std::string command;
  std::vector<std::string> args;  // positional, in order
  bool json = false;
  bool soft = false;
  std::string index;  // --index FILE (dump)
};

// Parses argv[1..]; checks the command word, the options it accepts and the
// number of its positional arguments.
Result<CommandLine> parseCommandLine(const std::vector<std::string>& argv);

// The usage text printed on a command-line error and for --help.
const char* usageText();

}  // namespace zel::tools
