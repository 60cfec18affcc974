#include <gtest/gtest.h>

#include "platform/console/keys.h"

namespace zel {
namespace {

TEST(Keys, AltLettersFollowScanCodes) {
  struct Case {
    char c;
    int code;
  };
  const Case cases[] = {{'W', 273}, {'e', 274}, {'R', 275}, {'t', 276}, {'U', 278},
                        {'b', 304}, {'Q', 272}, {'M', 306}, {'A', 286}, {'1', 376},
                        {'0', 385}, {'-', 386}, {'=', 387}, {'?', key::kNone}};
  for (const Case& c : cases) EXPECT_EQ(key::alt(c.c), c.code) << c.c;
}

TEST(Keys, Names) {
  struct Case {
    int code;
    const char* name;
  };
  const Case cases[] = {{273, "Alt+W"},     {-41, "F12"},        {-40, "F11"},
                        {28, "F1"},         {-1, "F2"},          {-9, "F10"},
                        {-31, "Alt+F2"},    {-34, "Alt+F5"},     {271, "Shift+Tab"},
                        {10, "Ctrl+Enter"}, {13, "Enter"},       {1, "Home"},
                        {26, "Ctrl+Left"},  {376, "Alt+1"},      {'a', "'a'"},
                        {17, "Ctrl+Q"},     {1002, "MouseLeft"}, {999, "Key(999)"}};
  for (const Case& c : cases) EXPECT_EQ(key::name(c.code), c.name) << c.code;
}

}  // namespace
}  // namespace zel
