// An up-down control bound to a buddy edit field: two auto-repeating arrow
// buttons that step a position within a range and write it into the buddy.
// The buddy may be read-only; the arrows keep working.
#pragma once

#include <QLineEdit>
#include <QToolButton>
#include <QWidget>
#include <cstdint>

namespace app {

class TUpDown : public QWidget {
  Q_OBJECT
 public:
  explicit TUpDown(QWidget* parent = nullptr);

  // The field that shows the position; with arrow keys on, Up and Down typed
  // into it step the position too.
  void SetAssociate(QLineEdit* buddy);
  QLineEdit* Associate() const { return buddy_; }
  void SetRange(int16_t min, int16_t max);
  int16_t Min() const { return min_; }
  int16_t Max() const { return max_; }
  void SetIncrement(int16_t increment) { increment_ = increment; }
  void SetWrap(bool wrap) { wrap_ = wrap; }
  void SetArrowKeys(bool on) { arrowKeys_ = on; }
  // The position is a 16-bit value, as the control stores it.
  int16_t Position() const { return position_; }
  void SetPosition(int position);
  // One click of the up (+1) or down (-1) arrow.
  void Step(int direction);

  QToolButton* UpButton() { return &up_; }
  QToolButton* DownButton() { return &down_; }

 signals:
  void PositionChanged(int position);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QToolButton up_;
  QToolButton down_;
  QLineEdit* buddy_ = nullptr;  // not owned
  int16_t min_ = 0;
  int16_t max_ = 100;
  int16_t increment_ = 1;
  int16_t position_ = 0;
  bool wrap_ = false;
  bool arrowKeys_ = true;
};

}  // namespace app
