// Colours: attribute numbers (foreground + 16 x background, 0..255) and the
// colour strings the program stores ("W+/B", "N/W*", "GR+/B,W/N,N/N").
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace zel {

using Attr = unsigned char;

// Slots of a colour list, in the order they are written.
enum class ColourSlot { kStandard = 0, kEnhanced = 1, kBorder = 2, kBackground = 3, kUnselected = 4 };

// Attribute of one pair "fg/bg": letters N B G BG R RB(BR) GR W, "+" bright
// foreground, "*" bright background (on either side), "U"/"I"/"X" accepted as
// underline/inverse/blank. Case-insensitive. nullopt when malformed.
std::optional<Attr> parseColourPair(std::string_view pair);

// A list of up to five comma-separated pairs. A missing or empty slot keeps
// the value of `fallback` (the previous list) for that slot.
struct ColourList {
  std::array<Attr, 5> slot{0x07, 0x70, 0x00, 0x00, 0x07};
  Attr operator[](ColourSlot s) const { return slot[static_cast<int>(s)]; }
  Attr standard() const { return slot[0]; }
  Attr enhanced() const { return slot[1]; }
};
ColourList parseColourList(std::string_view text, const ColourList& fallback = {});

// "GR+/B" for 30, "W+/B+" for 159: names of foreground and background,
// "+" after a name of 8..15.
std::string attrToColourString(Attr a);

}  // namespace zel
