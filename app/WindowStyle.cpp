#include "app/WindowStyle.h"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

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

}  // namespace app
