#include "platform/ui/form_reader.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/console/console.h"
#include "platform/console/keys.h"
#include "platform/sys/cp850.h"
#include "support/headless_console.h"
#include "ui/value_printer.h"

namespace zel {
namespace {

constexpr Attr kEnhanced = 0x70;    // N/W
constexpr Attr kUnselected = 0x1E;  // GR+/B

class FormReaderTest : public ::testing::Test, protected test_support::HeadlessConsole {
 protected:
  void SetUp() override { con->setColour("W/N,N/W,N/N,N/N,GR+/B"); }
  std::string at(int row, int col, int len) const { return textAt(row, col, len); }
  void type(std::initializer_list<int> keys) { backend->push(keys); }
  void type(std::string_view text) { backend->pushText(text); }
};

// Three fields (a name, an amount, a date) walked with the form keys.
TEST_F(FormReaderTest, WalksTheFieldsWithTheFormKeys) {
  using namespace key;
  struct Case {
    const char* what;
    std::vector<int> keys;
    std::string name;
    double amount;
    int lastKey;
    int field;
    bool updated;
  };
  auto text = [](std::string_view s, std::vector<int> tail) {
    std::vector<int> k;
    for (char c : s) k.push_back(static_cast<unsigned char>(c));
    k.insert(k.end(), tail.begin(), tail.end());
    return k;
  };
  const Case cases[] = {
      {"Enter through every field", {kEnter, kEnter, kEnter}, "abc", 7, kEnter, 2, false},
      {"edits stored, Esc ends", text("Z", {kEnter, '1', '2', ',', '5', kEnter, kEsc}), "Zbc", 12.5,
       kEsc, 2, true},
      {"Esc drops the field's edit", text("q", {kEsc}), "abc", 7, kEsc, 0, false},
      {"Up on the first field stays, PgDn ends", {kDown, kUp, kUp, kPgDn}, "abc", 7, kPgDn, 0, false},
      {"Down on the last field stays", {kDown, kDown, kDown, kEsc}, "abc", 7, kEsc, 2, false},
      {"PgUp ends after storing", text("", {kDown, '9', kPgUp}), "abc", 9, kPgUp, 1, true},
      {"Ctrl+Home to the first field", {kDown, kCtrlHome, 'q', kCtrlEnd}, "qbc", 7, kCtrlEnd, 0, true},
      {"typing past the end moves on", text("xyz", {kEsc}), "xyz", 7, kEsc, 1, true},
      {"Tab and Shift+Tab move", {kTab, kShiftTab, 'w', kEsc}, "abc", 7, kEsc, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Value name("abc"), amount(7.0), when(Value(*Date::fromYmd(2009, 1, 31)));
    FormReader form(*con);
    form.add(FormField::of(5, 10, "NOME", name));
    form.add(FormField::of(6, 10, "VALOR", amount, "@Ez 999,999.99"));
    form.add(FormField::of(7, 10, "DATA", when, "@D"));
    for (int k : c.keys) backend->push(k);
    ReadResult r = form.read();
    EXPECT_EQ(name, Value(c.name));
    EXPECT_EQ(amount, Value(c.amount));
    EXPECT_EQ(r.lastKey, c.lastKey);
    EXPECT_EQ(r.field, c.field);
    EXPECT_EQ(r.updated, c.updated);
    EXPECT_EQ(backend->pending(), 0u);
  }
}

TEST_F(FormReaderTest, ShowsFieldsThroughTheirMasksAndColours) {
  Value cpf("12345678909"), amount(2469.134), wide("abcdefghij");
  FormReader form(*con);
  form.add(FormField::of(3, 8, "CPF", cpf, "@R 999.999.999-99"));
  form.add(FormField::of(4, 8, "VALOR", amount, "@Ez 999,999,999.99"));
  form.add(FormField::of(5, 8, "TEXTO", wide, "@S5"));
  Attr seen = 0;
  std::string seenText;
  con->bindKey(key::kF10, [&](const ReadContext&) {
    seen = con->screen().at(4, 8).attr;
    seenText = at(4, 8, 14);
  });
  type({key::kEnter, key::kF10, key::kEnter, key::kEnd, key::kEsc});
  form.read();
  EXPECT_EQ(seen, kEnhanced);  // the field being edited
  EXPECT_EQ(seenText, "      2.469,13");
  EXPECT_EQ(at(3, 8, 14), "123.456.789-09");
  EXPECT_EQ(at(4, 8, 14), "      2.469,13");
  EXPECT_EQ(at(5, 8, 6), "abcde ");  // five columns, scrolled back when left
  for (int row : {3, 4, 5}) EXPECT_EQ(con->screen().at(row, 8).attr, kUnselected);

  // a form with colours of its own (a browser's cell)
  FormReader cell(*con);
  cell.add(FormField::of(6, 8, "MGETVAR", wide, "@S5"));
  cell.options().colours = parseColourList("W/B,GR+/R,N/N,N/N,W/B");
  type({key::kEsc});
  cell.read();
  EXPECT_EQ(con->screen().at(6, 8).attr, 0x17);
}

TEST_F(FormReaderTest, RefusedFieldKeepsTheCursorAndCheckMayReplaceTheValue) {
  Value stock(0.0), letter("N");
  int checks = 0;
  FormReader form(*con);
  FormField& f = form.add(FormField::of(10, 31, "I7_4B", stock, "@Ez 999,999"));
  f.valid = [&] { ++checks; return stock.number() <= 10; };
  FormField& g = form.add(FormField::of(10, 56, "OPTA", letter, "!"));
  g.valid = [&] {
    if (letter.text() != "S" && letter.text() != "N") letter = Value("S");
    return true;
  };
  type("50");
  type({key::kEnter});
  type("5");
  type({key::kEnter});
  type("x");  // fills the one-letter field: the read ends
  ReadResult r = form.read();
  EXPECT_EQ(checks, 2);
  EXPECT_EQ(stock, Value(5.0));
  EXPECT_EQ(letter, Value("S"));
  EXPECT_EQ(at(10, 56, 1), "S");
  EXPECT_EQ(r.lastKey, 'x');
}

TEST_F(FormReaderTest, PreConditionSkipsFields) {
  Value a("a"), b("b"), c("c");
  std::string log;
  bool enterB = false;
  // the middle field is not entered while its pre-condition is false
  FormReader skip(*con);
  skip.add(FormField::of(1, 0, "A", a)).valid = [&] { log += "A"; return true; };
  skip.add(FormField::of(2, 0, "B", b)).when = [&] { return enterB; };
  skip.add(FormField::of(3, 0, "C", c)).valid = [&] { log += "C"; return true; };
  type({key::kEnter, key::kUp, key::kEnter, key::kEnter});
  ReadResult r = skip.read();
  EXPECT_EQ(log, "ACAC");
  EXPECT_EQ(r.lastKey, key::kEnter);

  // nothing to enter: the read ends at once and takes no key
  FormReader none(*con);
  none.add(FormField::of(2, 0, "B", b)).when = [&] { return enterB; };
  type({'z'});
  r = none.read();
  EXPECT_EQ(r.lastKey, 0);
  EXPECT_EQ(r.field, -1);
  EXPECT_EQ(backend->pending(), 1u);
}

TEST_F(FormReaderTest, UpAndDownLeaveAOneFieldFormWhenAsked) {
  for (int k : {key::kUp, key::kDown}) {
    Value v("abc");
    FormReader form(*con);
    form.add(FormField::of(0, 0, "MGETVAR", v));
    form.options().exitAtEdges = true;
    type({'x', k});
    ReadResult r = form.read();
    EXPECT_EQ(r.lastKey, k);
    EXPECT_EQ(v, Value("xbc"));
  }
  Value v("abc");
  FormReader form(*con);
  form.add(FormField::of(0, 0, "MGETVAR", v));
  type({key::kUp, key::kDown, key::kEsc});
  EXPECT_EQ(form.read().lastKey, key::kEsc);
}

TEST_F(FormReaderTest, BoundKeysSeeThePendingEditAndMayChangeOrEndTheRead) {
  Value name("abc");
  std::string seenValue, seenVariable;
  con->readContext() = {"OUTER", 1, "NONE"};
  con->bindKey(key::kF2, [&](const ReadContext& ctx) {
    seenValue = name.text();
    seenVariable = ctx.variable;
    EXPECT_EQ(FormReader::active()->currentName(), "mGetVar");
  });
  {
    FormReader form(*con);
    form.add(FormField::of(0, 0, "mGetVar", name));
    form.options().routine = "DOGET";
    type({'Z', key::kF2, key::kEsc});
    ReadResult r = form.read();
    EXPECT_EQ(seenValue, "Zbc");  // stored before the callback ran
    EXPECT_EQ(seenVariable, "MGETVAR");
    EXPECT_TRUE(r.updated);
    EXPECT_EQ(name, Value("Zbc"));
    EXPECT_EQ(con->readContext().variable, "NONE");  // restored after the read
  }

  // keys pushed by the program keep their order around a bound key
  {
    Value v("abc");
    std::string seen;
    con->bindKey(key::kF4, [&](const ReadContext&) { seen = v.text(); });
    FormReader form(*con);
    form.add(FormField::of(0, 0, "A", v));
    for (int k : {int('x'), key::kF4, int('y'), key::kEsc}) con->pushKey(k);
    form.read();
    EXPECT_EQ(seen, "xbc");
    EXPECT_EQ(v, Value("xbc"));  // 'y' was dropped by Esc
  }

  // a callback that puts a value into the field it finds by name (the
  // calculator does)
  Value amount(0.0);
  con->bindKey(key::kAltS, [&](const ReadContext& ctx) {
    FormField* f = FormReader::active()->currentField();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(ctx.variable, "VALOR");
    f->set(Value(f->get().number() + 99.5));
  });
  {
    FormReader form(*con);
    form.add(FormField::of(2, 0, "VALOR", amount, "@E 999.99"));
    type({key::kAltS, key::kEnter});
    form.read();
    EXPECT_EQ(amount, Value(99.5));
    EXPECT_EQ(at(2, 0, 6), " 99,50");
  }

  // a callback that ends the read, with or without a key of its own
  for (int given : {0, 9}) {
    Value v("abc");
    con->bindKey(key::kF5, [&](const ReadContext&) { FormReader::active()->endRead(given); });
    FormReader form(*con);
    form.add(FormField::of(0, 0, "A", v));
    form.add(FormField::of(1, 0, "B", v));
    type({'x', key::kF5, 'y'});
    ReadResult r = form.read();
    EXPECT_TRUE(r.ended);
    EXPECT_EQ(r.lastKey, given ? given : key::kF5);
    EXPECT_EQ(v, Value("xbc"));
    EXPECT_EQ(con->inkey(0), 'y');  // still waiting for whoever reads next
  }
}

TEST_F(FormReaderTest, CallbackMayEmptyTheFormAndNestedReadsKeepTheirOwnContext) {
  Value v("abc"), inner("123");
  int runs = 0;
  FormReader form(*con);
  form.add(FormField::of(0, 0, "OUTER", v));
  con->bindKey(key::kF3, [&](const ReadContext&) {
    ++runs;
    FormReader nested(*con);
    nested.add(FormField::of(5, 0, "INNER", inner));
    ReadResult r = nested.read();  // F3 here is not run again
    EXPECT_EQ(r.lastKey, '9');
    EXPECT_EQ(FormReader::active(), &form);
    EXPECT_EQ(con->readContext().variable, "OUTER");
    form.clear();
  });
  type({key::kF3, key::kF3});
  type("789");
  ReadResult r = form.read();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(inner, Value("789"));
  EXPECT_TRUE(r.ended);
  EXPECT_EQ(form.size(), 0u);
  EXPECT_EQ(FormReader::active(), nullptr);
}

TEST_F(FormReaderTest, InvalidDateBeepsAndStays) {
  Value d(Date{});
  FormReader form(*con);
  form.add(FormField::of(0, 0, "DT_LC", d, "@D"));
  type("31022009");  // fills the field: an attempt to leave
  type({key::kHome});
  type("28");
  type({key::kEnter});
  ReadResult r = form.read();
  EXPECT_EQ(backend->tones.size(), 1u);
  EXPECT_EQ(d, Value(*Date::fromYmd(2009, 2, 28)));
  EXPECT_EQ(r.lastKey, key::kEnter);
  EXPECT_EQ(at(0, 0, 10), "28/02/2009");
}

TEST_F(FormReaderTest, InsertModeCarriesOverToTheNextField) {
  Value a("ab"), b("abcd");
  FormReader form(*con);
  form.add(FormField::of(0, 0, "A", a));
  form.add(FormField::of(1, 0, "B", b));
  type({key::kIns, key::kEnter, 'x', key::kIns, key::kEnter});  // second Ins restores overwrite
  form.read();
  EXPECT_EQ(b, Value("xabc"));
}

TEST_F(FormReaderTest, NumberWithoutTemplateTakesTheGivenWidth) {
  Value copies(1.0);
  FormReader form(*con);
  FormField f = FormField::of(17, 58, "NRO_VIAS", copies, "@KS");
  f.width = 1;
  form.add(f);
  type("3");
  ReadResult r = form.read();
  EXPECT_EQ(copies, Value(3.0));
  EXPECT_EQ(r.lastKey, '3');
  EXPECT_EQ(at(17, 58, 2), "3 ");
}

TEST_F(FormReaderTest, SayPictureWritesInTheStandardOrGivenColour) {
  sayPicture(*con, 3, 8, Value("12345678909"), "@R 999.999.999-99");
  EXPECT_EQ(at(3, 8, 14), "123.456.789-09");
  EXPECT_EQ(con->screen().at(3, 8).attr, con->colours().standard());
  sayPicture(*con, 19, 36, Value(0.0), "@Ez 99,999,999.99", 0x1E);
  EXPECT_EQ(at(19, 36, 13), std::string(13, ' '));
  EXPECT_EQ(con->screen().at(19, 36).attr, 0x1E);
}

}  // namespace
}  // namespace zel
