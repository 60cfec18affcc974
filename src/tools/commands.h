// The tool's commands. Each returns the process exit status: 0 done, 1 a
// negative answer (seek found nothing, check found a fault), 2 an error,
// already explained on stderr.
#pragma once

#include <iosfwd>

#include "tools/cli.h"

namespace zel::tools {

struct Io {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
};

int runCommand(const CommandLine& cl, Io io);

}  // namespace zel::tools
