#include "platform/sys/date.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

TEST(Date, ConvertsBetweenStoredAndShownForms) {
  struct Case { const char* dtos; const char* dmy; const char* dmy2; };
  const Case cases[] = {
      {"20090131", "31/01/2009", "31/01/09"},
      {"20080229", "29/02/2008", "29/02/08"},
      {"19991231", "31/12/1999", "31/12/99"},
      {"00010101", "01/01/0001", "01/01/01"},
  };
  for (const auto& c : cases) {
    auto d = Date::fromDtos(c.dtos);
    ASSERT_TRUE(d) << c.dtos;
    EXPECT_EQ(d->dtos(), c.dtos);
    EXPECT_EQ(d->dmy(), c.dmy);
    EXPECT_EQ(d->dmy(false), c.dmy2);
    EXPECT_EQ(Date::fromDmy(c.dmy), d) << c.dmy;
  }
}

TEST(Date, TwoDigitYearsMeanTheNineteenHundreds) {
  EXPECT_EQ(Date::fromDmy("05/06/08")->year(), 1908);
  EXPECT_EQ(Date::fromDmy("05/06/2008")->year(), 2008);
}

TEST(Date, EmptyAndInvalid) {
  EXPECT_TRUE(Date::fromDtos("        ")->empty());
  EXPECT_TRUE(Date::fromDmy("  /  /    ")->empty());
  EXPECT_EQ(Date().dtos(), "        ");
  EXPECT_FALSE(Date::fromDtos("20090230"));
  EXPECT_FALSE(Date::fromDtos("2009013"));
  EXPECT_FALSE(Date::fromDmy("32/01/2009"));
  EXPECT_FALSE(Date::fromDmy("29/02/1900"));
  EXPECT_FALSE(Date::fromDtos("2009x131"));
}

TEST(Date, Arithmetic) {
  Date a = *Date::fromDtos("20081231");
  EXPECT_EQ((a + 1).dtos(), "20090101");
  EXPECT_EQ(*Date::fromDtos("20090301") - *Date::fromDtos("20090228"), 1);
  EXPECT_LT(a, a + 1);
}

}  // namespace
}  // namespace zel
