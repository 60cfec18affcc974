#include "shell/comum.h"

#include <cmath>
#include <cstdio>

#include "data/areas.h"
#include "data/data_state.h"
#include "data/rotirur.h"
#include "platform/console/console.h"
#include "platform/sys/cp850.h"
#include "screen/messages.h"
#include "shell/prompts.h"

namespace zel::shell {

std::string twoDigits(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

std::string strNumber(double value, int width, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%*.*f", width, decimals, value);
  std::string s = buf;
  if (static_cast<int>(s.size()) > width) return std::string(static_cast<size_t>(width), '*');
  return s;
}

bool seekTerminalRow(std::string_view area) {
  data::selectArea(area);
  db::Table* t = data::currentTable();
  if (!t) return false;
  if (!t->seek(data::dataState().NUSU).ok()) return false;
  return t->found();
}

bool lockTerminalRow(std::string_view area) {
  if (seekTerminalRow(area)) return data::REC_LOCK(5);
  db::Table* t = data::currentTable();
  if (!t || !data::ADD_REC(5)) return false;
  if (!t->put("NRO_TERM", Value(data::dataState().NUSU)).ok()) {
    (void)t->unlockAll();
    return false;
  }
  return true;
}

Status putFields(db::Table& t, const std::vector<data::FieldValue>& values) {
  for (const auto& [name, value] : values) ZEL_RETURN_IF_ERROR(t.put(name, value));
  return Status::OK();
}

void notAvailable(std::string_view what) {
  alertOk(std::string(what) + std::string(";ainda näo está disponível nesta versäo."_cp));
}

void ShellDataUi::progress(std::string_view text) { progressBox(text); }
void ShellDataUi::closeProgress() { shell::closeProgress(); }
// The next progress box is drawn afresh instead of reusing the open one.
void ShellDataUi::freshProgress() { messageState().TAM_OLD = 0; }
void ShellDataUi::message(std::string_view text, bool centred) { messageLine(text, centred); }
void ShellDataUi::clearMessage() { messageLine(""); }
void ShellDataUi::alert(std::string_view text) { alertOk(text); }

// An error box: a beep, any key closes it.
void ShellDataUi::notice(std::string_view text) { (void)MENS(11, text); }

int ShellDataUi::peekKey() {
  Console& con = console();
  if (!con.keyWaiting()) return 0;
  int k = con.inkey(0);
  if (k != 0) con.pushKey(k);
  return k;
}

void ShellDataUi::dropKey() {
  if (console().keyWaiting()) (void)console().inkey(0);
}

}  // namespace zel::shell
