#include "app/PreviewWindow.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "gif/Extensions.h"

namespace app {

namespace {

constexpr int CheckerSize = 8;
// How much of a zoomed picture, in canvas pixels, scrolling leaves in view.
constexpr int KeepVisible = 32;
// Frames without a delay still advance, at a pace the eye can follow.
constexpr int MinimumDelayMs = 20;
// Disposal methods of the graphic control extension (GIF89a section 23).
constexpr int RestoreBackground = 2;
constexpr int RestorePrevious = 3;

// The frames the animator plays, by document index, as it picks them.
std::vector<int> ImageFrames(const gif::TGIFImage& document) {
  std::vector<int> frames;
  const gif::TGIFImageList& list = document.Frames();
  for (int i = 0; i < list.Count(); ++i)
    if (!list.Frame(i).IsEmpty()) frames.push_back(i);
  return frames;
}

}  // namespace

std::optional<TPickedPixel> PixelSource(const gif::TGIFImage& document, int image, int x, int y) {
  const std::vector<int> frames = ImageFrames(document);
  if (frames.empty()) return std::nullopt;
  image = std::clamp(image, 0, static_cast<int>(frames.size()) - 1);
  for (int k = image; k >= 0; --k) {
    const gif::TGIFSubImage& frame = document.Frames().Frame(frames[static_cast<std::size_t>(k)]);
    const gif::TImageDescriptor& d = frame.Descriptor;
    const gif::TGIFGraphicControlExtension* control = frame.GraphicControl();
    const int disposal = control != nullptr ? control->DisposalMethod() : 0;
    // An earlier frame restored to what was under it left nothing behind.
    if (k < image && disposal == RestorePrevious) continue;
    if (x < d.Left || y < d.Top || x >= d.Left + d.Width || y >= d.Top + d.Height) continue;
    // Cleared before the next frame: whatever was below went with it.
    if (k < image && disposal == RestoreBackground) return std::nullopt;
    const int value =
        frame.PixelData()[static_cast<std::size_t>(y - d.Top) * d.Width + (x - d.Left)];
    if (frame.HasTransparency() && control != nullptr && value == control->TransparentColorIndex())
      continue;
    const gif::TGIFColorMap& map =
        frame.LocalMap().EntryCount() > 0
            ? static_cast<const gif::TGIFColorMap&>(frame.LocalMap())
            : static_cast<const gif::TGIFColorMap&>(document.GlobalMap());
    // An index past the table draws nothing, as in the animator.
    if (value >= map.EntryCount()) continue;
    return TPickedPixel{frames[static_cast<std::size_t>(k)], x, y, value};
  }
  return std::nullopt;
}

QString PreviewCaption(const QString& fileName) {
  if (fileName.isEmpty()) return QString::fromLatin1(msg::PreviewTitle);
  return QFileInfo(fileName).fileName() + QStringLiteral(" - ") +
         QString::fromLatin1(msg::PreviewTitle);
}

TPreviewCanvas::TPreviewCanvas(QWidget* parent) : QWidget(parent) {
  setMinimumSize(64, 64);
}

void TPreviewCanvas::SetFrame(QImage frame) {
  if (frame.size() != frame_.size()) zoom_ = 0;
  frame_ = std::move(frame);
  message_.clear();
  update();
}

void TPreviewCanvas::SetMessage(QString text) {
  frame_ = QImage();
  message_ = std::move(text);
  update();
}

QRectF TPreviewCanvas::Target() const {
  if (frame_.isNull()) return QRectF();
  if (zoom_ == 0) {
    // The largest size of the frame's aspect that fits.
    const QSize fitted = frame_.size().scaled(size(), Qt::KeepAspectRatio);
    return QRectF(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2),
                  QSizeF(fitted));
  }
  return QRectF(offset_, QSizeF(frame_.size()) * zoom_);
}

std::optional<QPoint> TPreviewCanvas::PixelAt(QPointF at) const {
  const QRectF target = Target();
  if (target.isEmpty()) return std::nullopt;
  const int x =
      static_cast<int>(std::floor((at.x() - target.left()) * frame_.width() / target.width()));
  const int y =
      static_cast<int>(std::floor((at.y() - target.top()) * frame_.height() / target.height()));
  if (x < 0 || y < 0 || x >= frame_.width() || y >= frame_.height()) return std::nullopt;
  return QPoint(x, y);
}

