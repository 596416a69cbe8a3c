// The recolour passes on plain colour maps, without a window.
#include "edit/Recolour.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "color/Common.h"
#include "gif/ColorMap.h"

namespace {

struct Rgb {
  uint8_t r, g, b;
};

gif::TColor ToTColor(Rgb c) {
  return gif::TGIFColorMap::TripleToColor(gif::TGIFColor{c.r, c.g, c.b});
}

Rgb HLSToRgb(int hue, int lightness, int saturation) {
  int r = 0, g = 0, b = 0;
  color::HueLightSatToRGB(hue, lightness, saturation, r, g, b);
  return Rgb{static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)};
}

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
  edit::TRecolourRequest request;
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
  EXPECT_EQ(edit::FieldValue("80"), 80);
  EXPECT_EQ(edit::FieldValue("007"), 7);
  EXPECT_EQ(edit::FieldValue("-5"), -5);
  EXPECT_EQ(edit::FieldValue("+5"), 5);
  EXPECT_EQ(edit::FieldValue("2147483647"), 2147483647);
  EXPECT_EQ(edit::FieldValue("-2147483648"), -2147483647 - 1);
  for (const char* text : {"", "-", "+", "abc", "12a", " 12", "12 ", "1.5", "0x10", "--1",
                           "2147483648", "-2147483649", "99999999999999999999"})
    EXPECT_EQ(edit::FieldValue(text), 0) << '"' << text << '"';
}

TEST(RecolourPass, PureRedToHue80BecomesPureGreenAndHue1StaysPut) {
  const Rgb hue1 = ColourWithHue(1);
  Map m({{255, 0, 0}, hue1});
  EXPECT_EQ(edit::RecolourPass(m.map, edit::THLSComponent::Hue, 0, 80, 0), 1);
  EXPECT_TRUE(SameRgb(m.At(0), {0, 255, 0}));
  EXPECT_TRUE(SameRgb(m.At(1), hue1));
}

TEST(RecolourPass, ToleranceWindowIsInclusiveAndDoesNotWrapAroundTheHueCircle) {
  const std::vector<int> hues = {0, 100, 101, 200, 239};
  std::vector<Rgb> colours;
  for (int h : hues) colours.push_back(ColourWithHue(h));
  Map m(colours);
  EXPECT_EQ(edit::RecolourPass(m.map, edit::THLSComponent::Hue, 0, 40, 100), 2);
  EXPECT_EQ(HueOf(m.At(0)), 40);
  EXPECT_EQ(HueOf(m.At(1)), 40);
  for (int i = 2; i < 5; ++i) EXPECT_TRUE(SameRgb(m.At(i), colours[std::size_t(i)])) << i;

  // From 235 with tolerance 10 reaches 225..245, but not hue 3 across 240.
  Map high({ColourWithHue(225), ColourWithHue(239), ColourWithHue(3), ColourWithHue(224)});
  EXPECT_EQ(edit::RecolourPass(high.map, edit::THLSComponent::Hue, 235, 120, 10), 2);
  EXPECT_EQ(HueOf(high.At(2)), 3);
  EXPECT_EQ(HueOf(high.At(3)), 224);
}

TEST(RecolourPass, KeepsTheOtherTwoComponents) {
  Map m({HLSToRgb(0, 60, 200), HLSToRgb(120, 180, 100)});
  int h0 = 0, l0 = 0, s0 = 0, h1 = 0, l1 = 0, s1 = 0;
  const Rgb before0 = m.At(0), before1 = m.At(1);
  color::RGBToHueLightSat(before0.r, before0.g, before0.b, h0, l0, s0);
  color::RGBToHueLightSat(before1.r, before1.g, before1.b, h1, l1, s1);
  edit::RecolourPass(m.map, edit::THLSComponent::Hue, h0, 160, 0);
  EXPECT_TRUE(SameRgb(m.At(0), HLSToRgb(160, l0, s0)));
  edit::RecolourPass(m.map, edit::THLSComponent::Lightness, l1, 90, 0);
  EXPECT_TRUE(SameRgb(m.At(1), HLSToRgb(h1, 90, s1)));
}

TEST(RecolourPass, GreyIsMatchedByHue160AndDriftsOneStep) {
  Map m({{128, 128, 128}});
  EXPECT_EQ(edit::RecolourPass(m.map, edit::THLSComponent::Hue, 150, 20, 10), 1);
  EXPECT_TRUE(SameRgb(m.At(0), {129, 129, 129}));
}

TEST(RecolourPass, EmptyMapIsLeftAlone) {
  gif::TGIFGlobalColorMap map(nullptr);
  EXPECT_EQ(edit::RecolourPass(map, edit::THLSComponent::Saturation, 0, 10, 100), 0);
  EXPECT_EQ(map.EntryCount(), 0);
}

