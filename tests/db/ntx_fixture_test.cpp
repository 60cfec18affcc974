// Indexes written by another xBase engine: read in its order, keys computed
// the same way, and kept right when changed here.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

#include "ntx_test_util.h"

namespace zel::db {
namespace {

using testing::DbfRecords;
using testing::fixture;
using testing::slurp;
using testing::walkAll;

struct Fixture {
  const char* ntx;
  const char* dbf;
};

const Fixture kFixtures[] = {
    {"ZEL909", "ZEL909"},  {"ZEL909B", "ZEL909"}, {"ZEL909C", "ZEL909"}, {"ZEL909D", "ZEL909"},
    {"ZEL509", "ZEL509"},  {"ZEL509B", "ZEL509"}, {"ZEL509C", "ZEL509"}, {"ZEL309", "ZEL309"},
    {"ZEL309N", "ZEL309"}, {"STATUS", "STATUS"},  {"CONFIG", "CONFIG"},  {"HELPATXT", "HELPATXT"},
    {"EMPTY", "EMPTY"},
};

std::vector<uint32_t> readOrder(const std::string& name) {
  std::istringstream in(slurp(fixture(name + ".order")));
  std::vector<uint32_t> out;
  for (uint32_t r; in >> r;) out.push_back(r);
  return out;
}

class NtxFixture : public ::testing::TestWithParam<Fixture> {
 protected:
  void SetUp() override {
    env_ = makeMemEnv();
    path_ = std::string(GetParam().ntx) + ".ntx";
    testing::writeFile(*env_, path_, slurp(fixture(path_)));
    auto ix = NtxIndex::open(*env_, path_);
    ASSERT_TRUE(ix.ok()) << ix.status();
    ix_ = std::move(*ix);
    table_ = std::make_unique<DbfRecords>(slurp(fixture(std::string(GetParam().dbf) + ".dbf")));
  }
  std::unique_ptr<NtxIndex> reopen() {
    auto ix = NtxIndex::open(*env_, path_);
    EXPECT_TRUE(ix.ok()) << ix.status();
    return ix.ok() ? std::move(*ix) : nullptr;
  }

