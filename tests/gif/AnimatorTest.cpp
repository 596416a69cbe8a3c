#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "gif/Animator.h"
#include "gif/GIFImage.h"

using namespace gif;

namespace {

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF;

struct Scene {
  TGIFImage doc;
  Scene(int width, int height) {
    doc.Header().Screen.ScreenWidth = uint16_t(width);
    doc.Header().Screen.ScreenHeight = uint16_t(height);
    for (TColor c : {0x0000FFu, 0x00FF00u, 0xFF0000u, 0xFFFFFFu}) doc.GlobalMap().AppendEntry(c);
  }
  // A frame whose pixels are given row by row.
  TGIFSubImage& Frame(int left, int top, int width, int height, std::vector<uint8_t> pixels) {
    auto frame = std::make_unique<TGIFSubImage>(&doc);
    frame->Descriptor =
        TImageDescriptor{0x2C, uint16_t(left), uint16_t(top), uint16_t(width), uint16_t(height), 0};
    frame->AllocatePixels();
    std::copy(pixels.begin(), pixels.end(), frame->PixelData());
    TGIFSubImage& ref = *frame;
    doc.Frames().Append(std::move(frame));
    return ref;
  }
  TGIFGraphicControlExtension& Control(TGIFSubImage& frame) {
    auto control = std::make_unique<TGIFGraphicControlExtension>(frame);
    TGIFGraphicControlExtension& ref = *control;
    frame.Extensions().Append(std::move(control));
    return ref;
  }
};

}  // namespace

TEST(Animator, DrawsThroughLocalOrGlobalTablesAndLeavesTransparencyOpen) {
  Scene s(3, 2);
  s.Frame(0, 0, 3, 2, {0, 1, 2, 3, 0, 1});
  TGIFSubImage& second = s.Frame(1, 1, 2, 1, {0, 1});
  second.LocalMap().AppendEntry(0xFFFFFF);
  second.LocalMap().AppendEntry(0x0000FF);
  TGIFGraphicControlExtension& control = s.Control(second);
  control.SetTransparentColorIndex(1);
  control.SetTransparentColorFlag(true);

  TGIFAnimator animator(s.doc);
  ASSERT_EQ(animator.FrameCount(), 2);
  animator.Seek(0);
  EXPECT_EQ(animator.Canvas(), (std::vector<uint32_t>{kRed, kGreen, kBlue, kWhite, kRed, kGreen}));
  animator.Seek(1);
  // Local white at (1,1); the transparent red at (2,1) shows the green beneath.
  EXPECT_EQ(animator.Canvas(),
            (std::vector<uint32_t>{kRed, kGreen, kBlue, kWhite, kWhite, kGreen}));
}

TEST(Animator, AppliesDisposalBeforeTheNextFrame) {
  Scene s(2, 1);
  TGIFSubImage& first = s.Frame(0, 0, 1, 1, {0});
  s.Control(first).SetDisposalMethod(2);  // back to background
  TGIFSubImage& second = s.Frame(1, 0, 1, 1, {1});
  s.Control(second).SetDisposalMethod(3);  // back to what was there before
  s.Frame(0, 0, 1, 1, {2});

  TGIFAnimator animator(s.doc);
  animator.Seek(1);
  EXPECT_EQ(animator.Canvas(), (std::vector<uint32_t>{0, kGreen}));
  animator.Seek(2);
  EXPECT_EQ(animator.Canvas(), (std::vector<uint32_t>{kBlue, 0}));
  // Going back starts over and gives the same picture as the first time.
  animator.Seek(0);
  EXPECT_EQ(animator.Canvas(), (std::vector<uint32_t>{kRed, 0}));
}

TEST(Animator, ClipsFramesToTheScreenAndReadsDelays) {
  Scene s(2, 2);
  TGIFSubImage& big = s.Frame(1, 1, 3, 3, std::vector<uint8_t>(9, 3));
  s.Control(big).SetDelayTime(7);
  s.Frame(0, 0, 1, 1, {9});  // an index past the table draws nothing

  TGIFAnimator animator(s.doc);
  animator.Seek(5);
  EXPECT_EQ(animator.Current(), 1);
  EXPECT_EQ(animator.Canvas(), (std::vector<uint32_t>{0, 0, 0, kWhite}));
  EXPECT_EQ(animator.DelayMs(0), 70);
  EXPECT_EQ(animator.DelayMs(1), 100);
}

