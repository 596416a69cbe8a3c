// The pieces that keep work from being lost: the on-disk identity of a file
// and the list of recent files.
#include <gtest/gtest.h>
#include <QFile>
#include <QMenu>
#include <QSettings>
#include <filesystem>

#include "AppTestSupport.h"
#include "app/FileIdentity.h"
#include "app/RecentFiles.h"

namespace {

namespace fs = std::filesystem;

std::string Local(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

TEST(FileIdentity, TellsAFileReplacedBehindTheSameSizeAndTimeAndForgivesOneThatIsGone) {
  // The window tests cover a rewrite; a rename over the file (as careful
  // editors save) keeps size and time, set by hand here, and only the inode tells.
  const auto then = fs::file_time_type::clock::now() - std::chrono::hours(1);
  const std::string name = Local(apptest::WriteTempFile("identity.gif", {1, 2, 3, 4}));
  const std::string other = Local(apptest::WriteTempFile("other.gif", {1, 2, 3, 4}));
  fs::last_write_time(name, then);
  fs::last_write_time(other, then);
  const app::TFileIdentity known = app::FileIdentityOf(name);
  ASSERT_TRUE(known.Exists);
  EXPECT_TRUE(app::UnchangedSince(known, app::FileIdentityOf(name)));
  fs::rename(other, name);
  const app::TFileIdentity replaced = app::FileIdentityOf(name);
  EXPECT_EQ(replaced.Size, known.Size);
  EXPECT_EQ(replaced.ModifiedNs, known.ModifiedNs);
  EXPECT_FALSE(app::UnchangedSince(known, replaced));

  // A file that is gone has nothing left to lose; nor had one unknown then.
  fs::remove(name);
  EXPECT_FALSE(app::FileIdentityOf(name).Exists);
  EXPECT_TRUE(app::UnchangedSince(replaced, app::FileIdentityOf(name)));
  EXPECT_TRUE(app::UnchangedSince(app::TFileIdentity{}, replaced));
}

TEST(RecentFiles, NewestFirstEightAtMostKeptAcrossRunsAndMissingFilesGreyed) {
  const QString ini = apptest::TempDir() + "/recent.ini";
  QFile::remove(ini);
  QStringList names;
  for (int i = 0; i < 10; ++i)
    names << apptest::WriteTempFile(QStringLiteral("recent%1 & co.gif").arg(i), {0});
  {
    QSettings settings(ini, QSettings::IniFormat);
    app::TRecentFiles recent(settings);
    EXPECT_TRUE(recent.Files().isEmpty());
    QMenu menu;
    recent.FillMenu(menu, [](const QString&) { ADD_FAILURE() << "nothing to open"; });
    ASSERT_EQ(menu.actions().size(), 1);
    EXPECT_FALSE(menu.actions().front()->isEnabled());

    for (const QString& name : names) recent.Add(name);
    recent.Add(names[4]);  // opened again: first, and only once
    recent.Add(QString());
    EXPECT_EQ(recent.Files(), (QStringList{names[4], names[9], names[8], names[7], names[6],
                                           names[5], names[3], names[2]}));
  }
  QSettings settings(ini, QSettings::IniFormat);
  app::TRecentFiles recent(settings);
  ASSERT_EQ(recent.Files().size(), app::TRecentFiles::MaxCount);
  EXPECT_EQ(recent.Files().front(), names[4]);

  QFile::remove(names[9]);
  QMenu menu;
  QStringList opened;
  recent.FillMenu(menu, [&opened](const QString& name) { opened << name; });
  const QList<QAction*> items = menu.actions();
  ASSERT_EQ(items.size(), 8);
  // Numbered for the keyboard, the ampersand of the name shown as itself.
  EXPECT_EQ(items[0]->text(), "&1 " + QString(names[4]).replace("&", "&&"));
  EXPECT_TRUE(items[0]->isEnabled());
  EXPECT_FALSE(items[1]->isEnabled());  // the removed file, greyed
  items[2]->trigger();
  EXPECT_EQ(opened, QStringList{names[8]});

  recent.RemoveMissing();
  EXPECT_EQ(recent.Files().size(), 7);
  EXPECT_FALSE(recent.Files().contains(names[9]));
  EXPECT_EQ(QSettings(ini, QSettings::IniFormat).value("RecentFiles").toStringList(),
            recent.Files());
}

}  // namespace
