#include "edit/Ramp.h"

#include <cmath>
#include <cstdlib>

#include "color/Common.h"
#include "edit/OKLab.h"

namespace edit {

namespace {

constexpr int kHLSMax = 240;

double Between(double a, double b, double t) {
  return a + (b - a) * t;
}

uint8_t Byte(double value) {
  return static_cast<uint8_t>(std::nearbyint(value));
}

struct THLS {
  int Hue = 0, Lightness = 0, Saturation = 0;
};

THLS ToHLS(gif::TGIFColor c) {
  THLS hls;
  color::RGBToHueLightSat(c.Red, c.Green, c.Blue, hls.Hue, hls.Lightness, hls.Saturation);
  return hls;
}

gif::TGIFColor HLSBetween(THLS a, THLS b, double t) {
  // A grey has no hue of its own: it takes the other end's, so a ramp from
  // grey to red stays red rather than passing through blue.
  if (a.Saturation == 0) a.Hue = b.Hue;
  if (b.Saturation == 0) b.Hue = a.Hue;
  // The hue goes the short way round the circle.
  int hueB = b.Hue;
  if (hueB - a.Hue > kHLSMax / 2) hueB -= kHLSMax;
  if (a.Hue - hueB > kHLSMax / 2) hueB += kHLSMax;
  const int hue = static_cast<int>(std::nearbyint(Between(a.Hue, hueB, t)));
  int red = 0, green = 0, blue = 0;
  color::HueLightSatToRGB((hue % kHLSMax + kHLSMax) % kHLSMax,
                          static_cast<int>(std::nearbyint(Between(a.Lightness, b.Lightness, t))),
                          static_cast<int>(std::nearbyint(Between(a.Saturation, b.Saturation, t))),
                          red, green, blue);
  return {static_cast<uint8_t>(red), static_cast<uint8_t>(green), static_cast<uint8_t>(blue)};
}

}  // namespace

int MakeRamp(gif::TGIFColorMap& map, int first, int last, TRampSpace space) {
  if (first < 0 || last <= first || last >= map.EntryCount()) return 0;
  const gif::TGIFColor a = map.Data()[first];
  const gif::TGIFColor b = map.Data()[last];
  const TOKLab labA = ToOKLab(a), labB = ToOKLab(b);
  const THLS hlsA = ToHLS(a), hlsB = ToHLS(b);
  int changed = 0;
  for (int i = first + 1; i < last; ++i) {
    const double t = static_cast<double>(i - first) / (last - first);
    gif::TGIFColor colour{};
    switch (space) {
      case TRampSpace::OKLab:
        colour = ToSRGB(
            {Between(labA.L, labB.L, t), Between(labA.a, labB.a, t), Between(labA.b, labB.b, t)});
        break;
      case TRampSpace::HLS:
        colour = HLSBetween(hlsA, hlsB, t);
        break;
      case TRampSpace::RGB:
        colour = {Byte(Between(a.Red, b.Red, t)), Byte(Between(a.Green, b.Green, t)),
                  Byte(Between(a.Blue, b.Blue, t))};
        break;
    }
    const gif::TGIFColor old = map.Data()[i];
    if (old == colour) continue;
    map.WriteEntry(i, gif::TGIFColorMap::TripleToColor(colour));
    ++changed;
  }
  return changed;
}

}  // namespace edit
