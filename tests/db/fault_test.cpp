// I/O errors injected into every disk call of an operation in turn: the
// call reports the failure or succeeds, and the table reopens holding the
// state before or after the operation.
#include <gtest/gtest.h>

#include "db_test_util.h"
#include "platform/db/bulk.h"
#include "platform/db/fault_env.h"

namespace zel::db::test {
namespace {

struct Snapshot {
  uint32_t count = 0;
  std::vector<std::string> cpf, obs;
  std::vector<bool> deleted;
  bool operator==(const Snapshot&) const = default;
};

void PrintTo(const Snapshot& s, std::ostream* os) {
  *os << s.count << " records:";
  for (size_t i = 0; i < s.cpf.size(); ++i)
    *os << " [" << s.cpf[i] << (s.deleted[i] ? "*" : "") << " " << s.obs[i].size() << "]";
}

Snapshot snapshot(Env& env) {
  Snapshot s;
  auto t = Table::open(env, "T.DBF", OpenMode::kExclusive);
  EXPECT_TRUE(t.ok()) << t.status();
  if (!t.ok()) return s;
  s.count = (*t)->recordCount();
  for (uint32_t r = 1; r <= s.count; ++r) {
    EXPECT_TRUE((*t)->goTo(r).ok());
    s.cpf.push_back((*t)->text("CPF"));
    auto obs = (*t)->get("OBS");
    EXPECT_TRUE(obs.ok()) << obs.status();
    s.obs.push_back(obs.ok() ? obs->text() : "?");
    s.deleted.push_back((*t)->deleted());
  }
  // The index agrees with the records, or a rebuild makes it agree.
  Status attach = (*t)->attachIndex("T.NTX");
  if (!attach.ok() || walk(**t).size() != s.count) {
    (*t)->clearIndexes();
    EXPECT_TRUE((*t)->createIndex("T.NTX", "CPF").ok());
  }
  std::vector<std::string> keys;
  EXPECT_TRUE(forEach(**t, nullptr, [&](Table& x) {
                keys.push_back(x.text("CPF"));
                return Status::OK();
              }).ok());
  EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
  EXPECT_EQ(keys.size(), s.count);
  return s;
}

void build(Env& env) {
  ASSERT_TRUE(Table::create(env, "T.DBF", {{"CPF", 'C', 11, 0}, {"OBS", 'M', 10, 0}}).ok());
  auto t = openTable(env, "T.DBF");
  for (const char* c : {"1", "2", "3"}) {
    ASSERT_TRUE(t->appendBlank().ok());
    ASSERT_TRUE(t->put("CPF", Value(c)).ok());
    ASSERT_TRUE(t->put("OBS", Value(std::string(300, c[0]))).ok());
  }
  ASSERT_TRUE(t->goTo(2).ok());
  ASSERT_TRUE(t->markDeleted().ok());
  ASSERT_TRUE(t->createIndex("T.NTX", "CPF").ok());
}

struct Op {
  const char* name;
  std::function<Status(Table&)> run;
};

const Op kOps[] = {
    {"append", [](Table& t) { return t.appendBlank(); }},
    {"replace key", [](Table& t) { ZEL_RETURN_IF_ERROR(t.goTo(3)); return t.put("CPF", Value("0")); }},
    {"delete", [](Table& t) { ZEL_RETURN_IF_ERROR(t.goTo(1)); return t.markDeleted(); }},
    {"memo grows", [](Table& t) { ZEL_RETURN_IF_ERROR(t.goTo(1)); return t.put("OBS", Value(std::string(900, 'n'))); }},
    {"zap", [](Table& t) { return zap(t); }},
    {"pack", [](Table& t) { return pack(t); }},
};

TEST(FaultSweep, EveryCallFailingInTurn) {
  struct Kind {
    Fault fault;
    bool persistent;
  } kinds[] = {{Fault::kIOError, false}, {Fault::kNoSpace, true}, {Fault::kShortWrite, false}};
  for (const Op& op : kOps) {
    // The state after the operation, run without faults.
    auto clean = makeMemEnv();
    build(*clean);
    Snapshot before = snapshot(*clean);
    {
      auto t = openTable(*clean, "T.DBF");
      ASSERT_TRUE(t->attachIndex("T.NTX").ok());
      ASSERT_TRUE(op.run(*t).ok()) << op.name;
    }
    Snapshot after = snapshot(*clean);
    ASSERT_NE(before, after) << op.name;

    for (const Kind& k : kinds) {
      bool completed = false;
      for (long n = 1; !completed && n < 500; ++n) {
        SCOPED_TRACE(std::string(op.name) + " failing call " + std::to_string(n) +
                     (k.persistent ? " onwards" : "") + " kind " + std::to_string(int(k.fault)));
        auto mem = makeMemEnv();
        build(*mem);
        FaultEnv fe(*mem);
        fe.writesOnly(true);
        {
          auto t = openTable(fe, "T.DBF");
          ASSERT_TRUE(t);
          ASSERT_TRUE(t->attachIndex("T.NTX").ok());
          fe.resetCount();
          fe.failAt(n, k.fault, k.persistent);
          Status s = op.run(*t);
          completed = fe.failures() == 0;
          EXPECT_EQ(s.ok(), completed) << s;  // a failure is never reported as success
          fe.clear();
        }
        Snapshot got = snapshot(*mem);
        EXPECT_TRUE(got == before || got == after) << ::testing::PrintToString(got);
      }
      EXPECT_TRUE(completed) << op.name;
    }
  }
}

}  // namespace
}  // namespace zel::db::test

