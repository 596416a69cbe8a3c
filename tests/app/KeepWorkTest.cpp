// The window never loses work: the modified mark, the Save/Discard/Cancel
// question before the document goes, the Revert/Cancel question before a
// revert throws changes away, the check that the file on disk is still
// the one opened, Open Recent and where the dialogs start.
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <filesystem>

#include "AppTestSupport.h"
#include "app/Prompts.h"

using apptest::Rgb;

namespace {

// Red, dark red, green, blue: a hue Start from 0 to 80 changes the first two.
const std::vector<Rgb> Colours = {{255, 0, 0}, {128, 0, 0}, {0, 255, 0}, {0, 0, 255}};

class KeepWork : public apptest::TWindowDriver {
 protected:
  // A fresh copy of the test picture, opened.
  QString OpenCopy(const QString& name) {
    const QString path = apptest::WriteTempFile(name, apptest::SinglePixelGif(Colours));
    Open(path);
    EXPECT_EQ(frm.FileName(), path);
    return path;
  }
  // The global colour table as the file on disk holds it, right after the
  // 13-byte header.
  static std::vector<uint8_t> FileTable(const QString& path) {
    const std::vector<uint8_t> bytes = apptest::ReadFileBytes(path);
    if (bytes.size() < 13 + 3 * Colours.size()) return bytes;
    return {bytes.begin() + 13, bytes.begin() + 13 + 3 * Colours.size()};
  }
  QString Mark() { return frm.Keeper().stbModified.text(); }
};

TEST_F(KeepWork, TheMarkFollowsThePalettesAndUndoBackToTheFileCountsAsUnchanged) {
  OpenCopy("mark.gif");
  EXPECT_EQ(Mark(), "");
  Start("0", "80");
  EXPECT_EQ(Mark(), "Modified");
  EXPECT_TRUE(frm.Modified());
  frm.actUndo.trigger();
  EXPECT_EQ(Mark(), "");
  frm.actRedo.trigger();
  EXPECT_EQ(Mark(), "Modified");
  // Revert puts the file's palette back: unchanged, though the history grew.
  frm.actRevert.trigger();
  EXPECT_EQ(questions,
            QStringList{"Discard the changes to mark.gif and go back to the saved file?"});
  EXPECT_EQ(Table(), apptest::TableBytes(Colours));
  EXPECT_EQ(Mark(), "");
  // Saved changes are the new unchanged state.
  Start("0", "80");
  frm.actSave.trigger();
  EXPECT_EQ(Mark(), "");
  frm.actUndo.trigger();
  EXPECT_EQ(Mark(), "Modified");
}

TEST_F(KeepWork, ExitAsksAndEachAnswerLeavesTheFileAsItShould) {
  using A = app::TSaveAnswer;
  struct Row {
    A answer;
    bool closes;
    bool fileChanged;
  };
  const Row rows[] = {{A::Cancel, false, false}, {A::Discard, true, false}, {A::Save, true, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.answer));
    frm.show();
    // The document the Cancel row kept is let go without saving.
    if (frm.Modified()) saveAnswers.push_back(A::Discard);
    const QString path = OpenCopy(QStringLiteral("exit%1.gif").arg(static_cast<int>(row.answer)));
    questions.clear();
    Start("0", "80");
    const std::vector<uint8_t> edited = Table();
    ASSERT_NE(edited, apptest::TableBytes(Colours));
    saveAnswers.push_back(row.answer);
    frm.actExit.trigger();
    EXPECT_EQ(questions, QStringList{"Save changes to " + QFileInfo(path).fileName() + "?"});
    EXPECT_EQ(frm.isVisible(), !row.closes);
    EXPECT_EQ(FileTable(path), row.fileChanged ? edited : apptest::TableBytes(Colours));
    EXPECT_TRUE(errorBoxes.isEmpty());
  }
}

TEST_F(KeepWork, RevertAsksOnlyAboutChangesAndNeverSaves) {
  struct Row {
    bool edited;
    bool answer;  // Revert when true
    bool asks;
    bool reverts;
  };
  const Row rows[] = {
      {false, true, false, false}, {true, false, true, false}, {true, true, true, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.edited << row.answer);
    const QString path = OpenCopy("revert-ask.gif");
    if (row.edited) Start("0", "80");
    const std::vector<uint8_t> before = Table();
    questions.clear();
    revertAnswers.push_back(row.answer);
    frm.actRevert.trigger();
    EXPECT_EQ(questions.size(), row.asks ? 1 : 0);
    EXPECT_EQ(Table(), row.reverts ? apptest::TableBytes(Colours) : before);
    EXPECT_EQ(FileTable(path), apptest::TableBytes(Colours));
    revertAnswers.clear();
  }

  // The real box: Revert and Cancel, Cancel the default and Escape's answer.
  QStringList buttons;
  bool cancelIsDefault = false;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    for (QAbstractButton* button : box->buttons()) buttons << button->text();
    cancelIsDefault = box->defaultButton() == box->button(QMessageBox::Cancel);
    QTest::keyClick(box, Qt::Key_Escape);
  });
  EXPECT_FALSE(app::AskDiscardChangesBox(&frm, "Discard?"));
  buttons.sort();
  EXPECT_EQ(buttons, QStringList({"Cancel", "Revert"}));
  EXPECT_TRUE(cancelIsDefault);
}

