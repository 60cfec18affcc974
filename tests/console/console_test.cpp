#include <gtest/gtest.h>

#include <vector>

#include "platform/console/console.h"
#include "platform/sys/clock.h"
#include "platform/sys/cp850.h"
#include "support/headless_console.h"

namespace zel {
namespace {

class ConsoleTest : public ::testing::Test, protected test_support::HeadlessConsole {};

TEST_F(ConsoleTest, SayUsesStandardColourAndLeavesCursorAfterText) {
  con->setColour("GR+/B,W/N");
  con->say(3, 10, "Olá"_cp);
  EXPECT_EQ(con->row(), 3);
  EXPECT_EQ(con->col(), 13);
  EXPECT_EQ(con->screen().at(3, 10).attr, 30);

  con->say(4, 0, "x", 0x4F);
  EXPECT_EQ(con->screen().at(4, 0).attr, 0x4F);
  EXPECT_EQ(con->col(), 1);

  con->sayKeepAttr(3, 11, "AB");
  EXPECT_EQ(con->screen().rowText(3).substr(10, 3), "OAB");
  EXPECT_EQ(con->screen().at(3, 12).attr, 30);
  EXPECT_EQ(con->col(), 13);

  con->setColour(",,,,");  // every slot kept
  EXPECT_EQ(con->colours().standard(), 30);
  EXPECT_EQ(con->colours().enhanced(), 7);
}

TEST_F(ConsoleTest, KeyReadFlushesScreenAndCursor) {
  con->say(2, 5, "abc");
  con->showCursor(false);
  backend->push('q');
  EXPECT_EQ(con->inkey(), 'q');
  EXPECT_EQ(backend->presents, 1);
  EXPECT_EQ(backend->cursorRow, 2);
  EXPECT_EQ(backend->cursorCol, 8);
  EXPECT_FALSE(backend->cursorVisible);
  EXPECT_LT(con->screen().dirty(2).end, con->screen().dirty(2).begin);  // sent, so clean
}

TEST_F(ConsoleTest, PushedKeysComeBeforeTypedOnesAndLastKeyStays) {
  backend->push({'a', key::kF12});
  con->pushKey(key::kAltW);
  con->pushKey(key::kEnter);
  std::vector<int> got;
  for (int i = 0; i < 4; ++i) got.push_back(con->inkey(0));
  EXPECT_EQ(got, (std::vector<int>{key::kAltW, key::kEnter, 'a', key::kF12}));
  EXPECT_EQ(con->lastKey(), key::kF12);
  EXPECT_EQ(con->inkey(0), key::kNone);
  EXPECT_EQ(con->lastKey(), key::kF12);  // a read that timed out changes nothing
}

TEST_F(ConsoleTest, KeyWaitingPeeksWithoutTaking) {
  EXPECT_FALSE(con->keyWaiting());
  backend->push('z');
  EXPECT_TRUE(con->keyWaiting());
  EXPECT_TRUE(con->keyWaiting());
  con->pushKey('p');  // pushed keys still come first
  EXPECT_EQ(con->inkey(0), 'p');
  EXPECT_EQ(con->inkey(0), 'z');
  EXPECT_FALSE(con->keyWaiting());

  con->pushKey('x');
  backend->push('y');
  EXPECT_TRUE(con->keyWaiting());
  con->clearKeys();
  EXPECT_EQ(con->inkey(0), 'y');  // the script is future input, not type-ahead
}

TEST_F(ConsoleTest, TimeLimit) {
  backend->pushAt(500, 'k');
  EXPECT_EQ(con->inkey(300), key::kNone);
  EXPECT_EQ(manual->monotonicMs(), 300);
  EXPECT_EQ(con->inkey(0), key::kNone);
  EXPECT_EQ(con->inkey(300), 'k');
  EXPECT_EQ(manual->monotonicMs(), 500);  // returned as soon as the key came

  EXPECT_EQ(con->inkey(1000), key::kNone);
  EXPECT_EQ(manual->monotonicMs(), 1500);

  // Without a limit the read waits for the key, and for ever reads Esc when
  // the script is over.
  backend->pushAt(4000, 'w');
  EXPECT_EQ(con->inkey(), 'w');
  EXPECT_EQ(manual->monotonicMs(), 4000);
  EXPECT_EQ(con->inkey(), key::kEsc);
  EXPECT_EQ(backend->escapesAfterEnd, 1);
}

TEST_F(ConsoleTest, BoundKeyRunsWithReadContextAndWaitGoesOn) {
  std::vector<std::string> calls;
  con->bindKey(key::kF1, [&](const ReadContext& c) {
    calls.push_back(c.routine + ":" + std::to_string(c.line) + ":" + c.variable);
  });
  con->readContext() = {"GET_CODIGO", 12, "CPF"};
  backend->push({key::kF1, key::kF1, 'x'});
  EXPECT_EQ(con->waitKey(), 'x');
  EXPECT_EQ(calls, (std::vector<std::string>{"GET_CODIGO:12:CPF", "GET_CODIGO:12:CPF"}));

  // inkey returns a bound key without running it.
  backend->push(key::kF1);
  EXPECT_EQ(con->inkey(), key::kF1);
  EXPECT_EQ(calls.size(), 2u);

  con->unbindKey(key::kF1);
  EXPECT_FALSE(con->isBound(key::kF1));
  backend->push(key::kF1);
  EXPECT_EQ(con->waitKey(), key::kF1);
}

TEST_F(ConsoleTest, CallbackThatReadsKeysDoesNotRecurseIntoItself) {
  int depth = 0, maxDepth = 0, inner = 0;
  con->bindKey(key::kAltA, [&](const ReadContext&) {
    ++depth;
    maxDepth = std::max(maxDepth, depth);
    inner = con->waitKey();  // the calculator reading its own keys
    --depth;
  });
  backend->push({key::kAltA, key::kAltA, key::kEnter});
  EXPECT_EQ(con->waitKey(), key::kEnter);
  EXPECT_EQ(maxDepth, 1);
  EXPECT_EQ(inner, key::kAltA);
}

TEST_F(ConsoleTest, CallbackMayUnbindItselfAndTimeLimitCoversIt) {
  int runs = 0;
  con->bindKey(key::kF2, [&](const ReadContext&) {
    ++runs;
    con->unbindKey(key::kF2);
    manual->advanceMs(250);
  });
  backend->push(key::kF2);
  backend->pushAt(1000, 'k');
  EXPECT_EQ(con->waitKey(500), key::kNone);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(manual->monotonicMs(), 500);
}

TEST_F(ConsoleTest, MousePositionComesFromEvents) {
  EXPECT_EQ(con->mouseRow(), -1);
  backend->pushClick(7, 42);
  backend->push('a');
  EXPECT_EQ(con->inkey(), key::kMouseLeft);
  EXPECT_EQ(con->inkey(), 'a');
  EXPECT_EQ(con->mouseRow(), 7);
  EXPECT_EQ(con->mouseCol(), 42);
}

TEST_F(ConsoleTest, ToneHonoursSilence) {
  con->tone(300, 1);
  con->setSilent(true);
  con->tone(499, 1);
  con->setSilent(false);
  con->tone(499, 2);
  ASSERT_EQ(backend->tones.size(), 2u);
  EXPECT_EQ(backend->tones[0].hz, 300);
  EXPECT_EQ(backend->tones[1].ticks, 2);
}

TEST(HeadlessScript, LoopThatIgnoresEscDiesInsteadOfHanging) {
  EXPECT_DEATH(
      {
        Console con(std::make_unique<HeadlessBackend>());
        while (true) con.inkey();
      },
      "ran dry");
}

TEST(GlobalConsole, SetConsoleSwapsAndReturnsPrevious) {
  auto mine = std::make_unique<Console>(std::make_unique<HeadlessBackend>());
  Console* raw = mine.get();
  auto previous = setConsole(std::move(mine));
  EXPECT_EQ(&console(), raw);
  console().say(0, 0, "x");
  auto back = setConsole(std::move(previous));
  EXPECT_EQ(back.get(), raw);
  EXPECT_NE(&console(), raw);
}

}  // namespace
}  // namespace zel
