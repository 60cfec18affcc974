// Code page 850: the byte encoding of every text inside the program.
//
// Table contents, screen texts, printer output and export files are CP850
// bytes in std::string. Source files are UTF-8, so literals with accents are
// converted at compile time with the _cp suffix:
//
//     std::string_view t = "Atençäo"_cp;   // 7 CP850 bytes
//
// Conversion to Unicode happens only at the terminal (glyphs) and at the
// edges where users exchange UTF-8 text (the table tool).
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace zel {

namespace cp850_detail {
// Unicode code points of the bytes 0x80..0xFF.
inline constexpr char32_t kHigh[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  // 80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,  // 88
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  // 90
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192,  // 98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  // A0
    0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0,  // B0
    0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510,  // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,  // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,  // C8
    0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE,  // D0
    0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,  // D8
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE,  // E0
    0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4,  // E8
    0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,  // F0
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,  // F8
};

// CP850 byte of a code point, or -1 when the code page has none.
constexpr int fromUnicode(char32_t cp) {
  if (cp < 0x80) return static_cast<int>(cp);
  for (int i = 0; i < 128; ++i)
    if (kHigh[i] == cp) return 0x80 + i;
  return -1;
}

// Decodes one UTF-8 sequence at s[i]; advances i. Invalid input gives U+FFFD.
constexpr char32_t decodeUtf8(const char* s, std::size_t n, std::size_t& i) {
  auto b = static_cast<unsigned char>(s[i++]);
  if (b < 0x80) return b;
  int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
  if (extra < 0) return 0xFFFD;
  char32_t cp = b & (0x3F >> extra);
  for (int k = 0; k < extra; ++k) {
    if (i >= n) return 0xFFFD;
    auto c = static_cast<unsigned char>(s[i]);
    if ((c & 0xC0) != 0x80) return 0xFFFD;
    cp = (cp << 6) | (c & 0x3F);
    ++i;
  }
  return cp;
}

template <std::size_t N>
struct Utf8Literal {
  char text[N];
  consteval Utf8Literal(const char (&s)[N]) {
    for (std::size_t i = 0; i < N; ++i) text[i] = s[i];
  }
};

template <Utf8Literal L>
struct Converted {
  static constexpr auto make() {  // constexpr: run at compile time through `value`
    struct Out {
      std::array<char, sizeof(L.text)> bytes{};
      std::size_t size = 0;
    } out;
    std::size_t i = 0, n = sizeof(L.text) - 1;
    while (i < n) {
      int b = fromUnicode(decodeUtf8(L.text, n, i));
      if (b < 0) throw "character not in code page 850";  // compile-time error
      out.bytes[out.size++] = static_cast<char>(b);
    }
    return out;
  }
  static constexpr auto value = make();
};
}  // namespace cp850_detail

// "texto"_cp: the CP850 bytes of a UTF-8 literal, converted at compile time.
// A character outside the code page is a compile error.
template <cp850_detail::Utf8Literal L>
constexpr std::string_view operator""_cp() {
  return {cp850_detail::Converted<L>::value.bytes.data(),
          cp850_detail::Converted<L>::value.size};
}

// Unicode of a CP850 byte as text (bytes below 0x80 map to themselves).
char32_t cp850ToUnicode(unsigned char b);

// Unicode glyph the console shows for a byte: like cp850ToUnicode, but the
// control bytes 0x01..0x1F and 0x7F show the PC character-set pictures.
char32_t cp850Glyph(unsigned char b);

// CP850 byte of a code point, or -1 when there is none.
int unicodeToCp850(char32_t cp);

std::string cp850ToUtf8(std::string_view cp850);

// Converts UTF-8 to CP850. Characters the code page lacks become '?';
// *lossless (when given) says whether none did.
std::string utf8ToCp850(std::string_view utf8, bool* lossless = nullptr);

// Appends the UTF-8 encoding of a code point.
void appendUtf8(std::string& out, char32_t cp);

// Upper case of a CP850 byte: a-z, and the accented letters that have an
// upper-case form in the code page.
unsigned char cp850Upper(unsigned char b);
std::string cp850Upper(std::string_view s);

}  // namespace zel

using zel::operator""_cp;
