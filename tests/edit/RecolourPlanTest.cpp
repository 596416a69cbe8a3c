// The recolour plan: what each pass does with the texts it is given, and that
// running it needs nothing but the plan.
#include "edit/RecolourPlan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "edit/Messages.h"
#include "gif/ColorMap.h"

namespace {

using edit::THLSComponent;
using edit::TPassEnd;

struct Expected {
  THLSComponent component;
  TPassEnd end;
  int from, to, tolerance;
  const char* message;
};

TEST(RecolourPlan, EachPassRunsIsSkippedOrStopsAsItsTextsSay) {
  constexpr auto H = THLSComponent::Hue, S = THLSComponent::Saturation,
                 L = THLSComponent::Lightness;
  constexpr auto Runs = TPassEnd::Runs, Skipped = TPassEnd::Skipped, Stops = TPassEnd::Stops;
  struct Row {
    const char* what;
    edit::TRecolourFields fields;
    std::vector<Expected> passes;
    bool defined;
  };
  // clang-format off
  const Row rows[] = {
      {"runs, with the tolerance", {"10", "80", "", "", "", ""}, {{H, Runs, 10, 80, 7, nullptr}}, true},
      {"a blank From is no pass, even with its To", {"", "80", "", "5", "120", "60"},
       {{L, Runs, 120, 60, 7, nullptr}}, true},
      {"skipped with its box, the next pass runs", {"0", "", "240", "0", "", ""},
       {{H, Skipped, 0, 0, 0, edit::msg::EnterNewHue}, {S, Runs, 240, 0, 7, nullptr}}, true},
      {"every pass skipped", {"1", "", "2", "", "3", ""},
       {{H, Skipped, 0, 0, 0, edit::msg::EnterNewHue},
        {S, Skipped, 0, 0, 0, edit::msg::EnterNewSaturation},
        {L, Skipped, 0, 0, 0, edit::msg::EnterNewLight}}, false},
      {"To above the limit stops, later passes unreached but defined", {"0", "241", "240", "0", "", ""},
       {{H, Stops, 0, 241, 7, edit::msg::HueLimit}}, true},
      {"From above the limit stops after a skip", {"0", "", "300", "0", "0", "0"},
       {{H, Skipped, 0, 0, 0, edit::msg::EnterNewHue},
        {S, Stops, 300, 0, 7, edit::msg::SaturationLimit}}, true},
      {"lightness stops after a run", {"0", "80", "", "", "250", "0"},
       {{H, Runs, 0, 80, 7, nullptr}, {L, Stops, 250, 0, 7, edit::msg::LightnessLimit}}, true},
      {"240 runs; negatives and non-numbers are numbers", {"240", "240", "-5", "abc", "", ""},
       {{H, Runs, 240, 240, 7, nullptr}, {S, Runs, -5, 0, 7, nullptr}}, true},
      {"nothing filled in", {"", "", "", "", "", ""}, {}, false},
  };
  // clang-format on
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const edit::TRecolourPlan plan = edit::MakeRecolourPlan(row.fields, 7);
    ASSERT_EQ(plan.Passes.size(), row.passes.size());
    std::vector<std::string> messages;
    for (std::size_t i = 0; i < row.passes.size(); ++i) {
      const edit::TPlannedPass& got = plan.Passes[i];
      const Expected& want = row.passes[i];
      EXPECT_EQ(got.Component, want.component) << i;
      EXPECT_EQ(got.End, want.end) << i;
      EXPECT_EQ((std::vector<int>{got.From, got.To, got.Tolerance}),
                (std::vector<int>{want.from, want.to, want.tolerance}))
          << i;
      EXPECT_STREQ(got.Message, want.message) << i;
      if (want.message != nullptr) messages.emplace_back(want.message);
    }
    EXPECT_EQ(plan.Messages(), messages);
    EXPECT_EQ(plan.Stops(), !row.passes.empty() && row.passes.back().end == Stops);
    EXPECT_EQ(plan.AnyPassDefined, row.defined);
  }
}

TEST(RecolourPlan, RunsItsPassesUpToTheStopAndCountsWithoutTouchingTheMaps) {
  // Pure red: the hue pass makes it green, the saturation pass is never reached.
  gif::TGIFGlobalColorMap map(nullptr), untouched(nullptr);
  map.AppendEntry(gif::TGIFColorMap::TripleToColor({255, 0, 0}));
  untouched.CopyFrom(&map);
  const edit::TRecolourPlan plan = edit::MakeRecolourPlan({"0", "80", "240", "999", "", ""}, 0);

  const gif::TGIFColorMap* const shown[] = {&untouched};
  std::vector<int> indices;
  const auto preview = edit::CountStartChanges(shown, plan, &untouched, &indices);
  ASSERT_TRUE(preview.has_value());
  EXPECT_EQ(preview->EntriesChanged, 1);
  EXPECT_EQ(indices, std::vector<int>{0});
  EXPECT_EQ(untouched.ReadEntry(0), map.ReadEntry(0));

  gif::TGIFColorMap* const maps[] = {&map, nullptr};
  edit::TRecolourCount count;
  EXPECT_EQ(edit::Recolour(maps, plan, &count), edit::TRecolourResult::Stopped);
  EXPECT_EQ(map.ReadEntry(0), gif::TGIFColorMap::TripleToColor({0, 255, 0}));
  EXPECT_EQ(count.EntriesChanged, preview->EntriesChanged);
  EXPECT_EQ(count.TablesTotal, 1);
}

}  // namespace
