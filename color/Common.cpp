#include "color/Common.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace color {

namespace {

// The results must agree digit for digit with x87 arithmetic: long double has
// to be the 80-bit format with its 64-bit significand, and narrowing to float
// must follow IEEE rules (an overflow becomes an infinity, which is defined).
using Extended = long double;
static_assert(std::numeric_limits<Extended>::digits == 64, "long double must be x87 extended");
static_assert(std::numeric_limits<float>::is_iec559, "float must be IEEE single precision");

constexpr int kHLSMax = 240;
constexpr int kRGBMax = 255;
constexpr int kGreyHue = 160;

// Round to nearest, ties to even (the default rounding mode). A value beyond
// the int range saturates instead of overflowing, and a NaN, which no int
// input can produce, gives 0; callers clamp to their own range afterwards.
template <class Real>
int Nearest(Real x) {
  if (std::isnan(x)) return 0;
  if (x >= static_cast<Real>(std::numeric_limits<int>::max())) {
    return std::numeric_limits<int>::max();
  }
  if (x <= static_cast<Real>(std::numeric_limits<int>::min())) {
    return std::numeric_limits<int>::min();
  }
  // rint rounds exactly as nearbyint does in the default mode; it may also
  // raise the inexact flag, which nothing reads, and becomes one instruction
  // where nearbyint is a library call that saves and restores the
  // floating-point environment (the conversions' main cost).
  return static_cast<int>(std::rint(x));
}

// How far a component lies below the maximum, scaled to a sixth of the hue
// circle, with a half-unit bias that cancels when two of them are subtracted.
// The offsets are narrowed to float, as stored singles are.
template <class Real>
float HueOffset(int max, int component, int delta) {
  return static_cast<float>(
      (static_cast<Real>((max - component) * 40) + static_cast<Real>(delta) / 2) / delta);
}

template <class Real>
float HueComponentIn(float m1, float m2, float hue) {
  // Each wrap is rounded to float on its own, as a stored single would be.
  if (hue < 0) hue = static_cast<float>(Real{hue} + kHLSMax);
  if (hue > kHLSMax) hue = static_cast<float>(Real{hue} - kHLSMax);

  // The ramps add 20 before dividing by 40: a rounding bias of half a unit.
  Real result = m1;
  if (hue < 40) {
    result = m1 + ((Real{m2} - m1) * hue + 20) / 40;
  } else if (hue < 120) {
    result = m2;
  } else if (hue < 160) {
    result = m1 + ((Real{m2} - m1) * (160 - Real{hue}) + 20) / 40;
  }
  return static_cast<float>(result);
}

// One RGB component (0..255, unclamped) for the intermediates at a hue that is
// already shifted by the component's third of the circle.
template <class Real>
int RGBComponent(float m1, float m2, std::int64_t hue) {
  const float value = HueComponentIn<Real>(m1, m2, static_cast<float>(hue));
  return Nearest((Real{value} * kRGBMax + kHLSMax / 2) / kHLSMax);
}

// The conversions, in extended precision or in double. For hue, lightness and
// saturation in 0..240 (and any RGB input, which is clamped to bytes) double
// gives the very same results: every quotient here is a ratio of small
// integers, or of floats, and lies much further from a rounding boundary than
// either format's error, so both round the same way at every step. This was
// checked for every input in those ranges; double is several times faster.
template <class Real>
void ToHueLightSat(int red, int green, int blue, int& hue, int& lightness, int& saturation) {
  // Colour maps only hold bytes; a caller's stray value is read as the byte it
  // is nearest to, which also keeps both saturation divisors positive.
  const int r = std::clamp(red, 0, kRGBMax);
  const int g = std::clamp(green, 0, kRGBMax);
  const int b = std::clamp(blue, 0, kRGBMax);
  const int max = std::max({r, g, b});
  const int min = std::min({r, g, b});
  const int sum = max + min;

  const int l = Nearest(static_cast<Real>(sum * kHLSMax + kRGBMax) / (2 * kRGBMax));
  int h = kGreyHue;
  int s = 0;
  if (max != min) {
    // Not a grey, so 0 < sum < 510: neither divisor is zero.
    const int delta = max - min;
    const int divisor = l <= kHLSMax / 2 ? sum : 2 * kRGBMax - sum;
    s = Nearest((static_cast<Real>(delta * kHLSMax) + static_cast<Real>(divisor) / 2) / divisor);

    const float rOffset = HueOffset<Real>(max, r, delta);
    const float gOffset = HueOffset<Real>(max, g, delta);
    const float bOffset = HueOffset<Real>(max, b, delta);
    if (r == max) {
      h = Nearest(Real{bOffset} - gOffset);
    } else if (g == max) {
      h = Nearest(Real{80} + rOffset - bOffset);
    } else {
      h = Nearest(Real{160} + gOffset - rOffset);
    }
    // h lies in -40..200 here, so one turn up is all the wrapping needed; red
    // stays at 0 rather than 240.
    if (h < 0) h += kHLSMax;
  }
  hue = h;
  lightness = std::clamp(l, 0, kHLSMax);
  saturation = std::clamp(s, 0, kHLSMax);
}

template <class Real>
void ToRGB(int hue, int lightness, int saturation, int& red, int& green, int& blue) {
  // 64 bits hold every product of two ints below; long double holds them
  // exactly, so only the divisions round.
  const std::int64_t l = lightness;
  const std::int64_t s = saturation;
  int r = 0;
  int g = 0;
  int b = 0;
  if (s == 0) {
    // No bias here: lightness 120 is 127.5, which becomes 128.
    r = g = b = Nearest(static_cast<Real>(l * kRGBMax) / kHLSMax);
  } else {
    const Real m2Real =
        l <= kHLSMax / 2
            ? static_cast<Real>(l * (s + kHLSMax) + kHLSMax / 2) / kHLSMax
            : static_cast<Real>(l + s) - static_cast<Real>(l * s + kHLSMax / 2) / kHLSMax;
    const auto m2 = static_cast<float>(m2Real);
    const auto m1 = static_cast<float>(static_cast<Real>(2 * l) - m2);
    const std::int64_t h = hue;
    r = RGBComponent<Real>(m1, m2, h + kHLSMax / 3);
    g = RGBComponent<Real>(m1, m2, h);
    b = RGBComponent<Real>(m1, m2, h - kHLSMax / 3);
  }
  red = std::clamp(r, 0, kRGBMax);
  green = std::clamp(g, 0, kRGBMax);
  blue = std::clamp(b, 0, kRGBMax);
}

bool OnScale(int value) {
  return value >= 0 && value <= kHLSMax;
}

}  // namespace

void RGBToHueLightSat(int red, int green, int blue, int& hue, int& lightness, int& saturation) {
  ToHueLightSat<double>(red, green, blue, hue, lightness, saturation);
}

void HueLightSatToRGB(int hue, int lightness, int saturation, int& red, int& green, int& blue) {
  if (OnScale(hue) && OnScale(lightness) && OnScale(saturation))
    ToRGB<double>(hue, lightness, saturation, red, green, blue);
  else
    ToRGB<Extended>(hue, lightness, saturation, red, green, blue);
}

float HueComponent(float m1, float m2, float hue) {
  return HueComponentIn<Extended>(m1, m2, hue);
}

}  // namespace color
