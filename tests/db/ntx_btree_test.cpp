// The B-tree itself: random changes against a model, bulk build, seeks,
// unique keys and sharing one file between handles.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>

#include "ntx_test_util.h"

namespace zel::db {
namespace {

using testing::walkAll;
using Model = std::multiset<std::pair<std::string, uint32_t>>;
using Pairs = std::vector<std::pair<std::string, uint32_t>>;

// A key expression of `width` bytes over one text field.
KeyExpr textKey(int width) {
  auto e = KeyExpr::parse("K", {{"K", 'C', width, 0}});
  EXPECT_TRUE(e.ok());
  return *e;
}

std::unique_ptr<NtxIndex> createIndex(Env& env, const std::string& path, int width, bool unique = false) {
  auto ix = NtxIndex::create(env, path, textKey(width), unique);
  EXPECT_TRUE(ix.ok()) << ix.status();
  return ix.ok() ? std::move(*ix) : nullptr;
}

// The number as six digits, cut on the left or blank padded to `width`.
std::string key(int width, uint32_t v) {
  std::string k = std::to_string(v % 1000000);
  k.insert(0, 6 - k.size(), '0');
  if (width < 6) return k.substr(6 - static_cast<size_t>(width));
  k.resize(static_cast<size_t>(width), ' ');
  return k;
}

void expectSameAs(NtxIndex& ix, const Model& model, const std::string& where) {
  auto st = ix.check();
  ASSERT_TRUE(st.ok()) << where << ": " << st.status();
  EXPECT_EQ(st->keys, model.size()) << where;
  // Equal keys come in record order: the walk equals the sorted model.
  Pairs walked;
  for (const auto& e : walkAll(ix)) walked.push_back({e.key, e.recno});
  EXPECT_EQ(walked, Pairs(model.begin(), model.end())) << where;
  // And backwards through prev().
  Pairs back;
  auto e = ix.last();
  for (; e.ok() && e->has_value() && back.size() <= model.size(); e = ix.prev(**e))
    back.push_back({(*e)->key, (*e)->recno});
  ASSERT_TRUE(e.ok()) << where << ": " << e.status();
  EXPECT_EQ(back, Pairs(model.rbegin(), model.rend())) << where;
}

// Key widths chosen for page capacities of 2 (deep trees, every removal
// rebalances), 8, 54 and 84 keys.
class NtxRandom : public ::testing::TestWithParam<int> {};

// Also with the changes kept in memory (exclusive use): after each commit a
// second handle reading the file alone must see the model too.
TEST_P(NtxRandom, InsertsAndRemovesMatchASortedModel) {
  const int width = GetParam();
  for (auto [seed, deferred] : {std::pair{1u, false}, {2u, false}, {3u, false}, {1u, true}, {4u, true}}) {
    SCOPED_TRACE("width " + std::to_string(width) + " seed " + std::to_string(seed) +
                 (deferred ? " deferred" : ""));
    auto env = makeMemEnv();
    auto ix = createIndex(*env, "r.ntx", width);
    ASSERT_TRUE(ix);
    ASSERT_TRUE(ix->setDeferred(deferred).ok());
    std::mt19937 rng(seed);
    Model model;
    uint32_t nextRec = 1;
    // Few distinct keys, so runs of equal keys span pages.
    std::uniform_int_distribution<uint32_t> keyOf(0, 150);
    for (int batch = 0; batch < 12; ++batch) {
      // Grow in the first batches, shrink to nothing in the last ones.
      const int insertPercent = batch < 6 ? 75 : batch < 10 ? 35 : 0;
      for (int op = 0; op < 120; ++op) {
        if (model.empty() || static_cast<int>(rng() % 100) < insertPercent) {
          std::string k = key(width, keyOf(rng));
          ASSERT_TRUE(ix->insert(k, nextRec).ok());
          model.insert({k, nextRec++});
        } else {
          auto it = std::next(model.begin(), static_cast<long>(rng() % model.size()));
          ASSERT_TRUE(ix->remove(it->first, it->second).ok()) << it->first << "/" << it->second;
          model.erase(it);
        }
      }
      if (batch == 11) {
        while (!model.empty()) {
          ASSERT_TRUE(ix->remove(model.begin()->first, model.begin()->second).ok());
          model.erase(model.begin());
        }
      }
      expectSameAs(*ix, model, "batch " + std::to_string(batch));
      if (deferred) {
        ASSERT_TRUE(ix->commit().ok());
        auto other = NtxIndex::open(*env, "r.ntx", true);
        ASSERT_TRUE(other.ok()) << other.status();
        expectSameAs(**other, model, "other handle, batch " + std::to_string(batch));
      }
    }
    // Emptied: one empty root, every other page on the free chain.
    auto st = ix->check();
    ASSERT_TRUE(st.ok());
    EXPECT_EQ(st->pages, 1u);
    EXPECT_EQ(testing::readFile(*env, "r.ntx").size(), (2 + st->freePages) * uint64_t{kNtxPageSize});
    auto f = ix->first();
    ASSERT_TRUE(f.ok());
    EXPECT_FALSE(f->has_value());
  }
}

TEST_P(NtxRandom, BuildWritesFullBalancedPagesThatLaterChangesKeep) {
  const int width = GetParam();
  auto env = makeMemEnv();
  auto ix = createIndex(*env, "b.ntx", width);
  ASSERT_TRUE(ix);
  const int m = ix->maxItems();
  for (size_t n : {size_t{0}, size_t{1}, size_t(m), size_t(m + 1), size_t(3 * m + 2), size_t{1000}}) {
    SCOPED_TRACE("n " + std::to_string(n));
    std::vector<NtxEntry> entries;
    Model model;
    for (uint32_t i = 0; i < n; ++i) {
      entries.push_back({key(width, i / 3), i + 1});
      model.insert({entries.back().key, i + 1});
    }
    std::sort(entries.begin(), entries.end(), [](const NtxEntry& x, const NtxEntry& y) {
      return std::tie(x.key, x.recno) < std::tie(y.key, y.recno);
    });
    ASSERT_TRUE(ix->build(entries).ok());
    expectSameAs(*ix, model, "built");
    auto st = ix->check();
    ASSERT_TRUE(st.ok());
    EXPECT_EQ(st->freePages, 0u);
    // Every page but the root at least half full, and the file holds nothing else.
    EXPECT_GE(n, (st->pages - 1) * static_cast<uint64_t>(m / 2));
    EXPECT_EQ(testing::readFile(*env, "b.ntx").size(), (1 + st->pages) * uint64_t{kNtxPageSize});
    // The built tree takes changes like any other.
    for (uint32_t i = 0; i < n; i += 2) {
      ASSERT_TRUE(ix->remove(entries[i].key, entries[i].recno).ok());
      model.erase(model.find({entries[i].key, entries[i].recno}));
    }
    for (uint32_t i = 0; i < 50; ++i) {
      ASSERT_TRUE(ix->insert(key(width, 7 * i), 5000 + i).ok());
      model.insert({key(width, 7 * i), 5000 + i});
    }
    expectSameAs(*ix, model, "changed");
  }
}

INSTANTIATE_TEST_SUITE_P(Widths, NtxRandom, ::testing::Values(256, 100, 8, 2),
                         [](const ::testing::TestParamInfo<int>& p) { return "key" + std::to_string(p.param); });

TEST(NtxIndex, SeekFindsFirstOfPrefixAndSoftStopsAtNextGreater) {
  auto env = makeMemEnv();
  auto ix = createIndex(*env, "s.ntx", 6);
  std::vector<NtxEntry> entries = {{"AAA   ", 4}, {"ABC   ", 2}, {"ABC   ", 9}, {"ABD   ", 1},
                                   {"B     ", 3}, {"BA    ", 5}};
  ASSERT_TRUE(ix->build(entries).ok());
  struct Case {
    std::string probe;
    bool soft;
    bool found;
    uint32_t recno;  // 0: no entry (end of index)
  };
  const Case cases[] = {
      {"ABC   ", false, true, 2},  {"AB", false, true, 2},   {"B", false, true, 3},
      {"B ", false, true, 3},      {"", false, true, 4},     {"AAB", false, false, 0},
      {"AAB", true, false, 2},     {"ABE", true, false, 3},  {"C", true, false, 0},
      {"ABD   XYZ", false, true, 1},  // longer than the key: cut to it
  };
  for (const auto& c : cases) {
    auto s = ix->seek(c.probe, c.soft);
    ASSERT_TRUE(s.ok()) << c.probe;
    EXPECT_EQ(s->found, c.found) << c.probe;
    EXPECT_EQ(s->entry ? s->entry->recno : 0u, c.recno) << c.probe << (c.soft ? " soft" : "");
  }
  // next/prev of an entry that is not in the index step from where it would be.
  auto n = ix->next({"ABC   ", 5});
  ASSERT_TRUE(n.ok() && n->has_value());
  EXPECT_EQ((*n)->recno, 9u);
  auto p = ix->prev({"ZZZ   ", 1});
  ASSERT_TRUE(p.ok() && p->has_value());
  EXPECT_EQ((*p)->recno, 5u);
  EXPECT_FALSE(ix->prev({"AAA   ", 4})->has_value());
  EXPECT_FALSE(ix->next({"BA    ", 5})->has_value());
}

TEST(NtxIndex, UniqueKeepsTheFirstRecordOfAKey) {
  auto env = makeMemEnv();
  auto ix = createIndex(*env, "u.ntx", 3, true);
  ASSERT_TRUE(ix->insert("AAA", 1).ok());
  ASSERT_TRUE(ix->insert("AAA", 2).ok());
  ASSERT_TRUE(ix->insert("BBB", 3).ok());
  auto all = walkAll(*ix);
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0], (NtxEntry{"AAA", 1}));
  ASSERT_TRUE(ix->build({{"CCC", 1}, {"CCC", 2}, {"DDD", 3}}).ok());
  EXPECT_EQ(walkAll(*ix).size(), 2u);
  auto reopened = NtxIndex::open(*env, "u.ntx");
  ASSERT_TRUE(reopened.ok());
  EXPECT_TRUE((*reopened)->unique());
}

