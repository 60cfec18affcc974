// Switching the current data directory: its register, the mark in the
// directory list, the stored choice, and the recovery of the last
// declaration from the work copies.
#include "data/catalogue.h"
#include "data/data_state.h"
#include "data/directories.h"
#include "data/directories_internal.h"
#include "data/waits.h"
#include "helpers/paths.h"
#include "platform/sys/cp850.h"
#include "platform/ui/form_reader.h"
#include "screen/messages.h"

namespace zel::data {

using namespace dirs;

namespace {

// Sets SELEC to "N" on every row of the list (area 26) but `keep` that
// carries "S", each under a 5-second lock of its own taken beside the one
// `keep` may hold; a row whose lock is not had keeps its mark. The cursor
// ends on `keep`.
void clearOtherMarks(db::Table& list, uint32_t keep) {
  for (Status s = list.goTop(); s.ok() && !list.eof(); s = list.skip()) {
    const uint32_t r = list.recno();
    if (r == keep || trim(list.text("SELEC")) != "S") continue;
    if (!waits::recordLock([&list, r] { return list.addRecordLock(r); }, 5, areaAlias("26")))
      continue;
    (void)putField(list, "SELEC", "N");
    (void)list.unlockRecord(r);
  }
  (void)list.goTo(keep);
}

}  // namespace

bool MUDADIR(std::string_view path) {
  DataState& st = dataState();
  const std::string dir = BAR_DIR(trim(path));
  if (!CRI_NDIR(dir, " ZEL2009")) return false;
  const std::string file = dir + "ZEL909";
  const TableDef& def = *findTable(9);
  if (!ABREARQ("9", false, file, std::string(def.indexes[0].key), std::string(def.indexes[1].key),
               file + "B", std::string(def.indexes[2].key), file + "C"))
    return false;
  db::Table* t = areaTable("9");
  DirectoryLinks& links = directoryLinks();
  const std::string cpf = links.cpf ? links.cpf() : "";
  // An empty key would match the first row of any register.
  bool found = !trim(cpf).empty() && t->seek(cpf).ok() && t->found();
  if (found) {
    if (links.setName) links.setName(t->text("NOMECONTR"));
  } else {
    (void)t->goTop();
  }
  (void)t->setOrder(2);
  st.out().closeProgress();
  return true;
}

bool TROCASIM(int /*mode: both callers' modes take the same steps*/) {
  DataState& st = dataState();
  db::Table* list = areaTable("26");
  if (!list) return false;
  selectArea("26");

  // The chosen row first: when its lock is not had, every mark stays as it was.
  const bool append = list->recordCount() == 0 || list->eof();
  if (append ? !ADD_REC(5) : !REC_LOCK(5)) return false;
  const uint32_t chosen = list->recno();
  clearOtherMarks(*list, chosen);
  if (!putField(*list, "SELEC", "S")) {
    (void)list->unlockRecord(chosen);
    return false;
  }
  std::string dir = upperTrim(list->text("DIRETOR"));
  if (dir.empty()) {
    dir = cp850Upper(withoutBackslash(st.ARQDEF));
    (void)putField(*list, "DIRETOR", dir);
  }
  (void)list->unlockRecord(chosen);

  st.DIRETOR = dir;
  st.ROTATIVID = dir;
  st.ROTA = dir;
  st.LOCARQ = BAR_DIR(dir);
  CORRECAO();
  (void)MUDADIR(st.LOCARQ);

  if (ABERTURA(42)) (void)storeInConfig("ROTATIVID", st.ROTATIVID);
  selectArea("42");
  return true;
}

bool DIRETO() {
  DataState& st = dataState();
  std::string cpf;
  for (int digit = 1; digit <= 6 && cpf.empty(); ++digit) {
    const std::string file = st.LOCTRAB + workCopyName(digit, st.NUSU);
    if (!st.files().exists(st.host(file + ".DBF"))) continue;
    selectArea("1");
    closeArea("1");
    // The copies are this terminal's own; a bounded wait still keeps a
    // second workstation with the same number from hanging this one.
    if (NETUSE(file, true, 10)) {
      db::Table* t = currentTable();
      if (t->goTop().ok() && !t->eof()) cpf = trim(t->text("CPF"));
    }
    closeArea("1");
  }
  if (cpf.empty()) {
    AVISOSN(std::string("Impossível recuperar o último CPF."_cp), 0);
    selectArea("9");
    return false;
  }
  DirectoryLinks& links = directoryLinks();
  if (links.setCpf) links.setCpf(cpf);
  if (links.setRecovery) links.setRecovery();
  if (FormReader* reader = FormReader::active()) reader->endRead();
  selectArea("9");
  return true;
}

void reconcileDirectoryList() {
  DataState& st = dataState();
  st.DIRETOR = cp850Upper(BAR_FORA(st.LOCARQ));
  db::Table* list = areaTable("26");
  if (!list) return;
  selectArea("26");
  for (Status s = list->goTop(); s.ok() && !list->eof(); s = list->skip()) {
    if (upperTrim(list->text("DIRETOR")) != st.DIRETOR) continue;
    if (trim(list->text("SELEC")) != "S") (void)TROCASIM(1);
    return;
  }
  if (!ADD_REC(5)) return;
  (void)putField(*list, "SELEC", "S");
  (void)putField(*list, "DIRETOR", st.DIRETOR);
  (void)list->unlockRecord(list->recno());
  // The directory stored before may still carry the mark.
  clearOtherMarks(*list, list->recno());
}

}  // namespace zel::data
