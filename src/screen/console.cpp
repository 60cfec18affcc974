#include "screen/console.h"

#include <algorithm>

#include "platform/console/colour.h"
#include "platform/console/console.h"
#include "platform/sys/cp850.h"

namespace zel {
namespace {

// The message line's colours do not follow the terminal's settings.
constexpr std::string_view kMessageColours[3] = {"GR+/B", "W+/B", "W+/B"};
constexpr int kMessageRow = 24;

Attr attrOf(std::string_view colour) { return parseColourPair(colour).value_or(0x07); }

OpenWindow* findOpen(int id) {
  auto& open = screenState().open;
  auto it = std::find_if(open.begin(), open.end(), [id](const OpenWindow& w) { return w.id == id; });
  return it == open.end() ? nullptr : &*it;
}

void dropOpen(int id) {
  auto& open = screenState().open;
  open.erase(std::remove_if(open.begin(), open.end(), [id](const OpenWindow& w) { return w.id == id; }),
             open.end());
}

void putByte(int row, int col, char b, Attr attr) { console().say(row, col, std::string_view(&b, 1), attr); }

// Last column of the text area.
int textRight(const WindowDef& w) { return w.type == kWinPlain ? w.right : w.right - 2; }

int lineLength(const WindowDef& w) {
  return w.type == kWinPlain ? w.right - w.left + 1 : w.right - w.left - 1;
}

void writeMessageLine(std::string_view text) {
  Console& con = console();
  con.gotoRC(kMessageRow, 0);
  if (text.find_first_not_of(' ') == std::string_view::npos) {
    con.say(kMessageRow, 0, text, attrOf(kMessageColours[0]));
    return;
  }
  Attr current = attrOf(kMessageColours[0]);
  int col = 0;
  for (char b : text) {
    if (b >= kColour1 && b <= kColour3) {
      current = attrOf(kMessageColours[b - kColour1]);
      continue;
    }
    putByte(kMessageRow, col++, b, current);
  }
}

void writeWindow(WindowDef& w, std::string_view text) {
  const Attr colours[3] = {attrOf(w.colour1), attrOf(w.colour2), attrOf(w.colour3)};
  const Attr shadow = colours[2];
  const int lastCol = textRight(w);
  const std::string shade2 = std::string("░░"_cp);

  std::string expanded = XREP(text);
  w.text.clear();
  for (char b : expanded)
    if (b < kColour1 || b > kColour3) w.text += b;

  Console& con = console();
  int row = w.top, col = w.left;
  Attr current = colours[0];
  con.gotoRC(row, col);
  for (char b : expanded) {
    if (col > lastCol) {
      if (w.type == kWinShadow && row != w.top) con.say(row, col, shade2, shadow);
      ++row;
      col = w.left;
      con.gotoRC(row, col);
    }
    if (b >= kColour1 && b <= kColour3) {
      current = colours[b - kColour1];
    } else if (b != kRepeat) {
      putByte(row, col++, b, current);
    }
  }
  if (w.type == kWinShadow) {
    con.say(row, col, shade2, shadow);
    int width = w.right - w.left;
    if (width > 0)
      con.say(row + 1, w.left + 1, std::string(static_cast<size_t>(width), "░"_cp[0]), shadow);
  }
}

void define(int id, int attr1, int attr2, int attr3, int top, int left, int bottom, int right,
            int type) {
  if (id == 0) return;  // the message line has no definition
  if (type == kWinShadow) bottom += 2;
  WindowDef* w = findWindow(id);
  if (!w) {
    if (type == kWinShadow) bottom += 2;
    screenState().windows.push_back(WindowDef{});
    w = &screenState().windows.back();
    w->id = id;
  }
  w->colour1 = ACHACOR(attr1);
  w->colour2 = ACHACOR(attr2);
  w->colour3 = ACHACOR(attr3);
  w->top = top;
  w->left = left;
  w->bottom = bottom;
  w->right = right;
  w->type = type;
  w->text.clear();
}

}  // namespace

ScreenState& screenState() {
  static ScreenState state;
  return state;
}

void resetScreenState() { screenState() = ScreenState{}; }

WindowDef* findWindow(int id) {
  auto& ws = screenState().windows;
  auto it = std::find_if(ws.begin(), ws.end(), [id](const WindowDef& w) { return w.id == id; });
  return it == ws.end() ? nullptr : &*it;
}

void REDEFJAN(int id, int attr1, int attr2, int attr3, int top, int left, int bottom, int right,
              int type) {
  define(id, attr1, attr2, attr3, top, left, bottom, right, type);
}

void DEFINEJAN(int id, int attr1, int attr2, int attr3, int top, int left, int bottom, int right,
               int type) {
  define(id, attr1, attr2, attr3, top, left, bottom, right, type);
}

void REDFATR(int id, int k, int attr) {
  WindowDef* w = findWindow(id == 0 ? 10 : id);
  if (!w) return;
  std::string* slot = k == 1 ? &w->colour1 : k == 2 ? &w->colour2 : k == 3 ? &w->colour3 : nullptr;
  if (slot) *slot = ACHACOR(attr);
}

void ABREJAN(int id) {
  const WindowDef* w = findWindow(id);
  if (!w) return;
  int top = w->top, left = w->left, bottom = w->bottom, right = w->right;
  switch (w->type) {
    case kWinFramed:
      --top;
      --left;
      break;
    case kWinShadow:
      bottom += 2;
      ++right;
      break;
    default:
      break;
  }
  Screen& screen = console().screen();
  if (OpenWindow* earlier = findOpen(id)) {
    screen.restore(earlier->saved);
    dropOpen(id);
  }
  screenState().open.push_back(OpenWindow{id, screen.save(top, left, bottom, right)});

  const std::string_view frame = "┌─┐│┘─└│"_cp;
  if (w->type == kWinFramed)
    screen.box(w->top - 1, w->left - 1, w->bottom - 1, w->right - 1, frame, attrOf(w->colour2));
  else if (w->type == kWinFramedOn)
    screen.box(w->top, w->left, w->bottom, w->right, frame, attrOf(w->colour2));
}

void FECHAJAN(int id) {
  OpenWindow* o = findOpen(id);
  if (!o) return;
  console().screen().restore(o->saved);
  dropOpen(id);
}

void ESCRJAN(int id, std::string_view text) {
  if (id == 0) {
    writeMessageLine(text);
    return;
  }
  if (WindowDef* w = findWindow(id)) writeWindow(*w, text);
}

void ESCRLCOL(int id, int row, int column, std::string_view text) {
  Console& con = console();
  if (id == 0) {
    int col = column;
    for (char b : text) {
      if (b < kColour1 || b > kColour3) con.sayKeepAttr(kMessageRow, col, std::string_view(&b, 1));
      ++col;
    }
    return;
  }
  const WindowDef* w = findWindow(id);
  if (!w) return;
  con.sayKeepAttr(w->top + row - 1, w->left + column - 1, text);
}

void ESCRATR(int id, int row, int column, int attr, int length) {
  const WindowDef* w = findWindow(id);
  if (!w || length <= 0) return;
  long start = static_cast<long>(lineLength(*w)) * (row - 1) + column - 1;
  if (start < 0 || start >= static_cast<long>(w->text.size())) return;
  std::string_view stretch =
      std::string_view(w->text).substr(static_cast<size_t>(start), static_cast<size_t>(length));
  console().say(w->top + row - 1, w->left + column - 1, stretch, static_cast<Attr>(attr));
}

std::string ACHACOR(int attr) { return attrToColourString(static_cast<Attr>(attr & 0xFF)); }

void MOVEVER(int id, int direction) {
  WindowDef* w = findWindow(id);
  if (!w) return;
  if (direction == 129) {
    if (w->top <= 0) return;
    --w->top;
    --w->bottom;
  } else {
    if (w->bottom >= 25) return;
    ++w->top;
    ++w->bottom;
  }
  std::string text = w->text;
  FECHAJAN(id);
  ABREJAN(id);
  ESCRJAN(id, text);
}

void MOVEHOR(int id, int direction) {
  WindowDef* w = findWindow(id);
  if (!w) return;
  if (direction == 129) {
    if (w->left <= 0) return;
    --w->left;
    --w->right;
  } else {
    if (w->right >= 80) return;
    ++w->left;
    ++w->right;
  }
  std::string text = w->text;
  FECHAJAN(id);
  ABREJAN(id);
  ESCRJAN(id, text);
}

void ENCHETELA(char character, std::string_view colour) {
  Attr attr = parseColourList(colour, console().colours()).standard();
  console().screen().fill(0, 0, Screen::kRows - 1, Screen::kCols - 1,
                          static_cast<unsigned char>(character), attr);
}

std::string REP(int n) { return {kRepeat, static_cast<char>(n & 0xFF)}; }

std::string XREP(std::string_view text) {
  std::string s(text);
  // Each expansion removes at least one 04 and adds none, so this ends; a
  // marker whose character is itself 04 is passed over.
  size_t from = 0;
  for (;;) {
    size_t at = s.find(kRepeat, from);
    if (at == std::string::npos || at + 2 >= s.size()) break;
    if (s[at + 2] == kRepeat) {
      from = at + 1;
      continue;
    }
    const std::string marker = s.substr(at, 3);
    const std::string run(static_cast<unsigned char>(marker[1]), marker[2]);
    std::string out;
    size_t pos = 0;
    for (size_t hit; (hit = s.find(marker, pos)) != std::string::npos; pos = hit + 3) {
      out.append(s, pos, hit - pos);
      out += run;
    }
    out.append(s, pos, std::string::npos);
    s = std::move(out);
    from = 0;
  }
  return s;
}

}  // namespace zel
