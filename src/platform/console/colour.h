// Colours: attribute numbers (foreground + 16 x background, 0..255) and the
// colour strings the program stores ("W+/B", "N/W*", "GR+/B,W/N,N/N").
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

using Attr = unsigned char;

// Slots of a colour list, in the order they are written.
enum class ColourSlot { kStandard = 0, kEnhanced = 1, kBorder = 2, kBackground = 3, kUnselected = 4 };

// Attribute of one pair "fg/bg": letters N B G BG R BR(RB) GR W,
// case-insensitive, blanks ignored. A "+" brightens the side it is written on
// ("W+/B" = 31, "W+/B+" = 159, so attrToColourString reads back to the same
// attribute); a "*" on either side brightens the background ("R/W*" = 244).
// A missing side is N ("W+" = 15, "/B" = 16). "U" shows as blue, "I" is
// inverse (N/W), "X" is blank (foreground = background). nullopt when
// malformed (unknown letters, two slashes, empty).
std::optional<Attr> parseColourPair(std::string_view pair);

// Every comma-separated pair of a list, in order, nullopt where one is empty
// or malformed. An empty or blank text gives no pairs. For lists of more
// than five pairs (the menu bar takes six).
std::vector<std::optional<Attr>> splitColourList(std::string_view text);

// A list of up to five comma-separated pairs. A missing, empty or malformed
// slot keeps the value of `fallback` (the previous list) for that slot;
// pairs after the fifth are ignored.
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