TEST(NtxIndex, RejectsWrongKeysAndMissingEntries) {
  auto env = makeMemEnv();
  auto ix = createIndex(*env, "w.ntx", 4);
  EXPECT_EQ(ix->insert("ABC", 1).code(), StatusCode::kInvalidArgument);
  EXPECT_EQ(ix->insert("ABCDE", 1).code(), StatusCode::kInvalidArgument);
  EXPECT_EQ(ix->insert("ABCD", 0).code(), StatusCode::kInvalidArgument);
  ASSERT_TRUE(ix->insert("ABCD", 1).ok());
  EXPECT_TRUE(ix->remove("ABCD", 2).isNotFound());
  EXPECT_TRUE(ix->remove("ABCE", 1).isNotFound());
  EXPECT_EQ(ix->build({{"B   ", 1}, {"A   ", 2}}).code(), StatusCode::kInvalidArgument);
  EXPECT_EQ(walkAll(*ix).size(), 1u);  // a refused build leaves the index as it was
}

TEST(NtxIndex, CreatesTheHeaderOtherProgramsExpect) {
  auto env = makeMemEnv();
  std::vector<FieldDef> fields = {{"CPF", 'C', 11, 0}, {"ATV_EXTER", 'C', 1, 0}, {"VALOR", 'N', 14, 2}};
  struct Case {
    const char* expr;
    int keySize, decimals, maxItems;
  };
  for (const Case& c : {Case{"CPF", 11, 0, 46}, Case{"CPF+ATV_EXTER", 12, 0, 44}, Case{"VALOR", 14, 2, 40}}) {
    auto e = KeyExpr::parse(c.expr, fields);
    ASSERT_TRUE(e.ok());
    ASSERT_TRUE(NtxIndex::create(*env, "h.ntx", *e, false).ok());
    std::string f = testing::readFile(*env, "h.ntx");
    ASSERT_EQ(f.size(), 2048u) << c.expr;
    EXPECT_EQ(getLE16(f.data()), 6);
    EXPECT_EQ(getLE32(f.data() + 4), 1024u);
    EXPECT_EQ(getLE32(f.data() + 8), 0u);
    EXPECT_EQ(getLE16(f.data() + 12), c.keySize + 8);
    EXPECT_EQ(getLE16(f.data() + 14), c.keySize);
    EXPECT_EQ(getLE16(f.data() + 16), c.decimals);
    EXPECT_EQ(getLE16(f.data() + 18), c.maxItems) << c.expr;
    EXPECT_EQ(getLE16(f.data() + 20), c.maxItems / 2);
    EXPECT_STREQ(f.data() + 22, c.expr);
    EXPECT_EQ(getLE16(f.data() + 1024), 0);  // empty root
  }
}

