#include "tools/commands.h"

#include "tools/command_list.h"
#include "tools/tool_common.h"

namespace zel::tools {

int runCommand(const CommandLine& cl, Io io) {
  struct Entry {
    const char* name;
    int (*fn)(const CommandLine&, Io);
  };
  static const Entry kCommands[] = {
      {"info", cmdInfo},     {"dump", cmdDump},   {"seek", cmdSeek},
      {"create", cmdCreate}, {"append", cmdAppend}, {"index", cmdIndex},
      {"pack", cmdPack},     {"check", cmdCheck}, {"locks", cmdLocks},
  };
  for (const auto& e : kCommands)
    if (cl.command == e.name) return e.fn(cl, io);
  return fail(io, "unknown command \"" + cl.command + "\"");
}

}  // namespace zel::tools
