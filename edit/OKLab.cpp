#include "edit/OKLab.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

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

gif::TGIFColor ToSRGB(const TOKLab& lab) {
  const TLinearRGB linear = OKLabToLinear(lab);
  const auto encode = [](double x) {
    const double byte = std::nearbyint(LinearToSRGB(std::clamp(x, 0.0, 1.0)) * 255);
    return static_cast<uint8_t>(std::clamp(byte, 0.0, 255.0));
  };
  return {encode(linear.r), encode(linear.g), encode(linear.b)};
}

TOKLCh IntoGamut(const TOKLCh& lch) {
  // The direction of the hue once, not at every step.
  const TOKLab unit = ToOKLab(TOKLCh{lch.L, 1, lch.h});
  const auto insideAt = [&](double chroma) {
    return InGamut(OKLabToLinear({lch.L, unit.a * chroma, unit.b * chroma}));
  };
  if (insideAt(lch.C)) return lch;
  // A grey of lightness 0..1 is inside, so the bisection always has a floor.
  double inside = 0, outside = lch.C;
  while (outside - inside > kChromaPrecision) {
    const double middle = (inside + outside) / 2;
    (insideAt(middle) ? inside : outside) = middle;
  }
  return {lch.L, inside, lch.h};
}

}  // namespace edit
