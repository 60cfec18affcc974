// The table cursor, field values, memos, in-process sharing and the
// indexes a table keeps in step.
#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <utility>

#include "db_test_util.h"
#include "platform/db/bulk.h"
#include "platform/db/table.h"
#include "platform/sys/clock.h"
#include "platform/sys/cp850.h"

namespace zel::db::test {
namespace {

const std::vector<FieldDef> kPeople = {
    {"CPF", 'C', 11, 0}, {"ATV_EXTER", 'C', 1, 0}, {"NOME", 'C', 20, 0}, {"VALOR", 'N', 12, 2}};

class TableTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(Table::create(*env, "T.DBF", kPeople).ok()); }
  // Appends one row per CPF, in order.
  void fill(Table& t, std::initializer_list<const char*> cpfs) {
    for (const char* c : cpfs) {
      ASSERT_TRUE(t.appendBlank().ok());
      ASSERT_TRUE(t.put("CPF", Value(c)).ok());
    }
  }
  std::unique_ptr<Env> env = makeMemEnv();
};

TEST_F(TableTest, CursorFollowsTheXbaseRules) {
  HideDeletedGuard hide(true);
  auto t = openTable(*env, "T.DBF");
  fill(*t, {"1", "2", "3", "4", "5"});
  for (uint32_t r : {1u, 4u}) {
    ASSERT_TRUE(t->goTo(r).ok());
    ASSERT_TRUE(t->markDeleted().ok());
  }
  ASSERT_TRUE(t->goTop().ok());
  EXPECT_EQ(t->recno(), 2u);
  EXPECT_FALSE(t->bof());
  ASSERT_TRUE(t->skip(-1).ok());  // off the top: stays on the first visible, bof set
  EXPECT_EQ(t->recno(), 2u);
  EXPECT_TRUE(t->bof());
  ASSERT_TRUE(t->skip(2).ok());  // 2 -> 3 -> 5, 4 is hidden
  EXPECT_EQ(t->recno(), 5u);
  EXPECT_FALSE(t->bof());
  ASSERT_TRUE(t->skip(1).ok());  // the phantom record past the end
  EXPECT_TRUE(t->eof());
  EXPECT_EQ(t->recno(), 6u);
  EXPECT_EQ(t->text("CPF"), "");
  EXPECT_EQ(t->number("VALOR"), 0);
  EXPECT_FALSE(t->deleted());
  EXPECT_FALSE(t->put("CPF", Value("x")).ok());  // nothing to write at eof
  ASSERT_TRUE(t->skip(1).ok());
  EXPECT_TRUE(t->eof());
  EXPECT_EQ(t->recno(), 6u);
  ASSERT_TRUE(t->skip(-1).ok());  // back from eof: the last visible
  EXPECT_EQ(t->recno(), 5u);
  EXPECT_FALSE(t->eof());
  ASSERT_TRUE(t->skip(-10).ok());
  EXPECT_EQ(t->recno(), 2u);
  EXPECT_TRUE(t->bof());
  ASSERT_TRUE(t->goTo(4).ok());  // goTo lands on a hidden record
  EXPECT_EQ(t->recno(), 4u);
  EXPECT_TRUE(t->deleted());
  ASSERT_TRUE(t->skip(1).ok());
  EXPECT_EQ(t->recno(), 5u);
  for (uint32_t out : {0u, 7u, 99u}) {
    ASSERT_TRUE(t->goTo(out).ok());
    EXPECT_TRUE(t->eof());
    EXPECT_EQ(t->recno(), 6u);
  }
  ASSERT_TRUE(t->goBottom().ok());
  EXPECT_EQ(t->recno(), 5u);

  t->setFilter([](const Table& x) { return x.text("CPF") != "3"; });
  EXPECT_EQ(walk(*t), (std::vector<uint32_t>{2, 5}));
  t->setFilter([](const Table&) { return false; });
  for (auto move : {&Table::goTop, &Table::goBottom}) {
    ASSERT_TRUE(((*t).*move)().ok());
    EXPECT_TRUE(t->eof());
    EXPECT_TRUE(t->bof());
  }
  t->clearFilter();
  setHideDeleted(false);
  EXPECT_EQ(walk(*t), (std::vector<uint32_t>{1, 2, 3, 4, 5}));
}