TEST(Recolour, AllFieldsEmptyShowsNothingAndChangesNothing) {
  Map m({{255, 0, 0}, {12, 34, 56}});
  Command run;
  EXPECT_EQ(edit::Recolour(m.map, run.request), edit::TRecolourResult::Finished);
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
  EXPECT_EQ(edit::Recolour(m.map, run.request), edit::TRecolourResult::Finished);
  EXPECT_TRUE(SameRgb(m.At(0), {0, 0, 0}));
}

TEST(Recolour, EmptyToFieldShowsItsBoxAndTheOtherPassesStillRun) {
  struct Case {
    const char* name;
    std::string edit::TRecolourRequest::*from;
    const char* box;
  };
  const Case cases[] = {
      {"hue", &edit::TRecolourRequest::FromH, edit::msg::EnterNewHue},
      {"saturation", &edit::TRecolourRequest::FromS, edit::msg::EnterNewSaturation},
      {"lightness", &edit::TRecolourRequest::FromL, edit::msg::EnterNewLight}};
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
    if (c.from == &edit::TRecolourRequest::FromH) run.request.ToH.clear();
    if (c.from == &edit::TRecolourRequest::FromS) run.request.ToS.clear();
    if (c.from == &edit::TRecolourRequest::FromL) run.request.ToL.clear();
    EXPECT_EQ(edit::Recolour(m.map, run.request), edit::TRecolourResult::Finished) << c.name;
    EXPECT_EQ(run.boxes, std::vector<std::string>{c.box}) << c.name;
    const Rgb after = m.At(0);
    int h = 0, l = 0, s = 0;
    color::RGBToHueLightSat(after.r, after.g, after.b, h, l, s);
    EXPECT_NEAR(h, c.from == &edit::TRecolourRequest::FromH ? 0 : 80, 1) << c.name;
    EXPECT_NEAR(l, c.from == &edit::TRecolourRequest::FromL ? 120 : 60, 1) << c.name;
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
    EXPECT_EQ(edit::Recolour(m.map, run.request), edit::TRecolourResult::Stopped);
    EXPECT_EQ(run.boxes, std::vector<std::string>{edit::msg::HueLimit});
    EXPECT_TRUE(SameRgb(m.At(0), {255, 0, 0}));  // the saturation pass did not run
  }
  {
    Map m({{255, 0, 0}});
    Command run;
    run.request.FromH = "0";
    run.request.ToH = "80";
    run.request.FromS = "240";
    run.request.ToS = "300";
    EXPECT_EQ(edit::Recolour(m.map, run.request), edit::TRecolourResult::Stopped);
    EXPECT_EQ(run.boxes, std::vector<std::string>{edit::msg::SaturationLimit});
    EXPECT_TRUE(SameRgb(m.At(0), {0, 255, 0}));
  }
  {
    Map m({{255, 0, 0}});
    Command run;
    run.request.FromL = "241";
    run.request.ToL = "0";
    EXPECT_EQ(edit::Recolour(m.map, run.request), edit::TRecolourResult::Stopped);
    EXPECT_EQ(run.boxes, std::vector<std::string>{edit::msg::LightnessLimit});
  }
  {
    // 240 itself is accepted.
    Map m({{255, 255, 255}});
    Command run;
    run.request.FromL = "240";
    run.request.ToL = "240";
    EXPECT_EQ(edit::Recolour(m.map, run.request), edit::TRecolourResult::Finished);
    EXPECT_TRUE(run.boxes.empty());
  }
}

TEST(Recolour, NonNumbersCountAsZeroAndNegativesAreUsed) {
  Map m({{255, 0, 0}, ColourWithHue(5)});
  Command run;
  run.request.FromH = "red";  // 0
  run.request.ToH = "80";
  EXPECT_EQ(edit::Recolour(m.map, run.request), edit::TRecolourResult::Finished);
  EXPECT_TRUE(SameRgb(m.At(0), {0, 255, 0}));
  EXPECT_EQ(HueOf(m.At(1)), 5);

  Command negative;
  negative.request.FromH = "-5";
  negative.request.ToH = "160";
  negative.tolerance = 10;  // -15..5 reaches hue 5 only
  edit::Recolour(m.map, negative.request);
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
  edit::Recolour(m.map, run.request);
  EXPECT_EQ(reads, 2);
  EXPECT_TRUE(SameRgb(m.At(0), HLSToRgb(0, 60, 240)));
}

