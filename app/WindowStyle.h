// Look shared by both windows: the Tahoma-metric font, the icon, placement in
// the middle of the screen.
#pragma once

#include <QFont>
#include <QIcon>
#include <QString>
#include <QWidget>

namespace app {

// Where Debian's fonts-wine puts its Tahoma-metric font.
inline constexpr const char* TahomaFontFile = "/usr/share/wine/fonts/tahoma.ttf";

// The family to use for Tahoma: the fonts-wine face when it is installed (it
// is added to the application's fonts on first use), else the default sans.
QString TahomaFamily();

// Tahoma 8 pt as it appears at 96 dots per inch: 11 pixels high.
QFont WindowFont();
// Bold Tahoma, 15 pixels high: the About window's title.
QFont TitleFont();

QIcon ApplicationIcon();

// Moves a top-level window so that it sits in the middle of the screen it is on.
void CentreOnScreen(QWidget& window);

}  // namespace app
