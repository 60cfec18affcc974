#include "platform/sys/cp850.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

TEST(Cp850, LiteralConvertsAtCompileTime) {
  constexpr std::string_view s = "näo informaçöes ATENÇAO º ª ░▒▓█■ ┌─┐ ╔═╗"_cp;
  EXPECT_EQ(s.substr(0, 4), std::string_view("n\x84o ", 4));
  EXPECT_EQ(static_cast<unsigned char>("ç"_cp[0]), 0x87);
  EXPECT_EQ(static_cast<unsigned char>("ã"_cp[0]), 0xC6);
  EXPECT_EQ(static_cast<unsigned char>("º"_cp[0]), 0xA7);
  EXPECT_EQ(static_cast<unsigned char>("█"_cp[0]), 0xDB);
  EXPECT_EQ("─"_cp.size(), 1u);
}

TEST(Cp850, EveryHighByteRoundTripsThroughUtf8) {
  for (int b = 0x80; b <= 0xFF; ++b) {
    std::string one(1, static_cast<char>(b));
    bool lossless = false;
    EXPECT_EQ(utf8ToCp850(cp850ToUtf8(one), &lossless), one) << "byte " << b;
    EXPECT_TRUE(lossless);
  }
}

TEST(Cp850, UnknownCharactersBecomeQuestionMarks) {
  bool lossless = true;
  EXPECT_EQ(utf8ToCp850("a€b", &lossless), "a?b");
  EXPECT_FALSE(lossless);
  EXPECT_EQ(utf8ToCp850("\xff"), "?");
}

TEST(Cp850, UpperCaseKeepsAccentsInTheCodePage) {
  EXPECT_EQ(cp850Upper("são joão ç"_cp), "SÃO JOÃO Ç"_cp);
  EXPECT_EQ(cp850Upper("ß1"_cp), "ß1"_cp);
}

}  // namespace
}  // namespace zel
