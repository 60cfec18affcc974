// The window layer: numbered window definitions, the screen regions they
// save while open, and the writers that lay long texts into them.
//
// A text written into a window wraps at the window's right edge; the bytes
// 01, 02 and 03 switch to the window's colour 1, 2 or 3 without taking a
// column, and 04 n c (see REP) stands for c written n times. Window 0 is the
// message line, screen row 24, in three fixed colours.
//
// Operations on an id without a definition do nothing. Everything is drawn
// on the program's console (console()).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/console/screen.h"

namespace zel {

// Window types with a meaning of their own; any other number is plain
// except that its text area ends two columns short of the right edge.
enum WindowType { kWinPlain = 0, kWinFramed = 1, kWinFramedOn = 2, kWinShadow = 7 };

inline constexpr char kColour1 = '\x01';
inline constexpr char kColour2 = '\x02';
inline constexpr char kColour3 = '\x03';
inline constexpr char kRepeat = '\x04';

struct WindowDef {
  int id = 0;
  std::string colour1, colour2, colour3;  // colour strings ("GR+/B")
  int top = 0, left = 0, bottom = 0, right = 0;
  int type = 0;
  // The last text written, repeat markers expanded, colour switches removed.
  std::string text;
};

// A window that is open and the screen it covers.
struct OpenWindow {
  int id = 0;
  SavedRegion saved;
};

// The screen subsystem's settings: the window table, the open windows, and
// the colour settings every screen reads (loaded per terminal at start-up
// and by the colour configuration; the window layer never changes them).
struct ScreenState {
  std::vector<WindowDef> windows;
  std::vector<OpenWindow> open;

  int COR_TEL1 = 30;
  int COR_TEL2 = 31;
  int COR_TEL3 = 63;
  int COR_MENS = 112;
  int COR_PEGA = 15;
  int COR_HELP = 78;
  int COR_FERID = 28;
  int COR_ESCOL = 79;
  int COR_ENCHE = 31;
  std::string COR_1_CLI = "GR+/B";
  std::string COR_2_CLI = "W+/B";
  std::string COR_INI = "W+/B";
  std::string COR_SAY = "N/W+";
  std::string COR_GET = "W/N";
  std::string COR_CLI_HE = "GR+/R";
  std::string COR_ESC_CL = "W/R+";
  std::string COR_ENCH_C = "W+/B";
};

ScreenState& screenState();
// Fresh settings: no windows, nothing open, the default colours (tests).
void resetScreenState();

// The definition of a window, or nullptr.
WindowDef* findWindow(int id);

// Defines or redefines a window from three attribute numbers. Type 7 takes
// two more rows for its shadow, and a new type 7 definition two more again.
void REDEFJAN(int id, int attr1, int attr2, int attr3, int top, int left, int bottom, int right,
              int type);
void DEFINEJAN(int id, int attr1, int attr2, int attr3, int top, int left, int bottom, int right,
               int type);
// Replaces colour k (1..3) of a window; id 0 means window 10.
void REDFATR(int id, int k, int attr);

// Saves the region the window covers (restoring first what an earlier
// opening of the same id saved) and draws its frame.
void ABREJAN(int id);
// Puts back the region the window saved; nothing when it is not open.
void FECHAJAN(int id);

// Writes a text into the window from its top-left cell; id 0 writes the
// message line.
void ESCRJAN(int id, std::string_view text);
// Puts a text at (row, column) of the window, 1-based, keeping the colours
// on screen; id 0: on the message line from the column.
void ESCRLCOL(int id, int row, int column, std::string_view text);
// Repaints `length` characters of the window's stored text from (row,
// column) in another colour.
void ESCRATR(int id, int row, int column, int attr, int length);

// Colour string of an attribute number: 30 -> "GR+/B", 159 -> "W+/B+".
std::string ACHACOR(int attr);

// Moves a window one row up (direction 129) or down, one column left (129)
// or right, within the screen, and redraws it there.
void MOVEVER(int id, int direction);
void MOVEHOR(int id, int direction);

// Fills rows 0..24 with the character in the colour given.
void ENCHETELA(char character, std::string_view colour);

// The repeat marker: REP(16) + "─" draws sixteen "─".
std::string REP(int n);
// Expands the repeat markers of a text.
std::string XREP(std::string_view text);

}  // namespace zel
