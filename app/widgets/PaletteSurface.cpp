#include "app/widgets/PaletteSurface.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace app {

TPaletteSurface::TPaletteSurface(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPaletteSurface::SetSurfaceSize(int width, int height) {
  resize(width, height);
  picture_ = QImage(width, height, QImage::Format_RGB32);
  Clear();
}

void TPaletteSurface::Clear() {
  picture_.fill(Background());
  update();
}

void TPaletteSurface::FillRect(int left, int top, int right, int bottom, const QColor& colour) {
  QPainter painter(&picture_);
  painter.fillRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), colour);
  update(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
}

void TPaletteSurface::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.drawImage(event->rect(), picture_, event->rect());
}

QPoint TPaletteSurface::PixelAt(const QMouseEvent& event) {
  return QPoint(static_cast<int>(std::floor(event.position().x())),
                static_cast<int>(std::floor(event.position().y())));
}

void TPaletteSurface::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = PixelAt(*event);
  emit MouseMoved(at.x(), at.y());
}

void TPaletteSurface::mousePressEvent(QMouseEvent* event) {
  const QPoint at = PixelAt(*event);
  emit MousePressed(at.x(), at.y());
}

void TPaletteSurface::mouseDoubleClickEvent(QMouseEvent* event) {
  const QPoint at = PixelAt(*event);
  emit MouseDoubleClicked(at.x(), at.y());
}

}  // namespace app
