#include "data/directories.h"

#include "data/data_state.h"
#include "data/directories_internal.h"
#include "helpers/paths.h"
#include "helpers/system_helpers.h"
#include "platform/sys/cp850.h"
#include "screen/messages.h"

namespace zel::data {

namespace dirs {

std::string pad40(std::string_view s) {
  std::string out(s.substr(0, std::min<size_t>(s.size(), 40)));
  out.resize(40, ' ');
  return out;
}

std::string withoutBackslash(std::string_view path) {
  // A drive root keeps its backslash: "C:" alone would name the drive's
  // current directory instead.
  if (path.size() == 3 && path[1] == ':' && path[2] == '\\') return std::string(path);
  return BAR_FORA(path);
}

bool storeInConfig(std::string_view field, const std::string& value) {
  DataState& st = dataState();
  db::Table* t = areaTable("42");
  if (!t) return false;
  selectArea("42");
  if (!t->seek(st.NUSU).ok() || !t->found()) return false;
  if (!REC_LOCK(5)) return false;
  bool ok = putField(*t, field, value);
  (void)t->unlockRecord(t->recno());
  return ok;
}

bool putField(db::Table& t, std::string_view field, const std::string& value) {
  Status s = t.put(field, Value(value));
  if (!s.ok()) dataState().out().alert(s.toString());
  return s.ok();
}

}  // namespace dirs

using namespace dirs;

DirectoryLinks& directoryLinks() {
  static DirectoryLinks links;
  return links;
}

void resetDirectoryLinks() { directoryLinks() = DirectoryLinks(); }

bool CONFER_DIR(std::string_view path) {
  if (VERDIR(path)) return true;
  MENS(0, "<Dir> " + std::string(path) + std::string("näo encontrado. Assumiremos o default"_cp));
  return false;
}

bool CRI_NDIR(std::string_view path, std::string_view purpose) {
  const std::string dir = withoutBackslash(trim(path));
  if (VERDIR(dir)) return true;
  if (AVISOSN(std::string("Diretório novo para "_cp) + std::string(purpose) + "? Cria-o ?", 2) !=
      "S")
    return false;
  if (CRIADIR(dir)) return true;
  // The parents may be missing too: each level from below the drive root down,
  // a level that exists already passed over.
  for (size_t i = 3; i < dir.size(); ++i) {
    if (dir[i] == '\\') (void)CRIADIR(dir.substr(0, i));
  }
  (void)CRIADIR(dir);
  if (VERDIR(dir)) return true;
  AVISOSN("Problemas ao criar a pasta " + dir, 0);
  return false;
}

std::string programDirectory(std::string_view dirdef) {
  const std::string given = trim(dirdef);
  if (!given.empty() && CONFER_DIR(given)) return withoutBackslash(given);
  return GETDIR();
}

void checkStartDirectories(std::string_view rotadef) {
  DataState& st = dataState();
  const std::string data = trim(st.ROTATIVID);
  if (!VERDIR(data)) {
    AVISOSN(
        std::string("O diretório "_cp) + data + std::string(" näo encontrado.Assumido o atual."_cp),
        0);
    st.ROTATIVID = std::string(rotadef);
    (void)storeInConfig("ROTATIVID", st.ROTATIVID);
  }
  st.ROTA = trim(st.ROTATIVID);
  if (!VERDIR(trim(st.DIRTRAB))) st.DIRTRAB = st.ROTA;
  st.LOCARQ = BAR_DIR(st.ROTA);
  st.LOCTRAB = BAR_DIR(trim(st.DIRTRAB));
  st.DIRORIG = st.LOCARQ;
}

bool TROCA_NAO(int column, std::string_view value) {
  if (column == 1) {
    const std::string v = upperTrim(value);
    if (v == "S") {
      const bool switched = TROCASIM(1);
      selectArea("26");
      // A row whose lock could not be had keeps its value.
      return switched;
    }
    if (v.empty() || v == "N") return true;
    MENS(11, "Digite (S)im ou (N)äo "_cp);
    return false;
  }
  if (column == 2) {
    const std::string v = trim(value);
    if (v.empty()) {
      MENS(11, "E necessário preencher o nome do diretório"_cp);
      return false;
    }
    return CRI_NDIR(v, "ZEL2009");
  }
  return true;
}

const DirectoryListWindow* directoryListWindow(int mode) {
  static const DirectoryListWindow kLists[] = {
      {14,
       26,
       4,
       7,
       18,
       23,
       65,
       {std::string("Escreva a lista dos diretórios onde poderá ter"_cp),
        std::string("informaçöes para o ZEL2009 procurar.Marque com"_cp),
        std::string("a letra S na coluna SEL o diretório atual.    "_cp)},
       {{"SEL.", "SELEC", "@!"}, {std::string("Drive e diretório"_cp), "DIRETOR", "@!"}}},
      {15,
       36,
       4,
       7,
       18,
       25,
       59,
       {std::string("Escreva a lista dos diretórios do DO2009"_cp),
        "onde o ZEL2009 deve procurar para gravar", "os  dados  calculados  e  que  devem ser",
        std::string("transportados para a declaracäo         "_cp)},
       {{std::string("Drive e diretório do DO2009 "_cp), "DIRETOR", "@!"}}},
  };
  for (const auto& l : kLists)
    if (l.mode == mode) return &l;
  return nullptr;
}

}  // namespace zel::data
