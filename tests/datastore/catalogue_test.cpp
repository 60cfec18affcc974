#include "data/catalogue.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

#include "platform/db/key_expr.h"

namespace zel::data {
namespace {

// Whether a key expression parses against a table's fields.
::testing::AssertionResult keyFits(std::string_view key, const TableDef& t) {
  auto k = db::KeyExpr::parse(key, t.fields);
  if (!k.ok()) return ::testing::AssertionFailure() << t.file << ": " << key << ": " << k.status();
  if (k->keySize() <= 0) return ::testing::AssertionFailure() << t.file << ": empty key " << key;
  return ::testing::AssertionSuccess();
}

TEST(Catalogue, FieldCountsAndRecordLengths) {
  struct Case {
    int number, fields, recordLength;
  };
  // Lengths summed from the layouts: 1 deletion byte + the field widths.
  const Case cases[] = {
      {1, 2 + 24 + 7 + 3 + 1 + 30 + 2 + 2 + 2 + 1,
       1 + 12 + (24 + 7 + 3 + 1) * 12 + 30 * 6 + 2 * 22 + 2 * 6 + 2 + 1},
      {2, 16, 1 + 12 + 60 + 9 + 8 + 6 + 1 + 55 + 2 + 3 + 12 + 12 + 7 + 12 + 12 + 12},
      {3, 9, 1 + 12 + 3 + 3 + 4 + 512 + 12 + 3 + 1},
      {4, 9, 1 + 12 + 4 + 3 + 250 + 4 * 12},
      {5, 7, 1 + 12 + 8 + 41 + 14 + 2 + 1},
      {6, 3, 1 + 12 + 60},
      {9, 20, 1 + 12 + 47 + 1 + 2 + 12 + 12 + 40 + 1 + 10 * 12 + 1},
      {22, 2, 1 + 512 + 3},
      {23, 2, 1 + 44 + 1},
      {26, 2, 1 + 1 + 40},
      {36, 2, 1 + 1 + 40},
      {41, 6, 1 + 1 + 15 + 4 * 60},
      {42, 32, 1 + 2 + 40 * 3 + 60 * 2 + 40 * 3 + (2 + 1 + 2 + 1) + 5 + 2 + 1 + 1 + 2 + 11 + 1 +
                   2 + 1 + 2 + 8 + 60 + 1},
      {43, 16, 1 + 8 * 8 + 5 + 5 + 8 + 1 + 2 + 2 + 8 + 8},
      {56, 18, 1 + 2 + 9 * 3 + 8 * 10},
      {57, 13, 1 + 2 + 1 + 1 + 1 + 1 + 1 + 8 + 15 + 4 * 60 + 60},
  };
  for (const auto& c : cases) {
    const TableDef* t = findTable(c.number);
    ASSERT_NE(t, nullptr) << c.number;
    EXPECT_EQ(static_cast<int>(t->fields.size()), c.fields) << "table " << c.number;
    EXPECT_EQ(t->recordLength(), c.recordLength) << "table " << c.number;
  }
}

TEST(Catalogue, FieldNamesAreValidAndUniquePerTable) {
  for (const auto& t : catalogue()) {
    std::set<std::string> seen;
    for (const auto& f : t.fields) {
      EXPECT_LE(f.name.size(), 10u) << t.file << "." << f.name;
      for (char c : f.name)
        EXPECT_TRUE(std::isupper(static_cast<unsigned char>(c)) ||
                    std::isdigit(static_cast<unsigned char>(c)) || c == '_')
            << t.file << "." << f.name;
      EXPECT_TRUE(seen.insert(f.name).second) << t.file << " repeats " << f.name;
      EXPECT_NE(std::string("CNDLM").find(f.type), std::string::npos) << f.name;
      if (f.type == 'N') {
        EXPECT_TRUE(f.width >= 1 && f.width <= 19) << f.name;
        EXPECT_TRUE(f.decimals == 0 || f.decimals <= f.width - 2) << f.name;
      }
      if (f.type == 'D') {
        EXPECT_EQ(f.width, 8) << f.name;
      }
    }
  }
}

TEST(Catalogue, DeclarationTablesAreKeyedByOwner) {
  for (int n : {1, 2, 3, 4, 5, 6, 9}) {
    const TableDef* t = findTable(n);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->dir, Dir::kData);
    EXPECT_EQ(t->file, "ZEL" + std::to_string(n) + "09");
    ASSERT_GE(t->fields.size(), 2u);
    EXPECT_EQ(t->fields[0].name, "CPF");
    EXPECT_EQ(t->fields[0].width, 11);
    EXPECT_EQ(t->fields[1].name, "ATV_EXTER");
  }
  for (const auto& t : catalogue())
    if (t.number > 20) {
      EXPECT_EQ(t.dir, Dir::kProgram) << t.file;
    }
}

TEST(Catalogue, IndexKeysParseAgainstTheirTable) {
  for (const auto& t : catalogue()) {
    std::set<std::string> suffixes;
    for (const auto& ix : t.indexes) {
      EXPECT_TRUE(suffixes.insert(std::string(ix.suffix)).second) << t.file;
      EXPECT_TRUE(keyFits(ix.key, t));
    }
    if (!t.indexes.empty()) {
      EXPECT_EQ(t.indexes[0].suffix, "") << t.file;
    }
  }
  const TableDef* reg = findTable(9);
  ASSERT_EQ(reg->indexes.size(), 3u);
  EXPECT_EQ(reg->indexes[1].suffix, "B");
  EXPECT_EQ(reg->indexes[2].suffix, "C");
  for (int digit : {1, 3, 4, 5}) EXPECT_TRUE(keyFits(workCopyKey(digit), *findTable(digit)));
  for (int digit : {2, 6}) EXPECT_EQ(workCopyKey(digit), "") << digit;
  EXPECT_TRUE(keyFits(kWorkCopy5SaveKey, *findTable(5)));
  EXPECT_TRUE(keyFits(kCashBookKeyPlain, *findTable(5)));
  // The owner key of a declaration table is CPF and activity: 12 bytes.
  EXPECT_EQ(db::KeyExpr::parse("CPF+ATV_EXTER", findTable(1)->fields)->keySize(), 12);
}

TEST(Catalogue, OpenedNumbersAndCreatableLayouts) {
  for (int n : openedNumbers()) EXPECT_NE(findTable(n), nullptr) << n;
  EXPECT_EQ(openedNumbers().size(), catalogue().size());
  for (int n : {0, 7, 8, 10, 11, 19, 20, 40, 99}) EXPECT_EQ(findTable(n), nullptr) << n;

  // Second areas of a copy share the declaration layouts.
  for (int n : {11, 12, 13, 14, 15, 16, 19}) {
    ASSERT_NE(creatableLayout(n), nullptr) << n;
    EXPECT_EQ(creatableLayout(n)->number, n - 10);
  }
  // Delivered tables and numbers without a table cannot be created.
  for (int n : {0, 7, 8, 17, 21, 44, 45, 60, 40}) EXPECT_EQ(creatableLayout(n), nullptr) << n;
  for (int n : {1, 2, 3, 4, 5, 6, 9, 22, 23, 26, 36, 41, 42, 43, 56, 57})
    EXPECT_NE(creatableLayout(n), nullptr) << n;
}

TEST(Catalogue, FileNamesOfTerminalTables) {
  EXPECT_EQ(findTable(26)->fileName("07"), "DIRAR07");
  EXPECT_EQ(findTable(36)->fileName("00"), "DIRET00");
  EXPECT_EQ(findTable(42)->fileName("07"), "CONFIG");
  EXPECT_EQ(workCopyName(3, "00"), "PRA_300");
}

void expectRowFits(const TableDef& t, const std::vector<FieldValue>& row) {
  for (const auto& [name, value] : row) {
    int i = t.fieldIndex(name);
    ASSERT_GE(i, 0) << t.file << " has no " << name;
    switch (t.fields[i].type) {
      case 'C': EXPECT_TRUE(value.isText()) << name; break;
      case 'N': EXPECT_TRUE(value.isNumber()) << name; break;
      case 'D': EXPECT_TRUE(value.isDate()) << name; break;
      case 'L': EXPECT_TRUE(value.isLogical()) << name; break;
    }
  }
}

TEST(Catalogue, NewConfigRow) {
  ConfigRowInputs in{"07", "C:\\ZEL2009", "D:\\X", *Date::fromYmd(2009, 3, 2)};
  auto row = configNewRow(in);
  const TableDef& t = *findTable(42);
  expectRowFits(t, row);
  auto get = [&](std::string_view n) {
    for (const auto& [name, v] : row)
      if (name == n) return v;
    return Value();
  };
  EXPECT_EQ(get("NRO_TERM").text(), "07");
  EXPECT_EQ(get("ROTATIVID").text(), "C:\\ZEL2009");
  EXPECT_EQ(get("DIRTRAB").text(), "C:\\ZEL2009");
  EXPECT_EQ(get("DIRPROV").text(), "D:\\X");
  EXPECT_EQ(get("ULTBACK").date(), in.today);
  // The Java path must fit its field whole.
  EXPECT_LE(static_cast<int>(get("ROTAJAVA").text().size()),
            t.fields[t.fieldIndex("ROTAJAVA")].width);
  // NOVOIT is left empty.
  EXPECT_TRUE(get("NOVOIT").isText() && get("NOVOIT").text().empty());
}

TEST(Catalogue, NewDefineRowFillsEveryField) {
  auto row = defineNewRow();
  const TableDef& t = *findTable(43);
  expectRowFits(t, row);
  EXPECT_EQ(row.size(), t.fields.size());
  EXPECT_EQ(row[0].second.date(), *Date::fromYmd(2009, 4, 30));
  EXPECT_EQ(row[7].second.date(), *Date::fromYmd(2009, 11, 30));
}

}  // namespace
}  // namespace zel::data
