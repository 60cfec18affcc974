#include "platform/console/key_decoder.h"

#include <array>
#include <string>

#include "platform/console/keys.h"
#include "platform/sys/cp850.h"

namespace zel {

namespace {

constexpr char kEscByte = '\x1b';
constexpr std::size_t kMaxSequence = 32;  // longer "sequences" are noise

DecodeStep event(std::size_t used, int key, int row = -1, int col = -1) {
  return {DecodeStep::kEvent, used, InputEvent{key, row, col}};
}
DecodeStep skip(std::size_t used) { return {DecodeStep::kSkip, used, {}}; }
DecodeStep needMore() { return {DecodeStep::kNeedMore, 0, {}}; }

struct Mods {
  bool shift = false, alt = false, ctrl = false;
};
// xterm modifier parameter: 1 + (shift 1 | alt 2 | ctrl 4 | meta 8).
Mods modsFromParam(int p) {
  Mods m;
  if (p >= 2) {
    int bits = p - 1;
    m.shift = bits & 1;
    m.alt = (bits & 2) || (bits & 8);
    m.ctrl = bits & 4;
  }
  return m;
}

// Keys that terminals report as sequences, before modifiers apply.
enum class Base { kUp, kDown, kLeft, kRight, kHome, kEnd, kPgUp, kPgDn, kIns, kDel, kF };

int withMods(Base b, int fn, Mods m) {
  using namespace key;
  switch (b) {
    case Base::kUp: return m.ctrl ? kCtrlUp : kUp;
    case Base::kDown: return m.ctrl ? kCtrlDown : kDown;
    case Base::kLeft: return m.ctrl ? kCtrlLeft : kLeft;
    case Base::kRight: return m.ctrl ? kCtrlRight : kRight;
    case Base::kHome: return m.ctrl ? kCtrlHome : kHome;
    case Base::kEnd: return m.ctrl ? kCtrlEnd : kEnd;
    case Base::kPgUp: return m.ctrl ? kCtrlPgUp : kPgUp;
    case Base::kPgDn: return m.ctrl ? kCtrlPgDn : kPgDn;
    case Base::kIns: return kIns;
    case Base::kDel: return kDel;
    case Base::kF:
      if (fn > 10) return F(fn);  // modified F11/F12 have no codes of their own
      if (m.alt) return AltF(fn);
      if (m.ctrl) return CtrlF(fn);
      if (m.shift) return ShiftF(fn);
      return F(fn);
  }
  return kNone;
}

// A key that came after an extra ESC: Alt of it where the program has a
// code for that, the key itself otherwise.
int altOf(int k) {
  if (k == key::kF1) return key::AltF(1);
  if (k <= -1 && k >= -9) return key::AltF(1 - k);
  return k;
}

// Final letters shared by CSI and SS3: arrows, Home, End, F1-F4.
bool letterKey(char c, Base& b, int& fn) {
  switch (c) {
    case 'A': b = Base::kUp; return true;
    case 'B': b = Base::kDown; return true;
    case 'C': b = Base::kRight; return true;
    case 'D': b = Base::kLeft; return true;
    case 'H': b = Base::kHome; return true;
    case 'F': b = Base::kEnd; return true;
    case 'P': case 'Q': case 'R': case 'S':
      b = Base::kF;
      fn = c - 'P' + 1;
      return true;
    default: return false;
  }
}

// The number of ESC [ n ~ (vt220 and Linux console layout).
bool tildeKey(int n, Base& b, int& fn) {
  switch (n) {
    case 1: case 7: b = Base::kHome; return true;
    case 2: b = Base::kIns; return true;
    case 3: b = Base::kDel; return true;
    case 4: case 8: b = Base::kEnd; return true;
    case 5: b = Base::kPgUp; return true;
    case 6: b = Base::kPgDn; return true;
    default: break;
  }
  static constexpr std::array<int, 12> kFn = {11, 12, 13, 14, 15, 17, 18, 19, 20, 21, 23, 24};
  for (std::size_t i = 0; i < kFn.size(); ++i)
    if (kFn[i] == n) {
      b = Base::kF;
      fn = static_cast<int>(i) + 1;
      return true;
    }
  return false;
}

// A character reported with modifiers (xterm modifyOtherKeys, kitty).
int modifiedChar(int code, Mods m) {
  if (code == 13) return m.ctrl ? key::kCtrlEnter : key::kEnter;
  if (code == 9) return m.shift ? key::kShiftTab : key::kTab;
  if (code == 27) return key::kEsc;
  if (code == 127 || code == 8) return key::kBackspace;
  if (code < 32 || code >= 127) return key::kNone;
  if (m.alt) return key::alt(static_cast<char>(code));
  if (m.ctrl && ((code >= 'a' && code <= 'z') || (code >= 'A' && code <= 'Z'))) return code & 0x1F;
  return code;
}

std::vector<int> params(std::string_view text) {
  std::vector<int> out{0};
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      if (out.back() < 100000) out.back() = out.back() * 10 + (c - '0');
    } else if (c == ';' || c == ':') {
      out.push_back(0);
    }
  }
  return out;
}

