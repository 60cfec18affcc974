// Key codes: the integers every screen of the program compares against.
//
// Printable keys are their CP850 byte (32..255). The rest follow the codes
// the program's key tables use (Enter 13, F1 28, F2..F10 -1..-9, Alt+W 273).
#pragma once

#include <string>

namespace zel::key {

inline constexpr int kNone = 0;  // no key waiting (time limit ran out)

inline constexpr int kEnter = 13;
inline constexpr int kCtrlEnter = 10;
inline constexpr int kEsc = 27;
inline constexpr int kTab = 9;
inline constexpr int kShiftTab = 271;
inline constexpr int kBackspace = 8;

inline constexpr int kUp = 5;
inline constexpr int kDown = 24;
inline constexpr int kLeft = 19;
inline constexpr int kRight = 4;
inline constexpr int kPgUp = 18;
inline constexpr int kPgDn = 3;
inline constexpr int kHome = 1;
inline constexpr int kEnd = 6;
inline constexpr int kIns = 22;
inline constexpr int kDel = 7;

inline constexpr int kCtrlLeft = 26;
inline constexpr int kCtrlRight = 2;
inline constexpr int kCtrlHome = 29;
inline constexpr int kCtrlEnd = 23;
inline constexpr int kCtrlPgUp = 31;
inline constexpr int kCtrlPgDn = 30;
inline constexpr int kCtrlUp = 397;
inline constexpr int kCtrlDown = 401;

inline constexpr int kF1 = 28;
// F2..F10 are -1..-9.
constexpr int F(int n) { return n == 1 ? kF1 : n <= 10 ? -(n - 1) : n == 11 ? -40 : -41; }
inline constexpr int kF2 = -1, kF3 = -2, kF4 = -3, kF5 = -4, kF6 = -5, kF7 = -6, kF8 = -7,
                     kF9 = -8, kF10 = -9;
inline constexpr int kF11 = -40;
inline constexpr int kF12 = -41;
inline constexpr int kAltF2 = -31;
inline constexpr int kAltF5 = -34;
// Alt+F1..Alt+F10 are -30..-39.
constexpr int AltF(int n) { return -29 - n; }
// Shift+F1..Shift+F10 are -10..-19, Ctrl+F1..Ctrl+F10 -20..-29.
constexpr int ShiftF(int n) { return -9 - n; }
constexpr int CtrlF(int n) { return -19 - n; }

// Alt+letter, from the PC scan codes: Alt+Q 272 ... Alt+M 306; either case.
// Digits, '-' and '=' give the Alt+digit codes below. Anything else: kNone.
int alt(char letter);
inline constexpr int kAltA = 286, kAltB = 304, kAltC = 302, kAltD = 288, kAltE = 274,
                     kAltF = 289, kAltG = 290, kAltH = 291, kAltI = 279, kAltJ = 292,
                     kAltK = 293, kAltL = 294, kAltM = 306, kAltN = 305, kAltO = 280,
                     kAltP = 281, kAltQ = 272, kAltR = 275, kAltS = 287, kAltT = 276,
                     kAltU = 278, kAltV = 303, kAltW = 273, kAltX = 301, kAltY = 277,
                     kAltZ = 300;
// Alt+1..Alt+9, Alt+0, Alt+- and Alt+= (PC scan codes 120..131 + 256).
inline constexpr int kAlt1 = 376, kAlt0 = 385, kAltMinus = 386, kAltEquals = 387,
                     kAltPlusKeypad = 334;
constexpr int altDigit(int d) { return d == 0 ? kAlt0 : kAlt1 + d - 1; }

// Mouse: a click reads as this code; its row and column are asked of the
// console (Console::mouseRow/mouseCol).
inline constexpr int kMouseLeft = 1002;
inline constexpr int kMouseRight = 1003;

// Readable name of a key for test failures and the key probe ("Alt+W", "F12",
// "Enter", "'a'"). Control codes shared with navigation keys (1 is Home and
// Ctrl+A) are named after the navigation key; unknown codes as "Key(n)".
std::string name(int code);

}  // namespace zel::key
