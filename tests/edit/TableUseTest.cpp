// Use counts: which frames use a table, their pixels per entry, the frame
// that points past the table's end, and the unrolled histogram.
#include "edit/TableUse.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/edit/SceneFixture.h"

namespace {

TEST(TableUse, CountsThePixelsOfTheFramesThatUseEachTable) {
  edittest::Scene s({0x000000, 0x0000FF, 0x00FF00, 0xFF0000});
  s.Frame({0, 0, 1, 3});
  s.Frame({1, 1}, {0x111111, 0x222222});  // its own table: not the global one's pixels
  s.Frame({3, 3, 9, 6});                  // 9 and 6 lie past the end
  s.doc.Frames().Append(std::make_unique<gif::TGIFSubImage>(&s.doc));  // no image: uses nothing
  const edit::TColorTable global{-1, &s.doc.GlobalMap()};

  EXPECT_EQ(edit::FramesUsing(s.doc, global), (std::vector<int>{0, 2}));
  EXPECT_EQ(edit::FramesUsing(s.doc, {1, &s.doc.Frames().Frame(1).LocalMap()}),
            std::vector<int>{1});
  const edit::TTableUse use = edit::CountUse(s.doc, global);
  EXPECT_EQ((std::vector<uint64_t>(use.Pixels.begin(), use.Pixels.begin() + 10)),
            (std::vector<uint64_t>{2, 1, 0, 3, 0, 0, 1, 0, 0, 1}));
  EXPECT_EQ((std::vector<int>(use.Frames.begin(), use.Frames.begin() + 4)),
            (std::vector<int>{1, 1, 0, 2}));
  EXPECT_EQ(use.BadFrame, 2);
  EXPECT_EQ(use.BadIndex, 6);  // the lowest
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
