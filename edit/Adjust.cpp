#include "edit/Adjust.h"

#include <algorithm>
#include <cmath>

#include "color/Common.h"
#include "edit/OKLab.h"

namespace edit {

namespace {

constexpr int kHLSMax = 240;
constexpr double kGreyChroma = 1e-4;

int Whole(double value) {
  return static_cast<int>(std::nearbyint(value));
}

gif::TGIFColor AdjustHLS(const TAdjustSource& source, const TAdjustment& adjustment) {
  const int hue = source.Hue, lightness = source.Lightness, saturation = source.Saturation;
  // A grey has no hue to turn; the colour model calls it 160.
  const int newHue =
      saturation == 0 ? hue : ((hue + Whole(adjustment.Hue)) % kHLSMax + kHLSMax) % kHLSMax;
  const int newSaturation = std::clamp(saturation + Whole(adjustment.Saturation), 0, kHLSMax);
  const int newLightness = std::clamp(lightness + Whole(adjustment.Lightness), 0, kHLSMax);
  // Converting back is not exact; an entry the adjustment leaves where it was
  // must not drift.
  if (newHue == hue && newSaturation == saturation && newLightness == lightness)
    return source.Colour;
  int red = 0, green = 0, blue = 0;
  color::HueLightSatToRGB(newHue, newLightness, newSaturation, red, green, blue);
  return {static_cast<uint8_t>(red), static_cast<uint8_t>(green), static_cast<uint8_t>(blue)};
}

gif::TGIFColor AdjustPerceptual(const TAdjustSource& source, const TAdjustment& adjustment) {
  TOKLCh lch = source.LCh;
  if (lch.C >= kGreyChroma) {
    lch.h = std::fmod(lch.h + adjustment.Hue, 360.0);
    if (lch.h < 0) lch.h += 360;
  }
  lch.L = std::clamp(lch.L + adjustment.Lightness / 100, 0.0, 1.0);
  lch.C = std::max(0.0, lch.C * (1 + adjustment.Saturation / 100));
  return ToSRGB(IntoGamutLab(lch));
}

}  // namespace

TAdjustSource AdjustSourceOf(gif::TGIFColor colour) {
  TAdjustSource source;
  source.Colour = colour;
  color::RGBToHueLightSat(colour.Red, colour.Green, colour.Blue, source.Hue, source.Lightness,
                          source.Saturation);
  source.LCh = ToOKLCh(ToOKLab(colour));
  return source;
}

gif::TGIFColor AdjustColor(const TAdjustSource& source, const TAdjustment& adjustment) {
  if (adjustment.Hue == 0 && adjustment.Saturation == 0 && adjustment.Lightness == 0)
    return source.Colour;
  return adjustment.Perceptual ? AdjustPerceptual(source, adjustment)
                               : AdjustHLS(source, adjustment);
}

gif::TGIFColor AdjustColor(gif::TGIFColor colour, const TAdjustment& adjustment) {
  if (adjustment.Hue == 0 && adjustment.Saturation == 0 && adjustment.Lightness == 0) return colour;
  // Only the mode's own conversion: one colour is converted from once anyway.
  TAdjustSource source;
  source.Colour = colour;
  if (adjustment.Perceptual) {
    source.LCh = ToOKLCh(ToOKLab(colour));
    return AdjustPerceptual(source, adjustment);
  }
  color::RGBToHueLightSat(colour.Red, colour.Green, colour.Blue, source.Hue, source.Lightness,
                          source.Saturation);
  return AdjustHLS(source, adjustment);
}

gif::TColor AdjustColor(gif::TColor colour, const TAdjustment& adjustment) {
  return gif::TGIFColorMap::TripleToColor(
      AdjustColor(gif::TGIFColorMap::ColorToTriple(colour), adjustment));
}

int Adjust(gif::TGIFColorMap& map, const TEntryMask& entries, const TAdjustment& adjustment) {
  int changed = 0;
  const gif::TGIFColor* colours = map.Data();
  for (int i = 0; i < map.EntryCount(); ++i) {
    if (!entries.test(static_cast<std::size_t>(i))) continue;
    const gif::TGIFColor before = colours[i];
    const gif::TGIFColor after = AdjustColor(before, adjustment);
    if (after == before) continue;
    map.WriteEntry(i, gif::TGIFColorMap::TripleToColor(after));
    ++changed;
  }
  return changed;
}

}  // namespace edit
