// The DBF layout: numbers as xBase writes them, field codecs, headers, and
// malformed files.
#include <gtest/gtest.h>

#include <cmath>

#include "db_test_util.h"
#include "platform/db/dbf.h"
#include "platform/db/table.h"

namespace zel::db::test {
namespace {

TEST(DbfFormat, FormatNumber) {
  struct Case {
    double v;
    int width, dec;
    const char* want;
  } cases[] = {
      {1234.5, 12, 2, "     1234.50"}, {0, 12, 2, "        0.00"},   {3, 3, 0, "  3"},
      {-12.5, 14, 2, "        -12.50"}, {1.005, 5, 2, " 1.01"},     {2.675, 6, 2, "  2.68"},
      {-0.004, 6, 2, "  0.00"},          {0.5, 1, 0, "1"},           {-0.5, 2, 0, "-1"},
      {12345, 4, 0, "****"},             {99.995, 5, 2, "*****"},    {-999, 3, 0, "***"},
      {-99, 3, 0, "-99"},                {NAN, 4, 1, "****"},        {1e30, 12, 2, "************"},
      {123456789012.0, 12, 0, "123456789012"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(formatNumber(c.v, c.width, c.dec), c.want) << c.v << " in " << c.width << "," << c.dec;
}

TEST(DbfFormat, FieldCodecs) {
  FieldDef c{"T", 'C', 5, 0}, n{"N", 'N', 8, 2}, d{"D", 'D', 8, 0}, l{"L", 'L', 1, 0};
  struct Case {
    FieldDef f;
    Value v;
    const char* bytes;
  } cases[] = {
      {c, Value("ab"), "ab   "},
      {c, Value("abcdefgh"), "abcde"},
      {n, Value(-3.256), "   -3.26"},
      {n, Value(0.0), "    0.00"},
      {d, Value(*Date::fromYmd(2009, 1, 31)), "20090131"},
      {d, Value(Date()), "        "},
      {l, Value(true), "T"},
      {l, Value(false), "F"},
  };
  for (const Case& k : cases) {
    auto b = encodeValue(k.f, k.v);
    ASSERT_TRUE(b.ok()) << b.status();
    EXPECT_EQ(*b, k.bytes);
  }
  EXPECT_FALSE(encodeValue(n, Value("12")).ok());
  EXPECT_FALSE(encodeValue(c, Value(12)).ok());
  EXPECT_FALSE(encodeValue(d, Value(true)).ok());

  struct Read {
    FieldDef f;
    const char* bytes;
    Value want;
  } reads[] = {
      {n, "   -3.26", Value(-3.26)}, {n, "        ", Value(0.0)},     {n, "********", Value(0.0)},
      {n, "  +12.50", Value(12.5)},  {n, " 1x2    ", Value(0.0)},     {d, "        ", Value(Date())},
      {d, "2009AB31", Value(Date())}, {d, "20090228", Value(*Date::fromYmd(2009, 2, 28))},
      {l, "T", Value(true)},         {l, "y", Value(true)},          {l, " ", Value(false)},
      {l, "?", Value(false)},        {c, "ab   ", Value("ab   ")},
  };
  for (const Read& r : reads) EXPECT_EQ(decodeValue(r.f, r.bytes), r.want) << r.bytes;
}

TEST(DbfFormat, HeaderRoundTripWithWideText) {
  std::vector<FieldDef> fields = {
      {"CPF", 'C', 11, 0}, {"I8_1", 'C', 512, 0}, {"VALOR", 'N', 14, 2},
      {"DT_LC", 'D', 8, 0}, {"OK", 'L', 1, 0},  {"TEXTO", 'M', 10, 0},
  };
  auto layout = makeLayout(fields);
  ASSERT_TRUE(layout.ok()) << layout.status();
  layout->headerCount = 7;
  std::string h = encodeHeader(*layout, CivilTime{2009, 4, 30});
  ASSERT_EQ(h.size(), 32u + 32 * 6 + 1);
  EXPECT_EQ(static_cast<uint8_t>(h[0]), 0x83);  // memo file present
  EXPECT_EQ(static_cast<uint8_t>(h[1]), 109);
  EXPECT_EQ(h[2], 4);
  EXPECT_EQ(h[3], 30);
  EXPECT_EQ(static_cast<uint8_t>(h[29]), 0x02);  // code page 850
  EXPECT_EQ(h[32 + 32 + 16], 0);  // 512 = 0x0200: low byte in the width...
  EXPECT_EQ(h[32 + 32 + 17], 2);  // ...high byte in the decimals byte
  EXPECT_EQ(h.back(), '\x0D');

  auto back = parseHeader(h, "T.DBF");
  ASSERT_TRUE(back.ok()) << back.status();
  EXPECT_EQ(back->headerCount, 7u);
  EXPECT_EQ(back->recordLength, 1u + 11 + 512 + 14 + 8 + 1 + 10);
  ASSERT_EQ(back->fields.size(), fields.size());
  for (size_t i = 0; i < fields.size(); ++i) {
    EXPECT_EQ(back->fields[i].name, fields[i].name);
    EXPECT_EQ(back->fields[i].type, fields[i].type);
    EXPECT_EQ(back->fields[i].width, fields[i].width);
    EXPECT_EQ(back->fields[i].decimals, fields[i].decimals);
  }
  EXPECT_EQ(back->fieldIndex("valor"), 2);
  EXPECT_EQ(back->fieldIndex("NOPE"), -1);
}

TEST(DbfFormat, FieldListsRefusedOnCreate) {
  std::vector<std::vector<FieldDef>> bad = {
      {},
      {{"ABCDEFGHIJK", 'C', 1, 0}},
      {{"A", 'C', 1, 0}, {"a", 'N', 2, 0}},
      {{"A B", 'C', 1, 0}},
      {{"N", 'N', 21, 0}},
      {{"N", 'N', 4, 3}},
      {{"D", 'D', 6, 0}},
      {{"M", 'M', 4, 0}},
      {{"X", 'X', 4, 0}},
      {{"C", 'C', 0, 0}},
      {{"C", 'C', 65535, 0}, {"D", 'C', 10, 0}},
  };
  for (const auto& fields : bad) {
    auto env = makeMemEnv();
    Status s = Table::create(*env, "T.DBF", fields);
    EXPECT_EQ(s.code(), StatusCode::kInvalidArgument) << (fields.empty() ? "" : fields[0].name);
    EXPECT_FALSE(env->exists("T.DBF"));
  }
}

// A three-record table (header 32 + 2*32 + 1 = 97, records 1 + 11 + 8 = 20).
std::string sampleTable() {
  auto env = makeMemEnv();
  EXPECT_TRUE(Table::create(*env, "S.DBF", {{"CPF", 'C', 11, 0}, {"VAL", 'N', 8, 2}}).ok());
  auto t = openTable(*env, "S.DBF");
  for (int i = 1; i <= 3; ++i) {
    EXPECT_TRUE(t->appendBlank().ok());
    EXPECT_TRUE(t->put("CPF", Value(std::to_string(i))).ok());
    EXPECT_TRUE(t->put("VAL", Value(i * 1.5)).ok());
  }
  EXPECT_TRUE(t->close().ok());
  return readFile(*env, "S.DBF");
}

TEST(DbfFormat, MalformedAndDamagedFiles) {
  const std::string good = sampleTable();
  ASSERT_EQ(good.size(), 97u + 3 * 20 + 1);
  auto patched = [&](size_t at, std::string_view bytes) {
    std::string s = good;
    s.replace(at, bytes.size(), bytes);
    return s;
  };
  auto withCount = [&](uint32_t n) {
    return patched(4, std::string{static_cast<char>(n), 0, 0, 0});
  };
  // The header padded to 194 bytes, as another writer does.
  std::string padded = good.substr(0, 96) + '\x0D' + std::string(194 - 97, '\0') + good.substr(97);
  padded[8] = static_cast<char>(194);
  padded[9] = 0;

  struct Case {
    const char* what;
    std::string bytes;
    int records;  // -1: Corruption expected
    const char* message;
  } cases[] = {
      {"empty file", "", -1, "header cut short"},
      {"31 bytes", good.substr(0, 31), -1, "header cut short"},
      {"cut in the descriptors", good.substr(0, 50), -1, "header cut short"},
      {"not a table", patched(0, std::string(1, '\0')), -1, "version byte"},
      {"record length mismatch", patched(10, "\x15"), -1, "record length 21"},
      {"zero-width text", patched(32 + 16, std::string(1, '\0')), -1, "width 0"},
      {"absurd numeric width", patched(64 + 16, "\xC8"), -1, "width 200"},
      {"unknown type", patched(64 + 11, "X"), -1, "unknown type"},
      {"header length below its fields", patched(8, "\x50"), -1, "descriptors cut short"},
      {"header length one short", patched(8, "\x60"), -1, "shorter than"},
      {"header length tiny", patched(8, "\x10"), -1, "too small"},
      {"no name", patched(32, std::string(11, '\0')), -1, "no name"},
      {"cut after the terminator", good.substr(0, 97), 0, ""},
      {"cut in the middle of a record", good.substr(0, 97 + 2 * 20 + 7), 2, ""},
      {"cut on a record boundary", good.substr(0, 97 + 3 * 20), 3, ""},
      {"count larger than the records", withCount(9), 3, ""},
      {"count smaller (killed appender)", withCount(1), 3, ""},
      {"garbage after the end mark", good + std::string(45, 'Z'), 3, ""},
      {"count smaller, garbage after", withCount(2).substr(0, 97 + 2 * 20) + "\x1AZZZZZZZZZZZZZZZZZZZZZZZZZZZ", 2, ""},
      {"header padded to 194 bytes", padded, 3, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto env = makeMemEnv();
    writeFile(*env, "S.DBF", c.bytes);
    auto t = Table::open(*env, "S.DBF", OpenMode::kShared);
    if (c.records < 0) {
      ASSERT_FALSE(t.ok());
      EXPECT_TRUE(t.status().isCorruption()) << t.status();
      EXPECT_NE(t.status().message().find(c.message), std::string::npos) << t.status();
      EXPECT_NE(t.status().message().find("S.DBF"), std::string::npos) << t.status();
      continue;
    }
    ASSERT_TRUE(t.ok()) << t.status();
    EXPECT_EQ((*t)->recordCount(), static_cast<uint32_t>(c.records));
    if (c.records > 0) {
      ASSERT_TRUE((*t)->goBottom().ok());
      EXPECT_EQ((*t)->text("CPF"), std::to_string(c.records));
      EXPECT_DOUBLE_EQ((*t)->number("VAL"), c.records * 1.5);
    }
  }
}

// An exclusive open repairs the header and the end of a damaged table; a
// shared one only counts right and leaves the file to whoever is writing it.
TEST(DbfFormat, ExclusiveOpenRepairsTheCount) {
  const std::string good = sampleTable();
  const std::string noMark = good.substr(0, good.size() - 1);
  struct Case {
    const char* what;
    std::string bytes;
    bool countWrong;
  } cases[] = {
      {"killed appender", good.substr(0, 4) + '\x01' + good.substr(5), true},
      {"count beyond the records", good.substr(0, 4) + '\x07' + good.substr(5), true},
      {"partial record", noMark + " 4      ", false},
      {"garbage at the end", good + "GARBAGE GARBAGE GARBAGE", false},
      {"no end mark", noMark, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto env = makeMemEnv();
    writeFile(*env, "S.DBF", c.bytes);
    {
      auto shared = openTable(*env, "S.DBF", OpenMode::kShared);
      EXPECT_EQ(shared->countRepaired(), c.countWrong);
      EXPECT_EQ(shared->recordCount(), 3u);
    }
    EXPECT_EQ(readFile(*env, "S.DBF"), c.bytes);
    auto t = openTable(*env, "S.DBF");
    EXPECT_EQ(t->countRepaired(), c.countWrong);
    EXPECT_EQ(readFile(*env, "S.DBF").substr(4), good.substr(4));  // count, records, end mark
    t.reset();
    EXPECT_FALSE(openTable(*env, "S.DBF")->countRepaired());
  }
}

// A table cut short opens, and the next append goes right after the last
// whole record, leaving a sound file.
TEST(DbfFormat, AppendAfterACutRepairsTheFile) {
  const std::string good = sampleTable();
  auto env = makeMemEnv();
  writeFile(*env, "S.DBF", good.substr(0, 97 + 2 * 20 + 7));
  {
    auto t = openTable(*env, "S.DBF");
    ASSERT_TRUE(t->appendBlank().ok());
    ASSERT_TRUE(t->put("CPF", Value("new")).ok());
  }
  std::string after = readFile(*env, "S.DBF");
  EXPECT_EQ(after.size(), 97u + 3 * 20 + 1);
  EXPECT_EQ(after[4], 3);
  EXPECT_EQ(after.back(), '\x1A');
  auto t = openTable(*env, "S.DBF");
  EXPECT_EQ(walk(*t), (std::vector<uint32_t>{1, 2, 3}));
  ASSERT_TRUE(t->goTo(3).ok());
  EXPECT_EQ(t->text("CPF"), "new");
}

}  // namespace
}  // namespace zel::db::test