TEST_F(TableTest, EveryTypeRoundTripsThroughTheFile) {
  std::vector<FieldDef> all = {{"C", 'C', 5, 0},  {"WIDE", 'C', 512, 0}, {"N", 'N', 8, 2},
                               {"I", 'N', 3, 0},  {"D", 'D', 8, 0},      {"L", 'L', 1, 0},
                               {"M", 'M', 10, 0}};
  ASSERT_TRUE(Table::create(*env, "ALL.DBF", all).ok());
  EXPECT_TRUE(env->exists("ALL.DBT"));
  std::string wide(500, 'w');
  wide += "çäo"_cp;
  Date d = *Date::fromYmd(2008, 12, 31);
  {
    auto t = openTable(*env, "ALL.DBF", OpenMode::kShared);
    ASSERT_TRUE(t->appendBlank().ok());  // shared: the new record is locked by the append
    EXPECT_TRUE(t->recordLocked(1));
    for (auto [name, v] : std::vector<std::pair<const char*, Value>>{
             {"C", Value("abcdefg")}, {"WIDE", Value(wide)}, {"N", Value(-12.345)}, {"I", Value(1000)},
             {"D", Value(d)}, {"L", Value(true)}, {"M", Value("memo\r\ntext")}}) {
      Status s = t->put(name, v);
      ASSERT_TRUE(s.ok()) << name << ": " << s;
    }
    ASSERT_TRUE(t->appendBlank().ok());  // a second, blank record
  }
  auto t = openTable(*env, "ALL.DBF");
  ASSERT_EQ(t->recordCount(), 2u);
  EXPECT_EQ(t->get("C")->text(), "abcde");
  EXPECT_EQ(t->get("WIDE")->text(), wide + std::string(512 - wide.size(), ' '));
  EXPECT_DOUBLE_EQ(t->number("N"), -12.35);
  EXPECT_EQ(t->raw(3), "***");  // 1000 does not fit N(3)
  EXPECT_EQ(t->get("D")->date(), d);
  EXPECT_TRUE(t->get("L")->logical());
  EXPECT_EQ(t->get("M")->text(), "memo\r\ntext");
  ASSERT_TRUE(t->skip().ok());
  EXPECT_EQ(t->get("C")->text(), "     ");
  EXPECT_TRUE(t->get("D")->date().empty());
  EXPECT_FALSE(t->get("L")->logical());
  EXPECT_EQ(t->get("M")->text(), "");
  EXPECT_EQ(t->get("NOPE").status().code(), StatusCode::kNotFound);
  EXPECT_EQ(t->put("N", Value("text")).code(), StatusCode::kInvalidArgument);
  EXPECT_EQ(t->putRaw(0, "toolong").code(), StatusCode::kInvalidArgument);
}

TEST_F(TableTest, MemoRewriteReusesItsBlocksOnlyWhenItFits) {
  ASSERT_TRUE(Table::create(*env, "H.dbf", {{"NOME", 'C', 10, 0}, {"TEXTO", 'M', 10, 0}}).ok());
  EXPECT_TRUE(env->exists("H.dbt"));
  auto t = openTable(*env, "H.dbf");
  ASSERT_TRUE(t->appendBlank().ok());
  ASSERT_TRUE(t->put("TEXTO", Value(std::string(100, 'a'))).ok());
  ASSERT_TRUE(t->appendBlank().ok());
  ASSERT_TRUE(t->put("TEXTO", Value(std::string(600, 'b'))).ok());  // blocks 2 and 3
  EXPECT_EQ(t->raw(1), "         2");
  ASSERT_TRUE(t->goTo(1).ok());
  ASSERT_TRUE(t->put("TEXTO", Value(std::string(510, 'c'))).ok());  // 510 + 2 still fits one block
  EXPECT_EQ(t->raw(1), "         1");
  ASSERT_TRUE(t->put("TEXTO", Value(std::string(511, 'd'))).ok());  // no longer fits: to the end
  EXPECT_EQ(t->raw(1), "         4");
  ASSERT_TRUE(t->goTo(2).ok());
  EXPECT_EQ(t->get("TEXTO")->text(), std::string(600, 'b'));
  ASSERT_TRUE(t->goTo(1).ok());
  EXPECT_EQ(t->get("TEXTO")->text(), std::string(511, 'd'));
  std::string dbt = readFile(*env, "H.dbt");
  EXPECT_EQ(dbt.substr(0, 4), std::string("\x06\0\0\0", 4));  // next free block
  EXPECT_EQ(dbt.substr(4 * 512 + 511, 2), "\x1A\x1A");
  EXPECT_EQ(t->put("TEXTO", Value(std::string("a\x1A" "b"))).code(), StatusCode::kInvalidArgument);
  ASSERT_TRUE(t->put("TEXTO", Value("")).ok());
  EXPECT_EQ(t->raw(1), "          ");
  EXPECT_EQ(t->get("TEXTO")->text(), "");
}

