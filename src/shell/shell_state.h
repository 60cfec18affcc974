// The shell's global settings: identity, print choices, save mode, printer
// settings and the working values the other subsystems read.
//
// Members keep the names the rest of the program knows them by. The data
// layer's settings (NUSU, ARQDEF, LOCARQ, LOCTRAB, ROTA, ROTATIVID, DIRTRAB,
// DIRORIG, DIRETOR, MOS_MENS, APELIDO, REFAZ_IND) live in data::dataState();
// the colours and windows in screenState(). A test starts from fresh ones
// with resetShellState().
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "platform/sys/date.h"

namespace zel {
class MenuBar;
}

namespace zel::shell {

struct ShellState {
  // Identity and directories.
  std::string VERSAO = "1.2Da";
  std::string DIRDEF;   // DDO2009 as given (may be empty)
  std::string ROTADEF;  // program directory, no trailing backslash
  std::string DIRPROV, ROTAZEL, XDRIVE;

  // Composite colour lists, built once the terminal's colours are loaded.
  std::string CORNORM, CORLIMP, CORSELE, CORMENU;

  // Screen layout.
  std::array<int, 13> ALJ{}, ACJ{}, ALJA{}, ACJA{};
  int NT = 11;
  int NTA = 1;
  std::string QUEMOSTRA;
  int ALTUR = 0, LARG = 0;

  // From the terminal's CONFIG row and from DEFINE.
  std::string MOSIMP = "S", MOSTEL = "S";
  int AQUEIMP = 1, AQUEMOD = 1, AQUEPAG = 1, AQUECON = 1, ATVQUAL = 1;
  std::string ULT_CPF = std::string(11, ' ');
  std::string CPF = std::string(11, ' ');
  std::string NOMECONTR = std::string(53, ' ');
  std::string DIRDOVU = std::string(40, ' ');
  int COMO_SAL = 2, TEMP_SAL = 15, TEMP_DES = 2;
  double NVALDOLAR = 0;
  std::string CVALDOLAR = "0.0000";

  // Printing.
  std::string ARQ_IMP = " ";
  int NRO_VIAS = 1;
  std::string CVIAS = "1";
  int NLIN = 1;
  int NROLINHAS = 60;
  int TEM_LASER = 0;
  std::string STRING0, STRING1, STRING2, STRING3, STRING4;
  std::string LIN72 = "\x1b&l74P";
  int NROIMPR = 1;
  std::string LOCIMPR = "L";
  int NROLPT = 1, NROCOM = 0;
  std::string SAIDAPR = std::string(8, ' ');
  std::string NOMEIMP;
  std::string NOMEREDE;
  int QLIN = 0;
  bool CAN_IMP = false;
  int OPCIMP = 1;
  int QUEMES = 1, MES_INIC = 1, MES_FINAL = 12;
  bool IMPRE = false;
  // Print-selection lists; entries of one list share its width.
  std::vector<std::string> ALISTIMP, NOMEMOD, NOMECONT, NOMEPAGR, NOMEUNI, NOMECON, NOMEATV;
  std::array<int, 3> AQUEIT2{1, 1, 1};
  std::array<int, 3> AQUEIT3{3, 1, 1};

  // Working state of the other subsystems.
  Date DT_LC;
  int TELA = 0;
  int SO_MOS = 1;
  bool LRECUPERA = false;
  int ULTTECLA = 0;
  int OPCAO_1 = 1;
  std::string ORIGEM, DESTINO;
  bool NAO_HLP = false;
  int M_ENT_EXIT = 0;
  bool SEMHORA = false;
  int PROG = 0;
  bool TECLAMUDA = false;
  int NPOSMENU = 1;
  std::string CTIPOATV = " ";

  // Whether the current drive is a network drive (tests replace it).
  std::function<bool()> onNetworkDrive;

  // The menu bar while the menu loop runs, and the request to end it.
  MenuBar* bar = nullptr;
  bool ending = false;
};

ShellState& shellState();
// Fresh settings (tests).
void resetShellState();

// Sets the print-selection lists to their texts.
void setPrintLists(ShellState& s);

}  // namespace zel::shell