void TPreviewCanvas::ZoomAt(int factor, QPointF anchor) {
  const QRectF old = Target();
  if (old.isEmpty()) return;
  factor = std::clamp(factor, 1, MaxZoom);
  // The picture's point under the anchor, in pixels of the picture.
  const QPointF point = (anchor - old.topLeft()) * (frame_.width() / old.width());
  zoom_ = factor;
  offset_ = anchor - point * factor;
  Clamp();
  update();
  if (ZoomChanged) ZoomChanged();
}

void TPreviewCanvas::ZoomStep(int direction, QPointF anchor) {
  if (frame_.isNull()) return;
  const double scale = Target().width() / frame_.width();
  const int from = zoom_ != 0 ? zoom_ : -1;
  int factor;
  if (from > 0)
    factor = from + direction;
  else  // from the fitted scale to the next whole factor that way
    factor = direction > 0 ? static_cast<int>(std::floor(scale)) + 1
                           : static_cast<int>(std::ceil(scale)) - 1;
  ZoomAt(factor, anchor);
}

void TPreviewCanvas::FitToCanvas() {
  zoom_ = 0;
  update();
  if (ZoomChanged) ZoomChanged();
}

void TPreviewCanvas::Clamp() {
  if (zoom_ == 0 || frame_.isNull()) return;
  // Some of the picture always stays in view, so scrolling cannot lose it;
  // anything less strict would move the point a zoom keeps in place.
  const QSizeF picture = QSizeF(frame_.size()) * zoom_;
  auto axis = [](double offset, double shown, double room) {
    const double keep = std::min(shown, double(KeepVisible));
    return std::clamp(offset, keep - shown, room - keep);
  };
  offset_ = QPointF(axis(offset_.x(), picture.width(), width()),
                    axis(offset_.y(), picture.height(), height()));
}

void TPreviewCanvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Window));
  if (!message_.isEmpty()) {
    painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, message_);
    return;
  }
  if (frame_.isNull()) return;
  const QRect target = Target().toRect();
  // Only what the canvas shows: a large picture at 16x is far bigger.
  const QRect visible = target.intersected(rect());
  if (visible.isEmpty()) return;
  const int firstX = target.left() + (visible.left() - target.left()) / CheckerSize * CheckerSize;
  const int firstY = target.top() + (visible.top() - target.top()) / CheckerSize * CheckerSize;
  for (int y = firstY; y <= visible.bottom(); y += CheckerSize)
    for (int x = firstX; x <= visible.right(); x += CheckerSize) {
      const bool dark = ((x - target.left()) / CheckerSize + (y - target.top()) / CheckerSize) % 2;
      painter.fillRect(QRect(x, y, CheckerSize, CheckerSize).intersected(visible),
                       dark ? QColor(204, 204, 204) : QColor(Qt::white));
    }
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  if (zoom_ == 0) {
    painter.drawImage(target, frame_);
    return;
  }
  // The picture's pixels that reach the visible part, each zoom_ wide.
  const int x0 = (visible.left() - target.left()) / zoom_;
  const int y0 = (visible.top() - target.top()) / zoom_;
  const int x1 = (visible.right() - target.left()) / zoom_;
  const int y1 = (visible.bottom() - target.top()) / zoom_;
  const QRect source(x0, y0, x1 - x0 + 1, y1 - y0 + 1);
  painter.drawImage(QRect(target.left() + x0 * zoom_, target.top() + y0 * zoom_,
                          source.width() * zoom_, source.height() * zoom_),
                    frame_, source);
}

void TPreviewCanvas::wheelEvent(QWheelEvent* event) {
  const QPoint delta = event->angleDelta();
  if (event->modifiers().testFlag(Qt::ControlModifier)) {
    if (delta.y() != 0) ZoomStep(delta.y() > 0 ? +1 : -1, event->position());
    return;
  }
  if (zoom_ == 0) return;
  // A notch (120) moves the picture a fifth of the canvas, Shift sideways.
  const bool sideways = event->modifiers().testFlag(Qt::ShiftModifier) && delta.x() == 0;
  const QPointF step = sideways
                           ? QPointF(delta.y() * width() / 600.0, 0)
                           : QPointF(delta.x() * width() / 600.0, delta.y() * height() / 600.0);
  offset_ += step;
  Clamp();
  update();
}

