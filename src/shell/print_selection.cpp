// The print choices of the Selecao menu (ids 41 to 48).
#include <algorithm>
#include <string>

#include "data/areas.h"
#include "data/data_state.h"
#include "data/rotirur.h"
#include "platform/sys/cp850.h"
#include "screen/console.h"
#include "shell/comum.h"
#include "shell/print_selection.h"
#include "shell/prompts.h"
#include "shell/shell_state.h"
#include "shell/zel2009.h"

namespace zel::shell {

namespace {

struct ChoiceList {
  const std::vector<std::string>* entries;
  std::string_view hot;
  std::vector<std::string> status;
  int* choice;
};

ChoiceList listFor(int opc, ShellState& st) {
  switch (opc) {
    case 1:
      return {&st.ALISTIMP, "ALN",
              {std::string("Impressäo da Declaraçäo da atividade RURAL"_cp),
               std::string("Impressäo do Livro Caixa"_cp),
               std::string("Impressäo das Anotaçöes especiais "_cp)},
              &st.AQUEIMP};
    case 2:
      return {st.AQUEIMP == 1 ? &st.NOMEMOD : &st.NOMECONT, "CR",
              {std::string("Impressäo no formulário branco comum"_cp)}, &st.AQUEMOD};
    case 3:
      if (st.AQUEIMP == 1)
        return {&st.NOMEPAGR, "T12",
                {std::string("Imprime Todas páginas"_cp), std::string("Imprime só a página 1"_cp),
                 std::string("Imprime só a página 2"_cp)},
                &st.AQUEPAG};
      return {&st.NOMEUNI, "F", {std::string("Imprime em formulário branco"_cp)}, &st.AQUEPAG};
    case 4:
      return {&st.NOMECON, "IVT",
              {"Permite a selecionar apenas um contribuinte",
               std::string("Seleciona vários contribuintes de uma lista apresentada"_cp),
               std::string("Imprime todo o cadastro do diretório atual"_cp)},
              &st.AQUECON};
    default:
      return {&st.NOMEATV, "BE",
              {std::string("Imprime a declaração com a atividade no Brasil"_cp),
               std::string("Imprime a declaração com a atividade no Exterior"_cp)},
              &st.ATVQUAL};
  }
}

// Entry `n` (1-based) of a list, clamped to the list.
const std::string& entryOf(const std::vector<std::string>& list, int n) {
  static const std::string kNone;
  if (list.empty()) return kNone;
  return list[static_cast<size_t>(std::clamp(n, 1, static_cast<int>(list.size())) - 1)];
}

// The five choices into the terminal's CONFIG row, at once.
void storeChoices(const ShellState& st) {
  if (!data::ABERTURA(42)) return;
  db::Table* t = data::areaTable("42");
  if (!t || !lockTerminalRow("42")) return;
  Status s = putFields(*t, {{"AQUEIMP", Value(st.AQUEIMP)},
                            {"AQUEMOD", Value(st.AQUEMOD)},
                            {"AQUEPAG", Value(st.AQUEPAG)},
                            {"AQUECON", Value(st.AQUECON)},
                            {"ATVQUAL", Value(st.ATVQUAL)}});
  if (!s.ok()) data::dataState().out().alert(s.toString());
  (void)t->unlockAll();
}

std::string chooseFromList(int opc) {
  ShellState& st = shellState();
  ChoiceList l = listFor(opc, st);
  const auto& entries = *l.entries;
  const int n = static_cast<int>(entries.size());
  const int width = entries.empty() ? 1 : static_cast<int>(entries[0].size());
  ScreenState& sc = screenState();
  REDEFJAN(4, sc.COR_TEL1, sc.COR_TEL2, sc.COR_TEL2, 4, 48, 4 + n + 1, 48 + width + 1, kWinFramed);
  ABREJAN(4);
  std::string text;
  for (const auto& e : entries) text += e;
  ESCRJAN(4, text);
  int chosen = choiceBar(4, n, 1, width, 0, *l.choice, l.hot, l.status);
  messageLine("");
  if (chosen == 0) {
    FECHAJAN(4);
    return "";
  }
  *l.choice = chosen;
  storeChoices(st);
  FECHAJAN(4);
  return entries[static_cast<size_t>(chosen - 1)];
}

std::string SimNao(bool yes) { return yes ? "S" : "N"; }

}  // namespace

void normalisePrintChoices(ShellState& st) {
  // A row written by hand or by an older version may hold 0 or too much.
  st.AQUEIMP = std::clamp(st.AQUEIMP, 1, static_cast<int>(st.ALISTIMP.size()));
  st.AQUECON = std::clamp(st.AQUECON, 1, static_cast<int>(st.NOMECON.size()));
  st.ATVQUAL = std::clamp(st.ATVQUAL, 1, static_cast<int>(st.NOMEATV.size()));
  st.AQUEMOD = std::max(st.AQUEMOD, 1);
  st.AQUEPAG = std::max(st.AQUEPAG, 1);
  if (st.AQUEIMP == 1) {
    st.AQUEMOD = std::min(st.AQUEMOD, static_cast<int>(st.NOMEMOD.size()));
    st.AQUEPAG = std::min(st.AQUEPAG, 3);
  } else {
    st.AQUEMOD = 1;
    st.AQUEPAG = 1;
  }
}

std::string printCaption(int id) {
  ShellState& st = shellState();
  switch (id) {
    case 41: return "&1-" + entryOf(st.ALISTIMP, st.AQUEIMP);
    case 42: return "&2-" + (st.AQUEIMP == 1 ? entryOf(st.NOMEMOD, st.AQUEMOD) : entryOf(st.NOMECONT, 1));
    case 43: return "&3-" + (st.AQUEIMP == 1 ? entryOf(st.NOMEPAGR, st.AQUEPAG) : entryOf(st.NOMEUNI, 1));
    case 44: return "&4-" + entryOf(st.NOMECON, st.AQUECON);
    case 45: return "&5-" + entryOf(st.NOMEATV, st.ATVQUAL);
    case 48: return "&8-Vias " + st.CVIAS;
    default: return "";
  }
}

std::string SELITEMIMP(int id) {
  ShellState& st = shellState();
  st.OPCIMP = id - 40;
  switch (st.OPCIMP) {
    case 1: case 2: case 3: case 4: case 5:
      return chooseFromList(st.OPCIMP);
    case 6:
      notAvailable("A seleçäo da impressora"_cp);
      return "";
    case 7:
      st.MOSIMP = SimNao(askSimNao("Mostre antes de imprimir as Impressoras Existentes"));
      st.MOSTEL = SimNao(askSimNao("Mostre antes de imprimir no video o texto a ser impresso"));
      return "";
    case 8: {
      Entry e;
      e.text = "Informe o nro vias (vezes) a imprimir";
      e.name = "NRO_VIAS";
      e.value = Value(st.NRO_VIAS);
      e.width = 1;
      e.mask = "@ 9";
      e.row = 17;
      e.column = 20;
      int n = static_cast<int>(entryBox(e).number());
      st.NRO_VIAS = n <= 0 ? 1 : n;
      st.CVIAS = std::to_string(st.NRO_VIAS);
      return st.CVIAS;
    }
    default:
      return "";
  }
}

}  // namespace zel::shell
