// The recolour passes on plain colour maps, without a window.
#include "app/Recolour.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "color/Common.h"
#include "gif/ColorMap.h"

using apptest::HLSToRgb;
using apptest::Rgb;
using apptest::ToTColor;

namespace {

struct Map {
  gif::TGIFGlobalColorMap map{nullptr};
  explicit Map(const std::vector<Rgb>& colours) {
    for (const Rgb& c : colours) map.AppendEntry(ToTColor(c));
  }
  Rgb At(int i) {
    const gif::TGIFColor c = gif::TGIFColorMap::ColorToTriple(map.ReadEntry(i));
    return Rgb{c.Red, c.Green, c.Blue};
  }
};

int HueOf(Rgb c) {
  int h = 0, l = 0, s = 0;
  color::RGBToHueLightSat(c.r, c.g, c.b, h, l, s);
  return h;
}

::testing::AssertionResult SameRgb(Rgb actual, Rgb expected) {
  if (actual.r == expected.r && actual.g == expected.g && actual.b == expected.b)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "got " << int(actual.r) << "," << int(actual.g) << "," << int(actual.b) << " expected "
         << int(expected.r) << "," << int(expected.g) << "," << int(expected.b);
}

// A request whose boxes are recorded instead of shown.
struct Command {
  app::TRecolourRequest request;
  std::vector<std::string> boxes;
  int tolerance = 0;
  Command() {
    request.Tolerance = [this] { return tolerance; };
    request.ShowError = [this](const std::string& text) { boxes.push_back(text); };
  }
};

// The first colour of full saturation whose hue comes out as wanted, found by
// walking the hue circle at lightness 120.
Rgb ColourWithHue(int hue) {
  for (int h = 0; h <= 240; ++h) {
    const Rgb c = HLSToRgb(h, 120, 240);
    if (HueOf(c) == hue) return c;
  }
  ADD_FAILURE() << "no colour with hue " << hue;
  return Rgb{0, 0, 0};
}

}  // namespace

TEST(FieldValue, ReadsSignedDecimalAndTakesAnythingElseAsZero) {
  EXPECT_EQ(app::FieldValue("80"), 80);
  EXPECT_EQ(app::FieldValue("007"), 7);
  EXPECT_EQ(app::FieldValue("-5"), -5);
  EXPECT_EQ(app::FieldValue("+5"), 5);
  EXPECT_EQ(app::FieldValue("2147483647"), 2147483647);
  EXPECT_EQ(app::FieldValue("-2147483648"), -2147483647 - 1);
  for (const char* text : {"", "-", "+", "abc", "12a", " 12", "12 ", "1.5", "0x10", "--1",
                           "2147483648", "-2147483649", "99999999999999999999"})
    EXPECT_EQ(app::FieldValue(text), 0) << '"' << text << '"';
}

TEST(RecolourPass, PureRedToHue80BecomesPureGreenAndHue1StaysPut) {
  const Rgb hue1 = ColourWithHue(1);
  Map m({{255, 0, 0}, hue1});
  EXPECT_EQ(app::RecolourPass(m.map, app::THLSComponent::Hue, 0, 80, 0), 1);
  EXPECT_TRUE(SameRgb(m.At(0), {0, 255, 0}));
  EXPECT_TRUE(SameRgb(m.At(1), hue1));
}

TEST(RecolourPass, ToleranceWindowIsInclusiveAndDoesNotWrapAroundTheHueCircle) {
  const std::vector<int> hues = {0, 100, 101, 200, 239};
  std::vector<Rgb> colours;
  for (int h : hues) colours.push_back(ColourWithHue(h));
  Map m(colours);
  EXPECT_EQ(app::RecolourPass(m.map, app::THLSComponent::Hue, 0, 40, 100), 2);
  EXPECT_EQ(HueOf(m.At(0)), 40);
  EXPECT_EQ(HueOf(m.At(1)), 40);
  for (int i = 2; i < 5; ++i) EXPECT_TRUE(SameRgb(m.At(i), colours[std::size_t(i)])) << i;

  // From 235 with tolerance 10 reaches 225..245, but not hue 3 across 240.
  Map high({ColourWithHue(225), ColourWithHue(239), ColourWithHue(3), ColourWithHue(224)});
  EXPECT_EQ(app::RecolourPass(high.map, app::THLSComponent::Hue, 235, 120, 10), 2);
  EXPECT_EQ(HueOf(high.At(2)), 3);
  EXPECT_EQ(HueOf(high.At(3)), 224);
}

