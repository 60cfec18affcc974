// The tool's text conversions: CSV, JSON lines, field values and the field
// specifications of `create`.
#include <gtest/gtest.h>

#include <sstream>

#include "tools/cli.h"
#include "tools/field_text.h"
#include "tools/text_io.h"

namespace zel::tools {
namespace {

std::vector<std::vector<std::string>> readAll(const std::string& text, Status* st) {
  std::istringstream in(text);
  CsvReader r(in);
  std::vector<std::vector<std::string>> out;
  while (auto rec = r.next(st)) out.push_back(*rec);
  return out;
}

TEST(Csv, ReadsQuotesCommasLineBreaksAndBothLineEnds) {
  Status st;
  auto recs = readAll("a,\"b,c\",\"say \"\"hi\"\"\"\r\n\n\"two\nlines\",,\"\"\nlast", &st);
  ASSERT_TRUE(st.ok()) << st;
  ASSERT_EQ(recs.size(), 3u);
  EXPECT_EQ(recs[0], (std::vector<std::string>{"a", "b,c", "say \"hi\""}));
  EXPECT_EQ(recs[1], (std::vector<std::string>{"two\nlines", "", ""}));
  EXPECT_EQ(recs[2], (std::vector<std::string>{"last"}));
}

TEST(Csv, UnclosedQuoteIsAnError) {
  Status st;
  readAll("a,\"open\n", &st);
  EXPECT_EQ(st.code(), StatusCode::kInvalidArgument);
}

TEST(Csv, WrittenFieldsReadBackUnchanged) {
  std::vector<std::string> fields = {"plain", "", " lead", "trail ", "a,b", "q\"q", "l1\nl2", "Atenção"};
  Status st;
  auto recs = readAll(csvLine(fields) + "\n", &st);
  ASSERT_TRUE(st.ok());
  ASSERT_EQ(recs.size(), 1u);
  EXPECT_EQ(recs[0], fields);
}

TEST(Json, ParsesFlatObjects) {
  auto o = parseJsonObject(R"( {"A":"x\"\u00e7\ud83d\ude00","N":-1.5e2,"L":true,"Z":null,"E":""} )");
  ASSERT_TRUE(o.ok()) << o.status();
  ASSERT_EQ(o->size(), 5u);
  EXPECT_EQ((*o)[0].second.text, "x\"\xC3\xA7\xF0\x9F\x98\x80");
  EXPECT_EQ((*o)[1].second.kind, JsonValue::Kind::kNumber);
  EXPECT_EQ((*o)[1].second.text, "-1.5e2");
  EXPECT_TRUE((*o)[2].second.boolean);
  EXPECT_EQ((*o)[3].second.kind, JsonValue::Kind::kNull);
  EXPECT_EQ((*o)[4].second.kind, JsonValue::Kind::kString);
}

TEST(Json, RefusesMalformedLines) {
  for (const char* bad : {"", "[1]", "{\"a\":1", "{\"a\":{}}", "{\"a\":01x}", "{\"a\":\"\\ud800\"}",
                          "{\"a\":1} x", "{a:1}", "{\"a\":\"open}", "{\"a\":-}", "{\"a\":tru}"}) {
    EXPECT_FALSE(parseJsonObject(bad).ok()) << bad;
  }
}

TEST(Json, StringsEscapeWhatJsonRequires) {
  EXPECT_EQ(jsonString("a\"b\\c\nd\x01"), "\"a\\\"b\\\\c\\nd\\u0001\"");
  auto back = parseJsonObject("{\"k\":" + jsonString("tab\there \"q\" \x7f") + "}");
  ASSERT_TRUE(back.ok());
  EXPECT_EQ((*back)[0].second.text, "tab\there \"q\" \x7f");
}

TEST(Numbers, FormatIntoWidthAndDecimals) {
  struct Case {
    const char* in;
    int w, d;
    const char* out;  // nullptr: refused
  } cases[] = {
      {"-12.5", 14, 2, "        -12.50"}, {"3", 2, 0, " 3"},       {"0", 12, 2, "        0.00"},
      {"1234.5", 12, 2, "     1234.50"},  {"2.345", 6, 2, "  2.35"}, {"-2.345", 6, 2, " -2.35"},
      {"9.995", 5, 2, "10.00"},           {"99.5", 2, 0, nullptr},   {"-0.001", 5, 2, " 0.00"},
      {"1e3", 6, 1, "1000.0"},            {"1.5E-1", 4, 2, "0.15"},  {".5", 4, 1, " 0.5"},
      {"+7", 1, 0, "7"},                  {"100", 2, 0, nullptr},    {"-1", 1, 0, nullptr},
      {"abc", 5, 0, nullptr},             {"1.2.3", 5, 0, nullptr},  {"12,5", 5, 1, nullptr},
      {"1e", 5, 0, nullptr},              {"99999999999999999.99", 20, 2, "99999999999999999.99"},
  };
  for (const auto& c : cases) {
    auto r = formatNumber(c.in, c.w, c.d);
    if (c.out) {
      ASSERT_TRUE(r.ok()) << c.in << ": " << r.status();
      EXPECT_EQ(*r, c.out) << c.in;
    } else {
      EXPECT_FALSE(r.ok()) << c.in << " gave " << (r.ok() ? *r : "");
    }
  }
}

TEST(Fields, ValuesBetweenBytesAndText) {
  db::FieldDef c{"NOME", 'C', 10, 0}, n{"VALOR", 'N', 14, 2}, d{"DT", 'D', 8, 0}, l{"OK", 'L', 1, 0},
      m{"OBS", 'M', 10, 0};
  // Bytes to text.
  EXPECT_EQ(fieldToCsv(c, "Aten\x87\xC6o   ", ""), "Atenção");
  EXPECT_EQ(fieldToJson(c, "  lead    ", ""), "\"  lead\"");
  EXPECT_EQ(fieldToJson(n, "        -12.50", ""), "-12.50");
  EXPECT_EQ(fieldToJson(n, "              ", ""), "0");
  EXPECT_EQ(fieldToJson(n, "**************", ""), "null");
  EXPECT_EQ(fieldToJson(n, "           .50", ""), "0.50");
  EXPECT_EQ(fieldToCsv(n, "              ", ""), "");
  EXPECT_EQ(fieldToJson(d, "        ", ""), "\"\"");
  EXPECT_EQ(fieldToJson(l, " ", ""), "false");
  EXPECT_EQ(fieldToJson(l, "Y", ""), "true");
  EXPECT_EQ(fieldToJson(m, "         1", "linha 1\r\n\x87"), "\"linha 1\\r\\n\xC3\xA7\"");

  // Text to bytes.
  struct Case {
    const db::FieldDef* f;
    const char* in;
    const char* bytes;  // nullptr: refused
  } cases[] = {
      {&c, "Atenção", "Aten\x87\xC6o   "}, {&c, "0123456789", "0123456789"}, {&c, "0123456789A", nullptr},
      {&c, "€uro", nullptr},                  {&n, "", "              "},         {&n, " 7 ", "          7.00"},
      {&n, "x", nullptr},                     {&d, "20090131", "20090131"},       {&d, "2009-01-31", "20090131"},
      {&d, "", "        "},                   {&d, "20090230", nullptr},          {&d, "2009013", nullptr},
      {&l, "true", "T"},                      {&l, "n", "F"},                     {&l, "", " "},
      {&l, "maybe", nullptr},                 {&m, "ção", "\x87\xC6o"}, {&m, "a\x1A" "b", nullptr},
  };
  for (const auto& k : cases) {
    auto r = csvToField(*k.f, k.in);
    if (k.bytes) {
      ASSERT_TRUE(r.ok()) << k.f->name << " " << k.in << ": " << r.status();
      EXPECT_EQ(r->bytes, k.bytes) << k.f->name << " " << k.in;
    } else {
      EXPECT_FALSE(r.ok()) << k.f->name << " " << k.in;
    }
  }
  // JSON types must match the field.
  EXPECT_FALSE(jsonToField(c, JsonValue{JsonValue::Kind::kNumber, false, "5"}).ok());
  EXPECT_FALSE(jsonToField(n, JsonValue{JsonValue::Kind::kBool, true, ""}).ok());
  EXPECT_EQ(jsonToField(n, JsonValue{JsonValue::Kind::kString, false, "-3"})->bytes, "         -3.00");
  EXPECT_EQ(jsonToField(l, JsonValue{JsonValue::Kind::kBool, true, ""})->bytes, "T");
  EXPECT_EQ(jsonToField(c, JsonValue{})->bytes, std::string(10, ' '));
}

TEST(Fields, SpecificationsOfCreate) {
  struct Case {
    const char* spec;
    const char* name;
    char type;
    int width, dec;  // width 0: refused
  } cases[] = {
      {"cpf:c:11", "CPF", 'C', 11, 0},   {"VALOR:N:14:2", "VALOR", 'N', 14, 2}, {"DT:D", "DT", 'D', 8, 0},
      {"DT:D:8", "DT", 'D', 8, 0},       {"OBS:M", "OBS", 'M', 10, 0},          {"I8_1:C:512", "I8_1", 'C', 512, 0},
      {"X:L", "X", 'L', 1, 0},           {"DT:D:9", "", 0, 0, 0},               {"N:N:20", "", 0, 0, 0},
      {"N:N:5:4", "", 0, 0, 0},          {"C:C", "", 0, 0, 0},                  {"C:C:0", "", 0, 0, 0},
      {"C:C:5:1", "", 0, 0, 0},          {"ELEVENCHARS:C:1", "", 0, 0, 0},      {"1A:C:1", "", 0, 0, 0},
      {"A-B:C:1", "", 0, 0, 0},          {"A:X:1", "", 0, 0, 0},                {"A", "", 0, 0, 0},
      {"A:C:1:2:3", "", 0, 0, 0},        {"A:C:abc", "", 0, 0, 0},
  };
  for (const auto& c : cases) {
    auto f = parseFieldSpec(c.spec);
    if (!c.width) {
      EXPECT_FALSE(f.ok()) << c.spec;
      continue;
    }
    ASSERT_TRUE(f.ok()) << c.spec << ": " << f.status();
    EXPECT_EQ(f->name, c.name);
    EXPECT_EQ(f->type, c.type);
    EXPECT_EQ(f->width, c.width);
    EXPECT_EQ(f->decimals, c.dec);
  }
  EXPECT_FALSE(checkFieldList({{"A", 'C', 1, 0}, {"A", 'N', 2, 0}}).ok());
  EXPECT_FALSE(checkFieldList({}).ok());
  EXPECT_TRUE(checkFieldList({{"A", 'C', 1, 0}, {"B", 'N', 2, 0}}).ok());
}

TEST(CommandLine, OptionsAndArgumentCounts) {
  auto ok = parseCommandLine({"dump", "--json", "T.DBF", "--index", "T.NTX"});
  ASSERT_TRUE(ok.ok());
  EXPECT_TRUE(ok->json);
  EXPECT_EQ(ok->index, "T.NTX");
  EXPECT_EQ(ok->args, std::vector<std::string>{"T.DBF"});
  auto soft = parseCommandLine({"seek", "T.DBF", "T.NTX", "--soft", "--", "--odd-key"});
  ASSERT_TRUE(soft.ok());
  EXPECT_TRUE(soft->soft);
  EXPECT_EQ(soft->args.back(), "--odd-key");
  for (auto bad : std::vector<std::vector<std::string>>{
           {}, {"frob", "T.DBF"}, {"info"}, {"info", "A", "B"}, {"info", "T.DBF", "--json"},
           {"dump", "T.DBF", "--index"}, {"index", "T.DBF", "T.NTX"}, {"seek", "T.DBF", "T.NTX", "K", "--json"},
           {"create", "T.DBF"}}) {
    EXPECT_FALSE(parseCommandLine(bad).ok()) << (bad.empty() ? "" : bad[0]);
  }
}

}  // namespace
}  // namespace zel::tools
