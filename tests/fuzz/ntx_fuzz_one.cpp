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