TEST(RecolourPass, KeepsTheOtherTwoComponents) {
  Map m({HLSToRgb(0, 60, 200), HLSToRgb(120, 180, 100)});
  int h0 = 0, l0 = 0, s0 = 0, h1 = 0, l1 = 0, s1 = 0;
  const Rgb before0 = m.At(0), before1 = m.At(1);
  color::RGBToHueLightSat(before0.r, before0.g, before0.b, h0, l0, s0);
  color::RGBToHueLightSat(before1.r, before1.g, before1.b, h1, l1, s1);
  app::RecolourPass(m.map, app::THLSComponent::Hue, h0, 160, 0);
  EXPECT_TRUE(SameRgb(m.At(0), HLSToRgb(160, l0, s0)));
  app::RecolourPass(m.map, app::THLSComponent::Lightness, l1, 90, 0);
  EXPECT_TRUE(SameRgb(m.At(1), HLSToRgb(h1, 90, s1)));
}

TEST(RecolourPass, GreyIsMatchedByHue160AndDriftsOneStep) {
  Map m({{128, 128, 128}});
  EXPECT_EQ(app::RecolourPass(m.map, app::THLSComponent::Hue, 150, 20, 10), 1);
  EXPECT_TRUE(SameRgb(m.At(0), {129, 129, 129}));
}

TEST(RecolourPass, EmptyMapIsLeftAlone) {
  gif::TGIFGlobalColorMap map(nullptr);
  EXPECT_EQ(app::RecolourPass(map, app::THLSComponent::Saturation, 0, 10, 100), 0);
  EXPECT_EQ(map.EntryCount(), 0);
}

TEST(Recolour, AllFieldsEmptyShowsNothingAndChangesNothing) {
  Map m({{255, 0, 0}, {12, 34, 56}});
  Command run;
  EXPECT_EQ(app::Recolour(m.map, run.request), app::TRecolourResult::Finished);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_TRUE(SameRgb(m.At(0), {255, 0, 0}));
  EXPECT_TRUE(SameRgb(m.At(1), {12, 34, 56}));
}

TEST(Recolour, LaterPassesMatchWhatEarlierPassesLeft) {
  // Saturation 0 turns pure red (lightness 120) into grey 128, whose lightness
  // is 121; only a lightness pass that reads the entry afresh matches 121.
  Map m({{255, 0, 0}});
  Command run;
  run.request.FromS = "240";
  run.request.ToS = "0";
  run.request.FromL = "121";
  run.request.ToL = "0";
  EXPECT_EQ(app::Recolour(m.map, run.request), app::TRecolourResult::Finished);
  EXPECT_TRUE(SameRgb(m.At(0), {0, 0, 0}));
}

TEST(Recolour, EmptyToFieldShowsItsBoxAndTheOtherPassesStillRun) {
  struct Case {
    const char* name;
    std::string app::TRecolourRequest::*from;
    const char* box;
  };
  const Case cases[] = {{"hue", &app::TRecolourRequest::FromH, app::msg::EnterNewHue},
                        {"saturation", &app::TRecolourRequest::FromS, app::msg::EnterNewSaturation},
                        {"lightness", &app::TRecolourRequest::FromL, app::msg::EnterNewLight}};
  for (const Case& c : cases) {
    Map m({{255, 0, 0}});
    Command run;
    // Every pass but the one under test recolours red somehow; that one lacks
    // its To value. The tolerance absorbs the step a rebuilt entry may drift.
    run.tolerance = 5;
    run.request.FromH = "0";
    run.request.ToH = "80";
    run.request.FromS = "240";
    run.request.ToS = "120";
    run.request.FromL = "120";
    run.request.ToL = "60";
    run.request.*c.from = "0";
    if (c.from == &app::TRecolourRequest::FromH) run.request.ToH.clear();
    if (c.from == &app::TRecolourRequest::FromS) run.request.ToS.clear();
    if (c.from == &app::TRecolourRequest::FromL) run.request.ToL.clear();
    EXPECT_EQ(app::Recolour(m.map, run.request), app::TRecolourResult::Finished) << c.name;
    EXPECT_EQ(run.boxes, std::vector<std::string>{c.box}) << c.name;
    const Rgb after = m.At(0);
    int h = 0, l = 0, s = 0;
    color::RGBToHueLightSat(after.r, after.g, after.b, h, l, s);
    EXPECT_NEAR(h, c.from == &app::TRecolourRequest::FromH ? 0 : 80, 1) << c.name;
    EXPECT_NEAR(l, c.from == &app::TRecolourRequest::FromL ? 120 : 60, 1) << c.name;
  }
}

