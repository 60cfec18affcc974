// Routines shared by the shell's commands: the terminal's rows of the
// per-terminal tables, small text helpers, the notice of a command that is
// not built yet, and what the data layer shows through the shell's boxes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "data/catalogue.h"
#include "data/data_ui.h"
#include "platform/db/table.h"
#include "platform/sys/text.h"

namespace zel::shell {

using zel::trim;
// Two digits with a leading zero ("03").
std::string twoDigits(int n);
// STR(value, width, decimals): right-aligned in `width`; asterisks when it
// does not fit.
std::string strNumber(double value, int width, int decimals);

// Selects `area` and seeks the terminal's row (NUSU) in its controlling
// index; true when found. False also when the area is empty.
bool seekTerminalRow(std::string_view area);
// In `area`: seeks the terminal's row and takes its record lock (5-second
// wait), or appends the row (locked) with NRO_TERM set when it is missing.
// False when neither could be had; the wait's message was shown.
bool lockTerminalRow(std::string_view area);

// Writes the fields into the current record; stops at the first failure.
Status putFields(db::Table& t, const std::vector<data::FieldValue>& values);

// Plain notice that a command is not available in this version.
void notAvailable(std::string_view what);

// Terminal colours: load the terminal's CORES row into the screen settings
// (appending it with the defaults when missing), and store them back.
void CRIACOR();
void GRAVACOR();

// Printer row: makes sure the terminal's CONFIMP row exists and builds the
// control strings and printer settings from it.
void CRIA_SEQ();
// A control sequence from its notation ("<027>A", "<ESC>@", "<###>") to
// bytes; a laser marker sets TEM_LASER.
std::string MONTASTRG(std::string_view text);

// Save mode of the declaration session (menu command 26).
void TIP_GRAV();
// Dollar value (menu command 32).
void VALOR_DOLAR();

// The data layer's boxes and messages, shown through the shell's prompts.
class ShellDataUi : public data::DataUi {
 public:
  void progress(std::string_view text) override;
  void closeProgress() override;
  void freshProgress() override;
  void message(std::string_view text, bool centred) override;
  void clearMessage() override;
  void alert(std::string_view text) override;
  void notice(std::string_view text) override;
  int peekKey() override;
  void dropKey() override;
};

}  // namespace zel::shell
