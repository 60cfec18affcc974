// Alert questions and the two choice lists drawn in a window.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/console/console.h"
#include "platform/console/keys.h"
#include "platform/sys/cp850.h"
#include "platform/widgets/alert.h"
#include "screen/console.h"
#include "screen/messages.h"

namespace zel {
namespace {

constexpr int kMessageBox = 10;

void showEntryText(int entry, bool withTexts) {
  const auto& texts = messageState().MENSMENU;
  if (withTexts && entry >= 1 && static_cast<size_t>(entry) <= texts.size())
    MENS(0, texts[static_cast<size_t>(entry - 1)], 0, "C");
  else
    MENS();
}

// Until the calculator is installed Alt+A says so, and the notice stays
// until a key is pressed (the list would otherwise redraw the line at once).
void runCalculator() {
  MessageState& st = messageState();
  if (st.calculator) {
    st.calculator();
    return;
  }
  MENS(0, "A calculadora ainda näo está disponível. Tecle algo para continuar."_cp, 0, "C");
  console().waitKey();
}

}  // namespace

std::string AVISOSN(std::string_view message, int kind) {
  std::vector<std::string> buttons;
  switch (kind) {
    case 0: buttons = {"Ok"}; break;
    case 3: buttons = {"Sim", "Nao", "Ignore"}; break;
    case 4: buttons = {"Sim", "Nao", "Fim"}; break;
    default: buttons = {"Sim", "Nao"}; break;
  }
  AlertOptions options;
  options.colour = screenState().COR_SAY;
  switch (alert(message, buttons, options, console())) {
    case 1: return "S";
    case 3: return kind == 3 ? "I" : "F";
    default: return "N";
  }
}

std::string AVISOSN(const std::vector<std::string>& lines, int kind) {
  std::string message;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) message += ';';
    message += lines[i];
  }
  return AVISOSN(message, kind);
}

int ESC_OPCAO(int window, int count, int column, int width, int rowOffset, int close,
              bool withTexts) {
  Console& con = console();
  MessageState& st = messageState();
  const ScreenState& scr = screenState();
  const auto paint = [&](int entry, int attr) {
    ESCRATR(window, entry + rowOffset, column, attr, width);
  };
  const auto moveTo = [&](int entry) {
    paint(st.POSVER, scr.COR_TEL1);
    st.POSVER = entry;
    paint(entry, scr.COR_ESCOL);
  };

  if (count < 1) {
    st.POSVER = 0;
  } else {
    // An entry left over from a longer list would put the bar outside this one.
    st.POSVER = std::clamp(st.POSVER, 1, count);
    paint(st.POSVER, scr.COR_ESCOL);
    st.ULTPOS = st.POSVER;
    for (bool done = false; !done;) {
      showEntryText(st.POSVER, withTexts);
      con.showCursor(false);
      const int k = con.waitKey();
      if (k == key::kEnter) {
        st.ULTPOS = st.POSVER;
        break;
      }
      if (k == key::kEsc) {
        st.ULTPOS = st.POSVER;
        st.POSVER = 0;
        break;
      }
      if (k == key::kHome || k == key::kEnd) {
        moveTo(k == key::kHome ? 1 : count);
        continue;
      }
      if (k == key::kDown || k == key::kUp) {
        const int to = st.POSVER + (k == key::kDown ? 1 : -1);
        if (to < 1 || to > count) continue;
        moveTo(to);
      } else if (k == key::kAltA) {
        runCalculator();
      }
      // Hot letters; keys without a character match none.
      if (k < 1 || k > 255) continue;
      const char up = static_cast<char>(cp850Upper(static_cast<unsigned char>(k)));
      const size_t at = st.OPCOES.find(up);
      if (at == std::string::npos) continue;
      const int p = static_cast<int>(at) + 1;
      if (p > count) continue;  // a letter with no entry of its own chooses nothing
      moveTo(p);
      st.ULTPOS = p;
      showEntryText(p, withTexts);
      done = true;
    }
  }
  con.showCursor(true);
  FECHAJAN(kMessageBox);
  if (close == 1) FECHAJAN(window);
  return st.POSVER;
}

int ESC_ITEM(int window, int count, int column, int rowOffset, int initial) {
  if (count < 1) return 0;
  Console& con = console();
  const auto mark = [&](int entry, std::string_view what) {
    ESCRLCOL(window, entry + rowOffset, column, what);
  };
  int current = std::clamp(initial, 1, count);
  con.showCursor(false);
  mark(current, "*");
  int chosen = 0;
  for (;;) {
    con.clearKeys();
    const int k = con.waitKey();
    if (k == key::kEnter) {
      chosen = current;
      break;
    }
    if (k == key::kEsc) break;
    int to = current;
    if (k == key::kHome) to = 1;
    else if (k == key::kEnd) to = count;
    else if (k == key::kDown && current < count) to = current + 1;
    else if (k == key::kUp && current > 1) to = current - 1;
    if (to == current) continue;
    mark(current, " ");
    current = to;
    mark(current, "*");
  }
  con.showCursor(true);
  return chosen;
}

}  // namespace zel