void TPreviewCanvas::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::MiddleButton) {
    panFrom_ = event->position();
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  const std::optional<QPoint> pixel = PixelAt(event->position());
  if (pixel && Picked) Picked(*pixel, event->modifiers());
}

void TPreviewCanvas::mouseMoveEvent(QMouseEvent* event) {
  if (!panFrom_ || zoom_ == 0) return;
  offset_ += event->position() - *panFrom_;
  panFrom_ = event->position();
  Clamp();
  update();
}

void TPreviewCanvas::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::MiddleButton) panFrom_.reset();
}

void TPreviewCanvas::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Clamp();
}

TfrmPreview::TfrmPreview(QWidget* parent)
    : QWidget(parent, Qt::Window),
      canvas(this),
      sldFrame(Qt::Horizontal, this),
      btnPlay(this),
      lblFrame(this),
      lblZoom(this),
      btnCompare(this) {
  setWindowTitle(QString::fromLatin1(msg::PreviewTitle));
  btnPlay.setText(QString::fromLatin1(msg::Play));
  btnCompare.setText(QString::fromLatin1(msg::Compare));
  btnCompare.setEnabled(false);
  auto* controls = new QHBoxLayout;  // owned by the outer layout
  controls->addWidget(&btnPlay);
  controls->addWidget(&sldFrame, 1);
  controls->addWidget(&lblFrame);
  controls->addWidget(&lblZoom);
  controls->addWidget(&btnCompare);
  auto* layout = new QVBoxLayout(this);  // owned by this window
  layout->addWidget(&canvas, 1);
  layout->addLayout(controls);
  resize(320, 280);

  timer.setSingleShot(true);
  connect(&sldFrame, &QSlider::valueChanged, this, [this](int n) {
    ShowFrame(n);
    if (FrameShown) FrameShown(DocumentFrame());
  });
  // While held, the picture as last opened or saved.
  connect(&btnCompare, &QPushButton::pressed, this, [this] { Compose(); });
  connect(&btnCompare, &QPushButton::released, this, [this] { Compose(); });
  canvas.ZoomChanged = [this] { ShowZoom(); };
  canvas.Picked = [this](QPoint pixel, Qt::KeyboardModifiers modifiers) {
    if (animator_ == nullptr || document_ == nullptr || !PixelPicked) return;
    const std::optional<TPickedPixel> source = PixelSource(
        *document_, CurrentFrame(), pixel.x() + animator_->Left(), pixel.y() + animator_->Top());
    if (source) PixelPicked(*source, modifiers.testFlag(Qt::ControlModifier));
  };
  ShowZoom();
  connect(&btnPlay, &QPushButton::clicked, this, [this] { TogglePlay(); });
  connect(&timer, &QTimer::timeout, this, [this] {
    if (animator_ == nullptr || animator_->FrameCount() == 0) return;
    sldFrame.setValue((CurrentFrame() + 1) % animator_->FrameCount());
    timer.start(std::max(MinimumDelayMs, animator_->DelayMs(CurrentFrame())));
  });
}

void TfrmPreview::SetDocument(const gif::TGIFImage* document) {
  timer.stop();
  btnPlay.setText(QString::fromLatin1(msg::Play));
  document_ = document;
  animator_.reset();
  imageFrames_ = document_ != nullptr ? ImageFrames(*document_) : std::vector<int>{};
  QString refusal;
  try {
    if (document_ != nullptr) animator_ = std::make_unique<gif::TGIFAnimator>(*document_);
  } catch (const gif::GIFException& e) {
    // A picture too large to compose is refused here, in the preview; the
    // document itself stays open for editing.
    refusal = QString::fromUtf8(e.what());
  }
  const int frames = animator_ ? animator_->FrameCount() : 0;
  const QSignalBlocker quiet(sldFrame);
  sldFrame.setRange(0, std::max(0, frames - 1));
  sldFrame.setValue(0);
  sldFrame.setEnabled(frames > 1);
  btnPlay.setEnabled(frames > 1);
  if (!refusal.isEmpty()) {
    canvas.SetMessage(refusal);
    return;
  }
  Compose();
}

