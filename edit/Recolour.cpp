#include "edit/Recolour.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <memory>
#include <string_view>

#include "color/Common.h"

namespace edit {

int FieldValue(const std::string& text) {
  std::string_view digits(text);
  bool negative = false;
  if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
    negative = digits.front() == '-';
    digits.remove_prefix(1);
  }
  if (digits.empty()) return 0;
  for (const char c : digits)
    if (c < '0' || c > '9') return 0;
  uint64_t magnitude = 0;
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
  if (error != std::errc() || end != digits.data() + digits.size()) return 0;
  const uint64_t limit = negative ? uint64_t{1} << 31 : (uint64_t{1} << 31) - 1;
  if (magnitude > limit) return 0;
  return static_cast<int>(negative ? -static_cast<int64_t>(magnitude)
                                   : static_cast<int64_t>(magnitude));
}

int RecolourPass(gif::TGIFColorMap& map, THLSComponent component, int from, int to, int tolerance) {
  // Bounds in 64 bits: a pasted From near the int range must not overflow.
  const int64_t low = int64_t{from} - tolerance;
  const int64_t high = int64_t{from} + tolerance;
  int matched = 0;
  const int count = map.EntryCount();
  for (int i = 0; i < count; ++i) {
    const gif::TGIFColor rgb = gif::TGIFColorMap::ColorToTriple(map.ReadEntry(i));
    int hue = 0, lightness = 0, saturation = 0;
    color::RGBToHueLightSat(rgb.Red, rgb.Green, rgb.Blue, hue, lightness, saturation);
    const int value = component == THLSComponent::Hue          ? hue
                      : component == THLSComponent::Saturation ? saturation
                                                               : lightness;
    if (value < low || value > high) continue;
    switch (component) {
      case THLSComponent::Hue:
        hue = to;
        break;
      case THLSComponent::Saturation:
        saturation = to;
        break;
      case THLSComponent::Lightness:
        lightness = to;
        break;
    }
    int red = 0, green = 0, blue = 0;
    color::HueLightSatToRGB(hue, lightness, saturation, red, green, blue);
    map.WriteEntry(i, gif::TGIFColorMap::TripleToColor(gif::TGIFColor{static_cast<uint8_t>(red),
                                                                      static_cast<uint8_t>(green),
                                                                      static_cast<uint8_t>(blue)}));
    ++matched;
  }
  return matched;
}

namespace {

// A stand-alone copy of a map: a local map without a frame reports to no one.
std::unique_ptr<gif::TGIFColorMap> CopyOf(const gif::TGIFColorMap& map) {
  auto copy = std::make_unique<gif::TGIFLocalColorMap>(nullptr);
  copy->CopyFrom(&map);
  return copy;
}

struct TPassFields {
  THLSComponent Component;
  const std::string& From;
  const std::string& To;
  const char* EnterNew;
  const char* Limit;
};

}  // namespace

TRecolourResult Recolour(gif::TGIFColorMap& map, const TRecolourRequest& request) {
  gif::TGIFColorMap* const maps[] = {&map};
  return Recolour(maps, request);
}

TRecolourResult Recolour(std::span<gif::TGIFColorMap* const> maps, const TRecolourRequest& request,
                         TRecolourCount* count) {
  // Snapshots only when asked to count: Start on a plain map pays nothing.
  std::vector<std::unique_ptr<gif::TGIFColorMap>> before;
  if (count != nullptr)
    for (gif::TGIFColorMap* map : maps) before.push_back(map != nullptr ? CopyOf(*map) : nullptr);

  const TPassFields passes[] = {
      {THLSComponent::Hue, request.FromH, request.ToH, msg::EnterNewHue, msg::HueLimit},
      {THLSComponent::Saturation, request.FromS, request.ToS, msg::EnterNewSaturation,
       msg::SaturationLimit},
      {THLSComponent::Lightness, request.FromL, request.ToL, msg::EnterNewLight,
       msg::LightnessLimit},
  };
  TRecolourResult result = TRecolourResult::Finished;
  for (const TPassFields& pass : passes) {
    if (pass.From.empty()) continue;
    if (pass.To.empty()) {
      request.ShowError(pass.EnterNew);
      continue;
    }
    const int from = FieldValue(pass.From);
    const int to = FieldValue(pass.To);
    const int tolerance = request.Tolerance();
    if (from > HLSLimit || to > HLSLimit) {
      request.ShowError(pass.Limit);
      result = TRecolourResult::Stopped;
      break;
    }
    for (gif::TGIFColorMap* map : maps)
      if (map != nullptr) RecolourPass(*map, pass.Component, from, to, tolerance);
  }

  if (count != nullptr) {
    *count = TRecolourCount{};
    for (std::size_t i = 0; i < maps.size(); ++i) {
      if (maps[i] == nullptr) continue;
      const int changed = static_cast<int>(DifferingEntries(*before[i], *maps[i]).size());
      count->EntriesChanged += changed;
      count->EntriesTotal += maps[i]->EntryCount();
      count->TablesChanged += changed > 0 ? 1 : 0;
      ++count->TablesTotal;
    }
  }
  return result;
}

bool AnyPassDefined(const TRecolourRequest& request) {
  const auto defined = [](const std::string& from, const std::string& to) {
    return !from.empty() && !to.empty() && FieldValue(from) <= HLSLimit &&
           FieldValue(to) <= HLSLimit;
  };
  return defined(request.FromH, request.ToH) || defined(request.FromS, request.ToS) ||
         defined(request.FromL, request.ToL);
}

std::optional<TRecolourCount> CountStartChanges(std::span<const gif::TGIFColorMap* const> maps,
                                                TRecolourRequest request,
                                                const gif::TGIFColorMap* changedIn,
                                                std::vector<int>* changedIndices) {
  if (changedIndices != nullptr) changedIndices->clear();
  if (!AnyPassDefined(request)) return std::nullopt;
  std::vector<std::unique_ptr<gif::TGIFColorMap>> copies;
  std::vector<gif::TGIFColorMap*> targets;
  for (const gif::TGIFColorMap* map : maps) {
    copies.push_back(map != nullptr ? CopyOf(*map) : nullptr);
    targets.push_back(copies.back().get());
  }
  // Start's boxes are not shown: a skipped pass simply changes nothing.
  request.ShowError = [](const std::string&) {};
  TRecolourCount count;
  Recolour(targets, request, &count);
  if (changedIndices != nullptr)
    for (std::size_t i = 0; i < maps.size(); ++i)
      if (maps[i] != nullptr && maps[i] == changedIn)
        *changedIndices = DifferingEntries(*maps[i], *copies[i]);
  return count;
}

std::vector<int> DifferingEntries(const gif::TGIFColorMap& a, const gif::TGIFColorMap& b) {
  std::vector<int> differing;
  const gif::TGIFColor* x = a.Data();
  const gif::TGIFColor* y = b.Data();
  const int count = std::min(a.EntryCount(), b.EntryCount());
  for (int i = 0; i < count; ++i)
    if (x[i].Red != y[i].Red || x[i].Green != y[i].Green || x[i].Blue != y[i].Blue)
      differing.push_back(i);
  return differing;
}

}  // namespace edit
