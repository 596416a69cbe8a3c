// Relative adjustments: the HLS mode against the colour model's own
// conversion, the perceptual mode against a plain double-precision OKLab
// computation written out here.
#include "edit/Adjust.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <span>
#include <vector>

#include "PaletteMaps.h"
#include "color/Common.h"
#include "edit/AdjustSession.h"
#include "edit/OKLab.h"

namespace {

// Every 15th step of each channel, with both ends: 18^3 colours.
test::Colours Sweep() {
  test::Colours colours;
  for (int r = 0; r <= 255; r += 15)
    for (int g = 0; g <= 255; g += 15)
      for (int b = 0; b <= 255; b += 15) colours.push_back({uint8_t(r), uint8_t(g), uint8_t(b)});
  return colours;
}

gif::TGIFColor ModelAdjusted(gif::TGIFColor c, int dh, int ds, int dl) {
  int h = 0, l = 0, s = 0;
  color::RGBToHueLightSat(c.Red, c.Green, c.Blue, h, l, s);
  const int h2 = s == 0 ? h : ((h + dh) % 240 + 240) % 240;
  const int s2 = std::clamp(s + ds, 0, 240), l2 = std::clamp(l + dl, 0, 240);
  if (h2 == h && s2 == s && l2 == l) return c;
  int r = 0, g = 0, b = 0;
  color::HueLightSatToRGB(h2, l2, s2, r, g, b);
  return {uint8_t(r), uint8_t(g), uint8_t(b)};
}

TEST(Adjust, HLSModeIsTheColourModelsConversionEntryByEntry) {
  const test::Colours sweep = Sweep();
  const int rows[][3] = {{0, 0, 0},   {40, 0, 0},  {-40, 0, 0},  {239, 0, 0},      {-240, 0, 0},
                         {240, 0, 0}, {0, 60, 0},  {0, -240, 0}, {0, 240, 0},      {0, 0, 30},
                         {0, 0, -90}, {0, 0, 240}, {13, -7, 21}, {-120, 100, -100}};
  edit::TEntryMask all;
  all.set();
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row[0] << " " << row[1] << " " << row[2]);
    const edit::TAdjustment adjustment{false, double(row[0]), double(row[1]), double(row[2])};
    // In tables of 256, the last one shorter.
    for (std::size_t start = 0; start < sweep.size(); start += 256) {
      const test::Colours part(sweep.begin() + long(start),
                               sweep.begin() + long(std::min(sweep.size(), start + 256)));
      test::Colours expected;
      int expectedChanges = 0;
      for (const gif::TGIFColor& c : part) {
        expected.push_back(ModelAdjusted(c, row[0], row[1], row[2]));
        expectedChanges += !(expected.back() == c);
      }
      test::TestMap m(part);
      EXPECT_EQ(edit::Adjust(m.map, all, adjustment), expectedChanges);
      ASSERT_EQ(m.Entries(), expected);
    }
  }
}

TEST(Adjust, OnlyTheChosenEntriesChange) {
  const test::Colours colours = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  test::TestMap m(colours);
  edit::TEntryMask chosen;
  chosen.set(1).set(200);
  EXPECT_EQ(edit::Adjust(m.map, chosen, {false, 80, 0, 0}), 1);
  EXPECT_EQ(m.Entries(),
            (test::Colours{{255, 0, 0}, ModelAdjusted({0, 255, 0}, 80, 0, 0), {0, 0, 255}}));
}