int param(const std::vector<int>& p, std::size_t i, int dflt) {
  return i < p.size() && p[i] != 0 ? p[i] : dflt;
}

DecodeStep mouse(std::size_t used, int button, bool press, int col1, int row1) {
  // Motion (32) and wheel (64) reports, and releases, mean nothing here.
  if (!press || (button & (32 | 64)) || col1 < 1 || row1 < 1) return skip(used);
  switch (button & 3) {
    case 0: return event(used, key::kMouseLeft, row1 - 1, col1 - 1);
    case 2: return event(used, key::kMouseRight, row1 - 1, col1 - 1);
    default: return skip(used);
  }
}

// bytes starts with ESC [.
DecodeStep csi(std::string_view bytes, bool moreMayCome) {
  const std::size_t n = bytes.size();
  auto incomplete = [&](std::size_t have) {
    if (moreMayCome && have < kMaxSequence) return needMore();
    return have <= 2 ? event(1, key::kEsc) : skip(have);
  };
  if (n < 3) return incomplete(n);

  if (bytes[2] == 'M') {  // X10 mouse: three bytes, each offset by 32
    if (n < 6) return incomplete(n);
    auto u = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]) - 32; };
    int b = static_cast<int>(u(3));
    return mouse(6, b, (b & 3) != 3, static_cast<int>(u(4)), static_cast<int>(u(5)));
  }
  if (bytes[2] == '[') {  // Linux console F1-F5
    if (n < 4) return incomplete(n);
    char c = bytes[3];
    if (c >= 'A' && c <= 'E') return event(4, key::F(c - 'A' + 1));
    return skip(4);
  }

  std::size_t i = 2;
  while (i < n && bytes[i] >= 0x30 && bytes[i] <= 0x3F) ++i;
  while (i < n && bytes[i] >= 0x20 && bytes[i] <= 0x2F && bytes[i] != '$') ++i;
  if (i >= n) return incomplete(n);
  char fin = bytes[i];
  if (fin != '$' && (fin < 0x40 || fin > 0x7E)) return skip(i);  // broken off: drop the start
  const std::size_t used = i + 1;
  std::string_view body = bytes.substr(2, i - 2);

  if (!body.empty() && body[0] == '<') {  // SGR mouse
    if (fin != 'M' && fin != 'm') return skip(used);
    auto p = params(body.substr(1));
    if (p.size() < 3) return skip(used);
    return mouse(used, p[0], fin == 'M', p[1], p[2]);
  }
  if (!body.empty() && (body[0] < '0' || body[0] > ';')) return skip(used);  // private replies

  auto p = params(body);
  Base b{};
  int fn = 0;
  switch (fin) {
    case '~':
    case '^':  // rxvt: Ctrl
    case '$': {  // rxvt: Shift
      Mods m = modsFromParam(param(p, 1, 1));
      if (p[0] == 27) {  // modifyOtherKeys: ESC [27;mods;code~
        int k = modifiedChar(param(p, 2, 0), m);
        return k == key::kNone ? skip(used) : event(used, k);
      }
      if (!tildeKey(p[0], b, fn)) return skip(used);
      if (fin == '^') m.ctrl = true;
      if (fin == '$') m.shift = true;
      return event(used, withMods(b, fn, m));
    }
    case 'Z': return event(used, key::kShiftTab);
    case 'u': {
      int k = modifiedChar(p[0], modsFromParam(param(p, 1, 1)));
      return k == key::kNone ? skip(used) : event(used, k);
    }
    case 'a': return event(used, key::kUp);  // rxvt Shift+arrows
    case 'b': return event(used, key::kDown);
    case 'c': return event(used, key::kRight);
    case 'd': return event(used, key::kLeft);
    default:
      if (letterKey(fin, b, fn)) return event(used, withMods(b, fn, modsFromParam(param(p, 1, 1))));
      return skip(used);
  }
}

