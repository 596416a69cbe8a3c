// Use counts: which frames use a table, their pixels per entry, and the frame
// that points past the table's end.
#include "edit/TableUse.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/edit/SceneFixture.h"

namespace {

TEST(TableUse, CountsThePixelsOfTheFramesThatUseEachTable) {
  edittest::Scene s({0x000000, 0x0000FF, 0x00FF00, 0xFF0000});
  s.Frame({0, 0, 1, 3});
  s.Frame({1, 1}, {0x111111, 0x222222});
  s.Frame({3, 3, 3});
  auto empty = std::make_unique<gif::TGIFSubImage>(&s.doc);  // extensions only: uses nothing
  s.doc.Frames().Append(std::move(empty));
  const edit::TColorTable global{-1, &s.doc.GlobalMap()},
      local{1, &s.doc.Frames().Frame(1).LocalMap()};

  EXPECT_EQ(edit::FramesUsing(s.doc, global), (std::vector<int>{0, 2}));
  EXPECT_EQ(edit::FramesUsing(s.doc, local), (std::vector<int>{1}));
  const edit::TTableUse g = edit::CountUse(s.doc, global);
  EXPECT_EQ((std::vector<uint64_t>(g.Pixels.begin(), g.Pixels.begin() + 5)),
            (std::vector<uint64_t>{2, 1, 0, 4, 0}));
  EXPECT_EQ((std::vector<int>(g.Frames.begin(), g.Frames.begin() + 5)),
            (std::vector<int>{1, 1, 0, 2, 0}));
  EXPECT_EQ(g.BadFrame, -1);
  const edit::TTableUse l = edit::CountUse(s.doc, local);
  EXPECT_EQ(l.Pixels[1], 2u);
  EXPECT_EQ(l.Pixels[3], 0u);  // frame 2's pixels are the global table's

  // Frame 3 points past the end with 9 and 6: the frame and its lowest.
  s.doc.Frames().Frame(2).PixelData()[0] = 9;
  s.doc.Frames().Frame(2).PixelData()[1] = 6;
  const edit::TTableUse bad = edit::CountUse(s.doc, global);
  EXPECT_EQ(bad.BadFrame, 2);
  EXPECT_EQ(bad.BadIndex, 6);
  EXPECT_EQ(bad.Pixels[9], 1u);
}

TEST(TableUse, UnrolledCountAgreesWithAPlainOneAtEverySizeAndOffset) {
  std::mt19937 random(26);
  std::vector<uint8_t> pixels(100003);
  // Runs and noise: runs make the sub-histograms matter, noise every value.
  for (std::size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = i < 50000 ? uint8_t(i / 700) : uint8_t(random());
  for (const std::size_t offset : {0, 1, 7}) {
    for (const std::size_t size :
         {std::size_t{0}, std::size_t{15}, std::size_t{17}, pixels.size() - offset}) {
      std::array<uint64_t, 256> plain{}, fast{};
      for (std::size_t i = 0; i < size; ++i) ++plain[pixels[offset + i]];
      fast[5] = 1;  // added to, not overwritten
      ++plain[5];
      edit::CountIndices(pixels.data() + offset, size, fast);
      EXPECT_EQ(fast, plain) << "offset " << offset << " size " << size;
    }
  }
}

}  // namespace
