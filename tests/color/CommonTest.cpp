// Tests of the RGB <-> HLS conversion. Exact digits matter: the recolour pass
// compares converted values against what the user read off the grid.
#include "color/Common.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace {

using Triple = std::array<int, 3>;

Triple ToHLS(const Triple& rgb) {
  Triple hls{};
  color::RGBToHueLightSat(rgb[0], rgb[1], rgb[2], hls[0], hls[1], hls[2]);
  return hls;
}

Triple ToRGB(const Triple& hls) {
  Triple rgb{};
  color::HueLightSatToRGB(hls[0], hls[1], hls[2], rgb[0], rgb[1], rgb[2]);
  return rgb;
}

constexpr int kIntMin = std::numeric_limits<int>::min();
constexpr int kIntMax = std::numeric_limits<int>::max();

// Every value near both ends of 0..top (small differences and the branch
// edges live there) and every seventh one in between; the whole cube takes
// too long under the sanitizers.
std::vector<int> Sample(int top) {
  std::vector<int> values;
  for (int v = 0; v <= top; ++v) {
    if (v <= 20 || v >= top - 20 || v % 7 == 0) values.push_back(v);
  }
  return values;
}

TEST(ColorConversion, ReferenceColoursThereAndBack) {
  struct Case {
    Triple rgb, hls, back;
  };
  const Case cases[] = {
      {{255, 0, 0}, {0, 120, 240}, {255, 0, 0}},
      {{0, 255, 0}, {80, 120, 240}, {0, 255, 0}},
      {{0, 0, 255}, {160, 120, 240}, {0, 0, 255}},
      {{128, 128, 128}, {160, 121, 0}, {129, 129, 129}},  // greys drift
      {{10, 200, 90}, {97, 99, 218}, {10, 202, 92}},
      {{200, 100, 50}, {13, 118, 144}, {202, 100, 50}},  // saturation 144.5
      {{255, 255, 255}, {160, 240, 0}, {255, 255, 255}},
      {{0, 0, 0}, {160, 0, 0}, {0, 0, 0}},
      {{255, 0, 1}, {0, 120, 240}, {255, 0, 0}},  // a small component is rounded away
      {{250, 250, 251}, {160, 236, 27}, {251, 251, 251}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ToHLS(c.rgb), c.hls) << c.rgb[0] << "," << c.rgb[1] << "," << c.rgb[2];
    EXPECT_EQ(ToRGB(c.hls), c.back) << c.hls[0] << "," << c.hls[1] << "," << c.hls[2];
  }
}

TEST(ColorConversion, ReferenceHLSValues) {
  EXPECT_EQ(ToRGB({240, 120, 240}), (Triple{255, 0, 0}));
  EXPECT_EQ(ToRGB({40, 60, 120}), (Triple{97, 97, 32}));
  EXPECT_EQ(ToRGB({0, 120, 0}), (Triple{128, 128, 128}));
  EXPECT_EQ(ToRGB({0, 240, 0}), (Triple{255, 255, 255}));
  EXPECT_EQ(ToRGB({200, 200, 100}), (Triple{230, 196, 231}));
}

// Each case sits exactly on a half; rounding halves up (or truncating) fails it.
TEST(ColorConversion, HalvesRoundToEven) {
  EXPECT_EQ(ToHLS({17, 0, 0})[1], 8);                  // lightness 8.5
  EXPECT_EQ(ToHLS({200, 100, 50})[2], 144);            // saturation 144.5
  EXPECT_EQ(ToHLS({80, 1, 0})[0], 0);                  // hue 0.5
  EXPECT_EQ(ToHLS({80, 3, 0})[0], 2);                  // hue 1.5
  EXPECT_EQ(ToRGB({0, 8, 0}), (Triple{8, 8, 8}));      // 8.5
  EXPECT_EQ(ToRGB({0, 24, 0}), (Triple{26, 26, 26}));  // 25.5
  EXPECT_EQ(ToRGB({0, 0, 1}), (Triple{1, 0, 0}));      // green is 0.5
}

// m1, m2 and each component are stored as floats. Storing the component
// lands green exactly on 85.5 in the first rows (extended precision alone gives
// 85.49...); storing m1 and m2 decides the last two (kept extended they give
// green 18 and 34).
TEST(ColorConversion, SinglePrecisionIntermediatesDecideRounding) {
  EXPECT_EQ(ToRGB({5, 130, 148}), (Triple{210, 86, 67}));
  EXPECT_EQ(ToRGB({75, 130, 148}), (Triple{86, 210, 67}));
  EXPECT_EQ(ToRGB({8, 148, 160}), (Triple{222, 120, 93}));
  EXPECT_EQ(ToRGB({2, 116, 230}), (Triple{242, 17, 5}));
  EXPECT_EQ(ToRGB({5, 85, 200}), (Triple{167, 35, 15}));
}