// The reference: OKLab by the paper's matrices as matrices, the gamut found by
// bisecting until the interval no longer shrinks.
namespace reference {

using Vector = std::array<double, 3>;
using Matrix = std::array<Vector, 3>;
constexpr Matrix M1 = {{{0.4122214708, 0.5363325363, 0.0514459929},
                        {0.2119034982, 0.6806995451, 0.1073969566},
                        {0.0883024619, 0.2817188376, 0.6299787005}}};
constexpr Matrix M2 = {{{0.2104542553, 0.7936177850, -0.0040720468},
                        {1.9779984951, -2.4285922050, 0.4505937099},
                        {0.0259040371, 0.7827717662, -0.8086757660}}};

Vector Times(const Matrix& m, const Vector& v) {
  Vector out{};
  for (int i = 0; i < 3; ++i) out[i] = m[i][0] * v[0] + m[i][1] * v[1] + m[i][2] * v[2];
  return out;
}

Matrix Inverse(const Matrix& m) {
  const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                     m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                     m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  Matrix inv{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      const int a = (j + 1) % 3, b = (j + 2) % 3, c = (i + 1) % 3, d = (i + 2) % 3;
      inv[i][j] = (m[a][c] * m[b][d] - m[a][d] * m[b][c]) / det;
    }
  return inv;
}

Vector LabOfLinear(const Vector& lin) {
  Vector lms = Times(M1, lin);
  for (double& x : lms) x = std::cbrt(x);
  return Times(M2, lms);
}

Vector Lab(gif::TGIFColor c) {
  Vector lin{};
  const uint8_t bytes[3] = {c.Red, c.Green, c.Blue};
  for (int i = 0; i < 3; ++i) {
    const double x = bytes[i] / 255.0;
    lin[i] = x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
  }
  return LabOfLinear(lin);
}

Vector Linear(const Vector& lab) {
  static const Matrix fromLab = Inverse(M2), fromLMS = Inverse(M1);
  Vector lms = Times(fromLab, lab);
  for (double& x : lms) x = x * x * x;
  return Times(fromLMS, lms);
}

bool Inside(const Vector& lin) {
  return std::all_of(lin.begin(), lin.end(), [](double x) { return x >= -1e-9 && x <= 1 + 1e-9; });
}

// The colour at lightness L, chroma C and hue angle h (radians), its chroma
// halved down into sRGB when outside.
gif::TGIFColor InGamut(double L, double C, double h) {
  const auto at = [&](double chroma) {
    return Linear({L, chroma * std::cos(h), chroma * std::sin(h)});
  };
  if (!Inside(at(C))) {
    double lo = 0, hi = C;
    for (double mid = C / 2; mid > lo && mid < hi; mid = (lo + hi) / 2)
      (Inside(at(mid)) ? lo : hi) = mid;
    C = lo;
  }
  const Vector lin = at(C);
  uint8_t out[3];
  for (int i = 0; i < 3; ++i) {
    const double x = std::clamp(lin[i], 0.0, 1.0);
    out[i] = uint8_t(
        std::lround(255 * (x <= 0.0031308 ? 12.92 * x : 1.055 * std::pow(x, 1 / 2.4) - 0.055)));
  }
  return {out[0], out[1], out[2]};
}

gif::TGIFColor Adjusted(gif::TGIFColor c, double dh, double ds, double dl) {
  const Vector lab = Lab(c);
  const double L = std::clamp(lab[0] + dl / 100, 0.0, 1.0);
  const double C = std::hypot(lab[1], lab[2]) * std::max(0.0, 1 + ds / 100);
  double h = std::atan2(lab[2], lab[1]);
  if (std::hypot(lab[1], lab[2]) >= 1e-4) h += dh * std::numbers::pi / 180;
  return InGamut(L, C, h);
}

}  // namespace reference

int Apart(gif::TGIFColor a, gif::TGIFColor b) {
  return std::max(
      {std::abs(a.Red - b.Red), std::abs(a.Green - b.Green), std::abs(a.Blue - b.Blue)});
}

TEST(Adjust, PerceptualModeIsWithinOneOfADoublePrecisionOKLabComputation) {
  const test::Colours sweep = Sweep();
  const double rows[][3] = {{0, 0, 0},    {30, 0, 0},   {-200, 0, 0},  {360, 0, 0},
                            {0, 50, 0},   {0, -100, 0}, {0, 100, 0},   {0, 0, 20},
                            {0, 0, -100}, {0, 0, 100},  {90, 40, -15}, {-45, -30, 10}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row[0] << " " << row[1] << " " << row[2]);
    const edit::TAdjustment adjustment{true, row[0], row[1], row[2]};
    int worst = 0;
    for (const gif::TGIFColor& c : sweep) {
      const gif::TGIFColor got = edit::AdjustColor(c, adjustment);
      const gif::TGIFColor want = reference::Adjusted(c, row[0], row[1], row[2]);
      const int apart = Apart(got, want);
      worst = std::max(worst, apart);
      ASSERT_LE(apart, 1) << c << " gives " << got << ", the reference " << want;
    }
    if (row[0] == 0 && row[1] == 0 && row[2] == 0) {
      EXPECT_EQ(worst, 0);
    }
  }
}

