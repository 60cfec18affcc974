// Key probe: runs the real terminal backend, draws CP850 glyphs and colours
// the end-to-end tests look for, and shows the last decoded key and mouse
// position. q ends it (status 0); K aborts it, to check that the terminal is
// given back after a crash.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/console/console.h"
#include "platform/sys/cp850.h"

using namespace zel;

int main() {
  std::string error;
  auto backend = makeNcursesBackend(&error);
  if (!backend) {
    std::fprintf(stderr, "keyprobe: %s\n", error.c_str());
    return 2;
  }
  Console con(std::move(backend));
  Screen& s = con.screen();

  s.clear(0, 0, 24, 79, 0x1E);  // GR+/B
  con.say(0, 0, "KEYPROBE", 0x1F);
  s.box(2, 2, 6, 17, BoxStyle::kSingle, 0x1F);
  s.box(2, 20, 6, 35, BoxStyle::kDouble, 0x1F);
  con.say(8, 2, "JUNC: ┬┴├┤┼ ╦╩╠╣╬"_cp, 0x1F);
  con.say(9, 2, "SHADE: ░▒▓█■"_cp, 0x1F);
  con.say(10, 2, "TEXT: Atençäo ÇÃÕÁÉÍÓÚ áéíóúâêôàü 1º 2ª"_cp, 0x1F);
  con.say(11, 2, "BRIGHT", 159);  // W+/B+
  con.say(12, 2, "RED", 0x4F);    // W+/R

  int events = 0;
  while (true) {
    con.say(20, 2, "EVENTS: " + std::to_string(events) + "   ", 0x1E);
    con.showCursor(false);
    int k = con.inkey();
    ++events;
    if (k == 'q') break;
    if (k == 'K') std::abort();
    std::string last = "LAST: " + std::to_string(k) + " " + key::name(k);
    con.say(21, 2, last + std::string(40 - std::min<size_t>(40, last.size()), ' '), 0x1E);
    if (k == key::kMouseLeft || k == key::kMouseRight)
      con.say(22, 2,
              "MOUSE: " + std::to_string(con.mouseRow()) + "," + std::to_string(con.mouseCol()) +
                  "     ",
              0x1E);
  }
  return 0;
}
