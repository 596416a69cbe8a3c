// The open and save dialogs of the main window: what they are set up with, how
// they are shown on the desktop, and the names they answer as the library
// takes them.
#pragma once

#include <QString>
#include <QWidget>
#include <string>

namespace app {

struct TFileDialog {
  // Empty: the desktop's own title for the kind of dialog.
  QString Title;
  // Pairs of description and pattern separated by vertical bars,
  // "GIF files (*.gif)|*.gif|All files (*.*)|*.*".
  QString Filter;
  // Added to a typed name that has no extension.
  QString DefaultExt;
  // Where the dialog starts; empty for the desktop's choice.
  QString Folder = QString();
};

// The filter in Qt's form, one "description (patterns)" per entry joined by
// ";;". Patterns separated by semicolons become blank-separated.
QString QtNameFilter(const QString& filter);

// Shows the dialog modally; the chosen file as a full path, or an empty string
// when the user cancels.
QString ExecuteOpenDialog(QWidget* parent, const TFileDialog& dialog);
QString ExecuteSaveDialog(QWidget* parent, const TFileDialog& dialog);

// A file name as the bytes the file system uses, which is what the library
// and edit/ take.
std::string LocalFileName(const QString& name);

}  // namespace app
