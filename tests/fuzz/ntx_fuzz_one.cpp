#include "ntx_fuzz_one.h"

#include <algorithm>

#include "platform/db/env.h"
#include "platform/db/ntx.h"

namespace zel::db {

std::string ntxFuzzOne(const uint8_t* data, size_t size) {
  auto env = makeMemEnv();
  {
    OpenOptions o;
    o.create = true;
    auto f = env->open("f.ntx", o);
    if (!f.ok() || !(*f)->write(0, std::string_view(reinterpret_cast<const char*>(data), size)).ok())
      return "in-memory file refused the input";
  }
  auto opened = NtxIndex::open(*env, "f.ntx");
  if (!opened.ok()) return {};
  NtxIndex& ix = **opened;
  const size_t keySize = static_cast<size_t>(ix.keySize());
  // Keys for changes come from the input itself.
  auto keyAt = [&](size_t i) {
    std::string k(keySize, ' ');
    for (size_t j = 0; j < keySize && size > 0; ++j) k[j] = static_cast<char>(data[(i * 7 + j) % size]);
    return k;
  };

  // The key text comes from the file too: parse it over a few fields of every
  // type and evaluate it on a record made of input bytes.
  static const std::vector<FieldDef> kFields = {
      {"CPF", 'C', 11, 0}, {"ATV_EXTER", 'C', 1, 0}, {"DT_LC", 'D', 8, 0}, {"VALOR", 'N', 14, 2},
      {"I8_0", 'N', 4, 0}, {"COD", 'N', 2, 0},      {"SO_TOTAL", 'L', 1, 0}, {"NOME", 'C', 300, 0}};
  if (auto expr = KeyExpr::parse(ix.keyText(), kFields); expr.ok()) {
    struct Bytes : RecordView {
      const uint8_t* d;
      size_t n;
      std::vector<std::string> raws;
      const std::vector<FieldDef>& fields() const override { return kFields; }
      std::string_view raw(int i) const override { return raws[static_cast<size_t>(i)]; }
    } rec;
    for (size_t f = 0; f < kFields.size(); ++f) {
      std::string r(static_cast<size_t>(kFields[f].width), ' ');
      for (size_t j = 0; j < r.size() && size > 0; ++j) r[j] = static_cast<char>(data[(f * 31 + j) % size]);
      rec.raws.push_back(r);
    }
    if (expr->evaluate(rec).size() != static_cast<size_t>(expr->keySize()))
      return "key of the wrong size from \"" + ix.keyText() + "\"";
    if (expr->keyFromValue(Value(-12.5)).size() > static_cast<size_t>(expr->keySize()))
      return "seek key longer than the key";
  }

  auto st = ix.check();
  if (!st.ok()) {
    // Damaged: every call has to come back, whatever it says.
    (void)ix.walk([n = 0](const NtxEntry&) mutable { return ++n < 100000; });
    auto e = ix.first();
    for (int i = 0; i < 20 && e.ok() && e->has_value(); ++i) e = ix.next(**e);
    e = ix.last();
    for (int i = 0; i < 20 && e.ok() && e->has_value(); ++i) e = ix.prev(**e);
    (void)ix.seek(keyAt(1), true);
    for (uint32_t i = 0; i < 10; ++i) (void)ix.insert(keyAt(i), i + 1);
    (void)ix.remove(keyAt(2), 3);
    return {};
  }

  std::vector<NtxEntry> all;
  Status w = ix.walk([&](const NtxEntry& e) {
    all.push_back(e);
    return true;
  });
  if (!w.ok()) return "walk failed after a clean check: " + w.toString();
  if (all.size() != st->keys) return "walk and check disagree on the number of keys";
  for (size_t i = 1; i < all.size(); ++i)
    if (all[i].key < all[i - 1].key) return "walk out of order after a clean check";
  auto f = ix.first();
  auto l = ix.last();
  if (!f.ok() || !l.ok()) return "first/last failed after a clean check";
  if (all.empty() != !f->has_value() || (!all.empty() && (**f != all.front() || **l != all.back())))
    return "first/last disagree with the walk";
  for (size_t i = 0; i < all.size(); i += std::max<size_t>(1, all.size() / 16)) {
    auto s = ix.seek(all[i].key, false);
    if (!s.ok() || !s->found || s->entry->key != all[i].key) return "seek misses a key of the walk";
  }

  uint64_t expected = st->keys;
  for (uint32_t i = 0; i < 24; ++i) {
    Status s = ix.insert(keyAt(i), 1000000 + i);
    if (!s.ok()) return "insert failed after a clean check: " + s.toString();
    ++expected;
  }
  for (size_t i = 0; i < all.size(); i += 3) {
    Status s = ix.remove(all[i].key, all[i].recno);
    if (!s.ok()) return "remove failed after a clean check: " + s.toString();
    --expected;
  }
  auto after = ix.check();
  if (!after.ok()) return "changes broke a sound index: " + after.status().toString();
  if (!ix.unique() && after->keys != expected) return "changes lost or invented keys";
  return {};
}

}  // namespace zel::db
