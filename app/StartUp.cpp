#include "app/StartUp.h"

#include <QDir>
#include <QFile>
#include <QTimer>

#include "app/Application.h"

namespace app {

QString StartFileName(const std::string& argument) {
  const QString name = QFile::decodeName(QByteArray::fromStdString(argument));
  return QDir::cleanPath(QDir::current().absoluteFilePath(name));
}

void OpenAtStart(TfrmMain& frmMain, const QString& fileName) {
  QTimer::singleShot(0, &frmMain, Guarded([&frmMain, fileName] { frmMain.OpenFile(fileName); }));
}

}  // namespace app
