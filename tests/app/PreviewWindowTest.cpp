// The preview window opened from the main window: composed pixels through
// global and local tables, transparency, an interlaced frame, fitting, and
// refreshes after Start, Undo and Open.
#include "app/PreviewWindow.h"

#include <gtest/gtest.h>
#include <QTest>

#include "AppTestSupport.h"
#include "app/Application.h"
#include "app/MainUnit.h"
#include "gif/GIFImage.h"

namespace {

constexpr QRgb Red = 0xFFFF0000, Green = 0xFF00FF00, Blue = 0xFF0000FF, White = 0xFFFFFFFF,
               Clear = 0x00000000;

// A 3 x 4 screen. Frame 0 is interlaced, covers the screen through the global
// table (rows red, green, blue, white) and shows its white row through. Frame
// 1 is a 2 x 2 patch at (1,1) with a local table whose second entry is
// transparent.
QString TwoFrameGif() {
  gif::TGIFImage doc;
  doc.Header().Screen.ScreenWidth = 3;
  doc.Header().Screen.ScreenHeight = 4;
  for (gif::TColor c : {0x0000FFu, 0x00FF00u, 0xFF0000u, 0xFFFFFFu}) doc.GlobalMap().AppendEntry(c);
  auto add = [&doc](int left, int top, int width, int height, bool interlaced,
                    std::vector<uint8_t> pixels, uint8_t transparent) -> gif::TGIFSubImage& {
    auto frame = std::make_unique<gif::TGIFSubImage>(&doc);
    frame->Descriptor = gif::TImageDescriptor{0x2C,
                                              uint16_t(left),
                                              uint16_t(top),
                                              uint16_t(width),
                                              uint16_t(height),
                                              uint8_t(interlaced ? 0x40 : 0)};
    frame->AllocatePixels();
    std::copy(pixels.begin(), pixels.end(), frame->PixelData());
    auto control = std::make_unique<gif::TGIFGraphicControlExtension>(*frame);
    control->SetTransparentColorIndex(transparent);
    control->SetTransparentColorFlag(true);
    control->SetDelayTime(5);
    frame->Extensions().Append(std::move(control));
    gif::TGIFSubImage& ref = *frame;
    doc.Frames().Append(std::move(frame));
    return ref;
  };
  add(0, 0, 3, 4, true, {0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3}, 3);
  gif::TGIFSubImage& patch = add(1, 1, 2, 2, false, {0, 1, 1, 0}, 1);
  patch.LocalMap().AppendEntry(0xFFFFFF);
  patch.LocalMap().AppendEntry(0x000000);
  const QString path = apptest::TempDir() + "/preview.gif";
  doc.SaveFile(QFile::encodeName(path).toStdString());
  return path;
}

// A screen of screen x screen pixels holding 1 x 1 frames at the given places,
// each drawn in global colour 1 (blue).
QString SparseGif(const QString& name, int screen, const std::vector<QPoint>& places) {
  gif::TGIFImage doc;
  doc.Header().Screen.ScreenWidth = uint16_t(screen);
  doc.Header().Screen.ScreenHeight = uint16_t(screen);
  for (gif::TColor c : {0x000000u, 0xFF0000u}) doc.GlobalMap().AppendEntry(c);
  for (const QPoint& at : places) {
    auto frame = std::make_unique<gif::TGIFSubImage>(&doc);
    frame->Descriptor = gif::TImageDescriptor{0x2C, uint16_t(at.x()), uint16_t(at.y()), 1, 1, 0};
    frame->AllocatePixels();
    frame->PixelData()[0] = 1;
    doc.Frames().Append(std::move(frame));
  }
  const QString path = apptest::TempDir() + "/" + name;
  doc.SaveFile(QFile::encodeName(path).toStdString());
  return path;
}

std::vector<QRgb> Pixels(const QImage& image) {
  std::vector<QRgb> out;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) out.push_back(image.pixel(x, y));
  return out;
}

class PreviewWindow : public apptest::TWindowDriver {
 protected:
  void TearDown() override {
    TWindowDriver::TearDown();
    EXPECT_TRUE(cancelBoxes.isEmpty()) << cancelBoxes.join("|").toStdString();
  }
};

}  // namespace

TEST_F(PreviewWindow, ComposesFramesThroughTheirTablesAndStepsThroughThem) {
  Open(TwoFrameGif());
  ASSERT_TRUE(frm.Loaded());
  frm.actPreview.trigger();
  app::TfrmPreview* preview = frm.Preview();
  ASSERT_NE(preview, nullptr);
  EXPECT_TRUE(preview->isVisible());
  EXPECT_FALSE(preview->isModal());
  EXPECT_EQ(preview->CurrentFrame(), 0);
  EXPECT_EQ(preview->sldFrame.maximum(), 1);
  // Interlaced rows land in their places; the transparent row stays open.
  EXPECT_EQ(Pixels(preview->Frame()), (std::vector<QRgb>{Red, Red, Red, Green, Green, Green, Blue,
                                                         Blue, Blue, Clear, Clear, Clear}));
  preview->sldFrame.setValue(1);
  EXPECT_EQ(Pixels(preview->Frame()), (std::vector<QRgb>{Red, Red, Red, Green, White, Green, Blue,
                                                         Blue, White, Clear, Clear, Clear}));

  // Play moves on by itself and Pause stops it.
  preview->sldFrame.setValue(0);
  preview->TogglePlay();
  EXPECT_EQ(preview->btnPlay.text(), "Pause");
  EXPECT_TRUE(QTest::qWaitFor([&] { return preview->CurrentFrame() == 1; }, 2000));
  preview->TogglePlay();
  EXPECT_FALSE(preview->Playing());
  EXPECT_EQ(preview->btnPlay.text(), "Play");
}

