// Start-up: terminal number, configuration rows, opening screen, directories
// and the tables every command expects.
#include <cstdlib>
#include <string>

#include "data/areas.h"
#include "data/catalogue.h"
#include "data/data_state.h"
#include "data/directories.h"
#include "data/rotirur.h"
#include "helpers/hooks.h"
#include "helpers/paths.h"
#include "helpers/system_helpers.h"
#include "helpers/text_helpers.h"
#include "platform/console/console.h"
#include "platform/console/keys.h"
#include "platform/db/table.h"
#include "platform/sys/cp850.h"
#include "platform/sys/date.h"
#include "screen/console.h"
#include "screen/messages.h"
#include "shell/comum.h"
#include "shell/print_selection.h"
#include "shell/prompts.h"
#include "shell/shell_state.h"
#include "shell/zel2009.h"

namespace zel::shell {

namespace {

std::string envText(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

void buildColourLists(ShellState& st) {
  const ScreenState& sc = screenState();
  const std::string tail = ",N/N,N/N," + sc.COR_SAY;
  st.CORNORM = sc.COR_SAY + "," + sc.COR_GET + tail;
  st.CORLIMP = sc.COR_1_CLI + "," + sc.COR_GET + tail;
  st.CORSELE = sc.COR_CLI_HE + "," + sc.COR_GET + tail;
  st.CORMENU = sc.COR_1_CLI + "," + sc.COR_ESC_CL + "," + sc.COR_ENCH_C + "," + sc.COR_ENCH_C +
               "," + sc.COR_2_CLI + "," + sc.COR_2_CLI;
}

// The terminal's row (or the new-row values when it could not be had) into
// the settings.
void loadConfig(ShellState& st) {
  data::DataState& ds = data::dataState();
  data::ConfigRowInputs in{ds.NUSU, st.ROTADEF, utf8ToCp850(st.DIRDEF), Date::today()};
  auto fallback = data::configNewRow(in);
  db::Table* t = data::areaTable("42");
  const bool row = t && seekTerminalRow("42");
  auto text = [&](std::string_view name) -> std::string {
    if (row) return t->text(name);
    for (const auto& [n, v] : fallback)
      if (n == name) return v.text();
    return "";
  };
  auto number = [&](std::string_view name) -> int {
    if (row) return static_cast<int>(t->number(name));
    for (const auto& [n, v] : fallback)
      if (n == name) return static_cast<int>(v.number());
    return 0;
  };
  ds.ROTATIVID = text("ROTATIVID");
  st.ROTAZEL = text("ROTAZEL");
  ds.DIRTRAB = text("DIRTRAB");
  st.DIRPROV = text("DIRPROV");
  st.MOSIMP = text("MOSIMP");
  st.MOSTEL = text("MOSTEL");
  st.AQUEIMP = number("AQUEIMP");
  st.AQUEMOD = number("AQUEMOD");
  st.AQUEPAG = number("AQUEPAG");
  st.AQUECON = number("AQUECON");
  st.ATVQUAL = number("ATVQUAL");
  st.ULT_CPF = text("ULT_CPF");
  st.ULT_CPF.resize(11, ' ');
  st.XDRIVE = text("XDRIVE");
  st.CPF = st.ULT_CPF;
  st.NOMECONTR = std::string(53, ' ');
  st.DIRDOVU = std::string(40, ' ');
}

void loadDefine(ShellState& st) {
  if (!data::ABERTURA(43)) return;
  if (db::Table* t = data::areaTable("43")) {
    (void)t->goTop();
    if (!t->eof()) {
      st.COMO_SAL = static_cast<int>(t->number("COMO_SAL"));
      st.TEMP_SAL = static_cast<int>(t->number("TEMP_SAL"));
      st.TEMP_DES = static_cast<int>(t->number("TEMP_DES"));
      st.NVALDOLAR = t->number("VAL_DOLAR");
    }
  }
  st.CVALDOLAR = strNumber(st.NVALDOLAR, 6, 4);
  data::closeArea("43");
}

}  // namespace

std::string terminalArgumentWithEnvironment(std::string_view argument) {
  std::string env = envText("TERMINAL");
  return env.empty() ? std::string(argument) : env;
}

std::optional<std::string> terminalFromArgument(std::string_view argument) {
  std::string a = trim(argument);
  if (a.empty()) return std::string();
  // Leading digits count, as a numeric reading of a text takes them; a text
  // without any gives 0.
  double v = leadingNumber(a);
  if (v < 0 || v > 99) return std::nullopt;
  return twoDigits(static_cast<int>(v));
}

std::string QUAL_USUR() {
  ShellState& st = shellState();
  const bool network = st.onNetworkDrive ? st.onNetworkDrive() : TA_NA_REDE();
  if (!network) return "00";
  ScreenState& sc = screenState();
  sc.COR_TEL1 = sc.COR_TEL2 = sc.COR_TEL3 = 30;
  const std::string user = utf8ToCp850(envText("USUAR"));
  const int proposal = static_cast<int>(leadingNumber(envText("EQUIP")));
  Entry e;
  e.text = user + std::string(proposal == 0 ? " Forneça"_cp : " Confirme"_cp) +
           std::string(" o número do terminal."_cp);
  e.name = "NUSU";
  e.value = Value(proposal);
  e.width = 2;
  e.mask = "@z 99";
  e.row = 20;
  e.column = 2;
  int n = static_cast<int>(entryBox(e).number());
  return twoDigits(n < 0 || n > 99 ? 0 : n);
}

bool CONFIGURA(const std::string& nusu) {
  ShellState& st = shellState();
  if (!data::ABERTURA(42)) {
    alertOk("Arquivo de configuraçao sendo usado no momento"_cp);
    return false;
  }
  if (seekTerminalRow("42")) return true;
  db::Table* t = data::areaTable("42");
  if (t && data::ADD_REC(5)) {
    data::ConfigRowInputs in{nusu, st.ROTADEF, utf8ToCp850(st.DIRDEF), Date::today()};
    Status s = putFields(*t, data::configNewRow(in));
    if (!s.ok()) data::dataState().out().alert(s.toString());
    (void)t->unlockAll();
  }
  return true;
}

std::vector<std::string> bannerRows(std::string_view nusu, std::string_view versao) {
  // Letters six columns wide, one column apart, between the frame's sides.
  static const char* const kLetters[7][7] = {
      {"─────┐", "    ┌┘", "   ┌┘ ", "  ┌┘  ", " ┌┘   ", "┌┘    ", "└─────"},  // Z
      {"┌─────", "│     ", "│     ", "├──── ", "│     ", "│     ", "└─────"},  // E
      {"│     ", "│     ", "│     ", "│     ", "│     ", "│     ", "└─────"},  // L
      {"┌────┐", "     │", "     │", "┌────┘", "│     ", "│     ", "└─────"},  // 2
      {"┌────┐", "│    │", "│    │", "│    │", "│    │", "│    │", "└────┘"},  // 0
      {"┌────┐", "│    │", "│    │", "│    │", "│    │", "│    │", "└────┘"},  // 0
      {"┌────┐", "│    │", "│    │", "└────┤", "     │", "     │", "─────┘"},  // 9
  };
  const std::string side = utf8ToCp850("│");
  const std::string blank48(48, ' ');
  std::vector<std::string> rows;
  rows.push_back(utf8ToCp850("┌" + [] {
    std::string s;
    for (int i = 0; i < 48; ++i) s += "─";
    return s;
  }() + "┐"));
  rows.push_back(side + blank48 + side);
  for (int r = 0; r < 7; ++r) {
    std::string line;
    for (int l = 0; l < 7; ++l) {
      if (l) line += ' ';
      line += utf8ToCp850(kLetters[l][r]);
    }
    rows.push_back(side + line + side);
  }
  rows.push_back(side + blank48 + side);
  rows.push_back(side + blank48 + side);
  rows.push_back(utf8ToCp850("└" + [] {
    std::string s;
    for (int i = 0; i < 48; ++i) s += "─";
    return s;
  }() + "┘"));
  std::string last = std::string("Terminal ") + std::string(nusu) +
                     std::string("   ZEL Versäo "_cp) + std::string(versao) + "     ";
  if (last.size() < 50) last.insert(0, 50 - last.size(), ' ');
  rows.push_back(last.substr(0, 50));
  return rows;
}

void MOS_JAN(std::string_view name) {
  ShellState& st = shellState();
  ScreenState& sc = screenState();
  ENCHETELA(' ', sc.COR_ENCH_C);
  REDEFJAN(7, sc.COR_ENCHE, sc.COR_TEL2, sc.COR_TEL2, 6, 20, 21, 69, kWinPlain);
  ABREJAN(7);
  std::string banner;
  for (const auto& r : bannerRows(data::dataState().NUSU, st.VERSAO)) banner += r;
  ESCRJAN(7, banner);

  REDEFJAN(2, sc.COR_TEL1, sc.COR_TEL2, sc.COR_ENCHE, 19, 2, 23, 51, kWinPlain);
  ABREJAN(2);
  std::string line = std::string(name) + std::string(" Versäo "_cp) + st.VERSAO;
  if (line.size() > 48) line.resize(48);
  const size_t pad = (48 - line.size()) / 2;
  line = std::string(pad, ' ') + line + std::string(48 - pad - line.size(), ' ');
  const std::string c1(1, kColour1), c2(1, kColour2);
  const std::string bar = utf8ToCp850([] {
    std::string s;
    for (int i = 0; i < 48; ++i) s += "═";
    return s;
  }());
  const std::string v = utf8ToCp850("║");
  const std::string empty = c2 + v + std::string(48, ' ') + v;
  std::string box = c2 + utf8ToCp850("╔") + bar + utf8ToCp850("╗") + empty + c2 + v + c1 + line +
                    c2 + v + empty + c2 + utf8ToCp850("╚") + bar + utf8ToCp850("╝");
  ESCRJAN(2, box);
  console().flush();
}

bool startUp(const std::string& terminalArgument, MenuBar& bar) {
  ShellState& st = shellState();
  data::DataState& ds = data::dataState();
  Console& con = console();

  // 1. First values.
  st.VERSAO = "1.2Da";
  setPrintLists(st);
  // 2-3. Screen, windows 1 to 10, console settings.
  for (int w = 1; w <= 10; ++w) REDEFJAN(w, 48, 112, 7, 1, 5, 6, 12, kWinShadow);
  st.ALJ.fill(0);
  st.ACJ.fill(0);
  st.ALJA.fill(0);
  st.ACJA.fill(0);
  db::setHideDeleted(true);
  // 4. Program directory.
  st.DIRDEF = envText("DDO2009");
  st.ROTADEF = data::programDirectory(utf8ToCp850(st.DIRDEF));
  ds.ARQDEF = BAR_DIR(st.ROTADEF);
  // 5. Terminal number and its colours.
  std::string nusu;
  if (trim(terminalArgument).empty()) {
    nusu = QUAL_USUR();
  } else {
    nusu = terminalFromArgument(terminalArgument).value_or("00");
  }
  ds.NUSU = nusu.empty() ? "00" : nusu;
  CRIACOR();
  // 6. Colour lists.
  buildColourLists(st);
  st.DT_LC = Date::today();
  // 7-9. Configuration row and year constants.
  if (!CONFIGURA(ds.NUSU)) return false;
  loadConfig(st);
  loadDefine(st);
  // 10. Opening screen.
  ds.MOS_MENS = true;
  st.TELA = 0;
  st.SO_MOS = 1;
  MOS_JAN("ZEL2009");
  // 11-12. Data and work directories.
  data::checkStartDirectories(st.ROTADEF);
  data::NTX();
  con.setColour(st.CORNORM);
  // 13. The banner stays; the version box goes.
  FECHAJAN(2);
  // 14. Reference tables and directory lists.
  (void)data::ABERTURA(0);
  // 15. The data directory in the directory list.
  data::reconcileDirectoryList();
  // 16. Printer row and control strings.
  ds.MOS_MENS = false;
  st.TEM_LASER = 0;
  CRIA_SEQ();
  // 17. Print selection, register, menu bar.
  normalisePrintChoices(st);
  st.NRO_VIAS = 1;
  st.CVIAS = "1";
  (void)data::ABERTURA(9);
  messageLine("");
  messageState().OPCOES.clear();
  CREATEMAINMENU(bar);
  st.NPOSMENU = 1;
  st.bar = &bar;
  return true;
}

void menuLoop(MenuBar& bar) {
  ShellState& st = shellState();
  Console& con = console();
  while (!st.ending) {
    // A click outside the bar blanks its row from the pointer to the right.
    int k = con.inkey(100);
    if (k == key::kMouseLeft) {
      int r = con.mouseRow(), c = con.mouseCol();
      if (r >= 0 && c >= 0) {
        con.say(r, c, std::string(static_cast<size_t>(Screen::kCols - c), ' '));
        con.gotoRC(r, c);
      }
    } else if (k != key::kNone && k != key::kMouseRight) {
      con.pushKey(k);  // a key typed here belongs to the bar
    }
    (void)bar.run(st.NPOSMENU, true);
  }
  st.bar = nullptr;
}

void installLinks() {
  if (!data::dataState().ui) {
    static ShellDataUi ui;
    data::dataState().ui = &ui;
  }
  // The helpers' messages in the program's own alert box.
  helperState().alert = [](std::string_view lines) { alertOk(lines); };
  data::DirectoryLinks& links = data::directoryLinks();
  links.cpf = [] { return shellState().CPF; };
  links.setCpf = [](const std::string& v) { shellState().CPF = v; };
  links.setName = [](const std::string& v) { shellState().NOMECONTR = v; };
  links.setRecovery = [] { shellState().LRECUPERA = true; };
}

int runProgram(const std::string& terminalArgument) {
  installLinks();
  MenuBar bar(screenState().COR_1_CLI);
  if (!startUp(terminalArgument, bar)) {
    data::closeAllAreas();
    return 1;
  }
  menuLoop(bar);
  data::closeAllAreas();
  return 0;
}

}  // namespace zel::shell
