// The preview's picker, zoom, frame read-out and Compare: a click traced to
// the frame and entry that drew the pixel through transparency and disposal,
// zoom about the pointer, and the picture as last saved while Compare is held.
#include <gtest/gtest.h>
#include <QApplication>
#include <QTest>
#include <QWheelEvent>

#include "AppTestSupport.h"
#include "app/PreviewWindow.h"
#include "gif/GIFImage.h"

namespace {

// Appends a frame at (left, top) drawing pixels; a local table when given
// colours, a transparent entry when transparent >= 0, and a disposal method.
void AddFrame(gif::TGIFImage& doc, int left, int top, int width, int height,
              std::vector<uint8_t> pixels, std::vector<gif::TColor> local = {},
              int transparent = -1, int disposal = 0) {
  auto frame = std::make_unique<gif::TGIFSubImage>(&doc);
  frame->Descriptor = gif::TImageDescriptor{
      0x2C, uint16_t(left), uint16_t(top), uint16_t(width), uint16_t(height), 0};
  frame->AllocatePixels();
  std::copy(pixels.begin(), pixels.end(), frame->PixelData());
  for (gif::TColor c : local) frame->LocalMap().AppendEntry(c);
  auto control = std::make_unique<gif::TGIFGraphicControlExtension>(*frame);
  control->SetDisposalMethod(uint8_t(disposal));
  if (transparent >= 0) {
    control->SetTransparentColorIndex(uint8_t(transparent));
    control->SetTransparentColorFlag(true);
  }
  frame->Extensions().Append(std::move(control));
  doc.Frames().Append(std::move(frame));
}

// A 4 x 2 screen: frame 0 covers it through the global table (entry = x +
// 4y); frame 1, a local 2 x 2 patch at (2,0) with entry 1 see-through; frame 2
// a pixel at (0,0) restored to what was under it; frame 3 a pixel at (3,1)
// cleared after it; frame 4 a pixel at (0,1).
void Layered(gif::TGIFImage& doc) {
  doc.Header().Screen.ScreenWidth = 4;
  doc.Header().Screen.ScreenHeight = 2;
  for (int i = 0; i < 8; ++i) doc.GlobalMap().AppendEntry(gif::TColor(0x101010 * i));
  AddFrame(doc, 0, 0, 4, 2, {0, 1, 2, 3, 4, 5, 6, 7});
  AddFrame(doc, 2, 0, 2, 2, {0, 1, 1, 0}, {0x0000FF, 0x00FF00}, 1);
  AddFrame(doc, 0, 0, 1, 1, {7}, {}, -1, 3);
  AddFrame(doc, 3, 1, 1, 1, {6}, {}, -1, 2);
  AddFrame(doc, 0, 1, 1, 1, {5});
}

}  // namespace

TEST(PreviewPicker, TracesAPixelToTheFrameAndEntryThatDrewIt) {
  gif::TGIFImage doc;
  Layered(doc);
  struct Case {
    int image, x, y;
    std::optional<std::pair<int, int>> expected;  // frame, entry
  };
  const std::vector<Case> cases = {
      {0, 1, 1, std::pair{0, 5}}, {1, 2, 0, std::pair{1, 0}},
      {1, 3, 0, std::pair{0, 3}},                              // see-through to the frame below
      {2, 0, 0, std::pair{2, 7}}, {3, 0, 0, std::pair{0, 0}},  // restored to previous
      {3, 3, 1, std::pair{3, 6}}, {4, 3, 1, std::nullopt},     // cleared to the background
      {4, 2, 1, std::pair{0, 6}}, {9, 0, 1, std::pair{4, 5}},  // past the end: the last
  };
  for (const Case& c : cases) {
    const auto picked = app::PixelSource(doc, c.image, c.x, c.y);
    ASSERT_EQ(picked.has_value(), c.expected.has_value()) << c.image << ' ' << c.x << ',' << c.y;
    if (!picked) continue;
    EXPECT_EQ(std::pair(picked->Frame, picked->Index), *c.expected) << c.image << ' ' << c.x;
    EXPECT_EQ(QPoint(picked->X, picked->Y), QPoint(c.x, c.y));
  }

  // Clicked on the window: the frame shown, the pixel under the pointer, Ctrl.
  app::TfrmPreview preview;
  preview.resize(400, 300);
  preview.SetDocument(&doc);
  preview.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
  preview.sldFrame.setValue(1);
  EXPECT_EQ(preview.lblFrame.text(), "Frame 2 of 5");
  std::vector<std::pair<app::TPickedPixel, bool>> picks;
  preview.PixelPicked = [&](const app::TPickedPixel& p, bool add) { picks.push_back({p, add}); };
  const QRectF target = preview.canvas.Target();
  const auto centre = [&](int x, int y) {
    return QPointF(target.left() + (x + 0.5) * target.width() / 4,
                   target.top() + (y + 0.5) * target.height() / 2)
        .toPoint();
  };
  QTest::mouseClick(&preview.canvas, Qt::LeftButton, Qt::NoModifier, centre(2, 0));
  QTest::mouseClick(&preview.canvas, Qt::LeftButton, Qt::ControlModifier, centre(0, 0));
  // Beside the fitted picture, where it leaves the canvas bare, nothing is picked.
  const QPoint off = target.left() >= 1 ? QPoint(0, int(target.center().y()))
                                        : QPoint(int(target.center().x()), 0);
  ASSERT_FALSE(target.contains(off));
  QTest::mouseClick(&preview.canvas, Qt::LeftButton, Qt::NoModifier, off);
  ASSERT_EQ(picks.size(), 2u);
  EXPECT_EQ(picks[0].first.Frame, 1);
  EXPECT_EQ(picks[0].first.Index, 0);
  EXPECT_EQ(QPoint(picks[0].first.X, picks[0].first.Y), QPoint(2, 0));
  EXPECT_FALSE(picks[0].second);
  EXPECT_EQ(picks[1].first.Frame, 0);
  EXPECT_TRUE(picks[1].second);
}

