#include "platform/widgets/alert.h"

#include <algorithm>

#include "platform/console/keys.h"
#include "platform/sys/clock.h"
#include "platform/sys/cp850.h"
#include "platform/widgets/text_viewer.h"

namespace zel {

namespace {

constexpr int kMaxText = 70;  // widest text line; leaves room for frame and margins
constexpr int kButtonGap = 2;

Attr inverted(Attr a) { return static_cast<Attr>(((a & 0x0F) << 4) | ((a >> 4) & 0x0F)); }

std::string label(const std::string& b) { return " " + b + " "; }

unsigned char firstLetter(const std::string& b) {
  for (char c : b)
    if (c != ' ') return cp850Upper(static_cast<unsigned char>(c));
  return 0;
}

}  // namespace

std::vector<std::string> alertLines(std::string_view message) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    size_t semi = message.find(';', start);
    std::string_view part = message.substr(
        start, semi == std::string_view::npos ? std::string_view::npos : semi - start);
    for (auto& l : wrapLine(part, kMaxText)) out.push_back(std::move(l));
    if (semi == std::string_view::npos) break;
    start = semi + 1;
  }
  return out;
}

int alert(std::string_view message, const std::vector<std::string>& givenButtons,
          const AlertOptions& options, Console& con) {
  std::vector<std::string> buttons = givenButtons;
  if (buttons.empty()) buttons.push_back("Ok");
  const int count = static_cast<int>(buttons.size());
  std::vector<std::string> lines = alertLines(message);

  Attr box = con.colours().standard(), hi = inverted(box);
  {
    std::string_view c = options.colour;
    size_t comma = c.find(',');
    if (auto a = parseColourPair(c.substr(0, comma))) box = *a;
    hi = inverted(box);
    if (comma != std::string_view::npos)
      if (auto a = parseColourPair(c.substr(comma + 1, c.find(',', comma + 1) - comma - 1))) hi = *a;
  }

  int buttonsWidth = 0;
  for (const auto& b : buttons) buttonsWidth += static_cast<int>(label(b).size());
  buttonsWidth += kButtonGap * (count - 1);
  int textWidth = buttonsWidth;
  for (const auto& l : lines) textWidth = std::max(textWidth, static_cast<int>(l.size()));
  textWidth = std::min(textWidth, Screen::kCols - 4);

  // Frame, one blank column each side, the text lines, a blank row and the
  // button row.
  const int height = static_cast<int>(lines.size()) + 4;
  const int width = textWidth + 4;
  const int top = std::max(0, (Screen::kRows - height) / 2);
  const int left = (Screen::kCols - width) / 2;
  const int bottom = std::min(Screen::kRows - 1, top + height - 1);
  const int right = left + width - 1;

  Screen& s = con.screen();
  SavedRegion saved = s.save(top, left, bottom, right);
  bool cursor = con.cursorVisible();
  con.showCursor(false);

  s.clear(top, left, bottom, right, box);
  s.box(top, left, bottom, right, BoxStyle::kSingle, box);
  for (size_t i = 0; i < lines.size(); ++i) {
    int r = top + 1 + static_cast<int>(i);
    if (r >= bottom) break;
    const std::string& l = lines[i];
    int col = left + 2 + (textWidth - static_cast<int>(l.size())) / 2;
    s.write(r, std::max(left + 2, col), l.substr(0, static_cast<size_t>(textWidth)), box);
  }
  const int buttonRow = std::min(bottom - 1, top + static_cast<int>(lines.size()) + 2);
  std::vector<int> buttonCols;
  {
    int col = left + 2 + (textWidth - buttonsWidth) / 2;
    for (const auto& b : buttons) {
      buttonCols.push_back(col);
      col += static_cast<int>(label(b).size()) + kButtonGap;
    }
  }

  int current = std::clamp(options.initial, 1, count);
  const bool timed = options.timeoutMs >= 0;
  const long long deadline = timed ? clock().monotonicMs() + options.timeoutMs : 0;
  int answer = -1;
  while (answer < 0) {
    for (int i = 0; i < count; ++i)
      s.write(buttonRow, buttonCols[static_cast<size_t>(i)], label(buttons[static_cast<size_t>(i)]),
              i + 1 == current ? hi : box);
    int wait = -1;
    if (timed) wait = static_cast<int>(std::max(0LL, deadline - clock().monotonicMs()));
    int k = con.waitKey(wait);
    switch (k) {
      case key::kNone:
        // Only a time limit makes the read come back empty.
        if (timed) answer = 0;
        break;
      case key::kEsc: answer = 0; break;
      case key::kEnter: answer = current; break;
      case key::kLeft:
      case key::kShiftTab: current = current == 1 ? count : current - 1; break;
      case key::kRight:
      case key::kTab: current = current == count ? 1 : current + 1; break;
      case key::kMouseLeft:
        if (con.mouseRow() == buttonRow)
          for (int i = 0; i < count; ++i) {
            int c0 = buttonCols[static_cast<size_t>(i)];
            if (con.mouseCol() >= c0 &&
                con.mouseCol() < c0 + static_cast<int>(label(buttons[static_cast<size_t>(i)]).size()))
              answer = i + 1;
          }
        break;
      default:
        if (k >= 32 && k <= 255) {
          unsigned char ch = cp850Upper(static_cast<unsigned char>(k));
          for (int i = 0; i < count && answer < 0; ++i)
            if (firstLetter(buttons[static_cast<size_t>(i)]) == ch) answer = i + 1;
        }
        break;
    }
  }

  s.restore(saved);
  con.showCursor(cursor);
  return answer;
}

}  // namespace zel
