#include "data/rotirur.h"

#include <array>

#include "data/catalogue.h"
#include "data/data_state.h"
#include "data/rotirur_internal.h"
#include "data/waits.h"
#include "platform/db/bulk.h"
#include "platform/sys/cp850.h"

namespace zel::data {

namespace detail {

std::string lastComponent(std::string_view path) {
  size_t p = path.find_last_of("\\/");
  return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

std::string withoutSeparator(std::string_view path) {
  if (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.remove_suffix(1);
  return std::string(path);
}

bool fileThere(const std::string& dosPath) {
  DataState& st = dataState();
  return st.files().exists(st.host(dosPath));
}

std::string tableFileOf(const std::string& name) {
  // Only the file's own name counts: a directory may have a dot in it.
  return lastComponent(name).find('.') != std::string::npos ? name : name + ".dbf";
}

std::string createdName(const std::string& path) {
  size_t dot = path.find_last_of('.');
  size_t sep = path.find_last_of("\\/");
  if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return path;
  return path.substr(0, dot) + cp850Upper(std::string_view(path).substr(dot));
}

}  // namespace detail

using namespace detail;

namespace {

std::string unavailable(const std::string& name) {
  return name + std::string(".DBF näo está disponivel "_cp);
}

// Opens `name` (a table path without extension) in the current area.
Status openHere(const std::string& name, bool exclusive, int seconds) {
  DataState& st = dataState();
  std::string upper = upperTrim(name);
  std::string alias = upperTrim(st.APELIDO);
  if (alias.empty()) {
    alias = lastComponent(upper);
    if (size_t dot = alias.find('.'); dot != std::string::npos) alias.resize(dot);
  }
  const std::string here = currentArea();
  if (currentTable() && areaAlias(here) == alias) return Status::OK();
  // Close first: our own handle on the same file would refuse an exclusive open.
  closeArea(here);
  std::unique_ptr<db::Table> table;
  const std::string host = st.host(tableFileOf(upper));
  Status s = waits::open(
      [&] {
        auto r = db::Table::open(st.files(), host,
                                 exclusive ? db::OpenMode::kExclusive : db::OpenMode::kShared);
        if (!r.ok()) return r.status();
        table = std::move(*r);
        return Status::OK();
      },
      seconds);
  if (!s.ok()) return s;
  useInCurrentArea(std::move(table), alias);
  return Status::OK();
}

// Builds index `ntx` (DOS path) of the current table on `key`.
bool buildIndex(const std::string& ntx, const std::string& key) {
  DataState& st = dataState();
  db::Table* t = currentTable();
  Status s = t ? t->createIndex(st.host(createdName(ntx)), key)
               : Status::InvalidArgument("no table open");
  if (!s.ok()) {
    st.out().alert(s.toString());
    return false;
  }
  return true;
}

// Appends the first row of an empty directory list: the program directory.
void firstDirectoryRow(int number) {
  db::Table* t = areaTable(std::to_string(number));
  if (!t || t->recordCount() != 0) return;
  selectArea(std::to_string(number));
  if (!ADD_REC()) return;
  DataState& st = dataState();
  (void)t->put("DIRETOR", Value(withoutSeparator(st.ARQDEF)));
  if (number == 26) (void)t->put("SELEC", Value("S"));
  (void)t->unlockAll();
}

bool openReferenceSet() {
  DataState& st = dataState();
  for (int n : {21, 22, 23, 36, 26}) {
    const TableDef& def = *findTable(n);
    std::string key = def.indexes.empty() ? "" : std::string(def.indexes[0].key);
    if (!ABREARQ(std::to_string(n), false, st.ARQDEF + def.fileName(st.NUSU), key)) return false;
    if (n == 26 || n == 36) firstDirectoryRow(n);
  }
  st.out().closeProgress();
  db::setHideDeleted(true);
  st.out().freshProgress();
  return true;
}

}  // namespace

bool NETUSE(const std::string& file, bool exclusive, int seconds) {
  return openHere(file, exclusive, seconds).ok();
}

bool ABREARQ(const std::string& area, bool exclusive, const std::string& file,
             const std::string& key1, const std::string& key2, const std::string& name2In,
             const std::string& key3, const std::string& name3) {
  DataState& st = dataState();
  DataUi& ui = st.out();
  selectArea(area);
  closeArea(area);
  const std::string name = upperTrim(file);
  if (st.MOS_MENS) ui.progress(std::string("Verificando o Arquivo ") + name);

  const std::string tableFile = tableFileOf(name);
  if (!fileThere(tableFile)) {
    if (st.MOS_MENS) ui.progress(tableFile + std::string(" näo localizado está sendo criado "_cp));
    int number = 0;
    for (char c : areaName(area)) number = c >= '0' && c <= '9' ? number * 10 + (c - '0') : -1;
    switch (createTable(number, tableFile)) {
      case Created::kCreated: break;
      case Created::kNoLayout: return true;  // reported by the creation; nothing open
      case Created::kFailed: return false;   // reported by the creation
    }
  }

  auto reopen = [&](bool excl) {
    if (openHere(name, excl, 10).ok()) return true;
    ui.alert(unavailable(name));
    return false;
  };
  if (!reopen(exclusive)) return false;
  if (key1.empty()) {
    ui.freshProgress();
    return true;
  }

  const std::string ntx1 = name + ".NTX";
  const bool missing1 = !fileThere(ntx1);
  if (missing1 || st.REFAZ_IND) {
    closeArea(area);
    if (!reopen(true)) return false;
    if (missing1) {
      // Index keys would point at deleted records: pack before the first build.
      Status s = db::pack(*currentTable());
      if (!s.ok()) {
        ui.alert(s.toString());
        return false;
      }
    }
    if (st.MOS_MENS) ui.progress(std::string("Criando o indice ") + name + ".ntx");
    closeArea(area);
    if (!reopen(exclusive)) return false;
    if (!buildIndex(ntx1, key1)) return false;
  }

  std::string name2 = upperTrim(name2In);
  if (!key2.empty() && name2.empty()) name2 = name + "B";
  std::vector<std::pair<std::string, std::string>> order = {{ntx1, key1}};
  if (!name2.empty()) {
    order.push_back({name2 + ".NTX", key2});
    std::string n3 = upperTrim(name3);
    if (!n3.empty()) order.push_back({n3 + ".NTX", key3});
    for (size_t i = 1; i < order.size(); ++i) {
      const auto& [ntx, key] = order[i];
      if (fileThere(ntx) && !st.REFAZ_IND) continue;
      if (st.MOS_MENS)
        ui.progress(std::string("Criando o indice ") + ntx.substr(0, ntx.size() - 4) + ".ntx");
      if (!buildIndex(ntx, key)) return false;
    }
  }

  db::Table* t = currentTable();
  t->clearIndexes();
  for (const auto& [ntx, key] : order) {
    Status s = t->attachIndex(st.host(ntx));
    // An index is derived data: a damaged one is built again.
    if (s.isCorruption()) s = t->createIndex(st.host(createdName(ntx)), key);
    if (!s.ok()) {
      ui.alert(s.toString());
      return false;
    }
  }
  (void)t->setOrder(1);
  (void)t->goTop();
  ui.freshProgress();
  return true;
}

bool ABERTURA(int number, bool exclusive) {
  DataState& st = dataState();
  if (number == 0) {
    closeAllAreas();
    CORRECAO();
    return openReferenceSet();
  }
  if (number >= 1 && number <= 9) {
    const std::string file = st.LOCARQ + "ZEL" + std::to_string(number) + "09";
    const TableDef* def = findTable(number);
    if (number == 9) {
      return ABREARQ("9", exclusive, file, std::string(def->indexes[0].key),
                     std::string(def->indexes[1].key), file + "B",
                     std::string(def->indexes[2].key), file + "C");
    }
    // 7 and 8 have no table: the creation reports it and nothing is opened.
    std::string key = def ? std::string(def->indexes[0].key) : "CPF+ATV_EXTER";
    return ABREARQ(std::to_string(number), exclusive, file, key);
  }
  switch (number) {
    case 26: {
      bool ok = ABREARQ("26", exclusive, st.ARQDEF + findTable(26)->fileName(st.NUSU));
      if (ok) firstDirectoryRow(26);
      return ok;
    }
    case 41: case 42: case 43: case 44: case 56: case 57: case 60: {
      const TableDef& def = *findTable(number);
      std::string key = def.indexes.empty() ? "" : std::string(def.indexes[0].key);
      return ABREARQ(std::to_string(number), false, st.ARQDEF + std::string(def.file), key);
    }
    case 45:
      if (!fileThere(st.ARQDEF + "HELPATXT.DBF") || !fileThere(st.ARQDEF + "HELPATXT.DBT"))
        return false;
      return ABREARQ("45", false, st.ARQDEF + "HELPATXT", "UPPER(NOME)");
    default:
      return openReferenceSet();
  }
}

bool REC_LOCK(std::optional<double> seconds) {
  db::Table* t = currentTable();
  return waits::recordLock(
      [t] { return t ? t->lockRecord() : Status::InvalidArgument("no table open"); }, seconds,
      areaAlias(currentArea()));
}

bool FIL_LOCK(std::optional<double> seconds) {
  db::Table* t = currentTable();
  return waits::fileLock(
      [t] { return t ? t->lockFile() : Status::InvalidArgument("no table open"); }, seconds,
      "Aguardando arquivo ficar disponível"_cp);
}

bool ADD_REC(std::optional<double> seconds) {
  db::Table* t = currentTable();
  return waits::fileLock(
      [t] { return t ? t->appendBlank() : Status::InvalidArgument("no table open"); }, seconds,
      "Aguardando registro ficar disponível"_cp);
}

void NTX() {
  DataState& st = dataState();
  std::vector<std::string> dirs = {st.host(withoutSeparator(st.ROTA))};
  std::string program = st.host(withoutSeparator(st.ARQDEF));
  if (program != dirs[0]) dirs.push_back(program);
  db::Env& env = st.files();
  for (const auto& dir : dirs) {
    if (dir.empty()) continue;
    auto names = env.list(dir);
    if (!names.ok()) continue;
    for (const auto& n : *names) {
      if (n.size() < 4 || cp850Upper(std::string_view(n).substr(n.size() - 4)) != ".NTX") continue;
      std::string path = dir + "/" + n;
      db::OpenOptions ro;
      ro.readOnly = true;
      auto f = env.open(path, ro);
      if (!f.ok()) continue;
      auto size = (*f)->size();
      f->reset();
      if (size.ok() && *size == 0) (void)env.remove(path);
    }
  }
}

void FECHA_PROV() {
  for (int a = 11; a <= 18; ++a) closeArea(std::to_string(a));
}

void FECHA_TODO() {
  for (int a = 1; a <= 8; ++a) closeArea(std::to_string(a));
  FECHA_PROV();
}

}  // namespace zel::data
