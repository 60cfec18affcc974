#include "platform/console/colour.h"

#include <cctype>

namespace zel {

namespace {

constexpr const char* kNames[8] = {"N", "B", "G", "BG", "R", "BR", "GR", "W"};

std::string_view trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

// One side of a pair: a colour name with its markers. `bright` is set by a
// "+" (brightens this side), `blinkBg` by a "*" (brightens the background
// whichever side it is written on). -1 for a colour means "not given".
struct Side {
  int colour = -1;
  bool bright = false;
  bool blinkBg = false;
  bool inverse = false;
  bool blank = false;
};

bool parseSide(std::string_view s, Side& out) {
  std::string letters;
  for (char c : s) {
    if (c == '+') {
      out.bright = true;
    } else if (c == '*') {
      out.blinkBg = true;
    } else if (std::isalpha(static_cast<unsigned char>(c))) {
      letters += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    } else if (!std::isspace(static_cast<unsigned char>(c))) {
      return false;
    }
  }
  if (letters.empty()) return true;
  if (letters == "RB") letters = "BR";
  if (letters == "U") { out.colour = 1; return true; }  // underline shows as blue on colour screens
  if (letters == "I") { out.inverse = true; return true; }
  if (letters == "X") { out.blank = true; return true; }
  for (int i = 0; i < 8; ++i) {
    if (letters == kNames[i]) {
      out.colour = i;
      return true;
    }
  }
  return false;
}

}  // namespace

std::optional<Attr> parseColourPair(std::string_view pair) {
  pair = trim(pair);
  if (pair.empty()) return std::nullopt;
  auto slash = pair.find('/');
  if (slash != std::string_view::npos && pair.find('/', slash + 1) != std::string_view::npos)
    return std::nullopt;
  Side fg, bg;
  if (!parseSide(pair.substr(0, slash), fg)) return std::nullopt;
  if (slash != std::string_view::npos && !parseSide(pair.substr(slash + 1), bg))
    return std::nullopt;

  int f = fg.colour < 0 ? 0 : fg.colour;
  int b = bg.colour < 0 ? 0 : bg.colour;
  if (fg.inverse || bg.inverse) { f = 0; b = 7; }
  if (fg.bright) f |= 8;
  if (bg.bright) b |= 8;
  if (fg.blinkBg || bg.blinkBg) b |= 8;
  if (fg.blank || bg.blank) f = b;
  return static_cast<Attr>(f + 16 * b);
}

std::vector<std::optional<Attr>> splitColourList(std::string_view text) {
  std::vector<std::optional<Attr>> out;
  if (trim(text).empty()) return out;
  size_t start = 0;
  while (true) {
    size_t comma = text.find(',', start);
    std::string_view piece =
        text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    out.push_back(parseColourPair(piece));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return out;
}

ColourList parseColourList(std::string_view text, const ColourList& fallback) {
  ColourList out = fallback;
  auto pairs = splitColourList(text);
  for (size_t i = 0; i < pairs.size() && i < out.slot.size(); ++i)
    if (pairs[i]) out.slot[i] = *pairs[i];
  return out;
}

std::string attrToColourString(Attr a) {
  int f = a % 16, b = a / 16;
  std::string s = kNames[f % 8];
  if (f >= 8) s += '+';
  s += '/';
  s += kNames[b % 8];
  if (b >= 8) s += '+';
  return s;
}

}  // namespace zel
