// The non-modal preview: the document's frames composed on the logical screen
// through their colour tables, see-through pixels over a checkerboard, scaled
// to fit the window or zoomed 1x to 16x with nearest-neighbour sampling; a
// click names the frame, place and entry of the pixel under the pointer, and
// Compare shows the picture as last opened or saved while it is held.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "gif/Animator.h"
#include "gif/Document.h"

namespace app {

namespace msg {
inline constexpr const char* PreviewTitle = "Preview";
inline constexpr const char* Play = "Play";
inline constexpr const char* Pause = "Pause";
inline constexpr const char* FrameOf = "Frame %1 of %2";
inline constexpr const char* Compare = "Compare";
inline constexpr const char* ZoomFit = "Fit";
inline constexpr const char* ZoomFactor = "%1x";
}  // namespace msg

// A pixel of the shown picture traced to the frame that drew it.
struct TPickedPixel {
  int Frame = 0;     // the frame's index in the document, 0-based
  int X = 0, Y = 0;  // on the logical screen
  int Index = 0;     // the pixel's entry in that frame's table
};

// Which frame's pixel shows at (x, y) of the logical screen once the image
// with the given number (counting only frames that hold an image, as the
// preview does) has been drawn: the latest image that covers the point with a
// pixel that is not see-through and that no disposal has taken away since.
// nullopt where the screen shows through.
std::optional<TPickedPixel> PixelSource(const gif::TGIFImage& document, int image, int x, int y);

// "NAME - Preview" for a file, its last path component; "Preview" for none.
QString PreviewCaption(const QString& fileName);

// Where the picture is painted: checkerboard, then the frame, fitted or at a
// whole zoom factor. Ctrl+wheel zooms about the pointer, the wheel scrolls
// (Shift: sideways), the middle button drags the picture about.
class TPreviewCanvas : public QWidget {
  Q_OBJECT
 public:
  static constexpr int MaxZoom = 16;

  explicit TPreviewCanvas(QWidget* parent = nullptr);
  // Shows the frame; clears any message. A frame of another size fits again.
  void SetFrame(QImage frame);
  const QImage& Frame() const { return frame_; }
  // Shows the text where the picture would be, and no picture.
  void SetMessage(QString text);
  const QString& Message() const { return message_; }

  // 0 while the picture fits the canvas, else the factor 1..16.
  int Zoom() const { return zoom_; }
  // Zooms to factor (clamped to 1..16) keeping the picture's point under
  // anchor (canvas coordinates) in place.
  void ZoomAt(int factor, QPointF anchor);
  // One factor in (+1) or out (-1) from the current one, or from the fitted
  // scale while fitting.
  void ZoomStep(int direction, QPointF anchor);
  void FitToCanvas();
  // Where the picture lies on the canvas.
  QRectF Target() const;
  // The picture's pixel under a point of the canvas; nullopt off the picture.
  std::optional<QPoint> PixelAt(QPointF at) const;

  // A left click on the picture, with the pixel and the keys held.
  std::function<void(QPoint pixel, Qt::KeyboardModifiers modifiers)> Picked;
  // The zoom changed (to fit or a factor).
  std::function<void()> ZoomChanged;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Keeps some of a zoomed picture on the canvas.
  void Clamp();

  QImage frame_;
  QString message_;
  int zoom_ = 0;
  QPointF offset_;                  // the picture's top-left corner on the canvas while zoomed
  std::optional<QPointF> panFrom_;  // where a middle-button drag last was
};

class TfrmPreview : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmPreview(QWidget* parent = nullptr);

  // Shows the given document from its first frame; nullptr shows nothing. The
  // document must outlive the window or be replaced first.
  void SetDocument(const gif::TGIFImage* document);
  // Draws the current frame again after the palette changed.
  void Refresh();
  void ShowFrame(int n);
  int CurrentFrame() const;
  bool Playing() const { return timer.isActive(); }
  void TogglePlay();
  // The composed frame, 0xAARRGGBB, alpha 0 where see-through.
  const QImage& Frame() const { return canvas.Frame(); }
  // Why nothing is shown, when the document cannot be previewed.
  const QString& Message() const { return canvas.Message(); }
  // The document index of the frame shown; -1 without one.
  int DocumentFrame() const;

  // The picture as last opened or saved, shown while Compare is held;
  // nullptr disables Compare. It must outlive the window or be replaced
  // first.
  void SetCompareDocument(const gif::TGIFImage* saved);
  bool Comparing() const { return btnCompare.isDown(); }

  // A click on the picture traced to the frame and entry that drew the pixel
  // (see PixelSource), and whether Ctrl was held to add it to a selection.
  std::function<void(const TPickedPixel& pixel, bool add)> PixelPicked;
  // Another frame is shown, with its document index.
  std::function<void(int frame)> FrameShown;

  TPreviewCanvas canvas;
  QSlider sldFrame;
  QPushButton btnPlay;
  QLabel lblFrame;  // "Frame 3 of 42"
  QLabel lblZoom;   // "Fit" or "4x"
  QPushButton btnCompare;
  QTimer timer;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Compose();
  void ShowZoom();
  // The point to zoom about: the pointer when it is over the canvas, else the
  // canvas's middle.
  QPointF ZoomAnchor() const;

  const gif::TGIFImage* document_ = nullptr;
  std::unique_ptr<gif::TGIFAnimator> animator_;
  std::vector<int> imageFrames_;  // the document index of each frame the animator plays
  const gif::TGIFImage* saved_ = nullptr;
  std::unique_ptr<gif::TGIFAnimator> savedAnimator_;
};

}  // namespace app
