#include "edit/Adjust.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <numbers>
#include <system_error>
#include <thread>
#include <vector>

#include "color/Common.h"
#include "edit/OKLab.h"

namespace edit {

namespace {

constexpr int kHLSMax = 240;
constexpr double kGreyChroma = 1e-4;

int Whole(double value) {
  return static_cast<int>(std::nearbyint(value));
}

bool Nothing(const TAdjustment& adjustment) {
  return adjustment.Hue == 0 && adjustment.Saturation == 0 && adjustment.Lightness == 0;
}

// The adjustment's figures as each colour uses them, worked out once.
struct TSteps {
  explicit TSteps(const TAdjustment& adjustment)
      : Hue((Whole(adjustment.Hue) % kHLSMax + kHLSMax) % kHLSMax),
        Saturation(Whole(adjustment.Saturation)),
        Lightness(Whole(adjustment.Lightness)),
        Cos(std::cos(adjustment.Hue * std::numbers::pi / 180)),
        Sin(std::sin(adjustment.Hue * std::numbers::pi / 180)),
        ChromaScale(std::max(0.0, 1 + adjustment.Saturation / 100)),
        LightShift(adjustment.Lightness / 100) {}
  int Hue, Saturation, Lightness;            // HLS mode (Hue turned into 0..239)
  double Cos, Sin, ChromaScale, LightShift;  // perceptual mode
};

gif::TGIFColor AdjustHLS(const TAdjustSource& source, const TSteps& steps) {
  const int hue = source.Hue, lightness = source.Lightness, saturation = source.Saturation;
  // A grey has no hue to turn; the colour model calls it 160.
  // The model's hues are 0..239, so one turn back is all the wrapping needed;
  // as a subtraction of 0 or 240 rather than a branch, which a random palette
  // would have guessed wrong half the time.
  int newHue = saturation == 0 ? hue : hue + steps.Hue;
  newHue -= kHLSMax & -static_cast<int>(newHue >= kHLSMax);
  const int newSaturation = std::clamp(saturation + steps.Saturation, 0, kHLSMax);
  const int newLightness = std::clamp(lightness + steps.Lightness, 0, kHLSMax);
  // Converting back is not exact; an entry the adjustment leaves where it was
  // must not drift.
  if (newHue == hue && newSaturation == saturation && newLightness == lightness)
    return source.Colour;
  int red = 0, green = 0, blue = 0;
  color::HueLightSatToRGB(newHue, newLightness, newSaturation, red, green, blue);
  return {static_cast<uint8_t>(red), static_cast<uint8_t>(green), static_cast<uint8_t>(blue)};
}

// The colour's place after the adjustment, before it is brought into sRGB.
// The hue turns by rotating its direction, which is the same as adding to the
// angle and needs no trigonometry per colour.
TChromaRay PerceptualRay(const TAdjustSource& source, const TSteps& steps) {
  TChromaRay ray = source.Ray;
  if (ray.C >= kGreyChroma) {
    ray.a = source.Ray.a * steps.Cos - source.Ray.b * steps.Sin;
    ray.b = source.Ray.a * steps.Sin + source.Ray.b * steps.Cos;
  }
  ray.L = std::clamp(ray.L + steps.LightShift, 0.0, 1.0);
  ray.C *= steps.ChromaScale;
  return ray;
}

}  // namespace

void ConvertForMode(std::span<TAdjustSource> sources, bool perceptual) {
  if (!perceptual) {
    for (TAdjustSource& source : sources)
      color::RGBToHueLightSat(source.Colour.Red, source.Colour.Green, source.Colour.Blue,
                              source.Hue, source.Lightness, source.Saturation);
    return;
  }
  std::array<gif::TGIFColor, 256> colours;
  std::array<TChromaRay, 256> rays;
  for (std::size_t first = 0; first < sources.size(); first += colours.size()) {
    const std::size_t count = std::min(colours.size(), sources.size() - first);
    for (std::size_t i = 0; i < count; ++i) colours[i] = sources[first + i].Colour;
    ChromaRaysOf(std::span(colours).first(count), std::span(rays).first(count));
    for (std::size_t i = 0; i < count; ++i) sources[first + i].Ray = rays[i];
  }
}

TAdjustSource AdjustSourceOf(gif::TGIFColor colour) {
  TAdjustSource source;
  source.Colour = colour;
  ConvertForMode({&source, 1}, false);
  ConvertForMode({&source, 1}, true);
  return source;
}

void AdjustColors(std::span<const TAdjustSource> sources, const TAdjustment& adjustment,
                  std::span<gif::TGIFColor> out) {
  if (Nothing(adjustment)) {
    std::transform(sources.begin(), sources.end(), out.begin(),
                   [](const TAdjustSource& source) { return source.Colour; });
    return;
  }
  const TSteps steps(adjustment);
  if (!adjustment.Perceptual) {
    std::transform(sources.begin(), sources.end(), out.begin(),
                   [&](const TAdjustSource& source) { return AdjustHLS(source, steps); });
    return;
  }
  std::array<TChromaRay, 256> rays;
  for (std::size_t first = 0; first < sources.size(); first += rays.size()) {
    const std::size_t count = std::min(rays.size(), sources.size() - first);
    for (std::size_t i = 0; i < count; ++i) rays[i] = PerceptualRay(sources[first + i], steps);
    ToSRGBInGamut(std::span(rays).first(count), out.subspan(first, count));
  }
}

gif::TGIFColor AdjustColor(gif::TGIFColor colour, const TAdjustment& adjustment) {
  if (Nothing(adjustment)) return colour;
  // Only the mode's own conversion: one colour is converted from once anyway.
  TAdjustSource source;
  source.Colour = colour;
  ConvertForMode({&source, 1}, adjustment.Perceptual);
  gif::TGIFColor adjusted;
  AdjustColors({&source, 1}, adjustment, {&adjusted, 1});
  return adjusted;
}

gif::TColor AdjustColor(gif::TColor colour, const TAdjustment& adjustment) {
  return gif::TGIFColorMap::TripleToColor(
      AdjustColor(gif::TGIFColorMap::ColorToTriple(colour), adjustment));
}

int Adjust(gif::TGIFColorMap& map, const TEntryMask& entries, const TAdjustment& adjustment) {
  if (Nothing(adjustment)) return 0;
  std::array<TAdjustSource, gif::TGIFColorMap::MaxEntries> sources;
  std::array<uint8_t, gif::TGIFColorMap::MaxEntries> at{};
  std::size_t count = 0;
  for (int i = 0; i < map.EntryCount(); ++i) {
    if (!entries.test(static_cast<std::size_t>(i))) continue;
    at[count] = static_cast<uint8_t>(i);
    sources[count++].Colour = map.Data()[i];
  }
  ConvertForMode({sources.data(), count}, adjustment.Perceptual);
  std::array<gif::TGIFColor, gif::TGIFColorMap::MaxEntries> adjusted;
  AdjustColors({sources.data(), count}, adjustment, {adjusted.data(), count});
  int changed = 0;
  for (std::size_t k = 0; k < count; ++k) {
    if (adjusted[k] == sources[k].Colour) continue;
    map.WriteEntry(at[k], gif::TGIFColorMap::TripleToColor(adjusted[k]));
    ++changed;
  }
  return changed;
}

TAdjustCount Adjust(std::span<const TTableEntries> tables, const TAdjustment& adjustment,
                    unsigned threads) {
  std::vector<int> changed(tables.size());
  // Each thread takes the next few tables until none are left: a thread that
  // starts late (a sleeping processor can take as long to wake as the whole
  // job) leaves its share to the others instead of holding them up.
  constexpr std::size_t kTablesATurn = 4;
  std::atomic<std::size_t> next{0};
  const auto run = [&] {
    for (std::size_t first; (first = next.fetch_add(kTablesATurn)) < tables.size();)
      for (std::size_t t = first; t < std::min(first + kTablesATurn, tables.size()); ++t)
        changed[t] = Adjust(*tables[t].Map, tables[t].Entries, adjustment);
  };
  std::size_t colours = 0;
  for (const TTableEntries& table : tables) colours += std::size_t(table.Map->EntryCount());
  if (threads == 0) threads = std::thread::hardware_concurrency();
  const std::size_t workers =
      std::clamp<std::size_t>(colours / kColoursAThread, 1, std::max(1u, threads));
  {
    std::vector<std::jthread> helpers;
    for (std::size_t w = 1; w < workers; ++w) {
      try {
        helpers.emplace_back(run);
      } catch (const std::system_error&) {
        break;  // no thread to be had: the others do its share
      }
    }
    run();
  }
  TAdjustCount count;
  for (const int n : changed) {
    count.Changed += n;
    count.Tables += n != 0;
  }
  return count;
}

}  // namespace edit