TEST_F(KeepWork, ASaveThatFailsKeepsTheWindowAndTheChanges) {
  const QString folder = apptest::TempDir() + "/goes-away";
  ASSERT_TRUE(QDir().mkpath(folder));
  const QString path = folder + "/doomed.gif";
  ASSERT_TRUE(QFile::copy(
      apptest::WriteTempFile("doomed-src.gif", apptest::SinglePixelGif(Colours)), path));
  Open(path);
  Start("0", "80");
  // Another program removes the folder: the file cannot be written again.
  ASSERT_TRUE(QDir(folder).removeRecursively());
  saveAnswers.push_back(app::TSaveAnswer::Save);
  frm.close();
  EXPECT_TRUE(frm.isVisible());
  ASSERT_EQ(errorBoxes.size(), 1);
  EXPECT_TRUE(errorBoxes[0].startsWith("Cannot create file")) << errorBoxes[0].toStdString();
  EXPECT_EQ(Mark(), "Modified");
  EXPECT_NE(Table(), apptest::TableBytes(Colours));
}

TEST_F(KeepWork, OpenDropAndRevertAskFirstAndCancelKeepsTheDocument) {
  const QString first = OpenCopy("first.gif");
  const QString second =
      apptest::WriteTempFile("second.gif", apptest::SinglePixelGif({{1, 2, 3}, {4, 5, 6}}));
  Start("0", "80");
  const std::vector<uint8_t> edited = Table();

  saveAnswers.push_back(app::TSaveAnswer::Cancel);
  Open(second);
  saveAnswers.push_back(app::TSaveAnswer::Cancel);
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(second)});
  QDragEnterEvent enter(QPoint(5, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&frm, &enter);
  QDropEvent drop(QPointF(5, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&frm, &drop);
  revertAnswers.push_back(false);
  frm.actRevert.trigger();
  EXPECT_EQ(questions.size(), 3);
  EXPECT_EQ(frm.FileName(), first);
  EXPECT_EQ(Table(), edited);
  EXPECT_EQ(FileTable(first), apptest::TableBytes(Colours));

  // Saving first, then opening: the file has the edit, the new file is open.
  saveAnswers.push_back(app::TSaveAnswer::Save);
  Open(second);
  EXPECT_EQ(frm.FileName(), second);
  EXPECT_EQ(FileTable(first), edited);
  EXPECT_EQ(Mark(), "");
}

TEST_F(KeepWork, SaveAsksBeforeOverwritingAFileAnotherProgramChanged) {
  const QString path = OpenCopy("shared.gif");
  Start("0", "80");
  frm.actSave.trigger();  // unchanged on disk: no question
  EXPECT_TRUE(questions.isEmpty());
  const std::vector<uint8_t> ours = FileTable(path);
  ASSERT_NE(ours, apptest::TableBytes(Colours));

  // Another program writes its own version of the file.
  const std::vector<uint8_t> theirs = apptest::SinglePixelGif({{9, 9, 9}, {8, 8, 8}});
  apptest::WriteTempFile("shared.gif", theirs);
  std::filesystem::last_write_time(
      QFile::encodeName(path).toStdString(),
      std::filesystem::file_time_type::clock::now() + std::chrono::seconds(5));
  Start("80", "160");
  frm.actSave.trigger();  // answered No
  EXPECT_EQ(questions,
            QStringList{"shared.gif has changed on disk since it was opened. Overwrite it?"});
  EXPECT_EQ(apptest::ReadFileBytes(path), theirs);
  EXPECT_EQ(Mark(), "Modified");

  overwriteAnswers.push_back(true);
  frm.actSave.trigger();
  EXPECT_EQ(questions.size(), 2);
  EXPECT_EQ(FileTable(path), Table());
  EXPECT_EQ(Mark(), "");
  // What we wrote is the file we know now.
  Start("160", "40");
  frm.actSave.trigger();
  EXPECT_EQ(questions.size(), 2);
}

TEST_F(KeepWork, OpenRecentListsOpenedFilesAndDialogsStartInTheFilesFolder) {
  QStringList folders;
  frm.ShowOpenDialog = frm.ShowSaveDialog = [&](const app::TFileDialog& dialog) {
    folders << dialog.Folder;
    return Next();
  };
  // Nothing open yet, the desktop chooses; then the folder of the open file.
  frm.actOpen.trigger();
  const QString a = OpenCopy("recent-a.gif");
  ASSERT_TRUE(QDir(apptest::TempDir()).mkpath("sub"));
  const QString b = apptest::WriteTempFile("sub/recent-b.gif", apptest::SinglePixelGif(Colours));
  Open(b);
  frm.actSaveAs.trigger();  // cancelled
  EXPECT_EQ(folders,
            QStringList({"", "", QFileInfo(a).absolutePath(), QFileInfo(b).absolutePath()}));
  EXPECT_NE(QFileInfo(a).absolutePath(), QFileInfo(b).absolutePath());

  emit frm.Keeper().mnuRecent.aboutToShow();
  const QList<QAction*> items = frm.Keeper().mnuRecent.actions();
  ASSERT_GE(items.size(), 2);
  EXPECT_TRUE(items[0]->text().endsWith("recent-b.gif"));
  EXPECT_TRUE(items[1]->text().endsWith("recent-a.gif"));
  items[1]->trigger();
  EXPECT_EQ(frm.FileName(), a);
}

}  // namespace
