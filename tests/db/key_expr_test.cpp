#include "platform/db/key_expr.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/sys/cp850.h"

namespace zel::db {
namespace {

const std::vector<FieldDef> kFields = {
    {"CPF", 'C', 11, 0},      {"ATV_EXTER", 'C', 1, 0}, {"DT_LC", 'D', 8, 0},
    {"NOMECONTR", 'C', 47, 0}, {"ESTATUS", 'N', 2, 0},  {"I8_0", 'N', 4, 0},
    {"VALOR", 'N', 14, 2},    {"SO_TOTAL", 'L', 1, 0},  {"I8_1", 'C', 512, 0},
    {"TEXTO", 'M', 10, 0},
};

// One record: raw field bytes by name, blank padded to the field width.
class Rec : public RecordView {
 public:
  Rec(std::initializer_list<std::pair<const char*, std::string>> values) {
    for (const auto& f : kFields) raw_.emplace_back(static_cast<size_t>(f.width), ' ');
    for (const auto& [name, v] : values)
      for (size_t i = 0; i < kFields.size(); ++i)
        if (kFields[i].name == name) raw_[i].replace(0, v.size(), v);
  }
  const std::vector<FieldDef>& fields() const override { return kFields; }
  std::string_view raw(int i) const override { return raw_[static_cast<size_t>(i)]; }

