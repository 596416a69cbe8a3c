#include "app/WorkKeeper.h"

#include <QFileInfo>

#include "app/Application.h"
#include "app/FileDialogs.h"

namespace app {

TWorkKeeper::TWorkKeeper(QWidget& window, QStatusBar& statusBar, QMenu& fileMenu,
                         QAction* recentBefore)
    : AskSaveChanges([&window](const QString& text) { return AskSaveChangesBox(&window, text); }),
      AskOverwrite([&window](const QString& text) { return AskOverwriteBox(&window, text); }),
      AskDiscardChanges(
          [&window](const QString& text) { return AskDiscardChangesBox(&window, text); }),
      mnuRecent(&fileMenu),
      stbModified(&statusBar),
      // The same settings file as the window's other settings.
      settings_(std::make_unique<QSettings>(QString::fromLatin1(ApplicationTitle),
                                            QString::fromLatin1(ApplicationTitle))),
      recent_(*settings_),
      progress_(statusBar) {
  mnuRecent.setTitle(QStringLiteral("Open &Recent"));
  mnuRecent.setFont(fileMenu.font());
  mnuRecent.setPalette(fileMenu.palette());
  mnuRecent.setStyle(fileMenu.style());
  fileMenu.insertMenu(recentBefore, &mnuRecent);
  // Filled when it opens, so files that went away since are greyed.
  QObject::connect(&mnuRecent, &QMenu::aboutToShow, &mnuRecent, [this] {
    recent_.FillMenu(mnuRecent, [this](const QString& name) {
      if (OpenRecent) OpenRecent(name);
    });
  });
  statusBar.addPermanentWidget(&stbModified);
  stbModified.setContentsMargins(0, 0, 6, 0);
}

void TWorkKeeper::Opened(const QString& fileName) {
  identity_ = FileIdentityOf(LocalFileName(fileName));
  recent_.Add(fileName);
}

void TWorkKeeper::Saved(const QString& fileName) {
  identity_ = FileIdentityOf(LocalFileName(fileName));
}

bool TWorkKeeper::MayOverwrite(const QString& fileName) {
  if (UnchangedSince(identity_, FileIdentityOf(LocalFileName(fileName)))) return true;
  return AskOverwrite(QString::fromLatin1(msg::ChangedOnDisk).arg(ShownFileName(fileName)));
}

bool TWorkKeeper::MayRevert(bool modified, const QString& fileName) {
  if (!modified) return true;
  return AskDiscardChanges(QString::fromLatin1(msg::DiscardChanges).arg(ShownFileName(fileName)));
}

void TWorkKeeper::SetModified(bool modified) {
  modified_ = modified;
  stbModified.setText(modified ? QString::fromLatin1(msg::Modified) : QString());
}

QString TWorkKeeper::FolderOf(const QString& fileName) {
  if (fileName.isEmpty()) return QString();
  return QFileInfo(fileName).absolutePath();
}

bool IsLargeFile(const QString& fileName) {
  return QFileInfo(fileName).size() >= LargeFileBytes;
}

}  // namespace app