// An Env that runs a callback in the middle of a memo placement: on the
// first size() of a memo file after a lock on it, when armed.
class PauseEnv : public EnvWrapper {
 public:
  explicit PauseEnv(Env& target) : EnvWrapper(target) {}
  void arm(std::function<void()> f) { hook_ = std::move(f); }

  Result<std::unique_ptr<File>> open(const std::string& path, const OpenOptions& o) override {
    auto f = target().open(path, o);
    if (!f.ok()) return f.status();
    bool memo = path.size() > 4 && path.substr(path.size() - 4) == ".DBT";
    return std::unique_ptr<File>(new Hooked(*this, std::move(f).value(), memo));
  }

 private:
  class Hooked : public FileWrapper {
   public:
    Hooked(PauseEnv& env, std::unique_ptr<File> f, bool memo)
        : FileWrapper(std::move(f)), env_(env), memo_(memo) {}
    Result<uint64_t> size() override {
      if (memo_ && locked_ && env_.hook_) std::exchange(env_.hook_, nullptr)();
      return target().size();
    }
    Status lock(uint64_t off, uint64_t len, LockKind k) override {
      locked_ = true;
      return target().lock(off, len, k);
    }

   private:
    PauseEnv& env_;
    bool memo_;
    bool locked_ = false;
  };
  std::function<void()> hook_;
};

TEST_F(TableTest, MemoPlacementIsExclusiveBetweenHandles) {
  ASSERT_TRUE(Table::create(*env, "H.DBF", {{"TEXTO", 'M', 10, 0}}).ok());
  {
    auto t = openTable(*env, "H.DBF");
    ASSERT_TRUE(t->appendBlank().ok());
    ASSERT_TRUE(t->appendBlank().ok());
  }
  PauseEnv paused(*env);
  auto a = openTable(paused, "H.DBF", OpenMode::kShared);
  auto b = openTable(*env, "H.DBF", OpenMode::kShared);
  ASSERT_TRUE(a->lockRecord(1).ok());
  ASSERT_TRUE(b->lockRecord(2).ok());
  ASSERT_TRUE(b->goTo(2).ok());
  Status whileAPlaces;
  paused.arm([&] { whileAPlaces = b->put("TEXTO", Value(std::string(700, 'b'))); });
  ASSERT_TRUE(a->goTo(1).ok());
  ASSERT_TRUE(a->put("TEXTO", Value(std::string(700, 'a'))).ok());
  EXPECT_TRUE(whileAPlaces.isLocked()) << whileAPlaces;  // b waited, then gave up
  ASSERT_TRUE(b->put("TEXTO", Value(std::string(700, 'b'))).ok());
  ASSERT_TRUE(a->goTo(2).ok());
  EXPECT_EQ(a->get("TEXTO")->text(), std::string(700, 'b'));
  ASSERT_TRUE(a->goTo(1).ok());
  EXPECT_EQ(a->get("TEXTO")->text(), std::string(700, 'a'));
}

TEST_F(TableTest, MemoPointerBeyondTheFileIsCorruption) {
  ASSERT_TRUE(Table::create(*env, "H.DBF", {{"TEXTO", 'M', 10, 0}}).ok());
  {
    auto t = openTable(*env, "H.DBF");
    ASSERT_TRUE(t->appendBlank().ok());
    ASSERT_TRUE(t->putRaw(0, "        99").ok());
  }
  auto t = openTable(*env, "H.DBF");
  auto v = t->get(0);
  EXPECT_TRUE(v.status().isCorruption()) << v.status();
  Status missing = env->remove("H.DBT");
  ASSERT_TRUE(missing.ok());
  t.reset();
  EXPECT_TRUE(Table::open(*env, "H.DBF").status().isNotFound());
}

