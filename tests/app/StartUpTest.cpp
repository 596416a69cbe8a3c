// The command line: what each argument list asks for, and the file it names
// opening over the shown window.
#include "app/StartUp.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QTest>

#include "AppTestSupport.h"
#include "app/Application.h"
#include "app/CommandLine.h"

namespace {

using TAction = app::TCommandLine::TAction;

TEST(CommandLine, EachArgumentListAsksForWhatItSays) {
  struct Row {
    std::vector<std::string> arguments;
    TAction action;
    std::string fileName;
    std::string messageStart;
  };
  const Row rows[] = {
      {{}, TAction::Run, "", ""},
      {{"a.gif"}, TAction::Run, "a.gif", ""},
      {{"--help"}, TAction::Help, "", ""},
      {{"-h"}, TAction::Help, "", ""},
      {{"--version"}, TAction::Version, "", ""},
      {{"-V"}, TAction::Version, "", ""},
      // The first answer wins, and it wins over errors around it.
      {{"--version", "--help"}, TAction::Version, "", ""},
      {{"--bogus", "--help"}, TAction::Help, "", ""},
      {{"a.gif", "b.gif", "-V"}, TAction::Version, "", ""},
      {{"--bogus"}, TAction::Error, "", "tintwell: unknown option '--bogus'\n"},
      {{"-x", "-y"}, TAction::Error, "", "tintwell: unknown option '-x'\n"},
      {{"a.gif", "b.gif"}, TAction::Error, "", "tintwell: only one file"},
      // After "--" everything is a file name, dashes or not.
      {{"--", "--help"}, TAction::Run, "--help", ""},
      {{"--", "-x.gif"}, TAction::Run, "-x.gif", ""},
      {{"--", "a.gif", "b.gif"}, TAction::Error, "", "tintwell: only one file"},
      // A lone dash is a name, not an option.
      {{"-"}, TAction::Run, "-", ""},
  };
  for (const Row& row : rows) {
    std::string joined;
    for (const std::string& a : row.arguments) joined += a + ' ';
    SCOPED_TRACE(joined);
    const app::TCommandLine line = app::ParseCommandLine(row.arguments);
    EXPECT_EQ(line.Action, row.action);
    EXPECT_EQ(line.FileName, row.fileName);
    EXPECT_EQ(line.Message.substr(0, row.messageStart.size()), row.messageStart);
    EXPECT_EQ(line.Message.empty(), row.messageStart.empty());
  }
  EXPECT_EQ(app::CommandLineAnswer(TAction::Version, "1.2.3"), "tintwell 1.2.3\n");
  EXPECT_EQ(app::CommandLineAnswer(TAction::Help, "1.2.3").rfind("Usage: tintwell [FILE]\n", 0),
            0u);
}

TEST(StartUp, TheNamedFileOpensOnceTheLoopRunsAndAFailureShowsOverTheEmptyWindow) {
  auto* application = qobject_cast<app::TApplication*>(qApp);
  ASSERT_NE(application, nullptr);
  const auto savedBox = application->ShowErrorBox;
  QStringList boxes;
  bool shownOverWindow = true;
  app::TfrmMain* current = nullptr;
  application->ShowErrorBox = [&](const QString&, const QString& text) {
    boxes << text;
    shownOverWindow = shownOverWindow && current != nullptr && current->isVisible();
  };

  const QString good = apptest::WriteTempFile(
      "start.gif", apptest::SinglePixelGif({{10, 20, 30}, {40, 50, 60}}, false, 300, 200));
  // A relative name is taken against the working folder and shown in full.
  const QString saved = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(apptest::TempDir()));
  const QString name = app::StartFileName("./sub/../start.gif");
  QDir::setCurrent(saved);
  EXPECT_EQ(name, good);
  {
    app::TfrmMain frm;
    current = &frm;
    frm.show();
    app::OpenAtStart(frm, name);
    // Nothing happens before the event loop runs.
    EXPECT_FALSE(frm.Loaded());
    QTRY_VERIFY(frm.Loaded());
    EXPECT_EQ(frm.FileName(), good);
    EXPECT_EQ(frm.StatusText(), good);
    EXPECT_EQ(frm.edtScrnWidth.text(), "300");
    EXPECT_TRUE(boxes.isEmpty());
  }
  {
    app::TfrmMain frm;
    current = &frm;
    frm.show();
    app::OpenAtStart(frm, apptest::TempDir() + "/missing.gif");
    QTRY_COMPARE(boxes.size(), 1);
    EXPECT_TRUE(boxes.front().startsWith("Cannot open file")) << boxes.front().toStdString();
    EXPECT_TRUE(shownOverWindow);
    EXPECT_FALSE(frm.Loaded());
    EXPECT_TRUE(frm.FileName().isEmpty());
    EXPECT_TRUE(frm.edtScrnWidth.text().isEmpty());
  }
  application->ShowErrorBox = savedBox;
}

}  // namespace
