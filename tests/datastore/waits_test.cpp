#include "data/waits.h"

#include <gtest/gtest.h>

#include <memory>

#include "data/data_state.h"
#include "platform/sys/clock.h"
#include "platform/sys/cp850.h"

namespace zel::data {
namespace {

const std::string kGaveUp(
    "message: ATENÇAO! Registro näo ficou disponível. Dado näo será gravado."_cp);

class WaitsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetDataState();
    dataState().ui = &ui;
    auto c = std::make_unique<ManualClock>();
    manual = c.get();
    old = setClock(std::move(c));
  }
  void TearDown() override {
    setClock(std::move(old));
    resetDataState();
  }

  // An attempt that is refused (Locked) until try number `freeAt` (0: never).
  waits::Attempt lockedUntil(int freeAt) {
    return [this, freeAt] {
      ++tries;
      return freeAt != 0 && tries >= freeAt ? Status::OK() : Status::Locked("held");
    };
  }

  RecordingDataUi ui;
  ManualClock* manual = nullptr;
  std::unique_ptr<Clock> old;
  int tries = 0;
};

// One wait: how long, on which try the lock is free (0 never), the keys
// typed meanwhile, and what the wait should give.
struct WaitCase {
  const char* name;
  std::optional<double> seconds;
  int freeAt;
  std::deque<int> keys;
  bool result;
  int tries;
  long long ms;
};

TEST_F(WaitsTest, RecordLockTriesEveryHalfSecond) {
  const WaitCase cases[] = {
      {"free at once", 5.0, 1, {}, true, 1, 0},
      {"five seconds, never free", 5.0, 0, {}, false, 11, 5000},
      {"default wait is two seconds", std::nullopt, 0, {}, false, 5, 2000},
      {"zero seconds: one try", 0.0, 0, {}, false, 1, 0},
      {"free on the third try", 5.0, 3, {}, true, 3, 500},
      {"Esc waiting gives up", 5.0, 0, {27}, false, 1, 0},
      {"a key ends one pause early", 5.0, 0, {'x'}, false, 11, 4500},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    tries = 0;
    manual->set({});
    ui = RecordingDataUi();
    ui.keys = c.keys;
    EXPECT_EQ(waits::recordLock(lockedUntil(c.freeAt), c.seconds, "ZEL909"), c.result);
    EXPECT_EQ(tries, c.tries);
    EXPECT_EQ(manual->monotonicMs(), c.ms);
    if (c.tries == 1 && c.result) {
      EXPECT_TRUE(ui.log.empty());
      continue;
    }
    ASSERT_FALSE(ui.log.empty());
    EXPECT_EQ(ui.log.front(),
              std::string("message-centred: Aguardando registro ficar disponível no arquivo "_cp) +
                  "ZEL909");
    EXPECT_EQ(ui.log.back(), c.result ? std::string("clear-message") : kGaveUp);
  }
}

TEST_F(WaitsTest, EscStaysInTheBufferAfterGivingUp) {
  ui.keys = {27};
  EXPECT_FALSE(waits::recordLock(lockedUntil(0), 5.0, "X"));
  EXPECT_EQ(ui.peekKey(), 27);
}

TEST_F(WaitsTest, FileLockAndAppendWaits) {
  const std::string kText("Aguardando arquivo ficar disponível"_cp);
  const WaitCase cases[] = {
      {"free at once", 5.0, 1, {}, true, 1, 0},
      {"five seconds, never free", 5.0, 0, {}, false, 11, 5000},
      {"no wait given: two seconds", std::nullopt, 0, {}, false, 5, 2000},
      // Esc cuts the first pause short and ends the wait after its try.
      {"Esc gives up after one pause", 5.0, 0, {27}, false, 2, 0},
      // Zero waits until it is had; Esc only spends one pause, as any key.
      {"zero waits without end", 0.0, 40, {27}, true, 40, 38 * 500},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    tries = 0;
    manual->set({});
    ui = RecordingDataUi();
    ui.keys = c.keys;
    EXPECT_EQ(waits::fileLock(lockedUntil(c.freeAt), c.seconds, kText), c.result);
    EXPECT_EQ(tries, c.tries);
    EXPECT_EQ(manual->monotonicMs(), c.ms);
    if (c.tries > 1 || !c.result) {
      ASSERT_FALSE(ui.log.empty());
      EXPECT_EQ(ui.log.front(), "message-centred: " + kText);
      EXPECT_EQ(ui.log.back(), c.result ? std::string("clear-message") : kGaveUp);
    }
  }
}

TEST_F(WaitsTest, OtherFailuresEndTheWaitAtOnce) {
  auto ioError = [this] {
    ++tries;
    return Status::IOError("disk gone");
  };
  EXPECT_FALSE(waits::recordLock(ioError, 5.0, "X"));
  EXPECT_FALSE(waits::fileLock(ioError, 5.0, "waiting"));
  EXPECT_EQ(tries, 2);
  EXPECT_EQ(manual->monotonicMs(), 0);
  EXPECT_EQ(ui.lines("alert: ").size(), 2u);
  EXPECT_EQ(ui.lines(kGaveUp).size(), 2u);
}

TEST_F(WaitsTest, OpenRetriesOnceASecond) {
  EXPECT_TRUE(waits::open(lockedUntil(0), 10).isLocked());
  EXPECT_EQ(tries, 10);
  EXPECT_EQ(manual->monotonicMs(), 9000);

  tries = 0;
  manual->set({});
  ui.keys = {27, 'a'};  // keys shorten pauses but do not end the retries
  EXPECT_TRUE(waits::open(lockedUntil(25), 0).ok());
  EXPECT_EQ(tries, 25);
  EXPECT_EQ(manual->monotonicMs(), 22 * 1000);
  EXPECT_TRUE(ui.keys.empty());

  tries = 0;
  auto missing = [this] {
    ++tries;
    return Status::NotFound("no file");
  };
  EXPECT_TRUE(waits::open(missing, 10).isNotFound());
  EXPECT_EQ(tries, 1);
}

}  // namespace
}  // namespace zel::data