TEST(ColorConversion, HueZeroAndHue240Differ) {
  // Hue 0 puts green on the ramp (m1 plus the half-unit bias), hue 240 at m1.
  EXPECT_EQ(ToRGB({0, 1, 1}), (Triple{2, 2, 1}));
  EXPECT_EQ(ToRGB({240, 1, 1}), (Triple{2, 1, 1}));
  // At full saturation both are pure red.
  EXPECT_EQ(ToRGB({0, 120, 240}), (Triple{255, 0, 0}));
  EXPECT_EQ(ToRGB({240, 120, 240}), (Triple{255, 0, 0}));
  // Red is reported as 0, never 240.
  EXPECT_EQ(ToHLS({255, 0, 0})[0], 0);
  EXPECT_EQ(ToHLS({1, 0, 0})[0], 0);
}

TEST(ColorConversion, GreysHaveHue160AndNoSaturation) {
  for (int v = 0; v <= 255; ++v) {
    const Triple hls = ToHLS({v, v, v});
    EXPECT_EQ(hls[0], 160) << v;
    EXPECT_EQ(hls[2], 0) << v;
    // 2v/255 of the scale plus the half-unit bias, so never below the exact value.
    const double exact = v * 240.0 / 255.0;
    EXPECT_GE(hls[1], exact - 1e-9) << v;
    EXPECT_LE(hls[1], exact + 1.0) << v;
  }
  EXPECT_EQ(ToHLS({0, 0, 0})[1], 0);
  EXPECT_EQ(ToHLS({255, 255, 255})[1], 240);
}

TEST(ColorConversion, NoSaturationIgnoresHue) {
  for (int l = -5; l <= 245; ++l) {
    const int grey = std::clamp(static_cast<int>(std::nearbyint(l * 255.0 / 240.0)), 0, 255);
    for (int hue : {kIntMin, -80, 0, 80, 160, 240, 1000, kIntMax}) {
      EXPECT_EQ(ToRGB({hue, l, 0}), (Triple{grey, grey, grey})) << hue << " " << l;
    }
  }
}

// Compares with the textbook conversion in double precision over a dense
// sample of the RGB cube. Hue is the exact hue rounded; lightness and
// saturation carry a half-unit bias, so they lie within [exact, exact + 1].
TEST(ColorConversion, RGBToHLSAgreesWithTextbookFormula) {
  const std::vector<int> values = Sample(255);
  for (int r : values) {
    for (int g : values) {
      for (int b : values) {
        const Triple hls = ToHLS({r, g, b});
        const int max = std::max({r, g, b});
        const int min = std::min({r, g, b});
        const double l = (max + min) * 240.0 / 510.0;
        ASSERT_TRUE(hls[1] >= l - 1e-9 && hls[1] <= l + 1 + 1e-9) << r << "," << g << "," << b;
        if (max == min) continue;
        const double delta = max - min;
        const double s = delta * 240.0 / (max + min <= 255 ? max + min : 510.0 - max - min);
        ASSERT_TRUE(hls[2] >= s - 1e-9 && hls[2] <= s + 1 + 1e-9) << r << "," << g << "," << b;
        double h = r == max   ? (g - b) / delta
                   : g == max ? 2 + (b - r) / delta
                              : 4 + (r - g) / delta;
        h = std::fmod(h * 40 + 240, 240);
        double distance = std::fabs(hls[0] - h);
        distance = std::min(distance, 240 - distance);
        ASSERT_TRUE(hls[0] >= 0 && hls[0] <= 239 && distance <= 0.5 + 1e-4)
            << r << "," << g << "," << b << " -> " << hls[0];
      }
    }
  }
}

// The textbook conversion back to RGB, in double precision. m2 and m1 carry a
// bias of half a unit, the ramps another half, and the final rounding adds a
// half before rounding: at most 0.5 + 0.5 + 255/240 off.
TEST(ColorConversion, HLSToRGBAgreesWithTextbookFormula) {
  const auto component = [](double p, double q, double t) {
    if (t < 0) t += 1;
    if (t > 1) t -= 1;
    if (t < 1.0 / 6) return p + (q - p) * 6 * t;
    if (t < 1.0 / 2) return q;
    if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
  };
  const double bound = 1.0 + 255.0 / 240.0 + 1e-6;
  const std::vector<int> values = Sample(240);
  for (int hue = 0; hue <= 240; ++hue) {
    for (int light : values) {
      for (int sat : values) {
        const Triple rgb = ToRGB({hue, light, sat});
        const double h = hue / 240.0, l = light / 240.0, s = sat / 240.0;
        const double q = l <= 0.5 ? l * (1 + s) : l + s - l * s;
        const double p = 2 * l - q;
        const double expected[] = {component(p, q, h + 1.0 / 3) * 255, component(p, q, h) * 255,
                                   component(p, q, h - 1.0 / 3) * 255};
        for (int i = 0; i < 3; ++i) {
          ASSERT_LE(std::fabs(rgb[i] - expected[i]), bound)
              << hue << "," << light << "," << sat << " component " << i;
        }
      }
    }
  }
}

