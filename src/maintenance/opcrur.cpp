#include "maintenance/opcrur.h"

#include <string>

#include "data/areas.h"
#include "data/catalogue.h"
#include "data/data_state.h"
#include "data/rotirur.h"
#include "helpers/paths.h"
#include "platform/db/bulk.h"
#include "platform/sys/text.h"

namespace zel::maintenance {

namespace {

// Removes an index file so that the next open packs the table and builds it.
void removeIndex(const std::string& dosPath) {
  data::DataState& st = data::dataState();
  std::string host = st.host(dosPath);
  if (st.files().exists(host)) (void)st.files().remove(host);
}

// The program-directory tables, packed in this order.
constexpr std::string_view kProgramTables[] = {"AUXABENS", "AUXCAIXA", "CODABENS", "CODDIVI",
                                               "BANCOS",   "CORES",    "DESPESA",  "PROF",
                                               "CONFIMP",  "CONFIG",   "HELPATXT"};

// An area no table number uses: everything else is closed meanwhile anyway.
constexpr std::string_view kPackArea = "99";

void packProgramTables() {
  data::DataState& st = data::dataState();
  for (std::string_view name : kProgramTables) {
    const std::string base = st.ARQDEF + std::string(name);
    removeIndex(base + ".NTX");
    if (!st.files().exists(st.host(base + ".DBF"))) break;
    data::selectArea(kPackArea);
    if (data::NETUSE(base, true, 5)) {
      if (db::Table* t = data::currentTable()) {
        Status s = db::pack(*t);
        if (!s.ok()) st.out().alert(s.toString());
      }
    }
    data::closeArea(kPackArea);
  }
}

}  // namespace

bool REORG(std::string_view directory, int mode) {
  data::DataState& st = data::dataState();
  st.MOS_MENS = mode == 4;
  const std::string dir = BAR_DIR(trim(directory));
  bool ok = true;
  for (int n = 1; n <= 6; ++n) {
    const std::string file = dir + "ZEL" + std::to_string(n) + "09";
    removeIndex(file + ".NTX");
    // Every declaration table, the cash book too, is indexed on its owner.
    ok = data::ABREARQ(std::to_string(n), false, file, std::string(data::kCashBookKeyPlain)) && ok;
    data::closeArea(std::to_string(n));
  }
  const std::string reg = dir + "ZEL909";
  for (const char* suffix : {"", "B", "C"}) removeIndex(reg + suffix + ".NTX");
  const data::TableDef* def = data::findTable(9);
  ok = data::ABREARQ("9", false, reg, std::string(def->indexes[0].key),
                     std::string(def->indexes[1].key), reg + "B",
                     std::string(def->indexes[2].key), reg + "C") &&
       ok;
  if (mode != 1) data::closeAllAreas();
  if (mode == 4) packProgramTables();
  return ok;
}

}  // namespace zel::maintenance
