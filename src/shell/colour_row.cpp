// The terminal's colour row in CORES.
#include <string>

#include "data/areas.h"
#include "data/data_state.h"
#include "data/rotirur.h"
#include "screen/console.h"
#include "shell/comum.h"

namespace zel::shell {

namespace {

constexpr std::string_view kArea = "56";

struct IntSetting {
  const char* name;
  int ScreenState::*member;
};
struct TextSetting {
  const char* name;
  std::string ScreenState::*member;
};

constexpr IntSetting kAttrs[] = {
    {"COR_TEL1", &ScreenState::COR_TEL1},   {"COR_TEL2", &ScreenState::COR_TEL2},
    {"COR_TEL3", &ScreenState::COR_TEL3},   {"COR_MENS", &ScreenState::COR_MENS},
    {"COR_PEGA", &ScreenState::COR_PEGA},   {"COR_HELP", &ScreenState::COR_HELP},
    {"COR_FERID", &ScreenState::COR_FERID}, {"COR_ESCOL", &ScreenState::COR_ESCOL},
    {"COR_ENCHE", &ScreenState::COR_ENCHE},
};
constexpr TextSetting kStrings[] = {
    {"COR_1_CLI", &ScreenState::COR_1_CLI},   {"COR_2_CLI", &ScreenState::COR_2_CLI},
    {"COR_INI", &ScreenState::COR_INI},       {"COR_SAY", &ScreenState::COR_SAY},
    {"COR_GET", &ScreenState::COR_GET},       {"COR_CLI_HE", &ScreenState::COR_CLI_HE},
    {"COR_ESC_CL", &ScreenState::COR_ESC_CL}, {"COR_ENCH_C", &ScreenState::COR_ENCH_C},
};

Status writeRow(db::Table& t, const ScreenState& sc) {
  ZEL_RETURN_IF_ERROR(t.put("NRO_TERM", Value(data::dataState().NUSU)));
  for (const auto& a : kAttrs) ZEL_RETURN_IF_ERROR(t.put(a.name, Value(sc.*a.member)));
  for (const auto& s : kStrings) ZEL_RETURN_IF_ERROR(t.put(s.name, Value(sc.*s.member)));
  return Status::OK();
}

}  // namespace

void CRIACOR() {
  ScreenState& sc = screenState();
  if (!data::ABERTURA(56)) return;  // the defaults stay in force
  db::Table* t = data::areaTable(kArea);
  if (t) {
    if (seekTerminalRow(kArea)) {
      for (const auto& a : kAttrs) {
        // A blank field would turn a colour black on black: keep the default.
        if (!trim(t->text(a.name)).empty()) sc.*a.member = static_cast<int>(t->number(a.name)) & 0xFF;
      }
      for (const auto& s : kStrings) {
        std::string v = trim(t->text(s.name));
        if (!v.empty()) sc.*s.member = v;
      }
    } else if (data::ADD_REC(5)) {
      ScreenState defaults;
      (void)writeRow(*t, defaults);
      (void)t->unlockAll();
      for (const auto& a : kAttrs) sc.*a.member = defaults.*a.member;
      for (const auto& s : kStrings) sc.*s.member = defaults.*s.member;
    }
  }
  data::closeArea(kArea);
}

void GRAVACOR() {
  if (!data::ABERTURA(56)) return;
  db::Table* t = data::areaTable(kArea);
  if (t && lockTerminalRow(kArea)) {
    Status s = writeRow(*t, screenState());
    if (!s.ok()) data::dataState().out().alert(s.toString());
    (void)t->unlockAll();
  }
  data::closeArea(kArea);
}

}  // namespace zel::shell