// OKLab's cube roots are taken by a guess and a few refining steps: to the
// last digits of the library's over the colours and far outside them (no
// light, the least and the most a double holds, less than none).
TEST(Adjust, OKLabIsTheReferencesToRounding) {
  const auto expectNear = [](const edit::TOKLab& got, const reference::Vector& want) {
    const double scale =
        std::max({1e-300, std::abs(want[0]), std::abs(want[1]), std::abs(want[2])});
    EXPECT_LE(std::abs(got.L - want[0]) / scale, 1e-14) << got.L << " for " << want[0];
    EXPECT_LE(std::abs(got.a - want[1]) / scale, 1e-14) << got.a << " for " << want[1];
    EXPECT_LE(std::abs(got.b - want[2]) / scale, 1e-14) << got.b << " for " << want[2];
  };
  for (const gif::TGIFColor& c : Sweep()) expectNear(edit::ToOKLab(c), reference::Lab(c));
  for (const double x : {0.0, 4.9e-324, 1e-300, 1e-150, 3e-5, 0.7, 1e300, 1.7e308, -0.25})
    expectNear(edit::LinearToOKLab({x, x / 2, x}), reference::LabOfLinear({x, x / 2, x}));
}

// Rays of every lightness, hue and chroma, and ones along which a channel
// turns back, so the inside comes in pieces (dark blues): the colour brought
// into sRGB is the halving reference's, within 1 per channel.
TEST(Adjust, GamutChromaIsTheHalvingReferences) {
  struct Ray {
    double L, h, C;
  };
  std::vector<Ray> rays = {{0.341728, 4.611277, 0.258966},
                           {0.350272, 4.610986, 0.344595},
                           {0.253898, 4.610721, 0.498759},
                           {0.088264, 4.610759, 0.121892},
                           {0, 1, 0.3},
                           {1, 2, 0.3}};
  for (int i = 0; i < 20000; ++i)  // a fixed spread standing in for random rays
    rays.push_back(
        {(i % 101) / 100.0, (i * 0.61803398875) * 2 * std::numbers::pi, (i % 37) / 60.0});
  std::vector<edit::TChromaRay> chromaRays;
  for (const Ray& ray : rays) {
    chromaRays.push_back({ray.L, std::cos(ray.h), std::sin(ray.h), ray.C});
    const gif::TGIFColor got = edit::ToSRGBInGamut(chromaRays.back());
    const gif::TGIFColor want = reference::InGamut(ray.L, ray.C, ray.h);
    ASSERT_LE(Apart(got, want), 1)
        << ray.L << " " << ray.h << " " << ray.C << ": " << got << ", the reference " << want;
  }
  // Many at once, in pairs and blocks (and an odd one over): the very colours
  // of one at a time.
  for (const std::size_t count : {chromaRays.size(), std::size_t{101}}) {
    std::vector<gif::TGIFColor> many(count);
    edit::ToSRGBInGamut(std::span(chromaRays).first(count), many);
    for (std::size_t i = 0; i < count; ++i)
      ASSERT_EQ(many[i], edit::ToSRGBInGamut(chromaRays[i])) << "ray " << i << " of " << count;
  }
}

// Stored bytes come from a table of where each byte begins: on greys spread
// over every linear value, dense at the dark end where the bytes lie closest,
// they are the direct encoding rounded.
TEST(Adjust, StoredBytesAreTheDirectEncodingRounded) {
  for (int i = 0; i <= 200000; ++i) {
    const double x = std::pow(i / 200000.0, 3);
    const edit::TOKLab grey{std::cbrt(x), 0, 0};
    const double linear = std::clamp(edit::OKLabToLinear(grey).r, 0.0, 1.0);
    const auto direct = uint8_t(std::nearbyint(edit::LinearToSRGB(linear) * 255));
    ASSERT_EQ(edit::ToSRGB(grey).Red, direct) << "linear " << linear;
  }
}

TEST(Adjust, PerceptualHueShiftLeavesGreysAndKeepsLightness) {
  for (const gif::TGIFColor grey : test::Colours{{0, 0, 0}, {128, 128, 128}, {255, 255, 255}})
    EXPECT_EQ(edit::AdjustColor(grey, {true, 120, 0, 0}), grey);
  // Yellow turned to blue keeps its lightness, unlike in HLS, and comes out of
  // sRGB, so it loses chroma instead.
  const edit::TOKLCh yellow = edit::ToOKLCh(edit::ToOKLab(gif::TGIFColor{255, 255, 0}));
  const edit::TOKLCh turned = edit::ToOKLCh(
      edit::ToOKLab(edit::AdjustColor(gif::TGIFColor{255, 255, 0}, {true, 160, 0, 0})));
  EXPECT_NEAR(turned.L, yellow.L, 0.01);
  EXPECT_LT(turned.C, yellow.C / 2);
}

}  // namespace

