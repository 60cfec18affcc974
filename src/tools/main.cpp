// zeldbf: inspects and edits the program's DBF/NTX/DBT tables from a shell.
#include <iostream>
#include <string>
#include <vector>

#include "tools/cli.h"
#include "tools/commands.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::cout << zel::tools::usageText();
    return 0;
  }
  auto cl = zel::tools::parseCommandLine(args);
  if (!cl.ok()) {
    std::cerr << "zeldbf: " << cl.status().message() << "\n" << zel::tools::usageText();
    return 2;
  }
  return zel::tools::runCommand(*cl, {std::cin, std::cout, std::cerr});
}
