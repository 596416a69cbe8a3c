#include "app/Recolour.h"

#include <charconv>
#include <cstdint>
#include <string_view>

#include "color/Common.h"

namespace app {

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

struct TPassFields {
  THLSComponent Component;
  const std::string& From;
  const std::string& To;
  const char* EnterNew;
  const char* Limit;
};

}  // namespace

TRecolourResult Recolour(gif::TGIFColorMap& map, const TRecolourRequest& request) {
  const TPassFields passes[] = {
      {THLSComponent::Hue, request.FromH, request.ToH, msg::EnterNewHue, msg::HueLimit},
      {THLSComponent::Saturation, request.FromS, request.ToS, msg::EnterNewSaturation,
       msg::SaturationLimit},
      {THLSComponent::Lightness, request.FromL, request.ToL, msg::EnterNewLight,
       msg::LightnessLimit},
  };
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
      return TRecolourResult::Stopped;
    }
    RecolourPass(map, pass.Component, from, to, tolerance);
  }
  return TRecolourResult::Finished;
}

}  // namespace app
