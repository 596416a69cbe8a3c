#include "app/widgets/UpDown.h"

#include <QKeyEvent>
#include <algorithm>

namespace app {

TUpDown::TUpDown(QWidget* parent) : QWidget(parent), up_(this), down_(this) {
  for (QToolButton* button : {&up_, &down_}) {
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
  }
  up_.setArrowType(Qt::UpArrow);
  down_.setArrowType(Qt::DownArrow);
  connect(&up_, &QToolButton::clicked, this, [this] { Step(+1); });
  connect(&down_, &QToolButton::clicked, this, [this] { Step(-1); });
}

void TUpDown::SetAssociate(QLineEdit* buddy) {
  if (buddy_ != nullptr) buddy_->removeEventFilter(this);
  buddy_ = buddy;
  if (buddy_ != nullptr) {
    buddy_->installEventFilter(this);
    buddy_->setText(QString::number(position_));
  }
}

void TUpDown::SetRange(int16_t min, int16_t max) {
  min_ = min;
  max_ = max;
  SetPosition(position_);
}

void TUpDown::SetPosition(int position) {
  position_ = static_cast<int16_t>(std::clamp(position, int{min_}, int{max_}));
  if (buddy_ != nullptr) buddy_->setText(QString::number(position_));
  emit PositionChanged(position_);
}

void TUpDown::Step(int direction) {
  int next = position_ + direction * increment_;
  if (wrap_) {
    if (next > max_) next = min_;
    if (next < min_) next = max_;
  }
  SetPosition(next);
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event) {
  if (watched == buddy_ && arrowKeys_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      Step(key == Qt::Key_Up ? +1 : -1);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TUpDown::resizeEvent(QResizeEvent*) {
  const int upper = height() / 2;
  up_.setGeometry(0, 0, width(), upper);
  down_.setGeometry(0, upper, width(), height() - upper);
}

}  // namespace app