// bytes starts with ESC O.
DecodeStep ss3(std::string_view bytes, bool moreMayCome) {
  const std::size_t n = bytes.size();
  std::size_t i = 2;
  while (i < n && bytes[i] >= '0' && bytes[i] <= '9') ++i;  // old xterm: ESC O 5 P
  if (i >= n) {
    if (moreMayCome) return needMore();
    return n == 2 ? event(2, key::kAltO) : skip(n);
  }
  const char fin = bytes[i];
  const std::size_t used = i + 1;
  Mods m = modsFromParam(params(bytes.substr(2, i - 2))[0]);
  Base b{};
  int fn = 0;
  if (letterKey(fin, b, fn)) return event(used, withMods(b, fn, m));
  switch (fin) {
    case 'M': return event(used, key::kEnter);  // keypad Enter
    case 'a': return event(used, key::kCtrlUp);  // rxvt Ctrl+arrows
    case 'b': return event(used, key::kCtrlDown);
    case 'c': return event(used, key::kCtrlRight);
    case 'd': return event(used, key::kCtrlLeft);
    case 'j': return event(used, '*');
    case 'k': return event(used, '+');
    case 'l': return event(used, ',');
    case 'm': return event(used, '-');
    case 'n': return event(used, '.');
    case 'o': return event(used, '/');
    default:
      if (fin >= 'p' && fin <= 'y') return event(used, '0' + (fin - 'p'));
      return skip(used);
  }
}

DecodeStep utf8(std::string_view bytes, bool moreMayCome) {
  auto lead = static_cast<unsigned char>(bytes[0]);
  std::size_t len = lead >= 0xF0 && lead < 0xF8 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (len == 0 || lead >= 0xF8) return skip(1);
  for (std::size_t k = 1; k < len; ++k) {
    if (k >= bytes.size()) return moreMayCome ? needMore() : skip(bytes.size());
    if ((static_cast<unsigned char>(bytes[k]) & 0xC0) != 0x80) return skip(k);
  }
  std::size_t i = 0;
  char32_t cp = cp850_detail::decodeUtf8(bytes.data(), len, i);
  int b = unicodeToCp850(cp);
  if (b < 0x80) return skip(len);  // not in the code page (or an overlong ASCII)
  return event(len, b);
}

}  // namespace

DecodeStep decodeInput(std::string_view bytes, bool moreMayCome) {
  if (bytes.empty()) return skip(0);
  auto c = static_cast<unsigned char>(bytes[0]);
  if (c != 0x1B) {
    if (c == 0x0D) return event(1, key::kEnter);
    if (c == 0x0A) return event(1, key::kCtrlEnter);
    if (c == 0x7F || c == 0x08) return event(1, key::kBackspace);
    if (c == 0x00) return skip(1);
    if (c < 0x80) return event(1, c);
    return utf8(bytes, moreMayCome);
  }

  if (bytes.size() == 1) return moreMayCome ? needMore() : event(1, key::kEsc);
  const char next = bytes[1];
  if (next == '[') return csi(bytes, moreMayCome);
  if (next == 'O') return ss3(bytes, moreMayCome);
  if (next == kEscByte) {
    DecodeStep inner = decodeInput(bytes.substr(1), moreMayCome);
    if (inner.kind == DecodeStep::kNeedMore) return inner;
    if (inner.kind == DecodeStep::kSkip) return skip(1 + inner.used);
    if (inner.used == 1) return event(1, key::kEsc);  // two Esc presses
    inner.event.key = altOf(inner.event.key);
    inner.used += 1;
    return inner;
  }
  if (next == '\t') return event(2, key::kShiftTab);  // console keymaps that send Meta_Tab
  int a = key::alt(next);
  if (a != key::kNone) return event(2, a);
  return event(1, key::kEsc);  // Esc, then the byte as itself
}

std::vector<InputEvent> decodeAll(std::string_view bytes) {
  std::vector<InputEvent> out;
  while (!bytes.empty()) {
    DecodeStep s = decodeInput(bytes, false);
    if (s.used == 0) s.used = 1;  // cannot happen without moreMayCome; never loop
    if (s.kind == DecodeStep::kEvent) out.push_back(s.event);
    bytes.remove_prefix(s.used);
  }
  return out;
}

}  // namespace zel
