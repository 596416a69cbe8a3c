#include "app/PreviewWindow.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>

namespace app {

namespace {

constexpr int CheckerSize = 8;
// Frames without a delay still advance, at a pace the eye can follow.
constexpr int MinimumDelayMs = 20;

}  // namespace

QString PreviewCaption(const QString& fileName) {
  if (fileName.isEmpty()) return QString::fromLatin1(msg::PreviewTitle);
  return QFileInfo(fileName).fileName() + QStringLiteral(" - ") +
         QString::fromLatin1(msg::PreviewTitle);
}

TPreviewCanvas::TPreviewCanvas(QWidget* parent) : QWidget(parent) {
  setMinimumSize(64, 64);
}

void TPreviewCanvas::SetFrame(QImage frame) {
  frame_ = std::move(frame);
  message_.clear();
  update();
}

void TPreviewCanvas::SetMessage(QString text) {
  frame_ = QImage();
  message_ = std::move(text);
  update();
}

void TPreviewCanvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Window));
  if (!message_.isEmpty()) {
    painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, message_);
    return;
  }
  if (frame_.isNull()) return;
  // The largest size of the frame's aspect that fits.
  const QSize fitted = frame_.size().scaled(size(), Qt::KeepAspectRatio);
  const QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2),
                     fitted);
  for (int y = target.top(); y <= target.bottom(); y += CheckerSize)
    for (int x = target.left(); x <= target.right(); x += CheckerSize) {
      const bool dark = ((x - target.left()) / CheckerSize + (y - target.top()) / CheckerSize) % 2;
      painter.fillRect(QRect(x, y, CheckerSize, CheckerSize).intersected(target),
                       dark ? QColor(204, 204, 204) : QColor(Qt::white));
    }
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(target, frame_);
}

TfrmPreview::TfrmPreview(QWidget* parent)
    : QWidget(parent, Qt::Window), canvas(this), sldFrame(Qt::Horizontal, this), btnPlay(this) {
  setWindowTitle(QString::fromLatin1(msg::PreviewTitle));
  btnPlay.setText(QString::fromLatin1(msg::Play));
  auto* controls = new QHBoxLayout;  // owned by the outer layout
  controls->addWidget(&btnPlay);
  controls->addWidget(&sldFrame, 1);
  auto* layout = new QVBoxLayout(this);  // owned by this window
  layout->addWidget(&canvas, 1);
  layout->addLayout(controls);
  resize(320, 280);

  timer.setSingleShot(true);
  connect(&sldFrame, &QSlider::valueChanged, this, [this](int n) { ShowFrame(n); });
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
  if (animator_ == nullptr || animator_->FrameCount() == 0 || animator_->Width() == 0 ||
      animator_->Height() == 0) {
    canvas.SetFrame(QImage());
    return;
  }
  // Seeking to the frame already shown replays from the first frame, so a
  // changed palette reaches every frame the current one builds on.
  animator_->Seek(CurrentFrame());
  QImage frame(animator_->Width(), animator_->Height(), QImage::Format_ARGB32);
  const auto& pixels = animator_->Canvas();
  for (int y = 0; y < frame.height(); ++y)
    std::copy_n(pixels.data() + static_cast<std::size_t>(y) * frame.width(), frame.width(),
                reinterpret_cast<uint32_t*>(frame.scanLine(y)));
  canvas.SetFrame(std::move(frame));
}

}  // namespace app
