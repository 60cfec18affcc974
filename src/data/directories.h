// The program's directories: the data directory the taxpayers live in, the
// work directory of the per-terminal copies, the per-terminal list of data
// directories (table 26) through which the user switches between sets of
// taxpayers, and the creation of missing directories.
//
// Directories are DOS paths ("C:\ZEL2009\DADOS"), upper case in the lists;
// the settings they change (ROTATIVID, ROTA, LOCARQ, LOCTRAB, DIRTRAB,
// DIRETOR, DIRORIG) are the members of dataState(). Questions, alerts and the
// message line go through the screen toolkit (MENS, AVISOSN) on console().
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zel::data {

// The settings of the layers above that these routines read or set: the
// current taxpayer (CPF and NOMECONTR) and the recovery flag LRECUPERA.
// Start-up installs them; a link left empty reads as "" and sets nothing.
struct DirectoryLinks {
  std::function<std::string()> cpf;                 // CPF
  std::function<void(const std::string&)> setCpf;   // CPF :=
  std::function<void(const std::string&)> setName;  // NOMECONTR :=
  std::function<void()> setRecovery;                // LRECUPERA := true
};
DirectoryLinks& directoryLinks();
void resetDirectoryLinks();  // tests

// Whether `path` is an existing directory (VERDIR); when not, the message
// line says "<Dir> " + path + "näo encontrado. Assumiremos o default" and
// the answer is false.
bool CONFER_DIR(std::string_view path);

// Makes sure the directory exists: blanks and a trailing backslash are
// stripped; a missing directory is created after the question
// "Diretório novo para " + purpose + "? Cria-o ?" (Sim/Nao), level by level
// from the drive root when needed. True when it exists at the end; a failed
// creation shows "Problemas ao criar a pasta " + path.
bool CRI_NDIR(std::string_view path, std::string_view purpose);

// The form that asks for a new directory for the setting `name` whose value
// is `current` (window 3: the current value above, the entry below, drive
// checked on leaving the field). Returns the chosen directory padded to 40:
// `current` unchanged after Esc, "D:\" for an entry "D:", the entry itself
// for a drive root or for a longer path that exists or was created.
std::string NOVA_ROTA(std::string_view name, std::string_view current);

// Menu command: the work directory. DIRTRAB := NOVA_ROTA("DIRTRAB", DIRTRAB),
// LOCTRAB := it trimmed with a backslash. Stored in CONFIG at exit.
void SELAREA();

// Opens the register (ZEL909 with its three indexes) of the data directory
// `path` shared in area 9, creating the directory on consent; positioned on
// the current CPF (the first row when absent; NOMECONTR set when found), in
// name order. False when the directory is refused or the register does not
// open.
bool MUDADIR(std::string_view path);

// Makes the current row of the directory list (area 26) the current data
// directory: the only row marked "S", DIRETOR/ROTATIVID/ROTA/LOCARQ set,
// the assets table of the new directory upgraded, its register opened
// (MUDADIR), CONFIG.ROTATIVID of this terminal written. Row writes take
// 5-second record locks; false when the chosen row's lock is not had.
// Leaves area 42 (CONFIG) current. Mode 1 (list, start-up) and 0 (after a
// copy to a new directory) do the same.
bool TROCASIM(int mode);

// Key F4 inside a declaration: the CPF of the declaration whose work copies
// (LOCTRAB + "PRA_" + digit + NUSU, digits 1..6) are still in the work
// directory. Found: CPF and LRECUPERA set through the links, the form being
// read ended, true. None: the alert "Impossível recuperar o último CPF.",
// false. Area 9 is current afterwards.
bool DIRETO();

// Start-up, program directory: ROTADEF from `dirdef` (DDO2009) when it is an
// existing directory (trimmed, no trailing backslash), otherwise (after
// CONFER_DIR's message when it was given) the current drive and directory.
std::string programDirectory(std::string_view dirdef);

// Start-up, after the terminal's CONFIG row was read into ROTATIVID and
// DIRTRAB (CONFIG open in area 42): a data directory that does not exist is
// reported ("O diretório " + it + " näo encontrado.Assumido o atual."),
// replaced by `rotadef` and stored in the row; a missing work directory
// silently becomes ROTA. Then ROTA, LOCARQ, LOCTRAB and DIRORIG are set.
void checkStartDirectories(std::string_view rotadef);

// Start-up, after the reference set is open: DIRETOR := LOCARQ upper-cased
// without its backslash; the first row of the list whose trimmed DIRETOR
// equals it is made the selected one (TROCASIM) unless it already is; with
// no such row one is appended, marked "S". Area 26 is current afterwards
// (area 42 when TROCASIM ran).
void reconcileDirectoryList();

// Cell checks of the directory list (list editor mode 14, TROCA_NAO), run
// when a cell is left; `column` 1 is SELEC, 2 is DIRETOR. "S" in SELEC runs
// TROCASIM(1) and reselects area 26; "N" and blank are accepted; anything
// else is refused after the notice "Digite (S)im ou (N)äo ". A blank
// DIRETOR is refused with "E necessário preencher o nome do diretório";
// otherwise CRI_NDIR(value, "ZEL2009") decides.
bool TROCA_NAO(int column, std::string_view value);

// The windows of the two directory lists, as data for the list editor:
// mode 14 edits table 26, mode 15 table 36 (the DO2009 directories).
struct DirectoryListColumn {
  std::string heading;  // CP850
  std::string_view field;
  std::string_view picture;
};
struct DirectoryListWindow {
  int mode = 0;
  int table = 0;
  int window = 0;
  int top = 0, left = 0, bottom = 0, right = 0;
  std::vector<std::string> headingLines;  // CP850
  std::vector<DirectoryListColumn> columns;
};
// The definition of list mode 14 or 15; nullptr for any other mode.
const DirectoryListWindow* directoryListWindow(int mode);

}  // namespace zel::data
