// Choosing entries: lists of indices, colours in hex, and the criteria that
// all have to hold.
#include "edit/Selection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PaletteMaps.h"

namespace {

std::vector<int> Indices(const edit::TEntryMask& mask) {
  std::vector<int> indices;
  for (std::size_t i = 0; i < mask.size(); ++i)
    if (mask.test(i)) indices.push_back(static_cast<int>(i));
  return indices;
}

TEST(Selection, ChoosesTheEntriesThatMeetEveryCriterionGiven) {
  // Hues of full saturation at lightness 120: 0 red, 4, 236, 80 green, 160
  // blue; then a grey (saturation 0, hue 160) and a dark red.
  const test::Colours colours = {{255, 0, 0}, {255, 25, 0},    {255, 0, 25}, {0, 255, 0},
                                 {0, 0, 255}, {128, 128, 128}, {128, 0, 0}};
  test::TestMap m(colours);
  const std::nullopt_t none = std::nullopt;
  struct Row {
    const char* what;
    const char* entries;  // null: no list
    std::optional<int> hue, sat, light;
    int tolerance;
    std::optional<gif::TColor> colour;
    std::vector<int> chosen;
  };
  const Row rows[] = {
      {"nothing given: every entry", nullptr, none, none, none, 0, none, {0, 1, 2, 3, 4, 5, 6}},
      {"a list, entries past the end ignored", "1,5-200", none, none, none, 0, none, {1, 5, 6}},
      {"hue 236 and 4 are 8 apart round the circle",
       nullptr,
       236,
       none,
       none,
       8,
       none,
       {0, 1, 2, 6}},
      {"hue 4 with tolerance 7 misses 236", nullptr, 4, none, none, 7, none, {0, 1, 6}},
      {"hue 160 also matches the grey", nullptr, 160, none, none, 0, none, {4, 5}},
      {"hue and saturation must both hold", nullptr, 160, 240, none, 0, none, {4}},
      {"lightness within the tolerance", nullptr, none, none, 64, 4, none, {6}},
      {"list and lightness", "0-3", none, none, 120, 0, none, {0, 1, 2, 3}},
      {"an exact colour", nullptr, none, none, none, 0, 0x000080, {6}},
      {"an exact colour outside the list", "0-5", none, none, none, 0, 0x000080, {}},
  };
  for (const Row& row : rows) {
    edit::TSelection selection;
    if (row.entries != nullptr) selection.Entries = edit::ParseEntryList(row.entries);
    selection.MatchHue = row.hue;
    selection.MatchSat = row.sat;
    selection.MatchLight = row.light;
    selection.Tolerance = row.tolerance;
    selection.MatchColor = row.colour;
    EXPECT_EQ(Indices(edit::Select(m.map, selection)), row.chosen) << row.what;
  }
}

TEST(Selection, HueDistanceGoesTheShortWayRound) {
  const int rows[][3] = {{236, 4, 8},  {4, 236, 8}, {0, 120, 120},
                         {10, 20, 10}, {0, 239, 1}, {160, 160, 0}};
  for (const auto& row : rows)
    EXPECT_EQ(edit::HueDistance(row[0], row[1]), row[2]) << row[0] << " " << row[1];
}

TEST(Selection, EntryListsAndHexColoursParseOrAreRefused) {
  struct ListRow {
    const char* text;
    std::optional<std::vector<int>> indices;
  };
  const ListRow lists[] = {
      {"0-3,7", {{0, 1, 2, 3, 7}}}, {"255", {{255}}},
      {"5-5,2", {{2, 5}}},          {"1,1", {{1}}},
      {"", std::nullopt},           {"1,", std::nullopt},
      {",1", std::nullopt},         {"3-1", std::nullopt},
      {"256", std::nullopt},        {"-1", std::nullopt},
      {"1-", std::nullopt},         {"1 ,2", std::nullopt},
      {"0x10", std::nullopt},       {"1-2-3", std::nullopt},
  };
  for (const ListRow& row : lists) {
    const std::optional<edit::TEntryMask> parsed = edit::ParseEntryList(row.text);
    ASSERT_EQ(parsed.has_value(), row.indices.has_value()) << '"' << row.text << '"';
    if (parsed) {
      EXPECT_EQ(Indices(*parsed), *row.indices) << row.text;
    }
  }

  struct ColourRow {
    const char* text;
    std::optional<gif::TColor> colour;
  };
  const ColourRow colours[] = {
      {"ff8000", 0x0080ff},      {"#FF8000", 0x0080ff},      {"#0a0B0c", 0x0c0b0a},
      {"", std::nullopt},        {"#", std::nullopt},        {"ff800", std::nullopt},
      {"ff80000", std::nullopt}, {"##ff8000", std::nullopt}, {"gg0000", std::nullopt},
      {" ff8000", std::nullopt},
  };
  for (const ColourRow& row : colours)
    EXPECT_EQ(edit::ParseHexColor(row.text), row.colour) << '"' << row.text << '"';
}

}  // namespace