  std::unique_ptr<Env> env_;
  std::string path_;
  std::unique_ptr<NtxIndex> ix_;
  std::unique_ptr<DbfRecords> table_;
};

TEST_P(NtxFixture, VisitsRecordsInTheOtherEnginesOrder) {
  const auto order = readOrder(GetParam().ntx);
  std::vector<uint32_t> walked;
  for (const auto& e : walkAll(*ix_)) walked.push_back(e.recno);
  EXPECT_EQ(walked, order);

  // Stepping with first/next and back with last/prev gives the same.
  std::vector<uint32_t> forward, backward;
  auto e = ix_->first();
  for (; e.ok() && e->has_value() && forward.size() <= order.size(); e = ix_->next(**e))
    forward.push_back((*e)->recno);
  ASSERT_TRUE(e.ok()) << e.status();
  EXPECT_EQ(forward, order);
  e = ix_->last();
  for (; e.ok() && e->has_value() && backward.size() <= order.size(); e = ix_->prev(**e))
    backward.push_back((*e)->recno);
  ASSERT_TRUE(e.ok()) << e.status();
  std::reverse(backward.begin(), backward.end());
  EXPECT_EQ(backward, order);

  auto st = ix_->check(table_->count());
  ASSERT_TRUE(st.ok()) << st.status();
  EXPECT_EQ(st->keys, order.size());
}

TEST_P(NtxFixture, StoredKeysEqualTheKeysComputedFromTheRecords) {
  auto expr = KeyExpr::parse(ix_->keyText(), table_->fields());
  ASSERT_TRUE(expr.ok()) << expr.status();
  ASSERT_TRUE(ix_->matches(*expr).ok()) << ix_->matches(*expr);
  std::multiset<std::pair<std::string, uint32_t>> computed, stored;
  for (uint32_t r = 1; r <= table_->count(); ++r) {
    table_->go(r);
    computed.insert({expr->evaluate(*table_), r});
  }
  for (const auto& e : walkAll(*ix_)) stored.insert({e.key, e.recno});
  EXPECT_EQ(stored, computed);
}

TEST_P(NtxFixture, NextFromAnEntryWorksWithoutAPriorWalk) {
  // A fresh handle has no remembered position: next() has to find the entry,
  // also among equal keys stored in any record order.
  const auto all = walkAll(*ix_);
  for (size_t i = 0; i + 1 < all.size(); i += std::max<size_t>(1, all.size() / 40)) {
    auto fresh = reopen();
    ASSERT_TRUE(fresh);
    auto n = fresh->next(all[i]);
    ASSERT_TRUE(n.ok()) << n.status();
    ASSERT_TRUE(n->has_value());
    EXPECT_EQ(**n, all[i + 1]) << "after entry " << i;
    auto p = reopen()->prev(all[i + 1]);
    ASSERT_TRUE(p.ok() && p->has_value());
    EXPECT_EQ(**p, all[i]) << "before entry " << i + 1;
  }
}

TEST_P(NtxFixture, SeeksFindTheFirstOfEqualKeys) {
  const auto all = walkAll(*ix_);
  std::map<std::string, NtxEntry> firstOf;
  for (const auto& e : all) firstOf.emplace(e.key, e);
  for (const auto& [key, e] : firstOf) {
    auto s = ix_->seek(key, false);
    ASSERT_TRUE(s.ok()) << s.status();
    EXPECT_TRUE(s->found);
    EXPECT_EQ(s->entry, e);
    // A partial key finds the first key starting with it.
    std::string part = key.substr(0, (key.size() + 1) / 2);
    auto ps = ix_->seek(part, false);
    ASSERT_TRUE(ps.ok());
    EXPECT_TRUE(ps->found);
    EXPECT_EQ(ps->entry, firstOf.lower_bound(part)->second);
  }
  // Beyond the last key: not found, and a soft seek lands at the end.
  auto s = ix_->seek(std::string(static_cast<size_t>(ix_->keySize()), '\xFF'), true);
  ASSERT_TRUE(s.ok());
  EXPECT_FALSE(s->found);
  EXPECT_FALSE(s->entry.has_value());
}

TEST_P(NtxFixture, ChangesKeepTheIndexRight) {
  // Remove a third of the entries and add them back under other keys, as
  // key changes of records do; the structure stays sound throughout.
  auto model = walkAll(*ix_);
  std::multiset<std::pair<std::string, uint32_t>> expected;
  for (const auto& e : model) expected.insert({e.key, e.recno});
  std::mt19937 rng(909);
  std::shuffle(model.begin(), model.end(), rng);
  const size_t n = model.size() / 3;
  for (size_t i = 0; i < n; ++i) {
    ASSERT_TRUE(ix_->remove(model[i].key, model[i].recno).ok()) << i;
    expected.erase(expected.find({model[i].key, model[i].recno}));
  }
  ASSERT_TRUE(ix_->check().ok()) << ix_->check().status();
  for (size_t i = 0; i < n; ++i) {
    std::string key = model[(i * 7) % model.size()].key;
    ASSERT_TRUE(ix_->insert(key, model[i].recno).ok()) << i;
    expected.insert({key, model[i].recno});
  }
  auto st = reopen()->check();
  ASSERT_TRUE(st.ok()) << st.status();
  std::multiset<std::pair<std::string, uint32_t>> got;
  for (const auto& e : walkAll(*reopen())) got.insert({e.key, e.recno});
  EXPECT_EQ(got, expected);
}

INSTANTIATE_TEST_SUITE_P(Xbase, NtxFixture, ::testing::ValuesIn(kFixtures),
                         [](const ::testing::TestParamInfo<Fixture>& p) { return std::string(p.param.ntx); });

TEST(NtxFixtureFiles, ChangedFilesHaveAPermutedFreeChainToStartFrom) {
  // ZEL509 arrives with a free chain; taking from it must not break the tree.
  auto env = makeMemEnv();
  testing::writeFile(*env, "z.ntx", slurp(fixture("ZEL509.ntx")));
  auto ix = NtxIndex::open(*env, "z.ntx");
  ASSERT_TRUE(ix.ok());
  auto before = (*ix)->check();
  ASSERT_TRUE(before.ok()) << before.status();
  ASSERT_GT(before->freePages, 0u);
  const auto size = testing::readFile(*env, "z.ntx").size();
  const auto first = (*ix)->first();
  ASSERT_TRUE(first.ok() && first->has_value());
  for (uint32_t r = 0; r < 200; ++r) ASSERT_TRUE((*ix)->insert((*first)->key, 5000 + r).ok());
  auto after = (*ix)->check();
  ASSERT_TRUE(after.ok()) << after.status();
  EXPECT_EQ(after->keys, before->keys + 200);
  EXPECT_LT(after->freePages, before->freePages);
  // New pages came from the chain first: the file grew only once it was used up.
  const auto grown = testing::readFile(*env, "z.ntx").size() - size;
  if (after->freePages > 0) {
    EXPECT_EQ(grown, 0u);
  }
  EXPECT_EQ(grown / kNtxPageSize + before->freePages - after->freePages, after->pages - before->pages);
}

}  // namespace
}  // namespace zel::db
