// The two exits: Terminar (16) and Sair (71).
#include <string>

#include "data/areas.h"
#include "data/data_state.h"
#include "data/rotirur.h"
#include "maintenance/opcrur.h"
#include "platform/sys/cp850.h"
#include "shell/comum.h"
#include "shell/prompts.h"
#include "shell/shell_state.h"
#include "shell/zel2009.h"

namespace zel::shell {

namespace {

// The terminal's choices into its CONFIG row.
void storeTerminalChoices() {
  ShellState& st = shellState();
  data::DataState& ds = data::dataState();
  if (!data::ABERTURA(42)) return;
  db::Table* t = data::areaTable("42");
  if (!t || !lockTerminalRow("42")) return;
  Status s = putFields(*t, {{"ROTATIVID", Value(ds.ROTATIVID)},
                            {"ULT_CPF", Value(st.ULT_CPF)},
                            {"DIRTRAB", Value(ds.DIRTRAB)},
                            {"AQUEIMP", Value(st.AQUEIMP)},
                            {"AQUEMOD", Value(st.AQUEMOD)},
                            {"AQUEPAG", Value(st.AQUEPAG)},
                            {"AQUECON", Value(st.AQUECON)},
                            {"ATVQUAL", Value(st.ATVQUAL)}});
  if (!s.ok()) ds.out().alert(s.toString());
  (void)t->unlockAll();
}

}  // namespace

bool ROTSAIDA(int id) {
  if (id == 71 && !askSimNao(" Confirma saída do sistema"_cp)) return false;
  data::closeAllAreas();
  storeTerminalChoices();
  data::closeAllAreas();
  if (id == 16) {
    progressBox("Encerrando...");
    data::dataState().MOS_MENS = true;
    (void)maintenance::REORG(trim(data::dataState().ROTATIVID), 3);
    closeProgress();
  }
  shellState().ending = true;
  return true;
}

}  // namespace zel::shell
