// The save mode of the declaration session (menu command 26).
#include <string>

#include "data/areas.h"
#include "data/data_state.h"
#include "data/rotirur.h"
#include "platform/console/console.h"
#include "platform/console/keys.h"
#include "platform/sys/cp850.h"
#include "platform/ui/form_reader.h"
#include "screen/console.h"
#include "shell/comum.h"
#include "shell/prompts.h"
#include "shell/shell_state.h"

namespace zel::shell {

namespace {

constexpr int kWindow = 5;

void drawSaveModeBox() {
  ScreenState& sc = screenState();
  REDEFJAN(kWindow, sc.COR_TEL1, sc.COR_TEL2, sc.COR_TEL2, 6, 34, 10, 52, kWinPlain);
  ABREJAN(kWindow);
  const std::string c1(1, kColour1), c2(1, kColour2);
  std::string text = c2 + std::string("┌───────────────┬─┐"_cp);
  for (std::string_view item : {" Automático    "_cp, " Manual (Alt W)"_cp, " Só no Final   "_cp})
    text += std::string("│"_cp) + c1 + std::string(item) + c2 + std::string("│ │"_cp);
  text += std::string("└───────────────┴─┘"_cp);
  ESCRJAN(kWindow, text);
}

// "Gravar a cada    minutos": the interval of the timed saves, at least 1.
void readInterval(ShellState& st) {
  progressBox("Gravar a cada    minutos", 7, 54);
  Value v(st.TEMP_SAL);
  FormReader reader;
  FormField f = FormField::of(7, 68, "TEMP_SAL", v, "@z 99");
  f.valid = [&v] { return v.number() >= 1; };
  reader.add(std::move(f));
  (void)reader.read();
  if (v.number() >= 1) st.TEMP_SAL = static_cast<int>(v.number());
  shell::closeProgress();
}

}  // namespace

void TIP_GRAV() {
  ShellState& st = shellState();
  drawSaveModeBox();
  int choice = starChoice(kWindow, 3, 18, 1, st.COMO_SAL);
  // Every choice is marked, so that the box shows the mode in force.
  if (choice != 0) st.COMO_SAL = choice;
  switch (choice) {
    case 1:
      if (st.TEMP_SAL == 0 || st.TEMP_SAL >= 99) st.TEMP_SAL = 5;
      readInterval(st);
      break;
    case 2: st.TEMP_SAL = 0; break;
    case 3: st.TEMP_SAL = 99; break;
    default: break;
  }
  if (data::ABERTURA(43)) {
    data::selectArea("43");
    if (db::Table* t = data::currentTable()) {
      (void)t->goTop();
      if (!t->eof() && data::REC_LOCK(5)) {
        Status s = putFields(*t, {{"COMO_SAL", Value(st.COMO_SAL)},
                                  {"TEMP_SAL", Value(st.TEMP_SAL)},
                                  {"TEMP_DES", Value(st.TEMP_DES)}});
        if (!s.ok()) data::dataState().out().alert(s.toString());
        (void)t->unlockAll();
      }
    }
  }
  FECHAJAN(kWindow);
}

void VALOR_DOLAR() {
  ShellState& st = shellState();
  const double kept = st.NVALDOLAR;
  Entry e;
  e.text = "Informe o valor para a conversao do dolar:";
  e.name = "NVALDOLAR";
  e.value = Value(st.NVALDOLAR);
  e.width = 6;
  e.mask = "@z 9.9999";
  e.row = 18;
  e.column = -1;
  double v = entryBox(e).number();
  if (v == 0) {
    st.NVALDOLAR = kept;
    return;
  }
  st.NVALDOLAR = v;
  if (!data::ABERTURA(43)) return;
  data::selectArea("43");
  db::Table* t = data::currentTable();
  if (!t) return;
  (void)t->goTop();
  if (t->eof() || !data::REC_LOCK(5)) return;
  Status s = t->put("VAL_DOLAR", Value(v));
  (void)t->unlockAll();
  if (!s.ok()) {
    data::dataState().out().alert(s.toString());
    return;
  }
  st.CVALDOLAR = strNumber(v, 6, 4);
}

}  // namespace zel::shell
