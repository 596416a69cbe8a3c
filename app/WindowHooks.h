// How the main window asks the user: its file dialogs and modal boxes, each a
// replaceable std::function so tests answer them without showing anything.
#pragma once

#include <QColor>
#include <QDialog>
#include <QString>
#include <QWidget>
#include <functional>

#include "app/FileDialogs.h"

namespace app {

struct TWindowHooks {
  // Shows the real dialogs and boxes over the window.
  explicit TWindowHooks(QWidget& window);

  // A dialog returns the chosen file, empty when cancelled.
  std::function<QString(const TFileDialog&)> ShowOpenDialog;
  std::function<QString(const TFileDialog&)> ShowSaveDialog;
  // The recolour command's modal box: title "Error", error icon, one Cancel.
  std::function<void(const QString& text)> ShowErrorCancel;
  // Shows a window modally and returns its result.
  std::function<int(QDialog&)> ShowModal;
  // The colour dialog, preset to a colour; an invalid colour when cancelled.
  std::function<QColor(const QColor& initial)> ShowColorDialog;
};

}  // namespace app