TEST_F(TableTest, SharedHandlesLockAndSeeEachOther) {
  {
    auto t = openTable(*env, "T.DBF");
    fill(*t, {"1", "2", "3"});
  }
  auto a = openTable(*env, "T.DBF", OpenMode::kShared);
  auto b = openTable(*env, "T.DBF", OpenMode::kShared);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->put("NOME", Value("x")).code(), StatusCode::kInvalidArgument);  // not locked
  ASSERT_TRUE(a->lockRecord(1).ok());
  EXPECT_TRUE(b->lockRecord(1).isLocked());
  EXPECT_TRUE(b->lockRecord(2).ok());
  EXPECT_TRUE(a->lockFile().isLocked());   // b holds record 2
  EXPECT_TRUE(b->lockFile().isLocked());   // a holds record 1
  ASSERT_TRUE(a->lockRecord(3).ok());      // releases a's lock on record 1
  EXPECT_TRUE(b->lockRecord(1).ok());      // and b's on 2
  EXPECT_TRUE(a->lockRecord(2).ok());

  // Another handle on the file opened and closed does not drop a's lock.
  { auto c = openTable(*env, "T.DBF", OpenMode::kShared); }
  EXPECT_TRUE(b->lockRecord(2).isLocked());

  ASSERT_TRUE(a->goTo(2).ok());
  ASSERT_TRUE(a->put("NOME", Value("from a")).ok());
  ASSERT_TRUE(b->goTo(2).ok());
  EXPECT_EQ(b->text("NOME"), "from a");  // no private cache

  ASSERT_TRUE(b->unlockAll().ok());
  ASSERT_TRUE(a->unlockAll().ok());
  ASSERT_TRUE(b->lockFile().ok());
  EXPECT_TRUE(a->appendBlank().isLocked());  // the file lock stops appends
  EXPECT_TRUE(a->lockRecord(1).isLocked());
  ASSERT_TRUE(b->goTo(1).ok());
  EXPECT_TRUE(b->put("NOME", Value("flocked")).ok());  // the file lock allows every write
  ASSERT_TRUE(b->unlockAll().ok());
  ASSERT_TRUE(a->appendBlank().ok());
  EXPECT_EQ(a->recno(), 4u);
  EXPECT_EQ(b->recordCount(), 4u);  // seen at once by the other handle
  EXPECT_TRUE(b->lockRecord(4).isLocked());  // the appended record stays locked
  ASSERT_TRUE(b->goBottom().ok());
  EXPECT_EQ(b->recno(), 4u);
}

TEST_F(TableTest, ExclusiveAndSharedOpensExcludeEachOther) {
  auto s1 = openTable(*env, "T.DBF", OpenMode::kShared);
  auto s2 = openTable(*env, "T.DBF", OpenMode::kShared);
  auto x = Table::open(*env, "T.DBF", OpenMode::kExclusive);
  EXPECT_TRUE(x.status().isLocked()) << x.status();
  s1.reset();
  s2.reset();
  auto x2 = Table::open(*env, "T.DBF", OpenMode::kExclusive);
  ASSERT_TRUE(x2.ok()) << x2.status();
  EXPECT_TRUE(Table::open(*env, "T.DBF", OpenMode::kShared).status().isLocked());
  EXPECT_TRUE(Table::open(*env, "T.DBF", OpenMode::kExclusive).status().isLocked());
  EXPECT_TRUE(Table::open(*env, "NONE.DBF").status().isNotFound());
  // Creating over an open table would empty it under its users.
  EXPECT_TRUE(Table::create(*env, "T.DBF", kPeople).isLocked());
}

