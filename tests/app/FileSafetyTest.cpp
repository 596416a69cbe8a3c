// The pieces that keep work from being lost: the on-disk identity of a file,
// the unsaved-changes question, and the list of recent files.
#include <gtest/gtest.h>
#include <QFile>
#include <QMenu>
#include <QSettings>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "AppTestSupport.h"
#include "app/Application.h"
#include "app/FileIdentity.h"
#include "app/Prompts.h"
#include "app/RecentFiles.h"

namespace {

namespace fs = std::filesystem;

std::string Local(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

TEST(FileIdentity, TellsRewrittenTouchedAndReplacedFilesFromTheSameFile) {
  const QString path = apptest::WriteTempFile("identity.gif", {1, 2, 3, 4});
  const std::string name = Local(path);
  // Times set by hand: two writes within one clock tick get the same time.
  const auto then = fs::file_time_type::clock::now() - std::chrono::hours(1);
  fs::last_write_time(name, then);
  const app::TFileIdentity known = app::FileIdentityOf(name);
  ASSERT_TRUE(known.Exists);
  EXPECT_EQ(known.Size, 4);
  EXPECT_TRUE(app::UnchangedSince(known, app::FileIdentityOf(name)));

  // Rewritten in place with other bytes of the same length.
  apptest::WriteTempFile("identity.gif", {9, 9, 9, 9});
  EXPECT_FALSE(app::UnchangedSince(known, app::FileIdentityOf(name)));
  fs::last_write_time(name, then);
  EXPECT_TRUE(app::UnchangedSince(known, app::FileIdentityOf(name)));  // what it cannot see

  // Grown, with the old time put back.
  apptest::WriteTempFile("identity.gif", {1, 2, 3, 4, 5});
  fs::last_write_time(name, then);
  EXPECT_FALSE(app::UnchangedSince(known, app::FileIdentityOf(name)));

  // Replaced by a rename, same size and time: only the inode tells.
  apptest::WriteTempFile("identity.gif", {1, 2, 3, 4});
  fs::last_write_time(name, then);
  const app::TFileIdentity rewritten = app::FileIdentityOf(name);
  const std::string other = Local(apptest::WriteTempFile("other.gif", {1, 2, 3, 4}));
  fs::last_write_time(other, then);
  fs::rename(other, name);
  const app::TFileIdentity replaced = app::FileIdentityOf(name);
  EXPECT_EQ(replaced.Size, rewritten.Size);
  EXPECT_EQ(replaced.ModifiedNs, rewritten.ModifiedNs);
  EXPECT_FALSE(app::UnchangedSince(rewritten, replaced));

  // A file that is gone has nothing left to lose; nor did one unknown then.
  fs::remove(name);
  EXPECT_FALSE(app::FileIdentityOf(name).Exists);
  EXPECT_TRUE(app::UnchangedSince(replaced, app::FileIdentityOf(name)));
  EXPECT_TRUE(app::UnchangedSince(app::TFileIdentity{}, replaced));
}

TEST(UnsavedChanges, EachAnswerLetsGoOrKeepsTheDocument) {
  auto* application = qobject_cast<app::TApplication*>(qApp);
  ASSERT_NE(application, nullptr);
  const auto savedBox = application->ShowErrorBox;
  QStringList errors;
  application->ShowErrorBox = [&errors](const QString&, const QString& text) { errors << text; };

  enum TSave { Saves, Declines, Raises };
  struct Row {
    bool modified;
    app::TSaveAnswer answer;
    TSave save;
    bool letsGo;
    int asked, saved, shown;
  };
  using A = app::TSaveAnswer;
  const Row rows[] = {
      {false, A::Cancel, Saves, true, 0, 0, 0},  // nothing to lose: no question
      {true, A::Discard, Saves, true, 1, 0, 0},
      {true, A::Cancel, Saves, false, 1, 0, 0},
      {true, A::Save, Saves, true, 1, 1, 0},
      {true, A::Save, Declines, false, 1, 1, 0},  // Save As cancelled, overwrite refused
      {true, A::Save, Raises, false, 1, 1, 1},    // the error shows, the window stays
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(static_cast<int>(&row - rows));
    errors.clear();
    QStringList questions;
    int saved = 0;
    const bool letGo = app::MayLetGo(
        row.modified, QStringLiteral("/some/folder/ball.gif"),
        [&](const QString& text) {
          questions << text;
          return row.answer;
        },
        [&] {
          ++saved;
          if (row.save == Raises) throw std::runtime_error("Cannot create file");
          return row.save == Saves;
        });
    EXPECT_EQ(letGo, row.letsGo);
    EXPECT_EQ(questions.size(), row.asked);
    for (const QString& question : questions) EXPECT_EQ(question, "Save changes to ball.gif?");
    EXPECT_EQ(saved, row.saved);
    EXPECT_EQ(errors.size(), row.shown);
  }
  application->ShowErrorBox = savedBox;
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
