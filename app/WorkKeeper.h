// What the main window adds so that no work is lost: the modified mark and the
// progress bar in the status bar, the questions before unsaved changes go (or
// are reverted) and before Save overwrites a file another program changed, File > Open Recent,
// and the folder the file dialogs start in.
#pragma once

#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QStatusBar>
#include <QString>
#include <functional>
#include <memory>

#include "app/FileIdentity.h"
#include "app/Prompts.h"
#include "app/RecentFiles.h"
#include "app/StatusProgress.h"

namespace app {

class TWorkKeeper {
 public:
  // The mark and the bar go into the status bar; Open Recent goes into the
  // file menu before the given action.
  TWorkKeeper(QWidget& window, QStatusBar& statusBar, QMenu& fileMenu, QAction* recentBefore);

  // The questions; tests replace them.
  std::function<TSaveAnswer(const QString& text)> AskSaveChanges;
  std::function<bool(const QString& text)> AskOverwrite;
  // Whether to throw the changes away and go back to the saved file.
  std::function<bool(const QString& text)> AskDiscardChanges;
  // Opens a file chosen from Open Recent; set by the window.
  std::function<void(const QString& fileName)> OpenRecent;

  // A file was read or written: its state on disk is the one to compare with
  // from now on, and an opened file goes first in Open Recent.
  void Opened(const QString& fileName);
  void Saved(const QString& fileName);
  // Whether Save may write the file: yes when it is still as it was last
  // opened or saved, else when the user says so.
  bool MayOverwrite(const QString& fileName);
  // Whether Revert to Saved may throw away the changes: yes without any,
  // else when the user says so.
  bool MayRevert(bool modified, const QString& fileName);
  // Shows or clears the modified mark.
  void SetModified(bool modified);
  bool Modified() const { return modified_; }
  // The folder of the current file, where the dialogs start; empty for none.
  static QString FolderOf(const QString& fileName);

  TStatusProgress& Progress() { return progress_; }
  TRecentFiles& Recent() { return recent_; }
  QMenu mnuRecent;
  QLabel stbModified;

 private:
  std::unique_ptr<QSettings> settings_;
  TRecentFiles recent_;
  TStatusProgress progress_;
  TFileIdentity identity_;
  bool modified_ = false;
};

// Whether a file is large enough to show the progress bar while it loads.
bool IsLargeFile(const QString& fileName);

}  // namespace app
