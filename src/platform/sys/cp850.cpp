#include "platform/sys/cp850.h"

namespace zel {

namespace {
// PC character-set pictures of the control bytes 0x00..0x1F.
constexpr char32_t kLowGlyphs[32] = {
    0x0020, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022,
    0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C,
    0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,
    0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC,
};
}  // namespace

char32_t cp850ToUnicode(unsigned char b) {
  return b < 0x80 ? char32_t(b) : cp850_detail::kHigh[b - 0x80];
}

char32_t cp850Glyph(unsigned char b) {
  if (b < 0x20) return kLowGlyphs[b];
  if (b == 0x7F) return 0x2302;
  return cp850ToUnicode(b);
}

int unicodeToCp850(char32_t cp) { return cp850_detail::fromUnicode(cp); }

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string cp850ToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) appendUtf8(out, cp850ToUnicode(static_cast<unsigned char>(c)));
  return out;
}

std::string utf8ToCp850(std::string_view s, bool* lossless) {
  std::string out;
  out.reserve(s.size());
  bool ok = true;
  std::size_t i = 0;
  while (i < s.size()) {
    int b = cp850_detail::fromUnicode(cp850_detail::decodeUtf8(s.data(), s.size(), i));
    if (b < 0) {
      ok = false;
      b = '?';
    }
    out += static_cast<char>(b);
  }
  if (lossless) *lossless = ok;
  return out;
}

unsigned char cp850Upper(unsigned char b) {
  if (b >= 'a' && b <= 'z') return static_cast<unsigned char>(b - 32);
  if (b < 0x80) return b;
  static const auto table = [] {
    std::array<unsigned char, 128> t{};
    for (int i = 0; i < 128; ++i) {
      char32_t cp = cp850_detail::kHigh[i];
      char32_t up = cp;
      // Latin-1 lower-case letters sit 0x20 above their capitals.
      if ((cp >= 0xE0 && cp <= 0xFE && cp != 0xF7)) up = cp - 0x20;
      if (cp == 0xFF) up = 0x178;
      int u = cp850_detail::fromUnicode(up);
      t[i] = static_cast<unsigned char>(u < 0 ? 0x80 + i : u);
    }
    return t;
  }();
  return table[b - 0x80];
}

std::string cp850Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(cp850Upper(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace zel
