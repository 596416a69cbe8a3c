// Ramps between two entries in each of the three spaces, and the ranges that
// change nothing.
#include "edit/Ramp.h"

#include <gtest/gtest.h>

#include "PaletteMaps.h"

namespace {

TEST(Ramp, FillsTheEntriesBetweenAndKeepsBothEnds) {
  using Space = edit::TRampSpace;
  const gif::TGIFColor black{0, 0, 0}, white{255, 255, 255}, red{255, 0, 0}, blue{0, 0, 255},
      grey{128, 128, 128}, stray{1, 2, 3};
  struct Row {
    const char* what;
    test::Colours before;
    int first, last;
    Space space;
    test::Colours after;
    int changed;
  };
  const Row rows[] = {
      {"RGB, rounded to nearest",
       {black, stray, stray, stray, white},
       0,
       4,
       Space::RGB,
       {black, {64, 64, 64}, {128, 128, 128}, {191, 191, 191}, white},
       3},
      // L 0.5 is linear light 0.125, sRGB 0.3886.
      {"OKLab, even in lightness",
       {black, stray, white},
       0,
       2,
       Space::OKLab,
       {black, {99, 99, 99}, white},
       1},
      {"HLS, hue the short way from red (0) to blue (160) through magenta (200)",
       {red, stray, blue},
       0,
       2,
       Space::HLS,
       {red, {255, 0, 255}, blue},
       1},
      {"HLS, a grey end takes the other's hue",
       {grey, stray, red},
       0,
       2,
       Space::HLS,
       {grey, {192, 64, 64}, red},
       1},
      {"entries outside the range stay",
       {stray, black, stray, white, stray},
       1,
       3,
       Space::RGB,
       {stray, black, {128, 128, 128}, white, stray},
       1},
      {"an entry already right is not counted",
       {black, {128, 128, 128}, white},
       0,
       2,
       Space::RGB,
       {black, {128, 128, 128}, white},
       0},
      {"neighbours have nothing between", {black, white}, 0, 1, Space::RGB, {black, white}, 0},
      {"backwards does nothing", {black, stray, white}, 2, 0, Space::RGB, {black, stray, white}, 0},
      {"past the end does nothing",
       {black, stray, white},
       0,
       3,
       Space::RGB,
       {black, stray, white},
       0},
      {"below 0 does nothing", {black, stray, white}, -1, 2, Space::RGB, {black, stray, white}, 0},
  };
  for (const Row& row : rows) {
    test::TestMap m(row.before);
    EXPECT_EQ(edit::MakeRamp(m.map, row.first, row.last, row.space), row.changed) << row.what;
    EXPECT_EQ(m.Entries(), row.after) << row.what;
  }
}

}  // namespace
