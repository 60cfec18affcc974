// zel2009: the rural-activity workbook.
#include <string>
#include <vector>

#include "shell/zel2009.h"

int main(int argc, char** argv) {
  return zel::shell::MAIN(std::vector<std::string>(argv + 1, argv + argc));
}