void TfrmPreview::SetCompareDocument(const gif::TGIFImage* saved) {
  saved_ = saved;
  savedAnimator_.reset();
  try {
    if (saved_ != nullptr) savedAnimator_ = std::make_unique<gif::TGIFAnimator>(*saved_);
  } catch (const gif::GIFException&) {
    // Too large to compose: the current picture says so already.
  }
  btnCompare.setEnabled(savedAnimator_ != nullptr);
  if (Comparing()) Compose();
}

int TfrmPreview::DocumentFrame() const {
  const int n = CurrentFrame();
  if (n < 0 || n >= static_cast<int>(imageFrames_.size())) return -1;
  return imageFrames_[static_cast<std::size_t>(n)];
}

QPointF TfrmPreview::ZoomAnchor() const {
  const QPoint pointer = canvas.mapFromGlobal(QCursor::pos());
  return canvas.rect().contains(pointer) ? QPointF(pointer) : QPointF(canvas.rect().center());
}

void TfrmPreview::ShowZoom() {
  lblZoom.setText(canvas.Zoom() == 0 ? QString::fromLatin1(msg::ZoomFit)
                                     : QString::fromLatin1(msg::ZoomFactor).arg(canvas.Zoom()));
}

void TfrmPreview::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers().testFlag(Qt::ControlModifier)) {
    switch (event->key()) {
      case Qt::Key_Plus:
      case Qt::Key_Equal:  // the plus key without Shift
        canvas.ZoomStep(+1, ZoomAnchor());
        return;
      case Qt::Key_Minus:
        canvas.ZoomStep(-1, ZoomAnchor());
        return;
      case Qt::Key_0:
        canvas.FitToCanvas();
        return;
      default:
        break;
    }
  }
  QWidget::keyPressEvent(event);
}

void TfrmPreview::Refresh() {
  if (animator_ == nullptr) return;
  Compose();
}

int TfrmPreview::CurrentFrame() const {
  return sldFrame.value();
}

void TfrmPreview::ShowFrame(int n) {
  if (sldFrame.value() != n) {
    sldFrame.setValue(n);  // comes back here through valueChanged
    return;
  }
  Compose();
}

void TfrmPreview::TogglePlay() {
  if (timer.isActive()) {
    timer.stop();
    btnPlay.setText(QString::fromLatin1(msg::Play));
    return;
  }
  if (animator_ == nullptr || animator_->FrameCount() < 2) return;
  btnPlay.setText(QString::fromLatin1(msg::Pause));
  timer.start(std::max(MinimumDelayMs, animator_->DelayMs(CurrentFrame())));
}

void TfrmPreview::Compose() {
  const int frames = animator_ ? animator_->FrameCount() : 0;
  lblFrame.setText(frames > 0
                       ? QString::fromLatin1(msg::FrameOf).arg(CurrentFrame() + 1).arg(frames)
                       : QString());
  gif::TGIFAnimator* animator =
      Comparing() && savedAnimator_ != nullptr ? savedAnimator_.get() : animator_.get();
  if (animator == nullptr || animator->FrameCount() == 0 || animator->Width() == 0 ||
      animator->Height() == 0) {
    canvas.SetFrame(QImage());
    return;
  }
  // Seeking to the frame already shown replays from the first frame, so a
  // changed palette reaches every frame the current one builds on.
  animator->Seek(CurrentFrame());
  QImage frame(animator->Width(), animator->Height(), QImage::Format_ARGB32);
  const auto& pixels = animator->Canvas();
  for (int y = 0; y < frame.height(); ++y)
    std::copy_n(pixels.data() + static_cast<std::size_t>(y) * frame.width(), frame.width(),
                reinterpret_cast<uint32_t*>(frame.scanLine(y)));
  canvas.SetFrame(std::move(frame));
}

}  // namespace app
