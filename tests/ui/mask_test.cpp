#include "platform/ui/mask.h"

#include <gtest/gtest.h>

#include "platform/sys/cp850.h"

namespace zel {
namespace {

Value dmy(const char* s) { return Value(*Date::fromDmy(s)); }

TEST(Picture, ParsesFunctionsAndTemplate) {
  Picture p = parsePicture("@Ez 999,999.99");
  EXPECT_TRUE(p.exchange);
  EXPECT_TRUE(p.blankZero);
  EXPECT_FALSE(p.literalsOut);
  EXPECT_EQ(p.tmpl, "999,999.99");

  p = parsePicture("@KS");
  EXPECT_TRUE(p.clearFirst);
  EXPECT_EQ(p.scroll, 0);
  EXPECT_EQ(p.tmpl, "");

  EXPECT_EQ(parsePicture("@s54").scroll, 54);
  EXPECT_EQ(parsePicture("@ 9").tmpl, "9");
  EXPECT_TRUE(parsePicture("@r 999").literalsOut);
  EXPECT_TRUE(parsePicture("@D").date);
  p = parsePicture("!");  // no "@": all template
  EXPECT_FALSE(p.upper);
  EXPECT_EQ(p.tmpl, "!");
}

// Every mask the program quotes, with the values it shows through them.
TEST(Picture, TransformsTheProgramsMasks) {
  const std::string kLong =
      "Fazenda Boa Esperanca, gleba 3, com casa sede, curral e acude; matricula 1234 do "
      "cartorio de registro de imoveis";
  struct Case { Value v; const char* mask; std::string shown; };
  const Case cases[] = {
      // money, Brazilian form, blank for zero
      {2469.134, "@Ez 999,999,999.99", "      2.469,13"},
      {0.0, "@Ez 999,999,999.99", "              "},
      {1234567.891, "@Ez 999,999,999.99", "  1.234.567,89"},
      {-2469.134, "@Ez 999,999,999.99", "     -2.469,13"},
      {2.345, "@Ez 99,999,999.99", "         2,35"},  // half rounds up
      {0.004, "@Ez 99,999,999.99", "             "},  // zero once rounded
      {12345678901.0, "@Ez 99,999,999,999", "12.345.678.901"},
      {1e22, "@Ez 99,999,999,999", "**************"},
      {1234.5678, "@Ez 99,999,999,999.9999", "         1.234,5678"},
      {1234.0, "@Ez 999,999", "  1.234"},
      {-3.0, "@Ez 999,999", "     -3"},
      {12345.6, "@ez 999,999.9", " 12.345,6"},
      {12345.6, "@ZE 999,999.9", " 12.345,6"},
      {123.4, "@ZE 999.99", "123,40"},
      {1234.5, "@EZ 99,999.99", " 1.234,50"},
      {-1234.5, "@EZ 999,999.99", " -1.234,50"},
      {2469.134, "@Ez", "      2469,13"},  // no template: ten digits and two decimals
      {0.0, "@Ez", "          "},
      {999999.995, "@EZ 999,999.99", "**********"},  // rounds past the template
      {12.0, "@EZ 99", "12"},
      {100.0, "@EZ 99", "**"},
      {7.0, "@EZ 999", "  7"},
      {0.0, "@EZ 9999", "    "},
      {0.0, "@E 9999", "   0"},
      {12.5, "@e 9999", "  13"},
      {-234.0, "@E 9,999", " -234"},
      {5.0, "@ez 99", " 5"},
      {0.0, "@ez 99", "  "},
      {2.3362, "@z 9.9999", "2.3362"},
      {0.0, "@z 9.9999", "      "},
      {0.5, "@Z 9.99", "0.50"},
      {-0.5, "9.99", "-.50"},
      {-10.0, "99", "**"},
      {45.5, "@Z 999.99", " 45.50"},
      {1000.0, "@Z 999.99", "******"},
      {3.0, "@z 9", "3"},
      {0.0, "@Z 9", " "},
      {0.0, "@ 9", "0"},
      {12.0, "@ 99", "12"},
      {12.0, "@z 99", "12"},
      {7.0, "@Z 99", " 7"},
      {42.0, "@Z 999", " 42"},
      {2009.0, "@Z 9999", "2009"},
      {5.0, "@B 999", "5  "},
      {5.0, "@Z", "         5"},      // no template: ten digits
      {2.5, "@E", "         2,50"},   // and two decimals for a fraction
      // text
      {Value("12345678909"), "@R 999.999.999-99", "123.456.789-09"},
      {Value("12345678909"), "@r 999.999.999-99", "123.456.789-09"},
      {Value("12345678909"), "999.999.999-99", "123.567.909-  "},  // literals replace
      {Value("12345678"), "@r 9999999.9", "1234567.8"},
      {Value("12345678"), "@R 9999999.9", "1234567.8"},
      {Value("abc"), "@!", "ABC"},
      {Value(std::string("ação"_cp)), "@!", std::string("AÇÃO"_cp)},
      {Value("s"), "!", "S"},
      {Value("jose da silva"), "@S3", "jos"},
      {Value("jose da silva"), "@s3", "jos"},
      {Value("abc"), "@S54", "abc"},
      {Value(kLong), "@S12", kLong.substr(0, 12)},
      {Value(kLong), "@S13", kLong.substr(0, 13)},
      {Value(kLong), "@s13", kLong.substr(0, 13)},
      {Value(kLong), "@S15", kLong.substr(0, 15)},
      {Value(kLong), "@S30", kLong.substr(0, 30)},
      {Value(kLong), "@S35", kLong.substr(0, 35)},
      {Value(kLong), "@S40", kLong.substr(0, 40)},
      {Value(kLong), "@S44", kLong.substr(0, 44)},
      {Value(kLong), "@S45", kLong.substr(0, 45)},
      {Value(kLong), "@S55", kLong.substr(0, 55)},
      {Value(kLong), "@s54", kLong.substr(0, 54)},
      {Value(kLong), "@s60", kLong.substr(0, 60)},
      {Value(kLong), "@S71", kLong.substr(0, 71)},
      {Value(kLong), "@s10", kLong.substr(0, 10)},
      {Value(kLong), "@s2", kLong.substr(0, 2)},
      {Value(kLong), "@S3", kLong.substr(0, 3)},
      {Value(kLong), "@S", kLong},
      {Value(kLong), "@R", kLong},
      {Value("abc"), "@KS", "abc"},
      {Value("ab"), "XXXX", "ab  "},
      {Value("ab"), "", "ab"},
      // dates and logicals
      {dmy("31/01/2009"), "@D", "31/01/2009"},
      {dmy("31/01/2009"), "", "31/01/2009"},
      {Value(Date()), "@D", "  /  /    "},
      {Value(true), "L", "T"},
      {Value(false), "Y", "N"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(transform(c.v, c.mask), c.shown) << "mask \"" << c.mask << "\"";
}

TEST(Picture, DatesFollowTheCenturySetting) {
  EXPECT_EQ(transform(dmy("05/06/2008"), "@D", false), "05/06/08");
  EXPECT_EQ(transform(Value(Date()), "@D", false), "  /  /  ");
}

TEST(Picture, NumberShapeComesFromTheTemplate) {
  NumberShape s = numberShape(parsePicture("@Ez 999,999,999.99"), 0);
  EXPECT_EQ(s.width, 14);
  EXPECT_EQ(s.decimals, 2);
  s = numberShape(parsePicture("@z 9.9999"), 0);
  EXPECT_EQ(s.width, 6);
  EXPECT_EQ(s.decimals, 4);
  EXPECT_EQ(numberShape(parsePicture("@ 99"), 0).decimals, 0);
}

}  // namespace
}  // namespace zel
