// The form that asks for a directory, and the work-directory command.
#include "data/data_state.h"
#include "data/directories.h"
#include "data/directories_internal.h"
#include "helpers/paths.h"
#include "helpers/system_helpers.h"
#include "platform/console/keys.h"
#include "platform/sys/cp850.h"
#include "platform/ui/form_reader.h"
#include "screen/console.h"
#include "screen/messages.h"

namespace zel::data {

using namespace dirs;

namespace {

constexpr int kWindow = 3;
// Text rows of the box: the current value on the second, the entry on the
// fourth; the text area is the 40 columns from 36.
constexpr int kEntryRow = 6;
constexpr int kEntryCol = 36;

std::string heading(std::string_view which) {
  return pad40(std::string("Drive e diretório "_cp) + std::string(which));
}

}  // namespace

std::string NOVA_ROTA(std::string_view name, std::string_view current) {
  const ScreenState& ss = screenState();
  REDEFJAN(kWindow, ss.COR_TEL1, ss.COR_TEL2, ss.COR_TEL3, 3, 36, 8, 77, kWinFramed);
  ABREJAN(kWindow);
  const std::string shown = pad40(trim(current));

  std::string result;
  for (;;) {
    ESCRJAN(kWindow, heading("Atual    ") + kColour2 + shown + kColour1 + heading("Novo     ") +
                         std::string(40, ' '));
    Value entry(std::string(40, ' '));
    FormReader reader;
    FormField field = FormField::of(kEntryRow, kEntryCol, cp850Upper(name), entry, "@!");
    field.valid = [&entry] { return ESPCIF(entry.text()); };
    reader.add(std::move(field));
    const ReadResult r = reader.read();

    // Esc gives up, even over an entry the drive check refused before.
    if (r.lastKey == key::kEsc) {
      result = trim(current);
      break;
    }
    const std::string typed = trim(entry.text());
    if (typed.size() == 2) {  // a drive letter and its colon: that drive's root
      result = typed + "\\";
      break;
    }
    if (typed.size() == 3) {  // a drive root
      result = typed;
      break;
    }
    if (typed.size() > 3 && CRI_NDIR(typed, "ZEL2009")) {
      result = typed;
      break;
    }
  }
  MENS();
  FECHAJAN(kWindow);
  return pad40(result);
}

void SELAREA() {
  DataState& st = dataState();
  st.DIRTRAB = NOVA_ROTA("DIRTRAB", st.DIRTRAB);
  st.LOCTRAB = BAR_DIR(trim(st.DIRTRAB));
}

}  // namespace zel::data
