#include "tools/cli.h"

#include <string_view>

namespace zel::tools {

namespace {

struct CommandRule {
  std::string_view name;
  size_t minArgs;
  size_t maxArgs;  // SIZE_MAX: any number
  bool json, soft, index;
};

constexpr size_t kMany = static_cast<size_t>(-1);

constexpr CommandRule kRules[] = {
    {"info", 1, 1, false, false, false},
    {"dump", 1, 1, true, false, true},
    {"create", 2, kMany, false, false, false},
    {"append", 1, kMany, true, false, false},
    {"index", 3, 3, false, false, false},
    {"seek", 3, 3, false, true, false},
    {"pack", 1, kMany, false, false, false},
    {"check", 1, kMany, false, false, false},
    {"locks", 1, 1, false, false, false},
};

}  // namespace

const char* usageText() {
  return "usage:\n"
         "  zeldbf info TABLE.DBF\n"
         "  zeldbf dump TABLE.DBF [--json] [--index INDEX.NTX]\n"
         "  zeldbf create TABLE.DBF NAME:TYPE:WIDTH[:DEC] ...\n"
         "  zeldbf append TABLE.DBF [INDEX.NTX ...] [--json] < rows\n"
         "  zeldbf index TABLE.DBF INDEX.NTX \"KEY EXPRESSION\"\n"
         "  zeldbf seek TABLE.DBF INDEX.NTX KEY [--soft]\n"
         "  zeldbf pack TABLE.DBF [INDEX.NTX ...]\n"
         "  zeldbf check TABLE.DBF [INDEX.NTX ...]\n"
         "  zeldbf locks TABLE.DBF\n";
}

Result<CommandLine> parseCommandLine(const std::vector<std::string>& argv) {
  if (argv.empty()) return Status::InvalidArgument("no command given");
  CommandLine cl;
  cl.command = argv[0];
  const CommandRule* rule = nullptr;
  for (const auto& r : kRules)
    if (r.name == cl.command) rule = &r;
  if (!rule) return Status::InvalidArgument("unknown command \"" + cl.command + "\"");
  bool optionsEnded = false;
  for (size_t i = 1; i < argv.size(); ++i) {
    const std::string& a = argv[i];
    if (optionsEnded || a.size() < 2 || a.compare(0, 2, "--") != 0) {
      cl.args.push_back(a);
      continue;
    }
    if (a == "--") {
      optionsEnded = true;
    } else if (a == "--json" && rule->json) {
      cl.json = true;
    } else if (a == "--soft" && rule->soft) {
      cl.soft = true;
    } else if ((a == "--index" || a.rfind("--index=", 0) == 0) && rule->index) {
      if (a.size() > 8) {
        cl.index = a.substr(8);
      } else if (i + 1 < argv.size()) {
        cl.index = argv[++i];
      } else {
        return Status::InvalidArgument("--index needs an index file");
      }
      if (cl.index.empty()) return Status::InvalidArgument("--index needs an index file");
    } else {
      return Status::InvalidArgument("\"" + cl.command + "\" does not take the option " + a);
    }
  }
  if (cl.args.size() < rule->minArgs)
    return Status::InvalidArgument("\"" + cl.command + "\" needs more arguments");
  if (cl.args.size() > rule->maxArgs)
    return Status::InvalidArgument("\"" + cl.command + "\" takes fewer arguments");
  return cl;
}

}  // namespace zel::tools