TEST(RecolourMaps, EachMapEndsAsARunOnItAloneAndTheCountSaysWhatChanged) {
  // Two tables of different sizes; the second holds a hue-matched entry that a
  // pass rebuilds to the very same colour, which must not count as a change.
  const std::vector<Rgb> first = {{255, 0, 0}, {0, 0, 255}, {128, 0, 0}};
  const std::vector<Rgb> second = {{0, 255, 0}, {255, 0, 0}};
  Map a(first), b(second), aloneA(first), aloneB(second), none({{0, 0, 255}});
  Command run;
  run.request.FromH = "0";
  run.request.ToH = "80";
  run.request.FromS = "240";
  run.request.ToS = "240";
  int reads = 0;
  run.request.Tolerance = [&reads] { return ++reads, 0; };
  gif::TGIFColorMap* const maps[] = {&a.map, nullptr, &b.map, &none.map};
  edit::TRecolourCount count;
  EXPECT_EQ(edit::Recolour(maps, run.request, &count), edit::TRecolourResult::Finished);
  EXPECT_EQ(reads, 2);  // once per pass, not per map

  edit::Recolour(aloneA.map, run.request);
  edit::Recolour(aloneB.map, run.request);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(SameRgb(a.At(i), aloneA.At(i))) << i;
  for (int i = 0; i < 2; ++i) EXPECT_TRUE(SameRgb(b.At(i), aloneB.At(i))) << i;
  // Both reds and the dark red, of 6 entries; 2 of 3 tables.
  EXPECT_EQ((std::vector<int>{count.EntriesChanged, count.EntriesTotal, count.TablesChanged,
                              count.TablesTotal}),
            (std::vector<int>{3, 6, 2, 3}));

  EXPECT_TRUE(run.boxes.empty());
}

namespace {

TEST(CountStartChanges, SaysExactlyWhatStartChangesWhateverBoxesItShows) {
  // Reds, a dark red, greens and a grey: the hue, saturation and lightness
  // passes each match some of them.
  const std::vector<Rgb> colours = {{255, 0, 0},     {128, 0, 0},   {0, 255, 0}, {0, 128, 0},
                                    {128, 128, 128}, {255, 64, 64}, {0, 0, 255}, {250, 250, 250}};
  struct Row {
    const char* what;
    std::string fromH, fromS, fromL, toH, toS, toL;
    int tolerance;
    bool shown;  // whether anything is counted at all
    // Worked out by hand where short: the reds (0, 1, 5) have hue 0; red,
    // green and blue (0, 2, 6) have lightness 120, the mid grey (4) 121.
    std::optional<std::vector<int>> expected = std::nullopt;
  };
  // A swatch click fills all three From fields; the user then types To values.
  // clang-format off
  const Row rows[] = {
      {"clicked red, To hue only", "0", "240", "120", "80", "", "", 0, true, {{0, 1, 5}}},
      {"clicked red, To lightness only", "0", "240", "120", "", "", "60", 1, true,
       {{0, 2, 4, 6}}},
      {"clicked red, To hue and saturation", "0", "240", "120", "80", "100", "", 3, true},
      {"every pass defined", "0", "240", "120", "160", "120", "200", 10, true},
      {"hue above the limit and nothing else", "241", "", "", "80", "", "", 0, false},
      {"hue above the limit stops a later saturation", "241", "0", "", "80", "240", "", 0, true,
       {{}}},
      {"lightness above the limit after a hue pass", "0", "", "120", "80", "", "250", 0, true,
       {{0, 1, 5}}},
      {"no To field filled", "0", "240", "120", "", "", "", 0, false},
      {"To fields without From", "", "", "", "80", "120", "60", 0, false},
      {"every field empty", "", "", "", "", "", "", 0, false},
  };
  // clang-format on
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Command run;
    run.tolerance = row.tolerance;
    run.request.FromH = row.fromH;
    run.request.FromS = row.fromS;
    run.request.FromL = row.fromL;
    run.request.ToH = row.toH;
    run.request.ToS = row.toS;
    run.request.ToL = row.toL;

    Map shown(colours), started(colours), original(colours);
    const gif::TGIFColorMap* const maps[] = {&shown.map};
    std::vector<int> indices = {99};
    const auto count = edit::CountStartChanges(maps, run.request, &shown.map, &indices);
    EXPECT_TRUE(run.boxes.empty());
    for (int i = 0; i < 8; ++i) EXPECT_TRUE(SameRgb(shown.At(i), original.At(i))) << i;
    ASSERT_EQ(count.has_value(), row.shown);
    EXPECT_EQ(edit::AnyPassDefined(run.request), row.shown);
    if (!row.shown) {
      EXPECT_TRUE(indices.empty());
      continue;
    }

    edit::Recolour(started.map, run.request);
    const std::vector<int> changed = edit::DifferingEntries(original.map, started.map);
    EXPECT_EQ(indices, changed);
    if (row.expected) {
      EXPECT_EQ(changed, *row.expected);
    }
    EXPECT_EQ(count->EntriesChanged, static_cast<int>(changed.size()));
    EXPECT_EQ(count->EntriesTotal, 8);
  }
}

}  // namespace