TEST(NtxSharing, OtherHandlesSeeChangesAndRespectTheUpdateLock) {
  auto env = makeMemEnv();
  auto a = createIndex(*env, "x.ntx", 4);
  auto bOpen = NtxIndex::open(*env, "x.ntx");
  ASSERT_TRUE(bOpen.ok());
  auto& b = *bOpen;
  ASSERT_TRUE(a->insert("MMMM", 1).ok());
  // B reads (and caches) the tree, then A changes it: B must not serve stale pages.
  ASSERT_EQ(walkAll(*b).size(), 1u);
  const uint16_t v = a->version();
  for (uint32_t r = 2; r < 200; ++r) ASSERT_TRUE(a->insert(key(4, r), r).ok());
  EXPECT_EQ(a->version(), static_cast<uint16_t>(v + 198));  // one header write per change
  EXPECT_EQ(walkAll(*b).size(), 199u);
  auto s = b->seek(key(4, 150), false);
  ASSERT_TRUE(s.ok() && s->found);
  EXPECT_EQ(s->entry->recno, 150u);
  ASSERT_TRUE(b->remove(key(4, 150), 150).ok());
  EXPECT_FALSE(a->seek(key(4, 150), false)->found);
  ASSERT_TRUE(a->check().ok());

  {
    NtxIndex::UpdateGuard g(*b);  // B updates: A can neither read nor write
    ASSERT_TRUE(g.status().ok());
    EXPECT_TRUE(a->insert("ZZZZ", 9).isLocked());
    EXPECT_TRUE(a->first().status().isLocked());
    ASSERT_TRUE(b->insert("AAAA", 7).ok());  // nested calls under the guard
  }
  ASSERT_TRUE(b->beginRead().ok());  // B reads: A may read but not write
  EXPECT_TRUE(a->first().ok());
  EXPECT_TRUE(a->insert("ZZZZ", 9).isLocked());
  b->endRead();
  ASSERT_TRUE(a->insert("ZZZZ", 9).ok());
  EXPECT_EQ(walkAll(*b).size(), 200u);
}

