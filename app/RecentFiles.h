// The files opened last, newest first, kept across runs in the application's
// settings, and the File > Open Recent menu made from them.
#pragma once

#include <QMenu>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <functional>

namespace app {

namespace msg {
// The one greyed item of an empty Open Recent menu.
inline constexpr const char* NoRecentFiles = "(none)";
}  // namespace msg

class TRecentFiles {
 public:
  static constexpr int MaxCount = 8;

  // Reads the list from the settings; a settings object outlives this one.
  explicit TRecentFiles(QSettings& settings);

  // Puts a file first, dropping an older mention of it and the ninth file,
  // and stores the list at once, so a crash loses nothing.
  void Add(const QString& fileName);
  // Drops the files that are no longer there (they are greyed until then).
  void RemoveMissing();
  const QStringList& Files() const { return files_; }

  // Fills the menu with one item per file, numbered for the keyboard; files
  // that are gone are shown greyed. Choosing an item calls open with its name.
  // An empty list shows one greyed item saying so.
  void FillMenu(QMenu& menu, const std::function<void(const QString&)>& open) const;

 private:
  void Store();

  QSettings& settings_;
  QStringList files_;
};

}  // namespace app
