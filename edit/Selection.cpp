#include "edit/Selection.h"

#include <charconv>
#include <cstdlib>

#include "color/Common.h"

namespace edit {

namespace {

constexpr int kHueCircle = 240;

// The next whole number 0..255 of text, or nullopt; text moves past it.
std::optional<int> TakeIndex(std::string_view& text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end == text.data() || value < 0 ||
      value >= gif::TGIFColorMap::MaxEntries)
    return std::nullopt;
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  return value;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

int HueDistance(int a, int b) {
  const int apart = std::abs(a - b);
  return std::min(apart, kHueCircle - apart);
}

TEntryMask Select(const gif::TGIFColorMap& map, const TSelection& selection) {
  const bool byComponent = selection.MatchHue || selection.MatchSat || selection.MatchLight;
  const gif::TGIFColor* entries = map.Data();
  TEntryMask chosen;
  for (int i = 0; i < map.EntryCount(); ++i) {
    if (selection.Entries && !selection.Entries->test(static_cast<std::size_t>(i))) continue;
    const gif::TGIFColor c = entries[i];
    if (selection.MatchColor && gif::TGIFColorMap::TripleToColor(c) != *selection.MatchColor)
      continue;
    if (byComponent) {
      int hue = 0, lightness = 0, saturation = 0;
      color::RGBToHueLightSat(c.Red, c.Green, c.Blue, hue, lightness, saturation);
      const int tolerance = selection.Tolerance;
      if (selection.MatchHue && HueDistance(hue, *selection.MatchHue) > tolerance) continue;
      if (selection.MatchSat && std::abs(saturation - *selection.MatchSat) > tolerance) continue;
      if (selection.MatchLight && std::abs(lightness - *selection.MatchLight) > tolerance) continue;
    }
    chosen.set(static_cast<std::size_t>(i));
  }
  return chosen;
}

std::optional<TEntryMask> ParseEntryList(std::string_view text) {
  TEntryMask entries;
  while (true) {
    const std::optional<int> first = TakeIndex(text);
    if (!first) return std::nullopt;
    std::optional<int> last = first;
    if (!text.empty() && text.front() == '-') {
      text.remove_prefix(1);
      last = TakeIndex(text);
      if (!last || *last < *first) return std::nullopt;
    }
    for (int i = *first; i <= *last; ++i) entries.set(static_cast<std::size_t>(i));
    if (text.empty()) return entries;
    if (text.front() != ',') return std::nullopt;
    text.remove_prefix(1);
  }
}

std::optional<gif::TColor> ParseHexColor(std::string_view text) {
  if (!text.empty() && text.front() == '#') text.remove_prefix(1);
  if (text.size() != 6) return std::nullopt;
  uint8_t bytes[3] = {};
  for (std::size_t i = 0; i < 3; ++i) {
    const int high = HexDigit(text[2 * i]);
    const int low = HexDigit(text[2 * i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes[i] = static_cast<uint8_t>(high * 16 + low);
  }
  return gif::TGIFColorMap::TripleToColor({bytes[0], bytes[1], bytes[2]});
}

}  // namespace edit
