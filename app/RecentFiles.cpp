#include "app/RecentFiles.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>

namespace app {

namespace {

const char* const SettingsKey = "RecentFiles";

// Ampersands in a file name would be read as a mnemonic mark.
QString MenuText(int number, const QString& fileName) {
  QString shown = QDir::toNativeSeparators(fileName);
  shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
  return QStringLiteral("&%1 %2").arg(number).arg(shown);
}

}  // namespace

TRecentFiles::TRecentFiles(QSettings& settings) : settings_(settings) {
  files_ = settings_.value(QString::fromLatin1(SettingsKey)).toStringList();
  files_.removeAll(QString());
  files_.removeDuplicates();
  while (files_.size() > MaxCount) files_.removeLast();
}

void TRecentFiles::Add(const QString& fileName) {
  if (fileName.isEmpty()) return;
  files_.removeAll(fileName);
  files_.prepend(fileName);
  while (files_.size() > MaxCount) files_.removeLast();
  Store();
}

void TRecentFiles::RemoveMissing() {
  const qsizetype before = files_.size();
  files_.removeIf([](const QString& name) { return !QFileInfo::exists(name); });
  if (files_.size() != before) Store();
}

void TRecentFiles::FillMenu(QMenu& menu, const std::function<void(const QString&)>& open) const {
  menu.clear();
  if (files_.isEmpty()) {
    menu.addAction(QString::fromLatin1(msg::NoRecentFiles))->setEnabled(false);
    return;
  }
  int number = 1;
  for (const QString& name : files_) {
    QAction* item = menu.addAction(MenuText(number++, name));
    item->setData(name);
    item->setEnabled(QFileInfo::exists(name));
    QObject::connect(item, &QAction::triggered, &menu, [open, name] { open(name); });
  }
}

void TRecentFiles::Store() {
  settings_.setValue(QString::fromLatin1(SettingsKey), files_);
  settings_.sync();
}

}  // namespace app