TEST_F(TableTest, IndexesFollowAppendsChangesAndPack) {
  auto t = openTable(*env, "T.DBF");
  fill(*t, {"30", "10", "20", "10"});
  ASSERT_TRUE(t->createIndex("T.NTX", "CPF+ATV_EXTER").ok());
  ASSERT_TRUE(t->createIndex("TB.NTX", "UPPER(NOME)").ok());
  EXPECT_EQ(t->order(), 1);
  EXPECT_EQ(walk(*t), (std::vector<uint32_t>{2, 4, 3, 1}));
  ASSERT_TRUE(t->goTo(1).ok());
  ASSERT_TRUE(t->put("CPF", Value("05")).ok());  // key changes: the entry moves
  fill(*t, {"15"});
  EXPECT_EQ(walk(*t), (std::vector<uint32_t>{1, 2, 4, 5, 3}));

  ASSERT_TRUE(t->seek("1").ok());  // partial key: first CPF starting with "1"
  EXPECT_TRUE(t->found());
  EXPECT_EQ(t->recno(), 2u);
  ASSERT_TRUE(t->seek("10          and more").ok());  // longer than the key: cut to it
  EXPECT_TRUE(t->found());
  EXPECT_EQ(t->recno(), 2u);
  ASSERT_TRUE(t->seek("12").ok());
  EXPECT_FALSE(t->found());
  EXPECT_TRUE(t->eof());
  ASSERT_TRUE(t->seek("12", true).ok());  // soft: the next greater key
  EXPECT_FALSE(t->found());
  EXPECT_EQ(t->recno(), 5u);
  ASSERT_TRUE(t->seek("99", true).ok());
  EXPECT_TRUE(t->eof());
  ASSERT_TRUE(t->skip(-1).ok());
  EXPECT_EQ(t->recno(), 3u);

  {
    HideDeletedGuard hide(true);
    ASSERT_TRUE(t->goTo(2).ok());
    ASSERT_TRUE(t->markDeleted().ok());
    ASSERT_TRUE(t->seek("10").ok());  // the hidden 2 is passed over
    EXPECT_TRUE(t->found());
    EXPECT_EQ(t->recno(), 4u);
  }
  ASSERT_TRUE(pack(*t).ok());
  EXPECT_EQ(t->recordCount(), 4u);
  EXPECT_EQ(walk(*t), (std::vector<uint32_t>{1, 3, 4, 2}));  // 05, 10, 15, 20
  ASSERT_TRUE(t->seek("20").ok());
  EXPECT_EQ(t->recno(), 2u);

  ASSERT_TRUE(t->goTo(3).ok());
  ASSERT_TRUE(t->put("NOME", Value("zé")).ok());
  ASSERT_TRUE(t->setOrder(2).ok());
  ASSERT_TRUE(t->seek("Z").ok());
  EXPECT_EQ(t->recno(), 3u);
  ASSERT_TRUE(t->setOrder(0).ok());
  EXPECT_EQ(walk(*t), (std::vector<uint32_t>{1, 2, 3, 4}));
  EXPECT_EQ(t->setOrder(3).code(), StatusCode::kInvalidArgument);
  EXPECT_EQ(t->createIndex("X.NTX", "NOSUCH").code(), StatusCode::kInvalidArgument);
  t.reset();

  auto again = openTable(*env, "T.DBF", OpenMode::kShared);
  ASSERT_TRUE(again->attachIndex("T.NTX").ok());
  EXPECT_EQ(again->indexKey(1), "CPF+ATV_EXTER");
  EXPECT_EQ(walk(*again), (std::vector<uint32_t>{1, 3, 4, 2}));
}

TEST_F(TableTest, AnotherHandlesAppendIsFoundThroughTheSharedIndex) {
  {
    auto t = openTable(*env, "T.DBF");
    fill(*t, {"1"});
    ASSERT_TRUE(t->createIndex("T.NTX", "CPF").ok());
  }
  auto a = openTable(*env, "T.DBF", OpenMode::kShared);
  auto b = openTable(*env, "T.DBF", OpenMode::kShared);
  ASSERT_TRUE(a->attachIndex("T.NTX").ok());
  ASSERT_TRUE(b->attachIndex("T.NTX").ok());
  ASSERT_TRUE(b->seek("2").ok());
  EXPECT_FALSE(b->found());
  ASSERT_TRUE(a->appendBlank().ok());
  ASSERT_TRUE(a->put("CPF", Value("2")).ok());
  ASSERT_TRUE(b->seek("2").ok());
  EXPECT_TRUE(b->found());
  EXPECT_EQ(b->recno(), 2u);
}

TEST_F(TableTest, HeaderDateComesFromTheProgramClock) {
  auto previous = setClock(std::make_unique<ManualClock>(CivilTime{2009, 4, 30, 10, 0, 0}));
  {
    auto t = openTable(*env, "T.DBF");
    fill(*t, {"1"});
    ASSERT_TRUE(t->flush().ok());
  }
  setClock(std::move(previous));
  std::string bytes = readFile(*env, "T.DBF");
  EXPECT_EQ(bytes.substr(1, 3), std::string("\x6D\x04\x1E"));  // 2009 - 1900, April, 30
  EXPECT_EQ(bytes[29], '\x02');  // files this engine creates say code page 850
}

