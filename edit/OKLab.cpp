#include "edit/OKLab.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <utility>

namespace edit {

namespace {

constexpr double kGamutMargin = 1e-9;
constexpr double kChromaPrecision = 1e-6;
constexpr double kDegrees = 180.0 / std::numbers::pi;

}  // namespace

double SRGBToLinear(double encoded) {
  return encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
}

double LinearToSRGB(double linear) {
  return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
}

TOKLab LinearToOKLab(const TLinearRGB& c) {
  const double l = std::cbrt(0.4122214708 * c.r + 0.5363325363 * c.g + 0.0514459929 * c.b);
  const double m = std::cbrt(0.2119034982 * c.r + 0.6806995451 * c.g + 0.1073969566 * c.b);
  const double s = std::cbrt(0.0883024619 * c.r + 0.2817188376 * c.g + 0.6299787005 * c.b);
  return {0.2104542553 * l + 0.7936177850 * m - 0.0040720468 * s,
          1.9779984951 * l - 2.4285922050 * m + 0.4505937099 * s,
          0.0259040371 * l + 0.7827717662 * m - 0.8086757660 * s};
}

TLinearRGB OKLabToLinear(const TOKLab& lab) {
  const double l = lab.L + 0.3963377774 * lab.a + 0.2158037573 * lab.b;
  const double m = lab.L - 0.1055613458 * lab.a - 0.0638541728 * lab.b;
  const double s = lab.L - 0.0894841775 * lab.a - 1.2914855480 * lab.b;
  const double l3 = l * l * l, m3 = m * m * m, s3 = s * s * s;
  return {4.0767416621 * l3 - 3.3077115913 * m3 + 0.2309699292 * s3,
          -1.2684380046 * l3 + 2.6097574011 * m3 - 0.3413193965 * s3,
          -0.0041960863 * l3 - 0.7034186147 * m3 + 1.7076147010 * s3};
}

TOKLab ToOKLab(gif::TGIFColor colour) {
  // The 256 byte values decoded once: the same numbers, without a pow for
  // every channel of every entry.
  static const std::array<double, 256> linear = [] {
    std::array<double, 256> table{};
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = SRGBToLinear(double(i) / 255.0);
    return table;
  }();
  return LinearToOKLab({linear[colour.Red], linear[colour.Green], linear[colour.Blue]});
}

TOKLCh ToOKLCh(const TOKLab& lab) {
  double h = std::atan2(lab.b, lab.a) * kDegrees;
  if (h < 0) h += 360;
  return {lab.L, std::hypot(lab.a, lab.b), h};
}

TOKLab ToOKLab(const TOKLCh& lch) {
  const double radians = lch.h / kDegrees;
  return {lch.L, lch.C * std::cos(radians), lch.C * std::sin(radians)};
}

bool InGamut(const TLinearRGB& c) {
  const auto inside = [](double x) { return x >= -kGamutMargin && x <= 1 + kGamutMargin; };
  return inside(c.r) && inside(c.g) && inside(c.b);
}

namespace {

// A linear component as the stored byte: encoded, rounded to nearest and
// clamped to 0..255.
uint8_t EncodeDirectly(double linear) {
  const double byte = std::nearbyint(LinearToSRGB(std::clamp(linear, 0.0, 1.0)) * 255);
  return static_cast<uint8_t>(std::clamp(byte, 0.0, 255.0));
}

// The same byte without a pow: the encoding rises with the linear value, so
// the byte is how many of the points where it steps up lie at or below the
// value. Each point is found once, by halving between neighbouring doubles on
// the direct encoding itself; a value within 1e-12 of one is encoded directly,
// so the answer is the direct one to the bit. An even grid over 0..1 gives
// where to start counting: no cell holds more than a few points.
struct TEncoding {
  static constexpr int Cells = 4096;
  std::array<double, 257> Steps{};        // Steps[b]: where byte b begins; [256] past 1
  std::array<uint8_t, Cells + 1> Cell{};  // the byte at the start of each cell
  TEncoding() {
    Steps[0] = -1;
    Steps[256] = 2;
    for (int byte = 1; byte < 256; ++byte) {
      double below = 0, reaches = 1;
      while (std::nextafter(below, reaches) < reaches) {
        const double middle = below + (reaches - below) / 2;
        if (middle <= below || middle >= reaches) break;
        (EncodeDirectly(middle) >= byte ? reaches : below) = middle;
      }
      Steps[std::size_t(byte)] = reaches;
    }
    std::size_t byte = 0;
    for (int cell = 0; cell <= Cells; ++cell) {
      const double at = double(cell) / Cells;
      while (Steps[byte + 1] <= at) ++byte;
      Cell[std::size_t(cell)] = static_cast<uint8_t>(byte);
    }
  }
};

uint8_t Encode(double linear) {
  static const TEncoding encoding;
  const double x = std::clamp(linear, 0.0, 1.0);
  std::size_t byte = encoding.Cell[static_cast<std::size_t>(x * TEncoding::Cells)];
  while (encoding.Steps[byte + 1] <= x) ++byte;
  constexpr double kNear = 1e-12;
  if (x - encoding.Steps[byte] < kNear || encoding.Steps[byte + 1] - x < kNear)
    return EncodeDirectly(linear);
  return static_cast<uint8_t>(byte);
}

// The largest chroma along lch's hue, at most lch.C, that is inside sRGB, and
// the hue's direction in the a, b plane.
std::pair<double, TOKLab> GamutChroma(const TOKLCh& lch) {
  // The direction of the hue once, not at every step.
  const TOKLab unit = ToOKLab(TOKLCh{lch.L, 1, lch.h});
  const auto insideAt = [&](double chroma) {
    return InGamut(OKLabToLinear({lch.L, unit.a * chroma, unit.b * chroma}));
  };
  if (insideAt(lch.C)) return {lch.C, unit};
  // A grey of lightness 0..1 is inside, so the bisection always has a floor.
  double inside = 0, outside = lch.C;
  while (outside - inside > kChromaPrecision) {
    const double middle = (inside + outside) / 2;
    (insideAt(middle) ? inside : outside) = middle;
  }
  return {inside, unit};
}

}  // namespace

gif::TGIFColor ToSRGB(const TOKLab& lab) {
  const TLinearRGB linear = OKLabToLinear(lab);
  return {Encode(linear.r), Encode(linear.g), Encode(linear.b)};
}

TOKLCh IntoGamut(const TOKLCh& lch) {
  return {lch.L, GamutChroma(lch).first, lch.h};
}

TOKLab IntoGamutLab(const TOKLCh& lch) {
  // The direction found for the search gives the same a and b as converting
  // the result (cos and sin of the same angle, times the same chroma).
  const auto [chroma, unit] = GamutChroma(lch);
  return {lch.L, unit.a * chroma, unit.b * chroma};
}

}  // namespace edit
