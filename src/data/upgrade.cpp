#include <string>

#include "data/catalogue.h"
#include "data/data_state.h"
#include "data/rotirur.h"
#include "data/rotirur_internal.h"

namespace zel::data {

namespace {

using namespace detail;

// A field a table must have before it counts as being in the current layout.
const char* markerField(int number) { return number == 3 ? "I8_4" : nullptr; }

// Copies every record of `from` into `to` (matching fields by name, the
// deletion mark kept, new fields empty).
Status copyRecords(db::Table& from, db::Table& to) {
  const db::DbfLayout& src = from.layout();
  const db::DbfLayout& dst = to.layout();
  const uint32_t count = from.recordCount();
  for (uint32_t r = 1; r <= count; ++r) {
    ZEL_RETURN_IF_ERROR(from.goTo(r));
    std::string rec = db::blankRecord(dst);
    std::string_view old = from.recordBytes();
    rec[0] = old.empty() ? ' ' : old[0];
    for (size_t i = 0; i < dst.fields.size(); ++i) {
      const db::FieldDef& f = dst.fields[i];
      int j = src.fieldIndex(f.name);
      if (j < 0 || f.type == 'M') continue;
      const db::FieldDef& g = src.fields[j];
      std::string bytes;
      if (g.type == f.type && g.width == f.width && g.decimals == f.decimals) {
        bytes = std::string(from.raw(j));
      } else {
        auto enc = db::encodeValue(f, db::decodeValue(g, from.raw(j)));
        if (!enc.ok()) continue;  // a value the new field cannot hold stays empty
        bytes = *enc;
      }
      rec.replace(dst.offsets[i], f.width, bytes);
    }
    ZEL_RETURN_IF_ERROR(to.appendRaw(rec));
  }
  return to.flush();
}

// Rebuilds `tablePath` (host) in the layout of `def` through `workPath`
// (host), then puts the result in place with a rename, so that a failure at
// any point leaves the old table whole.
Status rebuild(const TableDef& def, const std::string& tablePath, const std::string& workPath) {
  DataState& st = dataState();
  db::Env& env = st.files();
  ZEL_RETURN_IF_ERROR(db::Table::create(env, workPath, def.fields));
  {
    auto from = db::Table::open(env, tablePath, db::OpenMode::kExclusive);
    if (!from.ok()) return from.status();
    auto to = db::Table::open(env, workPath, db::OpenMode::kExclusive);
    if (!to.ok()) return to.status();
    Status s = copyRecords(**from, **to);
    (void)(*to)->close();
    (void)(*from)->close();
    ZEL_RETURN_IF_ERROR(s);
  }
  Status moved = env.rename(workPath, tablePath);
  if (moved.ok()) return moved;
  // Another file system: copy next to the table first, then rename there.
  const std::string next = tablePath + ".new";
  {
    db::OpenOptions ro;
    ro.readOnly = true;
    auto in = env.open(workPath, ro);
    if (!in.ok()) return in.status();
    db::OpenOptions cw;
    cw.create = true;
    cw.truncate = true;
    auto out = env.open(next, cw);
    if (!out.ok()) return out.status();
    auto size = (*in)->size();
    if (!size.ok()) return size.status();
    std::string buf(65536, '\0');
    for (uint64_t off = 0; off < *size;) {
      size_t got = 0;
      ZEL_RETURN_IF_ERROR((*in)->read(off, buf.size(), buf.data(), &got));
      if (got == 0) return Status::IOError("short read of " + workPath);
      ZEL_RETURN_IF_ERROR((*out)->write(off, std::string_view(buf.data(), got)));
      off += got;
    }
    ZEL_RETURN_IF_ERROR((*out)->sync());
  }
  ZEL_RETURN_IF_ERROR(env.rename(next, tablePath));
  return env.remove(workPath);
}

}  // namespace

void CORRIGE(int number) {
  DataState& st = dataState();
  const TableDef* def = findTable(number);
  const char* marker = markerField(number);
  if (!def || !marker) return;
  const std::string area = std::to_string(number);
  const std::string file = st.LOCARQ + std::string(def->file);

  const bool shown = st.MOS_MENS;
  st.MOS_MENS = false;
  const bool opened = ABREARQ(area, true, file, std::string(def->indexes[0].key));
  st.MOS_MENS = shown;

  db::Table* t = areaTable(area);
  if (opened && t) {
    int i = t->fieldIndex(marker);
    if (i < 0 || t->fields()[i].type != 'N') {
      const std::string tablePath = t->path();
      closeArea(area);
      const std::string work = st.host(joinPath(st.ROTA, "ACERTO.DBF"));
      Status s = rebuild(*def, tablePath, work);
      if (!s.ok()) {
        (void)st.files().remove(work);
        st.out().alert(s.toString());
      }
      st.out().clearMessage();
    }
  }
  closeArea(area);
}

void CORRECAO() { CORRIGE(3); }

}  // namespace zel::data
