#include "dbf_fuzz_one.h"

#include "platform/db/bulk.h"
#include "platform/db/table.h"

namespace zel::db {

namespace {

void put(Env& env, const std::string& path, std::string_view bytes) {
  OpenOptions o;
  o.create = true;
  o.truncate = true;
  auto f = env.open(path, o);
  if (f.ok()) (void)(*f)->write(0, bytes);
}

// A value of the field's type that fits it.
Value sample(const FieldDef& f) {
  switch (f.type) {
    case 'N': return Value(f.width > 2 ? 1.0 : 0.0);
    case 'D': return Value(*Date::fromYmd(2009, 4, 30));
    case 'L': return Value(true);
    default: return Value(std::string("x"));
  }
}

std::string readEverything(Table& t) {
  uint32_t n = t.recordCount();
  uint32_t seen = 0;
  if (!t.goTop().ok()) return "goTop failed on an open table";
  while (!t.eof()) {
    for (int i = 0; i < t.fieldCount(); ++i) {
      auto v = t.get(i);
      if (!v.ok() && !v.status().isCorruption()) return "field read failed: " + v.status().toString();
    }
    if (++seen > n) return "walked past the record count";
    if (!t.skip(1).ok()) return "skip failed";
  }
  if (seen != n) return "walked " + std::to_string(seen) + " of " + std::to_string(n) + " records";
  uint32_t back = 0;
  if (!t.goBottom().ok()) return "goBottom failed";
  while (!t.bof() && !t.eof()) {
    if (++back > n) return "walked back past the record count";
    if (!t.skip(-1).ok()) return "skip back failed";
  }
  if (back != n) return "walked back " + std::to_string(back) + " of " + std::to_string(n);
  return {};
}

}  // namespace

std::string dbfFuzzOne(const uint8_t* data, size_t size) {
  auto env = makeMemEnv();
  put(*env, "T.DBF", std::string_view(reinterpret_cast<const char*>(data), size));
  MemoFile::create(*env, "T.DBT").ok();
  auto t = Table::open(*env, "T.DBF", OpenMode::kExclusive);
  if (!t.ok()) return t.status().isCorruption() ? "" : "open refused with " + t.status().toString();
  std::string fault = readEverything(**t);
  if (!fault.empty()) return fault;

  uint32_t n = (*t)->recordCount();
  if (!(*t)->appendBlank().ok()) return "append failed";
  std::vector<Value> wrote;
  for (int i = 0; i < (*t)->fieldCount(); ++i) {
    Value v = sample((*t)->fields()[static_cast<size_t>(i)]);
    Status s = (*t)->put(i, v);
    if (!s.ok()) return "put failed: " + s.toString();
    wrote.push_back(v);
  }
  t->reset();
  auto again = Table::open(*env, "T.DBF", OpenMode::kExclusive);
  if (!again.ok()) return "reopen failed: " + again.status().toString();
  if ((*again)->recordCount() != n + 1) return "appended record lost";
  if (!(*again)->goTo(n + 1).ok()) return "goTo failed";
  for (int i = 0; i < (*again)->fieldCount(); ++i) {
    const FieldDef& f = (*again)->fields()[static_cast<size_t>(i)];
    auto v = (*again)->get(i);
    if (!v.ok()) return "read back failed: " + v.status().toString();
    bool same = f.type == 'C' ? v->text().substr(0, 1) == "x" : f.type == 'M' ? v->text() == "x" : *v == wrote[static_cast<size_t>(i)];
    if (!same) return "field " + f.name + " did not read back";
  }
  return readEverything(**again);
}

std::string dbtFuzzOne(const uint8_t* data, size_t size) {
  auto env = makeMemEnv();
  if (!Table::create(*env, "H.DBF", {{"NOME", 'C', 4, 0}, {"TEXTO", 'M', 10, 0}}).ok())
    return "create failed";
  {
    auto t = Table::open(*env, "H.DBF", OpenMode::kExclusive);
    if (!t.ok()) return "open failed";
    for (const char* ptr : {"         0", "         1", "         2", "         3", "         5",
                            "         9", "4294967295", "  99999999", "       -1 ", "xx        "}) {
      if (!(*t)->appendBlank().ok() || !(*t)->putRaw(1, ptr).ok()) return "setup failed";
    }
  }
  put(*env, "H.DBT", std::string_view(reinterpret_cast<const char*>(data), size));
  auto t = Table::open(*env, "H.DBF", OpenMode::kExclusive);
  if (!t.ok()) return t.status().isCorruption() ? "" : "open refused with " + t.status().toString();
  for (uint32_t r = 1; r <= (*t)->recordCount(); ++r) {
    if (!(*t)->goTo(r).ok()) return "goTo failed";
    auto v = (*t)->get(1);
    if (!v.ok() && !v.status().isCorruption()) return "memo read failed: " + v.status().toString();
    if (r % 3 == 0) continue;
    std::string text(static_cast<size_t>(r) * 97, static_cast<char>('a' + r));
    Status s = (*t)->put(1, Value(text));
    if (!s.ok()) return "memo write failed: " + s.toString();
    auto back = (*t)->get(1);
    if (!back.ok() || back->text() != text) return "memo did not read back at record " + std::to_string(r);
  }
  return {};
}

}  // namespace zel::db
