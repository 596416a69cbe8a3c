#include "app/WindowStyle.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleOption>
#include <algorithm>
#include <memory>

namespace app {

QString TahomaFamily() {
  static const QString family = [] {
    if (QFile::exists(QString::fromLatin1(TahomaFontFile))) {
      const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(TahomaFontFile));
      const QStringList families = QFontDatabase::applicationFontFamilies(id);
      if (!families.isEmpty()) return families.constFirst();
    }
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
  }();
  return family;
}

QFont WindowFont() {
  QFont font(TahomaFamily());
  font.setPixelSize(11);
  return font;
}

QFont TitleFont() {
  QFont font(TahomaFamily());
  font.setPixelSize(15);
  font.setBold(true);
  return font;
}

QIcon ApplicationIcon() {
  return QIcon(QStringLiteral(":/tintwell.png"));
}

void CentreOnScreen(QWidget& window) {
  QScreen* screen = window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  QRect frame = window.frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  window.move(frame.topLeft());
}

void PlaceBeside(QWidget& window, const QWidget& anchor) {
  constexpr int Gap = 8;
  const QRect beside = anchor.frameGeometry();
  QScreen* screen = anchor.screen() != nullptr ? anchor.screen() : QGuiApplication::primaryScreen();
  const QRect area = screen != nullptr ? screen->availableGeometry() : QRect();
  QRect frame = window.frameGeometry();
  frame.moveTop(std::max(beside.top(), area.top()));
  frame.moveLeft(beside.right() + 1 + Gap);
  if (!area.isEmpty() && frame.right() > area.right()) {
    frame.moveRight(beside.left() - 1 - Gap);
    if (frame.left() < area.left()) frame.moveRight(area.right());
  }
  window.move(frame.topLeft());
}

namespace {

class TMenuFrameStyle : public QProxyStyle {
 public:
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    QProxyStyle::drawControl(element, option, painter, widget);
    if ((element != CE_MenuItem && element != CE_MenuBarItem) ||
        !option->state.testFlag(State_Selected))
      return;
    if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        item != nullptr && item->menuItemType == QStyleOptionMenuItem::Separator)
      return;
    painter->save();
    painter->setPen(option->palette.color(QPalette::WindowText));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
    painter->restore();
  }
};

}  // namespace

QStyle& MenuFrameStyle() {
  static QPointer<QStyle> style;
  if (style.isNull()) {
    auto made = std::make_unique<TMenuFrameStyle>();
    made->setParent(QCoreApplication::instance());
    style = made.release();  // the application object deletes it
  }
  return *style;
}

void ShowFieldValue(QLineEdit& edit, const QString& text) {
  QFont font = edit.parentWidget() != nullptr ? edit.parentWidget()->font() : edit.font();
  int size = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
  font.setPixelSize(size);
  // The room the field leaves for text: the style's content rectangle less
  // the text margins and the two pixels a side QLineEdit keeps.
  QStyleOptionFrame option;
  option.initFrom(&edit);
  option.rect = edit.rect();
  option.lineWidth = edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit);
  const QRect contents = edit.style()->subElementRect(QStyle::SE_LineEditContents, &option, &edit);
  const QMargins margins = edit.textMargins();
  const int room = contents.width() - margins.left() - margins.right() - 2 * 2;
  while (size > 7 && QFontMetrics(font).horizontalAdvance(text) > room) font.setPixelSize(--size);
  edit.setFont(font);
  edit.setText(text);
  edit.setToolTip(text);
  edit.setCursorPosition(0);
}

}  // namespace app