TEST(Recolour, ValueAbove240StopsTheCommandButKeepsEarlierPasses) {
  {
    Map m({{255, 0, 0}});
    Command run;
    run.request.FromH = "0";
    run.request.ToH = "241";
    run.request.FromS = "240";
    run.request.ToS = "0";
    EXPECT_EQ(app::Recolour(m.map, run.request), app::TRecolourResult::Stopped);
    EXPECT_EQ(run.boxes, std::vector<std::string>{app::msg::HueLimit});
    EXPECT_TRUE(SameRgb(m.At(0), {255, 0, 0}));  // the saturation pass did not run
  }
  {
    Map m({{255, 0, 0}});
    Command run;
    run.request.FromH = "0";
    run.request.ToH = "80";
    run.request.FromS = "240";
    run.request.ToS = "300";
    EXPECT_EQ(app::Recolour(m.map, run.request), app::TRecolourResult::Stopped);
    EXPECT_EQ(run.boxes, std::vector<std::string>{app::msg::SaturationLimit});
    EXPECT_TRUE(SameRgb(m.At(0), {0, 255, 0}));
  }
  {
    Map m({{255, 0, 0}});
    Command run;
    run.request.FromL = "241";
    run.request.ToL = "0";
    EXPECT_EQ(app::Recolour(m.map, run.request), app::TRecolourResult::Stopped);
    EXPECT_EQ(run.boxes, std::vector<std::string>{app::msg::LightnessLimit});
  }
  {
    // 240 itself is accepted.
    Map m({{255, 255, 255}});
    Command run;
    run.request.FromL = "240";
    run.request.ToL = "240";
    EXPECT_EQ(app::Recolour(m.map, run.request), app::TRecolourResult::Finished);
    EXPECT_TRUE(run.boxes.empty());
  }
}

TEST(Recolour, NonNumbersCountAsZeroAndNegativesAreUsed) {
  Map m({{255, 0, 0}, ColourWithHue(5)});
  Command run;
  run.request.FromH = "red";  // 0
  run.request.ToH = "80";
  EXPECT_EQ(app::Recolour(m.map, run.request), app::TRecolourResult::Finished);
  EXPECT_TRUE(SameRgb(m.At(0), {0, 255, 0}));
  EXPECT_EQ(HueOf(m.At(1)), 5);

  Command negative;
  negative.request.FromH = "-5";
  negative.request.ToH = "160";
  negative.tolerance = 10;  // -15..5 reaches hue 5 only
  app::Recolour(m.map, negative.request);
  EXPECT_EQ(HueOf(m.At(1)), 160);
  EXPECT_TRUE(SameRgb(m.At(0), {0, 255, 0}));
}

TEST(Recolour, ToleranceIsReadForEveryPassThatRuns) {
  Map m({{255, 0, 0}});
  Command run;
  int reads = 0;
  run.request.Tolerance = [&] { return ++reads == 1 ? 0 : 100; };
  run.request.FromH = "0";
  run.request.ToH = "0";
  run.request.FromL = "30";  // red has lightness 120, within 100 of 30 only on the second read
  run.request.ToL = "60";
  app::Recolour(m.map, run.request);
  EXPECT_EQ(reads, 2);
  EXPECT_TRUE(SameRgb(m.At(0), HLSToRgb(0, 60, 240)));
}