namespace zel::db::test {
namespace {

// flush() syncs every file of the table: a failing sync of the index file
// is reported.
TEST(FaultEnv, FlushReachesTheIndexFile) {
  auto mem = makeMemEnv();
  build(*mem);
  FaultEnv fe(*mem);
  fe.writesOnly(true);
  auto t = openTable(fe, "T.DBF");
  ASSERT_TRUE(t->attachIndex("T.NTX").ok());
  fe.resetCount();
  ASSERT_TRUE(t->flush().ok());
  EXPECT_EQ(fe.calls(), 3);  // table, memo and index files
  fe.resetCount();
  fe.failAt(3);
  EXPECT_TRUE(t->flush().isIOError());
}

// Exclusive use keeps appended records, the count and index pages in
// memory: a flush whose writes fail says so and keeps them, and a later
// close writes them all.
TEST(FaultEnv, FailedFlushKeepsWhatExclusiveUseHeldBack) {
  auto mem = makeMemEnv();
  build(*mem);
  FaultEnv fe(*mem);
  fe.writesOnly(true);
  {
    auto t = openTable(fe, "T.DBF");
    ASSERT_TRUE(t->attachIndex("T.NTX").ok());
    // Each flush fails at another write: the records, the count, an index
    // page (one more record each time, so there is always something held).
    long n = 1;
    for (const char* c : {"7", "5", "9"}) {
      fe.clear();
      ASSERT_TRUE(t->appendBlank().ok());
      ASSERT_TRUE(t->put("CPF", Value(c)).ok());
      fe.resetCount();
      fe.failAt(n);
      EXPECT_TRUE(t->flush().isIOError()) << n;
      EXPECT_EQ(fe.failures(), 1) << n;
      ++n;
    }
    fe.clear();
    ASSERT_TRUE(t->close().ok());
  }
  auto t = openTable(*mem, "T.DBF");
  EXPECT_FALSE(t->countRepaired());
  ASSERT_EQ(t->recordCount(), 6u);
  ASSERT_TRUE(t->attachIndex("T.NTX").ok());
  std::vector<std::string> keys;
  for (uint32_t r : walk(*t)) {
    ASSERT_TRUE(t->goTo(r).ok());
    keys.push_back(t->text("CPF"));
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"1", "2", "3", "5", "7", "9"}));
}

}  // namespace
}  // namespace zel::db::test
