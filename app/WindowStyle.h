// Look shared by both windows: the Tahoma-metric font, the icon, placement in
// the middle of the screen.
#pragma once

#include <QFont>
#include <QIcon>
#include <QLineEdit>
#include <QString>
#include <QStyle>
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

// Moves a top-level window next to another: to its right when it fits on the
// screen, else to its left, else as far right as the screen allows; level with
// its top edge.
void PlaceBeside(QWidget& window, const QWidget& anchor);

// The application's style, with a frame around the selected item of menus and
// menu bars, so the item the keyboard is on shows even where the highlight
// colour is close to the background. Owned by the application object.
QStyle& MenuFrameStyle();

// Puts a value into a narrow read-only field so that all of it shows: the font
// is made smaller until the text fits (not below 7 pixels), the start is kept
// in view, and the tooltip holds the whole text.
void ShowFieldValue(QLineEdit& edit, const QString& text);

}  // namespace app
