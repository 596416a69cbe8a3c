// Remaps: every operation keeps every frame's picture and survives a save, on
// corpus files; the sort keys, the compact and dedupe rules, drag and drop
// and a table left alone for an index past its end, on small documents.
#include "edit/Remap.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/edit/RemapChecks.h"
#include "tests/edit/SceneFixture.h"

namespace {

using edittest::Scene;
using Operation = std::function<edit::TRemapReport(gif::TGIFImage&)>;

std::vector<std::pair<std::string, Operation>> EveryOperation() {
  std::vector<std::pair<std::string, Operation>> ops;
  for (const edit::TSortKey key :
       {edit::TSortKey::Hue, edit::TSortKey::Saturation, edit::TSortKey::Lightness,
        edit::TSortKey::Luminance, edit::TSortKey::Usage})
    for (const bool reverse : {false, true})
      ops.emplace_back("sort " + std::to_string(int(key)) + (reverse ? " reversed" : ""),
                       [=](gif::TGIFImage& doc) {
                         return edit::SortTables(doc, edit::ColorTables(doc), key, reverse);
                       });
  ops.emplace_back("compact", [](gif::TGIFImage& doc) {
    return edit::CompactTables(doc, edit::ColorTables(doc));
  });
  ops.emplace_back("dedupe", [](gif::TGIFImage& doc) {
    return edit::DedupeTables(doc, edit::ColorTables(doc));
  });
  ops.emplace_back("move", [](gif::TGIFImage& doc) {
    edit::TRemapReport all;
    for (const edit::TColorTable& table : edit::ColorTables(doc)) {
      const edit::TRemapReport one =
          edit::MoveEntries(doc, table, edit::TEntryMask(0b1011), table.Map->EntryCount());
      all.TablesChanged += one.TablesChanged;
    }
    return all;
  });
  return ops;
}

TEST(Remap, EveryOperationKeepsEveryFrameOfCorpusFilesAndSurvivesASave) {
  for (const char* name :
       {"deb-gdkpixbuf-suite/high-color.gif", "deb-gdkpixbuf-suite/dispose-restore-previous.gif",
        "wuffs-artificial/transparent-index.gif", "wuffs-artificial/background-color.gif",
        "wuffs/animated-red-blue.gif", "wuffs/muybridge.gif", "libnsgif/waves.gif"}) {
    const std::string path = std::string(TINTWELL_CORPUS_DIR) + "/" + name;
    gif::TGIFImage original;
    original.LoadFile(path);
    const auto before = remaptest::ComposeAll(original);
    ASSERT_FALSE(before.empty()) << name;
    int changed = 0;
    for (const auto& [op, run] : EveryOperation()) {
      SCOPED_TRACE(std::string(name) + ", " + op);
      gif::TGIFImage doc;
      doc.LoadFile(path);
      const edit::TRemapReport report = run(doc);
      EXPECT_TRUE(report.Warnings.empty());
      changed += report.TablesChanged;
      EXPECT_EQ(remaptest::ComposeAll(doc), before);
      EXPECT_EQ(remaptest::RoundTripDiffers(doc), "");
    }
    EXPECT_GT(changed, 0) << name;
  }
}

TEST(Remap, SortKeysAreStableAndReverseKeepsTies) {
  // white, blue, red, dark green, black, red again
  Scene s({0xFFFFFF, 0xFF0000, 0x0000FF, 0x008000, 0x000000, 0x0000FF});
  edit::TTableUse use;
  use.Pixels = {5, 0, 9, 5, 1, 0};
  const struct {
    edit::TSortKey key;
    bool reverse;
    std::vector<uint8_t> order;
  } rows[] = {
      {edit::TSortKey::Hue,
       false,
       {0, 4, 2, 5, 3, 1}},  // greys first, then red 0, green 80, blue 160
      {edit::TSortKey::Hue, true, {1, 3, 2, 5, 0, 4}},
      {edit::TSortKey::Saturation, false, {0, 4, 1, 2, 3, 5}},
      {edit::TSortKey::Saturation, true, {1, 2, 3, 5, 0, 4}},
      {edit::TSortKey::Lightness, false, {4, 3, 1, 2, 5, 0}},
      {edit::TSortKey::Lightness, true, {0, 1, 2, 5, 3, 4}},
      {edit::TSortKey::Luminance, false, {4, 1, 2, 5, 3, 0}},
      {edit::TSortKey::Luminance, true, {0, 3, 2, 5, 1, 4}},
      {edit::TSortKey::Usage, false, {2, 0, 3, 4, 1, 5}},  // most used first
      {edit::TSortKey::Usage, true, {1, 5, 4, 0, 3, 2}},
  };
  for (const auto& row : rows) {
    const edit::TRemap remap = edit::SortRemap(s.doc.GlobalMap(), use, row.key, row.reverse);
    EXPECT_EQ(remap.Order, row.order) << int(row.key) << (row.reverse ? " reversed" : "");
    for (std::size_t j = 0; j < remap.Order.size(); ++j)
      EXPECT_EQ(remap.NewIndex[remap.Order[j]], j);
  }
}

TEST(Remap, CompactKeepsTransparentAndBackgroundEntriesAndTablesNoFrameUses) {
  auto build = [](Scene& s) {
    s.doc.Header().Screen.BackgroundColorIndex = 3;  // unused
    s.Control(s.Frame({0, 2, 5, 5}), 4);             // transparent 4, unused
    s.Frame({3, 1}, {0x10, 0x11, 0x12, 0x13});
  };
  const auto global = {0x000001u, 0x000002u, 0x000003u, 0x000004u, 0x000005u, 0x000006u};
  Scene s(global), before(global);
  build(s);
  build(before);

  const edit::TRemapReport report = edit::CompactTables(s.doc, edit::ColorTables(s.doc));
  EXPECT_EQ(Scene::Entries(s.doc.GlobalMap()), (std::vector<gif::TColor>{1, 3, 4, 5, 6}));
  EXPECT_EQ(s.Pixels(0), (std::vector<uint8_t>{0, 1, 4, 4}));
  EXPECT_EQ(s.doc.BackgroundIndex(), 2);
  EXPECT_EQ(s.doc.Frames().Frame(0).GraphicControl()->TransparentColorIndex(), 3);
  EXPECT_EQ(Scene::Entries(s.doc.Frames().Frame(1).LocalMap()),
            (std::vector<gif::TColor>{0x11, 0x13}));
  EXPECT_EQ(s.Pixels(1), (std::vector<uint8_t>{1, 0}));
  EXPECT_EQ(report.TablesChanged, 2);
  EXPECT_EQ(report.EntriesChanged, 5 + 4);  // 1 removed, 2..5 moved; 0 and 2 removed, 1 and 3 moved
  EXPECT_EQ(remaptest::ComposeAll(s.doc), remaptest::ComposeAll(before.doc));
  EXPECT_EQ(remaptest::RoundTripDiffers(s.doc), "");

  // Every frame has its own table: the global one is used by none.
  Scene unused({0x01, 0x02, 0x03});
  unused.Frame({0}, {0x10, 0x11});
  edit::CompactTables(unused.doc, edit::ColorTables(unused.doc));
  EXPECT_EQ(unused.doc.GlobalMap().EntryCount(), 3);
  EXPECT_EQ(unused.doc.Frames().Frame(0).LocalMap().EntryCount(), 1);
}

TEST(Remap, DedupeMergesIntoTheEarliestTwinButNeverTheTransparentEntry) {
  constexpr gif::TColor red = 0x0000FF, blue = 0xFF0000, green = 0x00FF00;
  const auto global = {red, blue, red, blue, red, green, green};
  Scene s(global, 5), before(global, 5);
  for (Scene* scene : {&s, &before})
    scene->Control(scene->Frame({0, 1, 2, 3, 4}), 0);  // the first red is transparent

  const edit::TRemap remap = edit::DedupeRemap(s.doc, {-1, &s.doc.GlobalMap()});
  EXPECT_EQ(remap.Order,
            (std::vector<uint8_t>{0, 1, 2, 5}));  // the unused green stays, its twin goes
  EXPECT_EQ((std::vector<int>(remap.NewIndex.begin(), remap.NewIndex.begin() + 8)),
            (std::vector<int>{0, 1, 2, 1, 2, 3, 3, 7}));
  edit::DedupeTables(s.doc, edit::ColorTables(s.doc));
  EXPECT_EQ(s.Pixels(0), (std::vector<uint8_t>{0, 1, 2, 1, 2}));
  EXPECT_EQ(remaptest::ComposeAll(s.doc), remaptest::ComposeAll(before.doc));
  EXPECT_EQ(remaptest::RoundTripDiffers(s.doc), "");
}

TEST(Remap, MoveTakesTheBlockBeforeTheDestination) {
  const struct {
    int count;
    std::vector<int> block;
    int destination;
    std::vector<uint8_t> order;
  } rows[] = {
      {6, {1}, 4, {0, 2, 3, 1, 4, 5}},
      {6, {4}, 1, {0, 4, 1, 2, 3, 5}},
      {6, {1, 2}, 6, {0, 3, 4, 5, 1, 2}},
      {6, {0, 3}, 2, {1, 0, 3, 2, 4, 5}},
      {6, {1, 2, 3}, 2, {0, 1, 2, 3, 4, 5}},  // dropped onto itself
      {6, {2}, 99, {0, 1, 3, 4, 5, 2}},       // destination clamped
      {4, {5}, 0, {0, 1, 2, 3}},              // past the end: ignored
  };
  for (const auto& row : rows) {
    edit::TEntryMask block;
    for (int e : row.block) block.set(std::size_t(e));
    const edit::TRemap remap = edit::MoveRemap(row.count, block, row.destination);
    EXPECT_EQ(remap.Order, row.order) << "destination " << row.destination;
    for (std::size_t j = 0; j < remap.Order.size(); ++j)
      EXPECT_EQ(remap.NewIndex[remap.Order[j]], j);
  }
}

TEST(Remap, ATableWithAnIndexPastItsEndIsLeftWithAWarningAndTheRestDone) {
  for (const auto& [op, run] : EveryOperation()) {
    if (op == "move") continue;  // one table at a time
    Scene s({0xFFFFFF, 0x000000, 0x0000FF, 0x000000});
    s.Frame({0, 6, 1});
    // Blue, white, red, black, black: out of order by every key both ways.
    s.Frame({1, 1, 1, 0}, {0xFF0000, 0xFFFFFF, 0x0000FF, 0x000000, 0x000000});
    const edit::TRemapReport report = run(s.doc);
    EXPECT_EQ(report.Warnings,
              std::vector<std::string>{
                  "Global (4 colours): Frame 1 uses colour index 6, past the end of its table of 4 "
                  "colours; the table is left as it is"})
        << op;
    EXPECT_EQ(Scene::Entries(s.doc.GlobalMap()), (std::vector<gif::TColor>{0xFFFFFF, 0, 0xFF, 0}))
        << op;
    EXPECT_EQ(s.Pixels(0), (std::vector<uint8_t>{0, 6, 1})) << op;
    // The frame's own table is still done.
    EXPECT_EQ(report.TablesChanged, 1) << op;
  }
}

}  // namespace
