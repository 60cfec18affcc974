#include "platform/console/keys.h"

namespace zel::key {

namespace {
// Alt codes of A..Z in alphabetical order.
constexpr int kAltLetters[26] = {kAltA, kAltB, kAltC, kAltD, kAltE, kAltF, kAltG, kAltH, kAltI,
                                 kAltJ, kAltK, kAltL, kAltM, kAltN, kAltO, kAltP, kAltQ, kAltR,
                                 kAltS, kAltT, kAltU, kAltV, kAltW, kAltX, kAltY, kAltZ};

struct Named {
  int code;
  const char* name;
};
constexpr Named kNames[] = {
    {kEnter, "Enter"}, {kCtrlEnter, "Ctrl+Enter"}, {kEsc, "Esc"}, {kTab, "Tab"},
    {kShiftTab, "Shift+Tab"}, {kBackspace, "Backspace"}, {kUp, "Up"}, {kDown, "Down"},
    {kLeft, "Left"}, {kRight, "Right"}, {kPgUp, "PgUp"}, {kPgDn, "PgDn"}, {kHome, "Home"},
    {kEnd, "End"}, {kIns, "Ins"}, {kDel, "Del"}, {kCtrlLeft, "Ctrl+Left"},
    {kCtrlRight, "Ctrl+Right"}, {kCtrlHome, "Ctrl+Home"}, {kCtrlEnd, "Ctrl+End"},
    {kCtrlPgUp, "Ctrl+PgUp"}, {kCtrlPgDn, "Ctrl+PgDn"}, {kCtrlUp, "Ctrl+Up"},
    {kCtrlDown, "Ctrl+Down"}, {kF1, "F1"}, {kF11, "F11"}, {kF12, "F12"},
    {kAltMinus, "Alt+-"}, {kAltEquals, "Alt+="}, {kAltPlusKeypad, "Alt+Keypad+"},
    {kMouseLeft, "MouseLeft"}, {kMouseRight, "MouseRight"}, {kNone, "None"},
};
}  // namespace

int alt(char letter) {
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  if (letter >= 'A' && letter <= 'Z') return kAltLetters[letter - 'A'];
  if (letter >= '0' && letter <= '9') return altDigit(letter - '0');
  if (letter == '-') return kAltMinus;
  if (letter == '=') return kAltEquals;
  return kNone;
}

std::string name(int code) {
  for (const Named& n : kNames)
    if (n.code == code) return n.name;
  for (int i = 0; i < 26; ++i)
    if (kAltLetters[i] == code) return std::string("Alt+") + static_cast<char>('A' + i);
  for (int d = 0; d <= 9; ++d)
    if (altDigit(d) == code) return "Alt+" + std::to_string(d);
  for (int n = 2; n <= 10; ++n)
    if (F(n) == code) return "F" + std::to_string(n);
  for (int n = 1; n <= 10; ++n) {
    if (AltF(n) == code) return "Alt+F" + std::to_string(n);
    if (ShiftF(n) == code) return "Shift+F" + std::to_string(n);
    if (CtrlF(n) == code) return "Ctrl+F" + std::to_string(n);
  }
  if (code > 0 && code < 32) return std::string("Ctrl+") + static_cast<char>('@' + code);
  if (code >= 32 && code < 127) return std::string("'") + static_cast<char>(code) + "'";
  if (code >= 127 && code < 256) return "Char(" + std::to_string(code) + ")";
  return "Key(" + std::to_string(code) + ")";
}

}  // namespace zel::key
