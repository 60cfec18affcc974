// The menu bar and its dispatcher.
#include <algorithm>
#include <string>

#include "data/areas.h"
#include "data/data_state.h"
#include "data/directories.h"
#include "data/rotirur.h"
#include "helpers/system_helpers.h"
#include "platform/sys/cp850.h"
#include "screen/messages.h"
#include "shell/comum.h"
#include "shell/menu_tree.h"
#include "shell/print_selection.h"
#include "shell/prompts.h"
#include "shell/shell_state.h"
#include "shell/zel2009.h"

namespace zel::shell {

namespace {

// What the commands not built yet are called in their notice.
std::string_view commandName(int id) {
  switch (id) {
    case 11: return "A declaraçäo da atividade no Brasil"_cp;
    case 12: return "A declaraçäo da atividade no Exterior"_cp;
    case 13: return "A lista de diretórios do ZEL2009"_cp;
    case 14: return "A lista de diretórios do DO2009"_cp;
    case 15: return "A exclusäo de contribuintes"_cp;
    case 22: return "A transferência de dados"_cp;
    case 25: return "A mudança das cores"_cp;
    case 27: return "O cadastro de status"_cp;
    case 28: return "A reindexaçäo dos dados"_cp;
    case 29: return "A mudança de CPF"_cp;
    case 30: return "A cópia de declaraçäo"_cp;
    case 31: return "A exportaçäo de arquivos"_cp;
    case 51: return "A impressäo"_cp;
    case 52: return "A impressäo Nao DOS"_cp;
    case 61: return "A cópia de segurança"_cp;
    case 62: return "A recuperaçäo da cópia"_cp;
    default: return "Esta opçäo"_cp;
  }
}

// Id 52: the print file of the non-DOS printer.
void printNonDosFile() {
  std::string file = data::dataState().LOCTRAB + "NAO-DOS.TXT";
  if (!LF_ISFILE(file)) {
    alertOk("Selecione a impressora Nao DOS antes");
    return;
  }
  notAvailable(commandName(52));
}

}  // namespace

int menuPositionOf(int id) {
  int first = id / 10;
  return first > 2 ? first - 1 : first;
}

void CREATEMAINMENU(MenuBar& bar) {
  bar.setColours(shellState().CORMENU);
  for (const MenuTitle& title : menuTree()) {
    PullDown& p = bar.addMenu(std::string(title.title));
    for (const MenuEntry& e : title.entries) {
      if (e.id == 0) {
        p.addSeparator();
        continue;
      }
      std::string caption = e.caption.empty() ? printCaption(e.id) : std::string(e.caption);
      p.add(caption, e.shortcut, std::string(e.status), e.id, [](MenuItem& it) { MENUSELECT(it); });
    }
  }
}

void MENUSELECT(MenuItem& item) {
  ShellState& st = shellState();
  const int id = item.id;
  st.OPCAO_1 = id;
  st.NPOSMENU = menuPositionOf(id);
  if (id >= 21 && id <= 36) {
    (void)data::ABERTURA(43);
    (void)data::ABERTURA(42);
    (void)seekTerminalRow("42");
  }
  switch (id) {
    case 16:
    case 71:
      (void)ROTSAIDA(id);
      break;
    case 21:
      data::SELAREA();
      break;
    case 26:
      TIP_GRAV();
      break;
    case 32:
      VALOR_DOLAR();
      break;
    case 41: case 42: case 43: case 44: case 45: case 46: case 47: case 48: {
      messageState().MENSMENU.clear();
      std::string text = SELITEMIMP(id);
      if (id <= 45 && !text.empty()) {
        item.caption = "&" + std::to_string(id % 10) + "-" + text;
        const size_t k = static_cast<size_t>(std::clamp(st.AQUEIMP, 1, 3) - 1);
        st.AQUEMOD = std::min(st.AQUEMOD, st.AQUEIT2[k]);
        st.AQUEPAG = std::min(st.AQUEPAG, st.AQUEIT3[k]);
      } else if (id == 48) {
        item.caption = "&8-Vias " + text;
      }
      break;
    }
    case 52:
      printNonDosFile();
      break;
    default:
      notAvailable(commandName(id));
      break;
  }
}

}  // namespace zel::shell
