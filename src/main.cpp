// zel2009: the rural-activity workbook.
//
// The program's shell is not built yet: on a terminal this shows a notice
// that the program is not available in this build and ends on any key;
// without a terminal it prints the notice.
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "platform/console/console.h"
#include "platform/sys/cp850.h"

namespace {

constexpr std::string_view kTitle = "ZEL2009 - Atividade Rural"_cp;
constexpr std::string_view kNotice = "O programa ainda näo está disponível nesta versäo."_cp;
constexpr std::string_view kAnyKey = "Tecle algo para sair."_cp;

void printNotice(std::FILE* out) {
  std::fprintf(out, "%s\n%s\n", zel::cp850ToUtf8(kTitle).c_str(),
               zel::cp850ToUtf8(kNotice).c_str());
}

void centre(zel::Console& con, int row, std::string_view text, zel::Attr attr) {
  con.say(row, (zel::Screen::kCols - static_cast<int>(text.size())) / 2, text, attr);
}

}  // namespace

int main() {
  if (!isatty(STDOUT_FILENO) || !isatty(STDIN_FILENO)) {
    printNotice(stdout);
    return 0;
  }
  std::string error;
  auto backend = zel::makeNcursesBackend(&error);
  if (!backend) {
    std::fprintf(stderr, "zel2009: %s\n", error.c_str());
    printNotice(stderr);
    return 1;
  }
  zel::setConsole(std::make_unique<zel::Console>(std::move(backend)));
  zel::Console& con = zel::console();

  const zel::Attr background = 31;  // W+/B
  const zel::Attr box = 30;         // GR+/B
  con.screen().clear(0, 0, zel::Screen::kRows - 1, zel::Screen::kCols - 1, background);
  con.screen().box(8, 12, 14, 67, zel::BoxStyle::kDouble, box);
  centre(con, 9, kTitle, box);
  centre(con, 11, kNotice, background);
  centre(con, 13, kAnyKey, background);
  con.showCursor(false);
  con.inkey();

  zel::setConsole(nullptr);  // gives the terminal back
  return 0;
}
