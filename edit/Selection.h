// Which entries of a table an operation changes: a list of indices, the
// entries near a hue, saturation or lightness, the entries of one exact
// colour, or all of these at once. The same choice on every operation that
// takes one, in the window and on the command line.
#pragma once

#include <bitset>
#include <optional>
#include <string_view>

#include "gif/Basics.h"
#include "gif/ColorMap.h"

namespace edit {

// Bit i: entry i is chosen.
using TEntryMask = std::bitset<gif::TGIFColorMap::MaxEntries>;

// Every criterion given must hold; none given chooses every entry.
struct TSelection {
  std::optional<TEntryMask> Entries;  // indices past a table's end are ignored
  // On the 0..240 scale of color::RGBToHueLightSat.
  std::optional<int> MatchHue, MatchSat, MatchLight;
  // 0..120: how far a matched component may lie from its value. Hue distance
  // goes round the circle (HueDistance), unlike the recolour command's window.
  int Tolerance = 0;
  std::optional<gif::TColor> MatchColor;  // exactly this colour
};

// The chosen entries of map; bits at or past map.EntryCount() are never set.
TEntryMask Select(const gif::TGIFColorMap& map, const TSelection& selection);

// How far apart two hues of the 0..240 circle are: min(|a-b|, 240-|a-b|), so
// 236 and 4 are 8 apart. For a and b in 0..240.
int HueDistance(int a, int b);

// "0-15,32,40-47": 0-based indices and inclusive ranges, separated by commas,
// each index 0..255 and each range ascending. nullopt when malformed (empty
// items, stray characters, a range backwards, an index above 255).
std::optional<TEntryMask> ParseEntryList(std::string_view text);

// "rrggbb" or "#rrggbb", hex digits in either case; nullopt otherwise.
std::optional<gif::TColor> ParseHexColor(std::string_view text);

}  // namespace edit
