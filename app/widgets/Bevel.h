// A sunken two-pixel line drawn along the top edge of its rectangle, whatever
// the rectangle's height: the separators of both windows.
#pragma once

#include <QWidget>

namespace app {

class TBevel : public QWidget {
  Q_OBJECT
 public:
  explicit TBevel(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace app
