#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/console/key_decoder.h"
#include "platform/console/keys.h"
#include "platform/sys/cp850.h"

namespace zel {
namespace {

using namespace key;

struct Ev {
  int key, row = -1, col = -1;
  bool operator==(const Ev&) const = default;
};

std::string show(const std::vector<Ev>& v) {
  std::ostringstream os;
  for (const Ev& e : v) {
    os << name(e.key);
    if (e.row >= 0) os << "@" << e.row << "," << e.col;
    os << " ";
  }
  return os.str();
}

std::string hex(std::string_view s) {
  std::ostringstream os;
  for (unsigned char c : s) os << std::hex << int(c) << ' ';
  return os.str();
}

std::vector<Ev> all(std::string_view bytes) {
  std::vector<Ev> out;
  for (const InputEvent& e : decodeAll(bytes)) out.push_back({e.key, e.row, e.col});
  return out;
}

// What a backend does: bytes arrive one at a time, sequences wait for more,
// and after the last byte the escape delay passes.
std::vector<Ev> trickled(std::string_view bytes) {
  std::vector<Ev> out;
  std::string buf;
  std::size_t next = 0;
  while (next < bytes.size() || !buf.empty()) {
    if (buf.empty()) buf += bytes[next++];
    bool more = next < bytes.size();
    DecodeStep s = decodeInput(buf, more);
    if (s.kind == DecodeStep::kNeedMore) {
      buf += bytes[next++];
      continue;
    }
    EXPECT_GT(s.used, 0u);
    if (s.used == 0) break;
    if (s.kind == DecodeStep::kEvent) out.push_back({s.event.key, s.event.row, s.event.col});
    buf.erase(0, s.used);
  }
  return out;
}

struct Case {
  const char* what;
  std::string bytes;
  std::vector<Ev> expect;
};

const std::vector<Case>& cases() {
  static const std::vector<Case> c = {
      // Plain bytes.
      {"Enter is CR", "\r", {{kEnter}}},
      {"Ctrl+Enter as LF", "\n", {{kCtrlEnter}}},
      {"Tab", "\t", {{kTab}}},
      {"Backspace as DEL", "\x7f", {{kBackspace}}},
      {"Backspace as BS", "\b", {{kBackspace}}},
      {"Ctrl+C is a key", "\x03", {{3}}},
      {"printable", "aZ9", {{'a'}, {'Z'}, {'9'}}},
      {"UTF-8 accents to CP850", "çãº", {{0x87}, {0xC6}, {0xA7}}},
      {"outside the code page skipped", "€x", {{'x'}}},
      {"stray continuation byte skipped", "\x80y", {{'y'}}},
      {"NUL skipped", std::string("\0q", 2), {{'q'}}},
      // Esc and Alt as an ESC prefix.
      {"lone Esc", "\x1b", {{kEsc}}},
      {"two Esc", "\x1b\x1b", {{kEsc}, {kEsc}}},
      {"Alt+W", "\x1bw", {{kAltW}}},
      {"Alt+Shift+W", "\x1bW", {{kAltW}}},
      {"Alt+E Alt+R Alt+T Alt+U Alt+B", "\x1b" "e\x1br\x1bt\x1bu\x1b" "b",
       {{kAltE}, {kAltR}, {kAltT}, {kAltU}, {kAltB}}},
      {"Alt+1 Alt+0", "\x1b" "1\x1b" "0", {{376}, {385}}},
      {"Alt+- Alt+=", "\x1b-\x1b=", {{kAltMinus}, {kAltEquals}}},
      {"Esc then punctuation", "\x1b.", {{kEsc}, {'.'}}},
      {"Alt+O alone", "\x1bO", {{kAltO}}},
      {"Esc then [", "\x1b[", {{kEsc}, {'['}}},
      // xterm.
      {"xterm F1-F4", "\x1bOP\x1bOQ\x1bOR\x1bOS", {{kF1}, {-1}, {-2}, {-3}}},
      {"xterm F5-F10", "\x1b[15~\x1b[17~\x1b[18~\x1b[19~\x1b[20~\x1b[21~",
       {{-4}, {-5}, {-6}, {-7}, {-8}, {-9}}},
      {"F11 F12", "\x1b[23~\x1b[24~", {{kF11}, {kF12}}},
      {"xterm Alt+F2", "\x1b[1;3Q", {{kAltF2}}},
      {"xterm Alt+F5", "\x1b[15;3~", {{kAltF5}}},
      {"Alt+F1 via ESC prefix", "\x1b\x1bOP", {{AltF(1)}}},
      {"Alt+F2 via ESC prefix", "\x1b\x1bOQ", {{kAltF2}}},
      {"Alt+F10 via ESC prefix", "\x1b\x1b[21~", {{AltF(10)}}},
      {"Shift+F1 Ctrl+F2", "\x1b[1;2P\x1b[1;5Q", {{ShiftF(1)}, {CtrlF(2)}}},
      {"old xterm Ctrl+F1", "\x1bO5P", {{CtrlF(1)}}},
      {"arrows CSI", "\x1b[A\x1b[B\x1b[D\x1b[C", {{kUp}, {kDown}, {kLeft}, {kRight}}},
      {"arrows SS3", "\x1bOA\x1bOB\x1bOD\x1bOC", {{kUp}, {kDown}, {kLeft}, {kRight}}},
      {"xterm Home End", "\x1b[H\x1b[F\x1bOH\x1bOF", {{kHome}, {kEnd}, {kHome}, {kEnd}}},
      {"Ins Del PgUp PgDn", "\x1b[2~\x1b[3~\x1b[5~\x1b[6~", {{kIns}, {kDel}, {kPgUp}, {kPgDn}}},
      {"Ctrl+arrows", "\x1b[1;5D\x1b[1;5C\x1b[1;5A\x1b[1;5B",
       {{kCtrlLeft}, {kCtrlRight}, {kCtrlUp}, {kCtrlDown}}},
      {"Ctrl+Home End PgUp PgDn", "\x1b[1;5H\x1b[1;5F\x1b[5;5~\x1b[6;5~",
       {{kCtrlHome}, {kCtrlEnd}, {kCtrlPgUp}, {kCtrlPgDn}}},
      {"Shift and Alt arrows are arrows", "\x1b[1;2D\x1b[1;3A", {{kLeft}, {kUp}}},
      {"Alt+arrow via ESC prefix", "\x1b\x1b[B", {{kDown}}},
      {"Shift+Tab", "\x1b[Z", {{kShiftTab}}},
      {"keypad Enter and digits", "\x1bOM\x1bOp\x1bOy\x1bOk", {{kEnter}, {'0'}, {'9'}, {'+'}}},
      {"Ctrl+Enter modifyOtherKeys", "\x1b[27;5;13~", {{kCtrlEnter}}},
      {"Ctrl+Enter kitty", "\x1b[13;5u", {{kCtrlEnter}}},
      {"Alt+W kitty", "\x1b[119;3u", {{kAltW}}},
      // tmux (TERM screen or tmux-256color: the same bytes).
      {"tmux Home End", "\x1b[1~\x1b[4~", {{kHome}, {kEnd}}},
      {"tmux Ctrl+Home", "\x1b[1;5H", {{kCtrlHome}}},
      // Linux console and rxvt.
      {"linux F1 F5", "\x1b[[A\x1b[[E", {{kF1}, {-4}}},
      {"linux Shift+Tab", "\x1b\t", {{kShiftTab}}},
      {"rxvt Home End", "\x1b[7~\x1b[8~", {{kHome}, {kEnd}}},
      {"rxvt Ctrl+arrows", "\x1bOd\x1bOc\x1bOa\x1bOb",
       {{kCtrlLeft}, {kCtrlRight}, {kCtrlUp}, {kCtrlDown}}},
      {"rxvt Ctrl+PgUp", "\x1b[5^", {{kCtrlPgUp}}},
      // Mouse.
      {"X10 left press at row 5 col 10", "\x1b[M +&", {{kMouseLeft, 5, 10}}},
      {"X10 release skipped", "\x1b[M#+&", {}},
      {"X10 right press", "\x1b[M\"!!", {{kMouseRight, 0, 0}}},
      {"X10 wheel skipped", "\x1b[M`+&", {}},
      {"X10 with a control byte as position skipped", "\x1b[M \x01&", {}},
      {"SGR left press and release", "\x1b[<0;80;25M\x1b[<0;80;25m", {{kMouseLeft, 24, 79}}},
      {"SGR right press with Ctrl", "\x1b[<18;3;4M", {{kMouseRight, 3, 2}}},
      {"SGR motion skipped", "\x1b[<32;3;4M", {}},
      // Noise.
      {"unknown CSI skipped whole", "\x1b[99~x\x1b[?1;2cy\x1b[5;5;5zq", {{'x'}, {'y'}, {'q'}}},
      {"cut-off CSI then key", "\x1b[1;5", {}},
      {"CSI broken by control byte", "\x1b[12\rz", {{kEnter}, {'z'}}},
  };
  return c;
}

TEST(KeyDecoder, Table) {
  for (const Case& c : cases()) {
    EXPECT_EQ(show(all(c.bytes)), show(c.expect)) << c.what << " [" << hex(c.bytes) << "]";
  }
}

TEST(KeyDecoder, SameResultWhenBytesTrickleIn) {
  for (const Case& c : cases()) {
    EXPECT_EQ(show(trickled(c.bytes)), show(all(c.bytes))) << c.what << " [" << hex(c.bytes) << "]";
  }
}

TEST(KeyDecoder, WaitsForTheRestOfASequence) {
  const char* partial[] = {"\x1b", "\x1b[", "\x1b[1;5", "\x1bO", "\x1b[M ", "\x1b[<0;1",
                           "\xc3", "\xe2\x94", "\x1b\x1b", "\x1b\x1b[1"};
  for (const char* p : partial)
    EXPECT_EQ(decodeInput(p, true).kind, DecodeStep::kNeedMore) << hex(p);
  // Complete keys do not wait, even when more may come.
  for (const char* p : {"\x1bw", "\x1b[A", "a", "\xc3\xa7"})
    EXPECT_EQ(decodeInput(p, true).kind, DecodeStep::kEvent) << hex(p);
  // A runaway sequence is given up on instead of waited for.
  std::string runaway = "\x1b[" + std::string(40, '1');
  EXPECT_EQ(decodeInput(runaway, true).kind, DecodeStep::kSkip);
}

TEST(KeyDecoder, RandomBytesAlwaysMakeProgress) {
  std::mt19937 rng(850);
  const std::string alphabet = "\x1b[O;<M~0123456789AZauhm\x7f\r\n\xc3\xa7\x80 ";
  for (int round = 0; round < 3000; ++round) {
    std::string s;
    int len = 1 + static_cast<int>(rng() % 24);
    for (int i = 0; i < len; ++i)
      s += (rng() % 4 == 0) ? static_cast<char>(rng() % 256) : alphabet[rng() % alphabet.size()];
    std::string_view v = s;
    int steps = 0;
    while (!v.empty()) {
      DecodeStep st = decodeInput(v, false);
      ASSERT_NE(st.kind, DecodeStep::kNeedMore) << hex(s);
      ASSERT_GT(st.used, 0u) << hex(s);
      ASSERT_LE(st.used, v.size()) << hex(s);
      if (st.kind == DecodeStep::kEvent &&
          (st.event.key == kMouseLeft || st.event.key == kMouseRight)) {
        EXPECT_GE(st.event.row, 0) << hex(s);
        EXPECT_GE(st.event.col, 0) << hex(s);
      }
      v.remove_prefix(st.used);
      ASSERT_LT(++steps, 100);
    }
  }
}

}  // namespace
}  // namespace zel
