// The real dialogs and boxes behind the main window's hooks.
#include "app/WindowHooks.h"

#include <QColorDialog>
#include <QMessageBox>

namespace app {

namespace {

void ShowErrorCancelBox(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Cancel,
                  parent);
  box.exec();
}

}  // namespace

TWindowHooks::TWindowHooks(QWidget& window)
    : ShowOpenDialog([&window](const TFileDialog& d) { return ExecuteOpenDialog(&window, d); }),
      ShowSaveDialog([&window](const TFileDialog& d) { return ExecuteSaveDialog(&window, d); }),
      ShowErrorCancel([&window](const QString& text) { ShowErrorCancelBox(&window, text); }),
      ShowModal([](QDialog& dialog) { return dialog.exec(); }),
      ShowColorDialog(
          [&window](const QColor& initial) { return QColorDialog::getColor(initial, &window); }) {}

}  // namespace app
