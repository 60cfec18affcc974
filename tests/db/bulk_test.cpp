// Pack, zap, copies, append from, the delimited export, and the work areas.
#include <gtest/gtest.h>

#include "db_test_util.h"
#include "platform/db/bulk.h"
#include "platform/db/work_areas.h"
#include "platform/sys/cp850.h"

namespace zel::db::test {
namespace {

class BulkTest : public ::testing::Test {
 protected:
  std::unique_ptr<Env> env = makeMemEnv();

  // A table of (CPF, VALOR, OBS memo), one row per entry; `deleted` marks rows.
  void make(const std::string& path, std::vector<std::tuple<const char*, double, const char*>> rows,
            std::set<uint32_t> deleted = {}) {
    ASSERT_TRUE(Table::create(*env, path, {{"CPF", 'C', 11, 0}, {"VALOR", 'N', 9, 2}, {"OBS", 'M', 10, 0}}).ok());
    auto t = openTable(*env, path);
    for (auto& [cpf, v, obs] : rows) {
      ASSERT_TRUE(t->appendBlank().ok());
      ASSERT_TRUE(t->put("CPF", Value(cpf)).ok());
      ASSERT_TRUE(t->put("VALOR", Value(v)).ok());
      ASSERT_TRUE(t->put("OBS", Value(obs)).ok());
      if (deleted.count(t->recno())) {
        ASSERT_TRUE(t->markDeleted().ok());
      }
    }
  }
  std::vector<std::string> column(Table& t, const char* field) {
    std::vector<std::string> out;
    EXPECT_TRUE(forEach(t, nullptr, [&](Table& x) {
                  out.push_back(x.text(field));
                  return Status::OK();
                }).ok());
    return out;
  }
};

TEST_F(BulkTest, PackAndZap) {
  make("T.DBF", {{"1", 1, "um"}, {"2", 2, "dois"}, {"3", 3, "tres"}}, {2});
  {
    auto shared = openTable(*env, "T.DBF", OpenMode::kShared);
    EXPECT_EQ(pack(*shared).code(), StatusCode::kInvalidArgument);
    EXPECT_EQ(zap(*shared).code(), StatusCode::kInvalidArgument);
    EXPECT_EQ(shared->recordCount(), 3u);
  }
  auto t = openTable(*env, "T.DBF");
  ASSERT_TRUE(t->createIndex("T.NTX", "CPF").ok());
  ASSERT_TRUE(pack(*t).ok());
  EXPECT_EQ(t->recordCount(), 2u);
  EXPECT_EQ(column(*t, "CPF"), (std::vector<std::string>{"1", "3"}));
  EXPECT_EQ(column(*t, "OBS"), (std::vector<std::string>{"um", "tres"}));
  ASSERT_TRUE(t->seek("3").ok());
  EXPECT_EQ(t->recno(), 2u);
  EXPECT_EQ(readFile(*env, "T.DBF").size(), static_cast<size_t>(t->headerSize() + 2 * t->recordSize() + 1));

  ASSERT_TRUE(zap(*t).ok());
  EXPECT_EQ(t->recordCount(), 0u);
  EXPECT_TRUE(t->eof());
  EXPECT_EQ(readFile(*env, "T.DBF").size(), static_cast<size_t>(t->headerSize() + 1));
  EXPECT_EQ(readFile(*env, "T.DBT").size(), 512u);
  ASSERT_TRUE(t->seek("1", true).ok());
  EXPECT_TRUE(t->eof());
  ASSERT_TRUE(t->appendBlank().ok());
  ASSERT_TRUE(t->put("OBS", Value("novo")).ok());
  EXPECT_EQ(t->raw(2), "         1");
}

TEST_F(BulkTest, CopyToKeepsSelectedRecordsMemosAndMarks) {
  make("T.DBF", {{"1", 1, "um"}, {"2", 2, "dois"}, {"3", 3, ""}}, {3});
  auto t = openTable(*env, "T.DBF", OpenMode::kShared);
  ASSERT_TRUE(copyTo(*t, *env, "C.DBF", [](const Table& x) { return x.number("VALOR") > 1; }).ok());
  EXPECT_TRUE(t->eof());
  auto c = openTable(*env, "C.DBF");
  EXPECT_EQ(c->fieldNames(), t->fieldNames());
  EXPECT_EQ(column(*c, "CPF"), (std::vector<std::string>{"2", "3"}));
  EXPECT_EQ(column(*c, "OBS"), (std::vector<std::string>{"dois", ""}));
  ASSERT_TRUE(c->goTo(2).ok());
  EXPECT_TRUE(c->deleted());
  c.reset();

  HideDeletedGuard hide(true);
  ASSERT_TRUE(copyTo(*t, *env, "C.DBF").ok());  // replaces the earlier copy
  c = openTable(*env, "C.DBF");
  EXPECT_EQ(c->recordCount(), 2u);
  EXPECT_EQ(copyTo(*t, *env, "T.DBF").code(), StatusCode::kInvalidArgument);
}

TEST_F(BulkTest, AppendFromMatchesFieldsByName) {
  make("OLD.DBF", {{"12345678901", 1234.567, "nota longa"}, {"2", -1, ""}}, {2});
  ASSERT_TRUE(Table::create(*env, "NEW.DBF", {{"NOVO", 'L', 1, 0},
                                              {"CPF", 'C', 5, 0},
                                              {"VALOR", 'N', 12, 3},
                                              {"OBS", 'C', 4, 0},
                                              {"VAZIO", 'N', 3, 0}})
                  .ok());
  auto dst = openTable(*env, "NEW.DBF", OpenMode::kShared);
  ASSERT_TRUE(appendFrom(*dst, *env, "OLD.DBF").ok());
  EXPECT_TRUE(dst->lockedRecords().empty());
  ASSERT_EQ(dst->recordCount(), 2u);
  ASSERT_TRUE(dst->goTo(1).ok());
  EXPECT_EQ(dst->raw(0), " ");                // not in the source: blank
  EXPECT_EQ(dst->raw(1), "12345");            // cut to the new width
  EXPECT_EQ(dst->raw(2), "    1234.570");     // written again in the new decimals
  EXPECT_EQ(dst->raw(3), "nota");             // memo text into a text field
  EXPECT_EQ(dst->raw(4), "   ");
  EXPECT_FALSE(dst->deleted());
  ASSERT_TRUE(dst->goTo(2).ok());
  EXPECT_TRUE(dst->deleted());                // marks kept
  EXPECT_EQ(dst->raw(2), "      -1.000");

  HideDeletedGuard hide(true);
  ASSERT_TRUE(appendFrom(*dst, *env, "OLD.DBF").ok());  // hidden records stay out
  EXPECT_EQ(dst->recordCount(), 3u);
  EXPECT_TRUE(appendFrom(*dst, *env, "MISSING.DBF").isNotFound());
  EXPECT_EQ(appendFrom(*dst, *env, "NEW.DBF").code(), StatusCode::kInvalidArgument);
  EXPECT_EQ(dst->recordCount(), 3u);
}

TEST_F(BulkTest, DelimitedExportByteForByte) {
  ASSERT_TRUE(Table::create(*env, "ZEL209.DBF", {{"CPF", 'C', 11, 0}, {"ATV_EXTER", 'C', 1, 0},
                                                 {"I2_01", 'C', 20, 0}, {"I2_02", 'N', 9, 2},
                                                 {"I2_05", 'N', 1, 0}, {"DT", 'D', 8, 0},
                                                 {"OK", 'L', 1, 0}})
                  .ok());
  auto t = openTable(*env, "ZEL209.DBF");
  auto row = [&](const char* cpf, const char* atv, std::string name, double area, int cond, bool del = false) {
    ASSERT_TRUE(t->appendBlank().ok());
    ASSERT_TRUE(t->put("CPF", Value(cpf)).ok());
    ASSERT_TRUE(t->put("ATV_EXTER", Value(atv)).ok());
    ASSERT_TRUE(t->put("I2_01", Value(name)).ok());
    ASSERT_TRUE(t->put("I2_02", Value(area)).ok());
    ASSERT_TRUE(t->put("I2_05", Value(cond)).ok());
    if (del) {
      ASSERT_TRUE(t->markDeleted().ok());
    }
  };
  row("22222222222", "X", "  Fazenda \"Boa\"   ", 1234.5, 3);
  row("11111111111", "", std::string("Sítio São José"_cp), -0.5, 0);
  row("22222222222", "", "", 0, 1);
  row("11111111111", "", "apagado", 9, 9, true);
  row("22222222222", "", "segundo", 1, 2);
  ASSERT_TRUE(t->goTo(1).ok());
  ASSERT_TRUE(t->put("DT", Value(*Date::fromYmd(2008, 3, 1))).ok());
  ASSERT_TRUE(t->put("OK", Value(true)).ok());
  ASSERT_TRUE(t->createIndex("ZEL209.NTX", "CPF+ATV_EXTER").ok());

  std::string want = std::string("\"11111111111\",\"\",\"") + std::string("Sítio São José"_cp) +
                     "\",-0.50,0,,F\r\n"
                     "\"22222222222\",\"\",\"\",0.00,1,,F\r\n"
                     "\"22222222222\",\"\",\"segundo\",1.00,2,,F\r\n"
                     "\"22222222222\",\"X\",\"  Fazenda \"Boa\"\",1234.50,3,20080301,T\r\n"
                     "\x1A";
  for (int run = 0; run < 2; ++run) {  // a second run replaces the file
    ASSERT_TRUE(copyDelimited(*t, *env, "imoveis.txt").ok());
    EXPECT_EQ(readFile(*env, "imoveis.txt"), want);
  }
  ASSERT_TRUE(zap(*t).ok());
  ASSERT_TRUE(copyDelimited(*t, *env, "imoveis.txt").ok());
  EXPECT_TRUE(env->exists("imoveis.txt"));
  EXPECT_EQ(readFile(*env, "imoveis.txt"), "");  // no line and no end mark
}

TEST_F(BulkTest, ForEachMeetsTheConditionAndStopsOnFailure) {
  make("T.DBF", {{"1", 1, ""}, {"2", 2, ""}, {"3", 3, ""}, {"4", 4, ""}});
  auto t = openTable(*env, "T.DBF");
  std::vector<std::string> seen;
  Status s = forEach(t.operator*(), [](const Table& x) { return x.number("VALOR") != 2; },
                     [&](Table& x) {
                       seen.push_back(x.text("CPF"));
                       return seen.size() == 2 ? Status::IOError("stop") : Status::OK();
                     });
  EXPECT_TRUE(s.isIOError());
  EXPECT_EQ(seen, (std::vector<std::string>{"1", "3"}));
}

TEST(WorkAreas, NamesAliasesAndClosing) {
  struct Case {
    const char* in;
    const char* want;
  } names[] = {{"9", "9"}, {"09", "9"}, {" 9 ", "9"}, {"0", "0"}, {"00", "0"}, {"42", "42"}, {"destino", "DESTINO"}};
  for (const Case& c : names) EXPECT_EQ(WorkAreas::normalize(c.in), c.want) << c.in;
  EXPECT_EQ(WorkAreas::defaultAlias("/dados/zel909.dbf"), "ZEL909");
  EXPECT_EQ(WorkAreas::defaultAlias("C:\\ZEL2009\\DIRAR00"), "DIRAR00");

  auto env = makeMemEnv();
  ASSERT_TRUE(Table::create(*env, "ZEL909.DBF", {{"CPF", 'C', 11, 0}}).ok());
  ASSERT_TRUE(Table::create(*env, "ZEL109.DBF", {{"CPF", 'C', 11, 0}}).ok());
  WorkAreas areas(*env);
  ASSERT_TRUE(areas.open("09", "ZEL909.DBF", OpenMode::kShared).ok());
  EXPECT_EQ(areas.selected(), "9");
  ASSERT_NE(areas.table("9"), nullptr);
  EXPECT_EQ(areas.table("9"), areas.current());
  EXPECT_EQ(areas.alias("09"), "ZEL909");
  ASSERT_TRUE(areas.open("1", "ZEL109.DBF", OpenMode::kExclusive, "destino").ok());
  EXPECT_EQ(areas.byAlias("Destino"), areas.table("1"));
  ASSERT_TRUE(areas.select("zel909").ok());
  EXPECT_EQ(areas.selected(), "9");
  EXPECT_TRUE(areas.select("NOBODY").isNotFound());
  ASSERT_TRUE(areas.select("20").ok());  // an empty area may be selected
  EXPECT_EQ(areas.current(), nullptr);

  // Reopening an area closes what it held first; a refused open leaves it empty.
  ASSERT_TRUE(areas.open("9", "ZEL109.DBF", OpenMode::kShared).isLocked());
  EXPECT_EQ(areas.table("9"), nullptr);
  EXPECT_EQ(areas.openAreas(), (std::vector<std::string>{"1"}));
  ASSERT_TRUE(areas.close("01").ok());
  ASSERT_TRUE(areas.open("9", "ZEL909.DBF", OpenMode::kExclusive).ok());
  ASSERT_TRUE(areas.open("19", "ZEL109.DBF", OpenMode::kShared).ok());
  ASSERT_TRUE(areas.closeAll().ok());
  EXPECT_TRUE(areas.openAreas().empty());
  EXPECT_TRUE(Table::open(*env, "ZEL909.DBF", OpenMode::kExclusive).ok());  // really closed
}

}  // namespace
}  // namespace zel::db::test
