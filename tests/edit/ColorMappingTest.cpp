// Colour mappings: the map file's lines, good and malformed, and every pair
// applied at once.
#include "edit/ColorMapping.h"

#include <gtest/gtest.h>

#include <string>

#include "PaletteMaps.h"
#include "edit/EditError.h"

namespace {

using Pairs_ = std::vector<std::pair<gif::TColor, gif::TColor>>;

Pairs_ Pairs(const edit::TColorMapping& mapping) {
  Pairs_ pairs;
  for (const edit::TColorChange& change : mapping) pairs.emplace_back(change.From, change.To);
  return pairs;
}

TEST(ColorMapping, MapFilesParseOrNameTheFileAndLine) {
  struct Row {
    const char* text;
    Pairs_ pairs;
    const char* error;  // null: parses
  };
  const Row rows[] = {
      {"ff0000 00ff00\n#0000FF -> #102030\n",
       {{0x0000ff, 0x00ff00}, {0xff0000, 0x302010}},
       nullptr},
      {"# a comment\n\n  \t\nff0000\t00ff00   # red to green\r\n#\n",
       {{0x0000ff, 0x00ff00}},
       nullptr},
      {"#ff0000 #00ff00\nff0000 -> 0000ff",
       {{0x0000ff, 0x00ff00}},
       "f.map, line 2: ff0000 is already mapped on line 1"},
      {"", {}, nullptr},
      {"ff0000",
       {},
       "f.map, line 1: expected two colours, \"rrggbb rrggbb\" or \"#rrggbb -> #rrggbb\""},
      {"\nff0000 00ff00 0000ff",
       {},
       "f.map, line 2: expected two colours, \"rrggbb rrggbb\" or \"#rrggbb -> #rrggbb\""},
      {"ff0000 => 00ff00",
       {},
       "f.map, line 1: expected two colours, \"rrggbb rrggbb\" or \"#rrggbb -> #rrggbb\""},
      {"ff0000 00ff0", {}, "f.map, line 1: \"00ff0\" is not a colour written rrggbb"},
      {"red -> 00ff00", {}, "f.map, line 1: \"red\" is not a colour written rrggbb"},
      {"ff0000->00ff00",
       {},
       "f.map, line 1: expected two colours, \"rrggbb rrggbb\" or \"#rrggbb -> #rrggbb\""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    if (row.error == nullptr) {
      EXPECT_EQ(Pairs(edit::ParseColorMapping(row.text, "f.map")), row.pairs);
      continue;
    }
    try {
      edit::ParseColorMapping(row.text, "f.map");
      ADD_FAILURE() << "parsed";
    } catch (const edit::EEditError& error) {
      EXPECT_STREQ(error.what(), row.error);
    }
  }
}

TEST(ColorMapping, CommandLinePairsParseOrAreRefused) {
  EXPECT_EQ(Pairs({*edit::ParseColorChange("ff0000=#00FF00")}), (Pairs_{{0x0000ff, 0x00ff00}}));
  for (const char* text : {"ff0000", "ff0000=", "=00ff00", "ff0000=00ff00=0000ff", "ff0000:00ff00"})
    EXPECT_FALSE(edit::ParseColorChange(text).has_value()) << text;
}

TEST(ColorMapping, EveryPairAppliesAtOnceSoASwapWorks) {
  const gif::TGIFColor red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, grey{9, 9, 9};
  test::TestMap a({red, green, blue, red}), b({grey}), c({green});
  gif::TGIFColorMap* const maps[] = {&a.map, nullptr, &b.map, &c.map};
  // red and green swap; blue maps to itself and is no change; a second pair
  // for red is ignored.
  const edit::TColorMapping mapping = {
      {0x0000ff, 0x00ff00}, {0x00ff00, 0x0000ff}, {0xff0000, 0xff0000}, {0x0000ff, 0x090909}};
  const edit::TChangeCount count = edit::ApplyColorMapping(maps, mapping);
  EXPECT_EQ(a.Entries(), (test::Colours{green, red, blue, green}));
  EXPECT_EQ(b.Entries(), test::Colours{grey});
  EXPECT_EQ(c.Entries(), test::Colours{red});
  EXPECT_EQ((std::vector<int>{count.EntriesChanged, count.TablesChanged, count.EntriesTotal,
                              count.TablesTotal}),
            (std::vector<int>{4, 2, 6, 3}));
}

}  // namespace