TEST(NtxSharing, TwoProcessesInsertingAtOnceLoseNothing) {
  char dirTemplate[] = "/tmp/ntx_share_XXXXXX";
  ASSERT_NE(mkdtemp(dirTemplate), nullptr);
  const std::string path = std::string(dirTemplate) + "/P.NTX";
  ASSERT_TRUE(createIndex(posixEnv(), path, 8));
  constexpr uint32_t kEach = 300;
  std::vector<pid_t> kids;
  for (uint32_t who = 0; who < 2; ++who) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      // Each process has its own handle and page cache; a busy lock is retried.
      auto ix = NtxIndex::open(posixEnv(), path);
      if (!ix.ok()) _exit(2);
      for (uint32_t i = 0; i < kEach; ++i) {
        const uint32_t rec = who * kEach + i + 1;
        Status st;
        for (int tries = 0; tries < 100000; ++tries) {
          st = (*ix)->insert(key(8, (i * 7919u + who) % 1000), rec);
          if (!st.isLocked()) break;
          usleep(50);
        }
        if (!st.ok()) _exit(3);
      }
      _exit(0);
    }
    kids.push_back(pid);
  }
  for (pid_t pid : kids) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
  }
  auto ix = NtxIndex::open(posixEnv(), path);
  ASSERT_TRUE(ix.ok());
  auto st = (*ix)->check(2 * kEach);
  ASSERT_TRUE(st.ok()) << st.status();
  std::set<uint32_t> recs;
  for (const auto& e : walkAll(**ix)) recs.insert(e.recno);
  EXPECT_EQ(recs.size(), 2 * kEach);
  std::filesystem::remove_all(dirTemplate);
}


