// A headless console and a manual clock for screen tests: keys come from a
// script, the screen is read back, time moves only when the test says so.
// The program's clock is restored when the fixture goes away.
#pragma once

#include <memory>
#include <string>

#include "platform/console/console.h"
#include "platform/sys/clock.h"

namespace zel::test_support {

class HeadlessConsole {
 public:
  HeadlessConsole() {
    auto b = std::make_unique<HeadlessBackend>();
    backend = b.get();
    con = std::make_unique<Console>(std::move(b));
    auto clk = std::make_unique<ManualClock>();
    manual = clk.get();
    oldClock_ = setClock(std::move(clk));
  }
  ~HeadlessConsole() { setClock(std::move(oldClock_)); }
  HeadlessConsole(const HeadlessConsole&) = delete;
  HeadlessConsole& operator=(const HeadlessConsole&) = delete;

  // `len` cells of a row of the live screen, as CP850 text.
  std::string textAt(int row, int col, int len) const {
    return con->screen().rowText(row).substr(static_cast<size_t>(col), static_cast<size_t>(len));
  }

  HeadlessBackend* backend = nullptr;
  std::unique_ptr<Console> con;
  ManualClock* manual = nullptr;

 private:
  std::unique_ptr<Clock> oldClock_;
};

}  // namespace zel::test_support
