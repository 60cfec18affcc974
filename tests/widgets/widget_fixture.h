// Headless console, manual clock and a screen snapshot key for widget tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/console/console.h"
#include "platform/console/keys.h"
#include "platform/sys/clock.h"
#include "platform/sys/cp850.h"
#include "support/headless_console.h"

namespace zel {

class WidgetTest : public ::testing::Test, protected test_support::HeadlessConsole {
 protected:
  // Pushing this key takes a copy of the screen while a widget waits for a
  // key; the widget itself never sees it.
  static constexpr int kSnap = key::kF11;

  void SetUp() override {
    con->bindKey(kSnap, [this](const ReadContext&) {
      snap = con->screen();
      shots.push_back(snap);
      ++snaps;
    });
  }

  // Text of `len` cells of the last snapshot (or of the live screen).
  std::string snapText(int row, int col, int len) const {
    return snap.rowText(row).substr(static_cast<size_t>(col), static_cast<size_t>(len));
  }
  std::string liveText(int row, int col, int len) const { return textAt(row, col, len); }
  void fillScreen(unsigned char ch, Attr a) { con->screen().fill(0, 0, 24, 79, ch, a); }

  Screen snap;                // the last snapshot
  std::vector<Screen> shots;  // all of them, in order
  int snaps = 0;
};

inline Attr pair(const char* p) {
  auto a = parseColourPair(p);
  EXPECT_TRUE(a.has_value()) << p;
  return a.value_or(0);
}

}  // namespace zel
