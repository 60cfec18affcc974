// One function per command; commands.cpp dispatches on the command word.
#pragma once

#include "tools/cli.h"
#include "tools/commands.h"

namespace zel::tools {

int cmdInfo(const CommandLine& cl, Io io);
int cmdDump(const CommandLine& cl, Io io);
int cmdSeek(const CommandLine& cl, Io io);
int cmdCreate(const CommandLine& cl, Io io);
int cmdAppend(const CommandLine& cl, Io io);
int cmdIndex(const CommandLine& cl, Io io);
int cmdPack(const CommandLine& cl, Io io);
int cmdCheck(const CommandLine& cl, Io io);
int cmdLocks(const CommandLine& cl, Io io);

}  // namespace zel::tools