TEST_F(PreviewWindow, FitsNearestNeighbourOverACheckerboard) {
  Open(TwoFrameGif());
  frm.actPreview.trigger();
  app::TfrmPreview& preview = *frm.Preview();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
  preview.resize(400, 500);
  QTest::qWait(20);
  const QImage shot = preview.canvas.grab().toImage();
  const QSize fitted = QSize(3, 4).scaled(preview.canvas.size(), Qt::KeepAspectRatio);
  ASSERT_GT(fitted.width(), 3 * 20);  // enlarged with the window
  const QPoint origin((preview.canvas.width() - fitted.width()) / 2,
                      (preview.canvas.height() - fitted.height()) / 2);
  const int cell = fitted.width() / 3;
  auto at = [&](int x, int y) { return shot.pixel(origin + QPoint(x, y)) | 0xFF000000; };
  // Hard edges: the last pixel of one source pixel and the first of the next.
  EXPECT_EQ(at(cell - 2, 1), Red);
  EXPECT_EQ(at(1, cell + 1), Green);
  EXPECT_EQ(at(1, cell - 2), Red);
  // The see-through row shows both checkerboard shades.
  const int row = 3 * fitted.height() / 4 + 2;
  EXPECT_EQ(at(1, row), 0xFFFFFFFFu);
  EXPECT_EQ(at(9, row), 0xFFCCCCCCu);
}

TEST_F(PreviewWindow, FollowsStartUndoAndOpen) {
  Open(TwoFrameGif());
  frm.actPreview.trigger();
  app::TfrmPreview& preview = *frm.Preview();
  preview.sldFrame.setValue(1);
  frm.edtFromH.setText("0");
  frm.edtToH.setText("80");
  QTest::mouseClick(&frm.btnStart, Qt::LeftButton);
  // The red row (hue 0) turned green in the frame shown.
  const QRgb moved = 0xFF000000 | frm.Document().GlobalMap().ReadEntry(0);
  ASSERT_NE(moved, Red);
  EXPECT_EQ(preview.Frame().pixel(0, 0), qRgba(0, 255, 0, 255));
  EXPECT_EQ(preview.CurrentFrame(), 1);
  frm.actUndo.trigger();
  EXPECT_EQ(preview.Frame().pixel(0, 0), Red);

  Open(apptest::WriteTempFile("one.gif", apptest::SinglePixelGif({{1, 2, 3}})));
  EXPECT_EQ(preview.CurrentFrame(), 0);
  EXPECT_EQ(preview.sldFrame.maximum(), 0);
  EXPECT_EQ(Pixels(preview.Frame()), std::vector<QRgb>{qRgb(1, 2, 3)});
}

TEST_F(PreviewWindow, CanvasCoversTheImagesAndRefusesOneTooLargeWithAMessage) {
  auto* application = qobject_cast<app::TApplication*>(qApp);
  ASSERT_NE(application, nullptr);
  const auto savedBox = application->ShowErrorBox;
  QStringList boxes;
  application->ShowErrorBox = [&boxes](const QString&, const QString& text) { boxes << text; };

  // A screen of 16384 x 16384 declared around two pixels: the canvas holds
  // what they cover, 3 x 2, not a gigabyte.
  Open(SparseGif("sparse.gif", 16384, {{100, 200}, {102, 201}}));
  frm.actPreview.trigger();
  app::TfrmPreview& preview = *frm.Preview();
  preview.sldFrame.setValue(1);
  EXPECT_EQ(Pixels(preview.Frame()), (std::vector<QRgb>{Blue, Clear, Clear, Clear, Clear, Blue}));
  EXPECT_EQ(preview.Message(), "");

  // Pixels 6000 apart span 36 million: the preview says so and shows no
  // picture; the document stays open, and no error box appears.
  Open(SparseGif("spread.gif", 6001, {{0, 0}, {6000, 6000}}));
  EXPECT_TRUE(frm.Loaded());
  EXPECT_TRUE(preview.Frame().isNull());
  EXPECT_EQ(preview.Message(),
            "The images cover 6001 x 6001 pixels of the logical screen, more than the 33554432 "
            "pixels that can be shown");
  EXPECT_FALSE(preview.sldFrame.isEnabled());
  preview.Refresh();
  EXPECT_FALSE(preview.Message().isEmpty());
  EXPECT_TRUE(boxes.isEmpty());

  // The next picture that fits is shown again.
  Open(SparseGif("again.gif", 16384, {{5, 5}}));
  EXPECT_EQ(Pixels(preview.Frame()), std::vector<QRgb>{Blue});
  EXPECT_EQ(preview.Message(), "");
  application->ShowErrorBox = savedBox;
}