// One page's edits against plain vectors; the result encodes and decodes to
// the same page, also when its slots sit in the file in another order.
TEST(NtxPageItems, EditsMatchAModelAndSurviveEncoding) {
  struct PageModel {
    std::vector<std::string> keys;
    std::vector<uint32_t> recnos, children;
  };
  auto expectSame = [](const NtxPage& p, const PageModel& m, const std::string& step) {
    ASSERT_EQ(p.count(), m.keys.size()) << step;
    for (size_t i = 0; i < m.keys.size(); ++i) {
      EXPECT_EQ(p.key(i), m.keys[i]) << step << " key " << i;
      EXPECT_EQ(p.recno(i), m.recnos[i]) << step << " recno " << i;
    }
    for (size_t i = 0; i <= m.keys.size(); ++i) EXPECT_EQ(p.child(i), m.children[i]) << step << " child " << i;
  };
  auto at = [](size_t i) { return static_cast<long>(i); };
  enum Op { kInsert, kInsertLeft, kErase, kEraseLeft, kSetEntry };
  struct Case {
    Op op;
    size_t i;
    std::string key;
    uint32_t recno, child;
  };
  const std::vector<Case> cases = {
      {kInsert, 0, "BBBB", 2, 2048},     {kInsert, 0, "AAAA", 1, 3072},
      {kInsert, 2, "DDDD", 4, 4096},     {kInsertLeft, 2, "CCCC", 3, 5120},
      {kInsertLeft, 0, "0000", 7, 6144}, {kInsert, 5, "ZZZZ", 8, 7168},
      {kErase, 1, "", 0, 0},             {kEraseLeft, 0, "", 0, 0},
      {kSetEntry, 2, "MMMM", 9, 0},      {kErase, 3, "", 0, 0},
  };
  NtxPage p(4, 1024);
  PageModel m{{}, {}, {1024}};
  for (const Case& c : cases) {
    std::string step = "op " + std::to_string(c.op) + " at " + std::to_string(c.i);
    switch (c.op) {
      case kInsert:
        p.insert(c.i, c.key, c.recno, c.child);
        m.keys.insert(m.keys.begin() + at(c.i), c.key);
        m.recnos.insert(m.recnos.begin() + at(c.i), c.recno);
        m.children.insert(m.children.begin() + at(c.i) + 1, c.child);
        break;
      case kInsertLeft:
        p.insertLeft(c.i, c.key, c.recno, c.child);
        m.keys.insert(m.keys.begin() + at(c.i), c.key);
        m.recnos.insert(m.recnos.begin() + at(c.i), c.recno);
        m.children.insert(m.children.begin() + at(c.i), c.child);
        break;
      case kErase:
        p.erase(c.i);
        m.keys.erase(m.keys.begin() + at(c.i));
        m.recnos.erase(m.recnos.begin() + at(c.i));
        m.children.erase(m.children.begin() + at(c.i) + 1);
        break;
      case kEraseLeft:
        p.eraseLeft(c.i);
        m.keys.erase(m.keys.begin() + at(c.i));
        m.recnos.erase(m.recnos.begin() + at(c.i));
        m.children.erase(m.children.begin() + at(c.i));
        break;
      case kSetEntry:
        p.setEntry(c.i, c.key, c.recno);
        m.keys[c.i] = c.key;
        m.recnos[c.i] = c.recno;
        break;
    }
    expectSame(p, m, step);
  }
  ASSERT_EQ(p.count(), 3u);

  // A split and the merge that undoes it.
  NtxPage right = p.tail(2);
  const std::string sep(p.key(1));
  const uint32_t sepRec = p.recno(1);
  NtxPage left = p;
  left.truncate(1);
  expectSame(left, {{m.keys[0]}, {m.recnos[0]}, {m.children[0], m.children[1]}}, "left half");
  expectSame(right, {{m.keys[2]}, {m.recnos[2]}, {m.children[2], m.children[3]}}, "right half");
  left.append(sep, sepRec, right);
  expectSame(left, m, "merged");

  NtxHeader h;
  h.keySize = 4;
  h.maxItems = ntxMaxItems(4);
  const uint64_t fileSize = 64 * kNtxPageSize;
  std::string bytes = encodeNtxPage(p, h);
  auto back = decodeNtxPage(bytes, h, kNtxPageSize, fileSize);
  ASSERT_TRUE(back.ok()) << back.status();
  expectSame(*back, m, "decoded");

  // Slots stored back to front, the stale slot after the last key holding
  // garbage apart from its child.
  const size_t base = 2 + 2 * (h.maxItems + 1u), item = h.itemSize();
  std::string permuted(kNtxPageSize, '\x7f');
  putLE16(permuted.data(), static_cast<uint16_t>(m.keys.size()));
  for (size_t i = 0; i <= h.maxItems; ++i) {
    const size_t slot = base + (h.maxItems - i) * item;
    putLE16(permuted.data() + 2 + 2 * i, static_cast<uint16_t>(slot));
    if (i > m.keys.size()) continue;
    putLE32(permuted.data() + slot, m.children[i]);
    if (i == m.keys.size()) continue;
    putLE32(permuted.data() + slot + 4, m.recnos[i]);
    std::memcpy(permuted.data() + slot + 8, m.keys[i].data(), 4);
  }
  auto fromPermuted = decodeNtxPage(permuted, h, kNtxPageSize, fileSize);
  ASSERT_TRUE(fromPermuted.ok()) << fromPermuted.status();
  expectSame(*fromPermuted, m, "permuted");
  EXPECT_EQ(encodeNtxPage(*fromPermuted, h), bytes);
}

}  // namespace
}  // namespace zel::db