namespace {

// A slider dragged to and fro: each setting starts from the colours the
// session was made with, in every table, a colour shared by two tables turns
// alike in both, and Restore puts back even the entries an adjustment left
// elsewhere than it found them.
TEST(AdjustSession, EachSettingStartsFromTheRememberedColours) {
  const gif::TGIFColor red{255, 0, 0}, green{0, 255, 0}, grey{128, 128, 128};
  test::TestMap first({red, green, grey}), second({grey, red});
  edit::TEntryMask all, one;
  all.set();
  one.set(1);
  edit::TAdjustSession session;
  session.Add(first.map, all);
  session.Add(second.map, one);  // its red only
  const edit::TAdjustment turn{false, 80, 0, 0};
  const edit::TAdjustment darker{false, 0, 0, -40};
  for (const edit::TAdjustment& step : {turn, darker, turn}) {
    const int changed = session.Apply(step);
    const gif::TGIFColor redNow = edit::AdjustColor(red, step);
    EXPECT_EQ(first.Entries(), (test::Colours{redNow, edit::AdjustColor(green, step),
                                              edit::AdjustColor(grey, step)}));
    EXPECT_EQ(second.Entries(), (test::Colours{grey, redNow}));
    // A hue turn leaves the grey alone; darkening changes every entry.
    EXPECT_EQ(changed, step.Hue != 0 ? 3 : 4);
    EXPECT_EQ(session.TablesChanged(), 2);
  }
  session.Restore();
  EXPECT_EQ(first.Entries(), (test::Colours{red, green, grey}));
  EXPECT_EQ(second.Entries(), (test::Colours{grey, red}));
  EXPECT_EQ(session.TablesChanged(), 0);
  // The entries of another table that hold the colours chosen in the first.
  edit::TEntryMask greens;
  greens.set(1);
  EXPECT_EQ(edit::SameColours(second.map, first.map, greens), edit::TEntryMask());
  EXPECT_EQ(edit::SameColours(second.map, first.map, all), edit::TEntryMask().set(0).set(1));
}

}  // namespace

namespace {

// Enough colours for the session, and the one pass over many tables, to share
// them out over threads, by whole tables, with a last table that reuses the
// first's colours (written once the session's shares are done): every entry
// is its colour adjusted alone, at each step.
TEST(AdjustSession, ManyTablesSharedOutOverThreadsAdjustEveryEntry) {
  std::vector<test::Colours> colours(24);
  uint32_t seed = 20261209u;
  for (test::Colours& table : colours)
    for (int i = 0; i < 256; ++i) {
      seed = seed * 1664525u + 1013904223u;
      table.push_back({uint8_t(seed >> 24), uint8_t(seed >> 16), uint8_t(seed >> 8)});
    }
  colours.push_back(test::Colours(colours[0].begin(), colours[0].begin() + 100));
  colours.back().push_back({1, 2, 3});
  std::vector<std::unique_ptr<test::TestMap>> maps;
  edit::TAdjustSession session;
  edit::TEntryMask all;
  all.set();
  for (const test::Colours& table : colours) {
    maps.push_back(std::make_unique<test::TestMap>(table));
    session.Add(maps.back()->map, all);
  }
  for (const edit::TAdjustment& step :
       {edit::TAdjustment{false, 40, 0, -20}, edit::TAdjustment{true, 30, 10, 0}}) {
    session.Apply(step);
    for (std::size_t t = 0; t < colours.size(); ++t) {
      test::Colours expected;
      for (const gif::TGIFColor& c : colours[t]) expected.push_back(edit::AdjustColor(c, step));
      ASSERT_EQ(maps[t]->Entries(), expected) << "table " << t;
    }
    EXPECT_EQ(session.TablesChanged(), int(colours.size()));
  }
  session.Restore();
  for (std::size_t t = 0; t < colours.size(); ++t) EXPECT_EQ(maps[t]->Entries(), colours[t]);

  // The command line's one pass over the same tables, on two threads.
  const edit::TAdjustment step{true, 30, 10, 0};
  std::vector<edit::TTableEntries> tables;
  for (const auto& map : maps) tables.push_back({&map->map, all});
  tables[1].Entries.reset();
  const edit::TAdjustCount count = edit::Adjust(tables, step, 2);
  EXPECT_EQ(count.Tables, int(colours.size()) - 1);
  int changed = 0;
  for (std::size_t t = 0; t < colours.size(); ++t) {
    test::Colours expected = colours[t];
    if (t != 1)
      for (gif::TGIFColor& c : expected) {
        const gif::TGIFColor adjusted = edit::AdjustColor(c, step);
        changed += adjusted != c;
        c = adjusted;
      }
    ASSERT_EQ(maps[t]->Entries(), expected) << "table " << t;
  }
  EXPECT_EQ(count.Changed, changed);
}

}  // namespace
