// A change cut short after any of its writes (the process killed, the disk
// gone) leaves an index that still walks and still holds every key it held
// before; a rebuild makes it exact again.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "ntx_test_util.h"
#include "platform/db/fault_env.h"

namespace zel::db {
namespace {

constexpr int kWidth = 100;  // 8 keys a page: splits and merges at every level

std::string key(uint32_t v) {
  std::string k = std::to_string(100000 + v);
  k.resize(kWidth, ' ');
  return k;
}

struct Op {
  bool insert;
  NtxEntry e;
};

TEST(NtxCrash, EveryCutShortChangeKeepsEveryKey) {
  auto env = makeMemEnv();
  auto expr = KeyExpr::parse("K", {{"K", 'C', kWidth, 0}});
  ASSERT_TRUE(expr.ok());
  {
    auto ix = NtxIndex::create(*env, "k.ntx", *expr, false);
    ASSERT_TRUE(ix.ok());
    std::vector<NtxEntry> start;
    for (uint32_t i = 0; i < 200; ++i) start.push_back({key(2 * i), i + 1});
    ASSERT_TRUE((*ix)->build(start).ok());
  }
  // Inserts that split pages up to a new root, then removals that borrow,
  // merge and finally lower the tree.
  std::vector<Op> ops;
  for (uint32_t i = 0; i < 150; ++i) ops.push_back({true, {key(2 * (i % 200) + 1), 1000 + i}});
  std::mt19937 rng(42);
  std::vector<NtxEntry> present;
  for (uint32_t i = 0; i < 200; ++i) present.push_back({key(2 * i), i + 1});
  for (const Op& op : ops) present.push_back(op.e);
  std::shuffle(present.begin(), present.end(), rng);
  for (size_t i = 0; i + 20 < present.size(); ++i) ops.push_back({false, present[i]});

  std::multiset<std::pair<std::string, uint32_t>> model;
  for (uint32_t i = 0; i < 200; ++i) model.insert({key(2 * i), i + 1});
  size_t cutsTried = 0;
  for (size_t n = 0; n < ops.size(); ++n) {
    const Op& op = ops[n];
    const std::string before = testing::readFile(*env, "k.ntx");
    // How many writes the change makes when nothing goes wrong.
    long writes = 0;
    {
      auto scratch = makeMemEnv();
      testing::writeFile(*scratch, "k.ntx", before);
      FaultEnv fe(*scratch);
      auto ix = NtxIndex::open(fe, "k.ntx");
      ASSERT_TRUE(ix.ok());
      fe.writesOnly(true);
      fe.resetCount();
      Status s = op.insert ? (*ix)->insert(op.e.key, op.e.recno) : (*ix)->remove(op.e.key, op.e.recno);
      ASSERT_TRUE(s.ok()) << "op " << n << ": " << s;
      writes = fe.calls();
    }
    // Cut it short after each of its writes but the last.
    for (long cut = 1; cut < writes; ++cut) {
      SCOPED_TRACE("op " + std::to_string(n) + " cut at write " + std::to_string(cut));
      auto scratch = makeMemEnv();
      testing::writeFile(*scratch, "k.ntx", before);
      {
        FaultEnv fe(*scratch);
        auto ix = NtxIndex::open(fe, "k.ntx");
        ASSERT_TRUE(ix.ok());
        fe.writesOnly(true);
        fe.resetCount();
        fe.failAt(cut, Fault::kIOError, true);
        Status s = op.insert ? (*ix)->insert(op.e.key, op.e.recno) : (*ix)->remove(op.e.key, op.e.recno);
        EXPECT_FALSE(s.ok());
      }
      auto ix = NtxIndex::open(*scratch, "k.ntx");
      ASSERT_TRUE(ix.ok()) << ix.status();
      std::multiset<std::pair<std::string, uint32_t>> walked;
      Status w = (*ix)->walk([&](const NtxEntry& e) {
        walked.insert({e.key, e.recno});
        return true;
      });
      ASSERT_TRUE(w.ok()) << w;
      for (const auto& m : model) {
        if (!op.insert && m.first == op.e.key && m.second == op.e.recno) continue;
        ASSERT_TRUE(walked.count(m)) << "lost " << m.second;
      }
      ++cutsTried;
    }
    // Then the change itself, for real.
    auto ix = NtxIndex::open(*env, "k.ntx");
    ASSERT_TRUE(ix.ok());
    Status s = op.insert ? (*ix)->insert(op.e.key, op.e.recno) : (*ix)->remove(op.e.key, op.e.recno);
    ASSERT_TRUE(s.ok()) << s;
    if (op.insert)
      model.insert({op.e.key, op.e.recno});
    else
      model.erase(model.find({op.e.key, op.e.recno}));
  }
  EXPECT_GT(cutsTried, 300u);  // the sequence did split and merge pages
  auto ix = NtxIndex::open(*env, "k.ntx");
  ASSERT_TRUE(ix.ok());
  auto st = (*ix)->check();
  ASSERT_TRUE(st.ok()) << st.status();
  EXPECT_EQ(st->keys, model.size());
}

}  // namespace
}  // namespace zel::db
