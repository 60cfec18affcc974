#include "helpers/text_helpers.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

TEST(TimeHelpers, SecondsAndClockTexts) {
  EXPECT_EQ(HORA_SEG("23:59:59"), 86399);
  EXPECT_EQ(HORA_SEG("00:00:00"), 0);
  EXPECT_EQ(HORA_SEG("01:02:03"), 3723);
  EXPECT_EQ(HORA_SEG("12:30"), 45000);  // seconds missing count 0

  struct Case {
    double seconds;
    const char* hora;
    const char* hor2;
  };
  const Case cases[] = {
      {0, "00:00:00", "00D00h00m"},         {86399, "23:59:59", "00D23h59m"},
      {90000, "01:00:00", "01D01h00m"},     {90061, "01:01:01", "01D01h01m"},
      {59.9, "00:00:59", "00D00h00m"},      {99 * 86400 + 60, "00:01:00", "00D00h01m"},
      {-5, "00:00:00", "00D00h00m"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SEG_HORA(c.seconds), c.hora) << c.seconds;
    EXPECT_EQ(SEG_HOR_2(c.seconds), c.hor2) << c.seconds;
  }
  EXPECT_EQ(SEG_HORA(HORA_SEG("23:59:59")), "23:59:59");
}

TEST(TimeHelpers, TimePassedCrossesMidnight) {
  EXPECT_EQ(TEMPO_PAS("23:50:00", "00:10:00").number(), 1200);
  EXPECT_EQ(TEMPO_PAS("23:50:00", "00:10:00", 1).text(), "00:20:00");
  EXPECT_EQ(TEMPO_PAS("08:00:00", "09:30:15").number(), 5415);
  EXPECT_EQ(TEMPO_PAS("08:00:00", "08:00:00", 1).text(), "00:00:00");
  EXPECT_TRUE(TEMPO_PAS("08:00:00", "09:00:00").isNumber());
}

TEST(NumberHelpers, AmountsWithBrazilianPunctuation) {
  struct Case {
    const char* text;
    double value;
  };
  const Case cases[] = {
      {"1.234.567,89", 1234567.89}, {"12,5", 12.5},      {"", 0},
      {"   ", 0},                   {"1.000", 1000},     {"-3,25", -3.25},
      {"  45,00  ", 45},            {"1,2,3", 1.2},      {"abc", 0},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(CAR_TO_VAL(c.text), c.value) << c.text;
}

TEST(NumberHelpers, DesprezaCutsAfterRoundingTwoPlacesFurther) {
  struct Case {
    double value;
    int decimals;
    double expected;
  };
  const Case cases[] = {
      {1.23456, 2, 1.23}, {1.23996, 2, 1.24},  {1.239, 2, 1.23},   {1.00995, 2, 1.01},
      {-1.23456, 2, -1.23}, {1234567.899, 2, 1234567.89}, {2.5, 0, 2}, {0.123456, 4, 0.1234},
      {0, 2, 0},
  };
  for (const auto& c : cases)
    EXPECT_DOUBLE_EQ(DESPREZA(c.value, 15, c.decimals), c.expected) << c.value;
  EXPECT_DOUBLE_EQ(DESPREZA(1.23996), 1.24);
  // Too wide for its width: still cut, never lost.
  EXPECT_DOUBLE_EQ(DESPREZA(123456.789, 5), 123456.78);
}

TEST(TextHelpers, CenterAndMonthNames) {
  EXPECT_EQ(CENTER("ABCD"), 38);
  EXPECT_EQ(CENTER("ABCDE"), 37);  // 37.5, the half dropped
  EXPECT_EQ(CENTER("ABC", 10), 3);
  EXPECT_EQ(CENTER("ABCDEFGHIJK", 10), 0);
  EXPECT_EQ(CENTER("", 10), 5);

  EXPECT_EQ(TRAZ_MES(1), "Janeiro  ");
  EXPECT_EQ(TRAZ_MES(2), "Fevereiro");
  EXPECT_EQ(TRAZ_MES(3), "Marco    ");
  EXPECT_EQ(TRAZ_MES(12), "Dezembro ");
  for (int m = 1; m <= 12; ++m) EXPECT_EQ(TRAZ_MES(m).size(), 9u);
  EXPECT_EQ(TRAZ_MES(0), std::string(9, ' '));
  EXPECT_EQ(TRAZ_MES(13), std::string(9, ' '));
}

}  // namespace
}  // namespace zel
