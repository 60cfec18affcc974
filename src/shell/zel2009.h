// The program's entry, start-up, menu bar and exits.
//
// MAIN parses the command line and, for an ordinary start, installs the
// terminal console and runs runProgram(). runProgram() runs the start-up and
// the menu loop on the console already installed (tests install a headless
// one) until one of the two exit commands ends it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/widgets/menu_bar.h"

namespace zel::shell {

// The command line: --help, --version, --init DIR, or the terminal number.
int MAIN(const std::vector<std::string>& args);

// Start-up and menu loop; returns the exit status (0 after an exit command,
// 1 when the configuration table cannot be opened).
int runProgram(const std::string& terminalArgument);

// The shell's services for the layers below: the data layer's boxes and
// the directory routines' links to CPF, NOMECONTR and LRECUPERA.
void installLinks();

// Start-up steps 1 to 17, up to the menu bar; false when the program must
// end (CONFIG could not be opened). The bar is left in shellState().bar.
bool startUp(const std::string& terminalArgument, MenuBar& bar);
// The menu loop; returns once an exit command asked the program to end.
void menuLoop(MenuBar& bar);

// The terminal number from the command line: TERMINAL, when set and not
// empty, replaces the argument. Empty: ask QUAL_USUR. A number 0..99 gives
// two digits ("3" -> "03"), a text that is no number "00"; nullopt for a
// number outside 0..99, which does not fit the two-digit key.
std::optional<std::string> terminalFromArgument(std::string_view argument);
// The argument after TERMINAL has had its say.
std::string terminalArgumentWithEnvironment(std::string_view argument);

// Terminal number on a network drive (asked), "00" on a local drive.
std::string QUAL_USUR();
// Opens CONFIG and makes sure the terminal has its row; false when the
// table cannot be opened.
bool CONFIGURA(const std::string& nusu);
// The opening screen: background, banner with the terminal and version,
// version box (window 2).
void MOS_JAN(std::string_view name);
// The block-letter banner with the terminal and version line: 13 rows of
// 50 columns.
std::vector<std::string> bannerRows(std::string_view nusu, std::string_view versao);

// Menu bar: the six pull-downs, captions of the print selection from the
// current choices.
void CREATEMAINMENU(MenuBar& bar);
// The dispatcher of every menu item.
void MENUSELECT(MenuItem& item);
// Menu position to reopen after command `id`.
int menuPositionOf(int id);
// One print choice (ids 41 to 48); the new caption text, or "".
std::string SELITEMIMP(int id);

// Exit through command 16 (Terminar) or 71 (Sair, asks first). True when
// the program ends.
bool ROTSAIDA(int id);

// Makes `dir` a program directory holding the delivered reference tables
// made from the data folder. Tables that exist are kept. Messages for the
// user go to `log`; false on failure.
bool initProgramDirectory(const std::string& dir, const std::string& dataDir, std::string* log);
// The data folder: ZEL_DATA_DIR, else the one of the source tree.
std::string deliveredDataDir();

}  // namespace zel::shell
