#include <gtest/gtest.h>

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
  struct Case {
    int screenWidth, screenHeight;
    uint64_t limit;
    std::string error;
  };
  // A screen of 0 x 0 takes the extent of its images: here 101 x 101.
  const std::vector<Case> cases = {
      {4, 3, 12, ""},
      {4, 3, 11, "Logical screen of 4 x 3 pixels exceeds the limit of 11 pixels"},
      {0, 0, 10201, ""},
      {0, 0, 10200, "Logical screen of 101 x 101 pixels exceeds the limit of 10200 pixels"},
  };
  for (const Case& c : cases) {
    Scene s(c.screenWidth, c.screenHeight);
    s.Frame(100, 100, 1, 1, {0});
    s.doc.MaxPixels = c.limit;
    std::string error;
    try {
      TGIFAnimator animator(s.doc);
      EXPECT_EQ(animator.Canvas().size(), c.limit);
    } catch (const GIFException& e) {
      error = e.what();
    }
    EXPECT_EQ(error, c.error) << c.screenWidth << " x " << c.screenHeight << ", " << c.limit;
  }
}