TEST(PreviewPicker, ZoomKeepsThePointUnderThePointerAndCompareShowsTheSavedPicture) {
  gif::TGIFImage doc, saved;
  for (gif::TGIFImage* d : {&doc, &saved}) {
    d->Header().Screen.ScreenWidth = 64;
    d->Header().Screen.ScreenHeight = 64;
    std::vector<uint8_t> pixels(64 * 64);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i % 7);
    for (int i = 0; i < 8; ++i) d->GlobalMap().AppendEntry(gif::TColor(0x010203 * i));
    AddFrame(*d, 0, 0, 64, 64, pixels);
  }
  saved.GlobalMap().WriteEntry(0, 0xFF0000);
  app::TfrmPreview preview;
  preview.resize(300, 300);
  preview.SetDocument(&doc);
  preview.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
  app::TPreviewCanvas& canvas = preview.canvas;
  EXPECT_EQ(canvas.Zoom(), 0);
  EXPECT_EQ(preview.lblZoom.text(), "Fit");

  const QPointF pointer(canvas.width() * 0.3, canvas.height() * 0.6);
  const std::optional<QPoint> under = canvas.PixelAt(pointer);
  ASSERT_TRUE(under);
  auto wheel = [&](int notches) {
    QWheelEvent event(pointer, canvas.mapToGlobal(pointer), QPoint(), QPoint(0, 120 * notches),
                      Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&canvas, &event);
  };
  const int fitted = int(canvas.Target().width() / 64);
  for (int step = 1; step <= 5; ++step) {
    wheel(+1);
    EXPECT_EQ(canvas.Zoom(), fitted + step);
    EXPECT_EQ(canvas.PixelAt(pointer), under) << canvas.Zoom();
  }
  EXPECT_EQ(preview.lblZoom.text(), QString("%1x").arg(fitted + 5));
  wheel(-1);
  EXPECT_EQ(canvas.PixelAt(pointer), under);
  canvas.ZoomAt(99, pointer);
  EXPECT_EQ(canvas.Zoom(), 16);
  EXPECT_EQ(canvas.PixelAt(pointer), under);
  // Ctrl+minus and Ctrl+plus step too; no factor below 1; Ctrl+0 fits again.
  QTest::keyClick(&preview, Qt::Key_Minus, Qt::ControlModifier);
  EXPECT_EQ(canvas.Zoom(), 15);
  QTest::keyClick(&preview, Qt::Key_Plus, Qt::ControlModifier);
  EXPECT_EQ(canvas.Zoom(), 16);
  canvas.ZoomAt(1, pointer);
  QTest::keyClick(&preview, Qt::Key_Minus, Qt::ControlModifier);
  EXPECT_EQ(canvas.Zoom(), 1);
  // A picture pixel at 16x is 16 screen pixels, nearest neighbour.
  canvas.ZoomAt(16, pointer);
  const QImage shot = canvas.grab().toImage();
  const QRectF t = canvas.Target();
  const QPoint first = (t.topLeft() + QPointF(under->x() * 16, under->y() * 16)).toPoint();
  EXPECT_EQ(shot.pixel(first + QPoint(1, 1)), shot.pixel(first + QPoint(14, 14)));
  QTest::keyClick(&preview, Qt::Key_0, Qt::ControlModifier);
  EXPECT_EQ(canvas.Zoom(), 0);

  // Compare, while held, shows the saved table's blue for entry 0.
  EXPECT_FALSE(preview.btnCompare.isEnabled());
  preview.SetCompareDocument(&saved);
  ASSERT_TRUE(preview.btnCompare.isEnabled());
  EXPECT_EQ(preview.Frame().pixel(0, 0), qRgb(0, 0, 0));
  QTest::mousePress(&preview.btnCompare, Qt::LeftButton);
  EXPECT_EQ(preview.Frame().pixel(0, 0), qRgb(0, 0, 255));
  EXPECT_EQ(preview.Frame().pixel(1, 0), qRgb(3, 2, 1));
  QTest::mouseRelease(&preview.btnCompare, Qt::LeftButton);
  EXPECT_EQ(preview.Frame().pixel(0, 0), qRgb(0, 0, 0));
}
