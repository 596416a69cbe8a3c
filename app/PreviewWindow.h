// The non-modal preview: the document's frames composed on the logical screen
// through their colour tables, see-through pixels over a checkerboard, scaled
// to fit the window with nearest-neighbour sampling.
#pragma once

#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "gif/Animator.h"
#include "gif/Document.h"

namespace app {

namespace msg {
inline constexpr const char* PreviewTitle = "Preview";
inline constexpr const char* Play = "Play";
inline constexpr const char* Pause = "Pause";
}  // namespace msg

// "NAME - Preview" for a file, its last path component; "Preview" for none.
QString PreviewCaption(const QString& fileName);

// Where the picture is painted: checkerboard, then the frame, fitted.
class TPreviewCanvas : public QWidget {
  Q_OBJECT
 public:
  explicit TPreviewCanvas(QWidget* parent = nullptr);
  // Shows the frame; clears any message.
  void SetFrame(QImage frame);
  const QImage& Frame() const { return frame_; }
  // Shows the text where the picture would be, and no picture.
  void SetMessage(QString text);
  const QString& Message() const { return message_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage frame_;
  QString message_;
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

  TPreviewCanvas canvas;
  QSlider sldFrame;
  QPushButton btnPlay;
  QTimer timer;

 private:
  void Compose();

  const gif::TGIFImage* document_ = nullptr;
  std::unique_ptr<gif::TGIFAnimator> animator_;
};

}  // namespace app
