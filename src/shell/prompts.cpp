#include "shell/prompts.h"

#include "screen/console.h"
#include "screen/messages.h"

namespace zel::shell {

void alertOk(std::string_view lines) { (void)AVISOSN(lines, 0); }

bool askSimNao(std::string_view lines) { return AVISOSN(lines, 2) == "S"; }

void messageLine(std::string_view text, bool centred) {
  if (text.empty()) {
    (void)MENS();
    return;
  }
  (void)MENS(0, text, {}, centred ? MensArg("C") : MensArg());
}

void progressBox(std::string_view text, int row, int column) {
  (void)MENS(13, text, row, column < 0 ? MensArg() : MensArg(column));
}

void closeProgress() { FECHAJAN(10); }

Value entryBox(const Entry& e) {
  Value v = e.value;
  MensField f = MensField::of(e.name, v, e.width, e.mask);
  if (e.valid) f.validity = [&v, &e] { return e.valid(v); };
  return MENS(14, e.text, e.row, e.column < 0 ? MensArg("C") : MensArg(e.column), 1, f);
}

int choiceBar(int window, int count, int column, int width, int rowOffset, int initial,
              std::string_view hotLetters, const std::vector<std::string>& status) {
  MessageState& ms = messageState();
  ms.POSVER = initial;
  ms.OPCOES = std::string(hotLetters);
  ms.MENSMENU = status;
  int chosen = ESC_OPCAO(window, count, column, width, rowOffset, 0, true);
  ms.OPCOES.clear();
  ms.MENSMENU.clear();
  return chosen;
}

int starChoice(int window, int count, int column, int rowOffset, int initial) {
  return ESC_ITEM(window, count, column, rowOffset, initial);
}

}  // namespace zel::shell