// Two handles appending from two threads: the in-memory locks serialise
// them as the file locks serialise processes.
TEST_F(TableTest, TwoHandlesAppendingAtOnceLoseNothing) {
  {
    auto t = openTable(*env, "T.DBF");
    ASSERT_TRUE(t->createIndex("T.NTX", "CPF").ok());
  }
  constexpr int kEach = 150;
  auto writer = [&](int w, Status* result) {
    auto t = Table::open(*env, "T.DBF", OpenMode::kShared);
    if (!t.ok() || !(*t)->attachIndex("T.NTX").ok()) {
      *result = Status::IOError("open");
      return;
    }
    for (int i = 0; i < kEach; ++i) {
      Status s;
      while ((s = (*t)->appendBlank()).isLocked()) std::this_thread::yield();
      if (s.ok()) s = (*t)->put("CPF", Value(std::to_string(w) + "-" + std::to_string(1000 + i)));
      if (!s.ok()) {
        *result = s;
        return;
      }
    }
  };
  Status r1, r2;
  std::thread a(writer, 1, &r1), b(writer, 2, &r2);
  a.join();
  b.join();
  ASSERT_TRUE(r1.ok()) << r1;
  ASSERT_TRUE(r2.ok()) << r2;
  auto t = openTable(*env, "T.DBF");
  ASSERT_EQ(t->recordCount(), 2u * kEach);
  ASSERT_TRUE(t->attachIndex("T.NTX").ok());
  std::vector<std::string> keys, want;
  ASSERT_TRUE(forEach(*t, nullptr, [&](Table& x) {
                keys.push_back(x.text("CPF"));
                return Status::OK();
              }).ok());
  for (int w : {1, 2})
    for (int i = 0; i < kEach; ++i) want.push_back(std::to_string(w) + "-" + std::to_string(1000 + i));
  EXPECT_EQ(keys, want);
}

TEST_F(TableTest, ReadOnlyTablesRefuseWrites) {
  { auto t = openTable(*env, "T.DBF"); fill(*t, {"1"}); }
  auto t = Table::open(*env, "T.DBF", OpenMode::kShared, true);
  ASSERT_TRUE(t.ok());
  ASSERT_TRUE((*t)->lockRecord(1).ok());
  EXPECT_EQ((*t)->put("CPF", Value("2")).code(), StatusCode::kReadOnly);
  EXPECT_EQ((*t)->appendBlank().code(), StatusCode::kReadOnly);
  EXPECT_EQ((*t)->text("CPF"), "1");
}

// A damaged index whose keys are out of order (here the leaf's keys are
// swapped, the record numbers left) must stop a skip with Corruption rather
// than send the cursor back to the same record for ever.
TEST_F(TableTest, SkipOnAnIndexWithKeysOutOfOrderIsCorruption) {
  {
    auto t = openTable(*env, "T.DBF");
    fill(*t, {"A", "B", "C"});
    ASSERT_TRUE(t->createIndex("T.NTX", "CPF").ok());
  }
  {
    auto f = env->open("T.NTX", OpenOptions{});
    ASSERT_TRUE(f.ok());
    char h[8];
    ASSERT_TRUE(readExact(**f, 0, 8, h, "header").ok());
    uint32_t root = getLE32(h + 4);
    std::string page(kNtxPageSize, '\0');
    ASSERT_TRUE(readExact(**f, root, page.size(), page.data(), "root").ok());
    ASSERT_EQ(getLE16(page.data()), 3);  // one leaf: A, B, C
    char* first = page.data() + getLE16(page.data() + 2) + 8;
    char* third = page.data() + getLE16(page.data() + 6) + 8;
    std::swap_ranges(first, first + 11, third);
    ASSERT_TRUE((*f)->write(root, page).ok());
  }
  for (OpenMode mode : {OpenMode::kExclusive, OpenMode::kShared}) {
    for (long step : {1L, -1L}) {
      SCOPED_TRACE(std::to_string(step) + (mode == OpenMode::kShared ? " shared" : " exclusive"));
      auto t = openTable(*env, "T.DBF", mode);
      ASSERT_TRUE(t->attachIndex("T.NTX").ok());
      ASSERT_TRUE((step > 0 ? t->goTop() : t->goBottom()).ok());
      Status s;
      int moves = 0;
      while (s.ok() && !t->eof() && !t->bof() && moves < 10) {
        s = t->skip(step);
        ++moves;
      }
      EXPECT_TRUE(s.isCorruption()) << s << " after " << moves << " moves";
      EXPECT_LE(moves, 3);
    }
  }
}

}  // namespace
}  // namespace zel::db::test