// Hues of the scale are converted in double, hues a turn further in extended
// precision; from 81 to 159 a turn up gives every ramp the same inputs, so the
// two must agree to the digit at every lightness and saturation.
TEST(ColorConversion, DoubleOnTheScaleIsExtendedPrecisionToTheDigit) {
  const std::vector<int> values = Sample(240);
  for (int hue = 81; hue <= 159; ++hue)
    for (int light : values)
      for (int sat : values)
        ASSERT_EQ(ToRGB({hue, light, sat}), ToRGB({hue + 240, light, sat}))
            << hue << "," << light << "," << sat;
}

TEST(HueComponent, SegmentsAndBias) {
  const float m1 = 10, m2 = 90;
  EXPECT_EQ(color::HueComponent(m1, m2, 0), 10.5f);  // ramp start plus the bias
  EXPECT_EQ(color::HueComponent(m1, m2, 20), 50.5f);
  EXPECT_EQ(color::HueComponent(m1, m2, 40), 90.0f);
  EXPECT_EQ(color::HueComponent(m1, m2, 119.5f), 90.0f);
  EXPECT_EQ(color::HueComponent(m1, m2, 120), 90.5f);  // falling ramp starts at m2 + bias
  EXPECT_EQ(color::HueComponent(m1, m2, 140), 50.5f);
  EXPECT_EQ(color::HueComponent(m1, m2, 160), 10.0f);
  EXPECT_EQ(color::HueComponent(m1, m2, 240), 10.0f);
}

TEST(HueComponent, WrapsOnceOnly) {
  const float m1 = 10, m2 = 90;
  EXPECT_EQ(color::HueComponent(m1, m2, -220), color::HueComponent(m1, m2, 20));
  EXPECT_EQ(color::HueComponent(m1, m2, 260), color::HueComponent(m1, m2, 20));
  // Two turns out is not brought back: above, the hue stays past 160 (m1);
  // below, the rising ramp is extrapolated.
  EXPECT_EQ(color::HueComponent(m1, m2, 500), 10.0f);
  EXPECT_EQ(color::HueComponent(m1, m2, -260), 10 + (80.0f * -20 + 20) / 40);
}

TEST(ColorConversion, HueOneTurnOutGivesTheSameColour) {
  // Away from the seams at 0/240 a pasted hue one turn too low or too high
  // reads as the same colour.
  for (int hue = 81; hue <= 159; ++hue) {
    for (int light = 0; light <= 240; light += 8) {
      for (int sat = 1; sat <= 240; sat += 7) {
        const Triple expected = ToRGB({hue, light, sat});
        EXPECT_EQ(ToRGB({hue - 240, light, sat}), expected) << hue << "," << light << "," << sat;
        EXPECT_EQ(ToRGB({hue + 240, light, sat}), expected) << hue << "," << light << "," << sat;
      }
    }
  }
}

TEST(ColorConversion, LightnessBeyondTheScaleIsBlackOrWhite) {
  for (int light : {-(1 << 20), -1000, -1}) {
    for (int sat = 0; sat <= 240; sat += 8) {
      for (int hue = 0; hue <= 240; hue += 10) {
        EXPECT_EQ(ToRGB({hue, light, sat}), (Triple{0, 0, 0})) << hue << "," << light << "," << sat;
      }
    }
  }
  for (int light : {241, 1000, kIntMax}) {
    for (int sat = 0; sat <= 240; sat += 8) {
      for (int hue = 0; hue <= 240; hue += 10) {
        EXPECT_EQ(ToRGB({hue, light, sat}), (Triple{255, 255, 255}))
            << hue << "," << light << "," << sat;
      }
    }
  }
}

// Extreme values must neither overflow nor convert an out-of-range value to
// int (the sanitizer build checks that); the results stay in range.
TEST(ColorConversion, ExtremeInputsStayInRange) {
  const int values[] = {kIntMin, kIntMin + 1, -241, -1,  0,           1,
                        120,     240,         241,  256, kIntMax - 1, kIntMax};
  for (int a : values) {
    for (int b : values) {
      for (int c : values) {
        for (int v : ToRGB({a, b, c})) EXPECT_TRUE(v >= 0 && v <= 255) << a << "," << b << "," << c;
        const Triple hls = ToHLS({a, b, c});
        EXPECT_TRUE(hls[0] >= 0 && hls[0] <= 239) << a << "," << b << "," << c;
        EXPECT_TRUE(hls[1] >= 0 && hls[1] <= 240) << a << "," << b << "," << c;
        EXPECT_TRUE(hls[2] >= 0 && hls[2] <= 240) << a << "," << b << "," << c;
      }
    }
  }
}

TEST(ColorConversion, ComponentsOutsideAByteAreSaturated) {
  EXPECT_EQ(ToHLS({300, -5, 0}), ToHLS({255, 0, 0}));
  EXPECT_EQ(ToHLS({kIntMax, kIntMin, kIntMax}), ToHLS({255, 0, 255}));
  EXPECT_EQ(ToHLS({-1, -1, -1}), (Triple{160, 0, 0}));
}

}  // namespace