TEST(Animator, RefusesACanvasPastThePixelBudget) {
  // The canvas covers what the images cover, clipped to the screen, and is
  // refused past the limit.
  struct Case {
    const char* what;
    int screenWidth, screenHeight;
    std::vector<std::array<int, 4>> images;  // left, top, width, height
    uint64_t limit;
    std::array<int, 4> canvas;  // left, top, width, height
    std::string error;
  };
  const uint64_t max = TGIFAnimator::MaxCanvasPixels;
  const std::string past =
      "The images cover 30 x 10 pixels of the logical screen, more than the 299 pixels that can "
      "be shown";
  // clang-format off
  const std::vector<Case> cases = {
      {"a tiny image, 16384 x 16384 screen", 16384, 16384, {{0, 0, 1, 1}}, max, {0, 0, 1, 1}, ""},
      {"two images far apart on that screen", 16384, 16384, {{100, 200, 2, 3}, {110, 202, 4, 4}},
       max, {100, 200, 14, 6}, ""},
      {"an image past the screen is clipped", 4, 3, {{1, 1, 5, 5}}, 12, {1, 1, 3, 2}, ""},
      {"an image wholly off the screen covers nothing", 4, 3, {{100, 100, 1, 1}}, 12, {0, 0, 0, 0},
       ""},
      {"a screen of 0 x 0 takes the images whole", 0, 0, {{100, 100, 1, 1}, {90, 95, 2, 2}}, 66,
       {90, 95, 11, 6}, ""},
      {"exactly the limit", 200, 200, {{0, 0, 10, 10}, {20, 0, 10, 1}}, 300, {0, 0, 30, 10}, ""},
      {"past the limit", 200, 200, {{0, 0, 10, 10}, {20, 0, 10, 1}}, 299, {0, 0, 0, 0}, past},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scene s(c.screenWidth, c.screenHeight);
    for (const auto& [left, top, width, height] : c.images)
      s.Frame(left, top, width, height, std::vector<uint8_t>(std::size_t(width * height), 3));
    std::string error;
    try {
      TGIFAnimator animator(s.doc, c.limit);
      EXPECT_EQ((std::array<int, 4>{animator.Left(), animator.Top(), animator.Width(),
                                    animator.Height()}),
                c.canvas);
      EXPECT_EQ(animator.Canvas().size(), std::size_t(c.canvas[2] * c.canvas[3]));
      // Every covered pixel is white once all images are drawn, whatever the
      // canvas's place.
      animator.Seek(animator.FrameCount() - 1);
      for (const auto& [left, top, width, height] : c.images) {
        const int x = left - c.canvas[0], y = top - c.canvas[1];
        if (x >= 0 && x < c.canvas[2] && y >= 0 && y < c.canvas[3]) {
          EXPECT_EQ(animator.Canvas()[std::size_t(y * c.canvas[2] + x)], kWhite);
        }
      }
    } catch (const GIFException& e) {
      error = e.what();
    }
    EXPECT_EQ(error, c.error);
  }
}

// Seeking back starts at the last frame that covers the whole canvas with
// colour; what it shows must still be what drawing every frame in turn shows.
TEST(Animator, SeekingBackGivesWhatEveryFrameInTurnGives) {
  Scene s(2, 2);
  s.Frame(0, 0, 1, 1, {0});
  s.Frame(0, 0, 2, 2, {1, 1, 1, 1});  // hides the first
  TGIFSubImage& holed = s.Frame(0, 0, 2, 2, {2, 2, 2, 3});
  s.Control(holed).SetTransparentColorIndex(3);  // leaves a hole: hides nothing
  s.Control(holed).SetTransparentColorFlag(true);
  TGIFSubImage& restoring = s.Frame(0, 0, 2, 2, {0, 0, 0, 0});
  s.Control(restoring).SetDisposalMethod(3);  // needs what came before it
  s.Frame(1, 1, 1, 1, {3});
  s.Frame(0, 0, 2, 2, {9, 0, 0, 0});  // an index past the table: a hole

  std::vector<std::vector<uint32_t>> inTurn;
  TGIFAnimator stepped(s.doc);
  for (int n = 0; n < stepped.FrameCount(); ++n) {
    stepped.Seek(n);
    inTurn.push_back(stepped.Canvas());
  }
  TGIFAnimator animator(s.doc);
  for (int n : {5, 2, 4, 1, 3, 0, 5, 4}) {
    animator.Seek(n);
    EXPECT_EQ(animator.Canvas(), inTurn[std::size_t(n)]) << "frame " << n;
  }
}
