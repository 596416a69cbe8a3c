// The desktop's file dialogs set up from a TFileDialog, and file names as the
// library takes them.
#include "app/FileDialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QStringList>

namespace app {

QString QtNameFilter(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString& description = parts[i];
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    // Qt reads the patterns from the last parentheses of the entry.
    if (description.endsWith(QLatin1Char('(') + patterns + QLatin1Char(')')))
      entries << description;
    else
      entries << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
  }
  return entries.join(QStringLiteral(";;"));
}

namespace {

QString Execute(QWidget* parent, const TFileDialog& spec, QFileDialog::AcceptMode mode) {
  QFileDialog dialog(parent, spec.Title);
  dialog.setAcceptMode(mode);
  // A typed name that does not exist is passed on, so opening it reports the
  // file error rather than the dialog refusing it.
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(QtNameFilter(spec.Filter));
  dialog.setDefaultSuffix(spec.DefaultExt);
  if (!spec.Folder.isEmpty()) dialog.setDirectory(spec.Folder);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return dialog.selectedFiles().constFirst();
}

}  // namespace

QString ExecuteOpenDialog(QWidget* parent, const TFileDialog& dialog) {
  return Execute(parent, dialog, QFileDialog::AcceptOpen);
}

QString ExecuteSaveDialog(QWidget* parent, const TFileDialog& dialog) {
  return Execute(parent, dialog, QFileDialog::AcceptSave);
}

std::string LocalFileName(const QString& name) {
  return QFile::encodeName(name).toStdString();
}

}  // namespace app
