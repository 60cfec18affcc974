#include "tools/commands.h"

#include <ostream>

namespace zel::tools {

int runCommand(const CommandLine& cl, Io io) {
  io.err << "zeldbf: the command \"" << cl.command << "\" is not built yet\n";
  return 2;
}

}  // namespace zel::tools