 private:
  std::vector<std::string> raw_;
};

KeyExpr parse(std::string_view text) {
  auto e = KeyExpr::parse(text, kFields);
  EXPECT_TRUE(e.ok()) << text << ": " << e.status();
  return e.ok() ? *e : KeyExpr();
}

TEST(KeyExpr, EvaluatesTheKeysTheProgramUses) {
  const Rec rec = {{"CPF", "12345678901"},
                   {"ATV_EXTER", "X"},
                   {"DT_LC", "20080315"},
                   {"NOMECONTR", std::string("joão da silva"_cp)},
                   {"ESTATUS", " 5"},
                   {"I8_0", "  -5"},
                   {"VALOR", "        -12.50"},
                   {"SO_TOTAL", "T"},
                   {"I8_1", std::string(300, 'z')}};
  struct Case {
    const char* expr;
    std::string key;
    int size;
    int decimals;
    bool numeric;
  };
  const Case cases[] = {
      {"CPF+ATV_EXTER", "12345678901X", 12, 0, false},
      {"CPF+ATV_EXTER+DTOS(DT_LC)", "12345678901X20080315", 20, 0, false},
      {"cpf", "12345678901", 11, 0, false},
      {"( CPF ) + atv_exter", "12345678901X", 12, 0, false},
      // Only a-z are raised: accented letters keep their byte.
      {"UPPER(NOMECONTR)", std::string("JOãO DA SILVA"_cp) + std::string(34, ' '), 47, 0, false},
      {"ESTATUS", "05", 2, 0, true},
      {"I8_0", ",,,'", 4, 0, true},
      {"VALOR", ",,,,,,,,,+*.',", 14, 2, true},
      {"STR(I8_0,4)", "  -5", 4, 0, false},
      {"STR(VALOR)", "        -12.50", 14, 0, false},
      {"STR(VALOR,6,1)", " -12.5", 6, 0, false},
      {"STR(VALOR,3)", "-13", 3, 0, false},
      {"STR(VALOR,2)", "**", 2, 0, false},
      {"STR(ESTATUS)", " 5", 2, 0, false},
      {"SUBSTR(NOMECONTR,6,2)", "da", 2, 0, false},
      {"SUBSTR(CPF,10)", "01", 2, 0, false},
      {"DT_LC", "20080315", 8, 0, false},
      {"SO_TOTAL", "T", 1, 0, false},
      {"I8_1", std::string(256, 'z'), 256, 0, false},
  };
  for (const auto& c : cases) {
    KeyExpr e = parse(c.expr);
    EXPECT_EQ(e.evaluate(rec), c.key) << c.expr;
    EXPECT_EQ(e.keySize(), c.size) << c.expr;
    EXPECT_EQ(e.keyDecimals(), c.decimals) << c.expr;
    EXPECT_EQ(e.isNumeric(), c.numeric) << c.expr;
    EXPECT_EQ(e.text(), c.expr);
  }
}

TEST(KeyExpr, EmptyFieldsGiveZeroBlankAndFalseKeys) {
  const Rec blank = {};
  const std::pair<const char*, std::string> cases[] = {
      {"ESTATUS", "00"},           {"VALOR", "00000000000.00"}, {"DTOS(DT_LC)", "        "},
      {"STR(I8_0,4)", "   0"},     {"SO_TOTAL", "F"},           {"CPF+ATV_EXTER", std::string(12, ' ')},
  };
  for (const auto& [expr, key] : cases) EXPECT_EQ(parse(expr).evaluate(blank), key) << expr;
}

TEST(KeyExpr, StrRoundsHalfAwayFromZeroAndStarsOverflow) {
  struct Case {
    const char* number;
    int width, dec;
    const char* out;
  };
  const Case cases[] = {
      {"0.125", 5, 2, " 0.13"},  {"-0.125", 6, 2, " -0.13"}, {"9.995", 6, 2, " 10.00"},
      {"-0.001", 5, 2, " 0.00"}, {"999.5", 3, 0, "***"},     {"999.4", 3, 0, "999"},
      {"", 4, 0, "   0"},        {"abc", 4, 1, " 0.0"},      {".5", 2, 0, " 1"},
      {"  12", 6, 3, "12.000"},  {"-7", 2, 0, "-7"},         {"-10", 2, 0, "**"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(formatStr(c.number, c.width, c.dec), c.out) << c.number << " " << c.width << "," << c.dec;
}

TEST(KeyExpr, NumericKeysSortLikeTheirNumbers) {
  for (const char* expr : {"VALOR", "I8_0"}) {
    KeyExpr e = parse(expr);
    const double values[] = {-999.5, -100, -12.5, -12.49, -1, -0.01, 0, 0.01, 1, 12.5, 999};
    std::vector<std::string> keys;
    for (double v : values) keys.push_back(e.keyFromValue(Value(v)));
    for (size_t i = 1; i < keys.size(); ++i)
      EXPECT_LE(keys[i - 1], keys[i]) << expr << ": " << values[i - 1] << " vs " << values[i];
    // The field text gives the same key as the value.
    Rec r = {{"VALOR", "       -100.00"}, {"I8_0", "-100"}};
    EXPECT_EQ(e.evaluate(r), e.keyFromValue(Value(-100))) << expr;
  }
}

TEST(KeyExpr, KeyFromValueMakesSeekKeys) {
  Date d = *Date::fromYmd(2009, 1, 31);
  struct Case {
    const char* expr;
    Value v;
    std::string key;
  };
  const Case cases[] = {
      {"ESTATUS", Value(5), "05"},
      {"I8_0", Value(-5), ",,,'"},
      {"VALOR", Value(-12.5), ",,,,,,,,,+*.',"},
      {"VALOR", Value(2.675), "00000000002.68"},
      {"CPF+ATV_EXTER", Value("123"), "123"},  // partial key stays short
      {"CPF", Value("123456789012345"), "12345678901"},
      {"DTOS(DT_LC)", Value(d), "20090131"},
      {"STR(I8_0,4)", Value(7), "   7"},
      {"SO_TOTAL", Value(true), "T"},
  };
  for (const auto& c : cases) EXPECT_EQ(parse(c.expr).keyFromValue(c.v), c.key) << c.expr;
}

TEST(KeyExpr, RejectsMalformedExpressions) {
  for (const char* bad : {"", "CPF+", "FOO", "UPPER(ESTATUS)", "CPF+ESTATUS", "DTOS(CPF)", "STR(CPF)",
                          "SUBSTR(CPF,0)", "SUBSTR(CPF,12)", "SUBSTR(CPF)", "XYZ(CPF)", "CPF)",
                          "(CPF", "TEXTO", "STR(VALOR,x)", "UPPER(CPF", "CPF ATV_EXTER"}) {
    auto e = KeyExpr::parse(bad, kFields);
    ASSERT_FALSE(e.ok()) << bad;
    EXPECT_EQ(e.status().code(), StatusCode::kInvalidArgument) << bad;
  }
}

}  // namespace
}  // namespace zel::db
