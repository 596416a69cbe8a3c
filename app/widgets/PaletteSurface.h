// The drawing surface of the palette grid: an off-screen picture that commands
// paint into and the widget copies to the screen, plus its mouse events in
// surface coordinates.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

namespace app {

class TPaletteSurface : public QWidget {
  Q_OBJECT
 public:
  explicit TPaletteSurface(QWidget* parent = nullptr);

  // Resizes the widget and the picture together; the picture starts blank.
  void SetSurfaceSize(int width, int height);
  // Fills the whole picture with the surface's background.
  void Clear();
  // A solid rectangle, right and bottom edges exclusive.
  void FillRect(int left, int top, int right, int bottom, const QColor& colour);
  const QImage& Picture() const { return picture_; }
  static QColor Background() { return QColor(Qt::white); }

 signals:
  // Mouse position relative to the surface's top-left corner; while a button
  // is held it may lie outside the surface.
  void MouseMoved(int x, int y);
  void MousePressed(int x, int y);
  void MouseDoubleClicked(int x, int y);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  // The pixel the pointer is in; rounding would move a point at 17.6 onto the
  // next swatch.
  static QPoint PixelAt(const QMouseEvent& event);

 private:
  QImage picture_;
};

}  // namespace app
