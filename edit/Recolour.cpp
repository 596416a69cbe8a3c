#include "edit/Recolour.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string_view>

#include "color/Common.h"
#include "edit/RecolourPlan.h"

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

TRecolourFields FieldsOf(const TRecolourRequest& request) {
  return {request.FromH, request.ToH, request.FromS, request.ToS, request.FromL, request.ToL};
}

// The request's plan, its tolerance read afresh for every pass that has both
// its texts, in the order the passes run, as the command always has.
TRecolourPlan PlanOf(const TRecolourRequest& request) {
  TRecolourPlan plan = MakeRecolourPlan(FieldsOf(request), 0);
  for (TPlannedPass& pass : plan.Passes)
    if (pass.End != TPassEnd::Skipped) pass.Tolerance = request.Tolerance();
  return plan;
}

}  // namespace

TRecolourResult Recolour(gif::TGIFColorMap& map, const TRecolourRequest& request) {
  gif::TGIFColorMap* const maps[] = {&map};
  return Recolour(maps, request);
}

TRecolourResult Recolour(std::span<gif::TGIFColorMap* const> maps, const TRecolourRequest& request,
                         TRecolourCount* count) {
  const TRecolourPlan plan = PlanOf(request);
  for (const std::string& message : plan.Messages()) request.ShowError(message);
  return Recolour(maps, plan, count);
}

bool AnyPassDefined(const TRecolourRequest& request) {
  return MakeRecolourPlan(FieldsOf(request), 0).AnyPassDefined;
}

std::optional<TRecolourCount> CountStartChanges(std::span<const gif::TGIFColorMap* const> maps,
                                                TRecolourRequest request,
                                                const gif::TGIFColorMap* changedIn,
                                                std::vector<int>* changedIndices) {
  return CountStartChanges(maps, PlanOf(request), changedIn, changedIndices);
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
