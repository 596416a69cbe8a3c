// A GIF file dropped on the main window opens as Open opens it.
#include <gtest/gtest.h>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "AppTestSupport.h"
#include "app/Application.h"
#include "app/MainUnit.h"

namespace {

// Sends the enter and drop events a drag from a file manager brings; returns
// whether the window accepted the drag.
bool Drop(app::TfrmMain& frm, const QList<QUrl>& urls) {
  QMimeData data;
  data.setUrls(urls);
  const QPoint at(frm.width() / 2, frm.height() / 2);
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&frm, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&frm, &drop);
  return drop.isAccepted();
}

}  // namespace

TEST(DropFile, OpensADroppedGifAndLeavesTheWindowAsItWasWhenTheFileFails) {
  auto* application = qobject_cast<app::TApplication*>(qApp);
  ASSERT_NE(application, nullptr);
  const auto savedBox = application->ShowErrorBox;
  QStringList boxes;
  application->ShowErrorBox = [&boxes](const QString&, const QString& text) { boxes << text; };

  app::TfrmMain frm;
  EXPECT_TRUE(frm.acceptDrops());
  const QString good =
      apptest::WriteTempFile("dropped.gif", apptest::SinglePixelGif({{10, 20, 30}, {40, 50, 60}}));
  ASSERT_TRUE(Drop(frm, {QUrl::fromLocalFile(good)}));
  EXPECT_TRUE(frm.Loaded());
  EXPECT_EQ(frm.FileName(), good);
  EXPECT_EQ(frm.StatusText(), good);
  EXPECT_EQ(frm.imgColorMap.Picture().pixelColor(18 + 8, 8), QColor(40, 50, 60));
  EXPECT_TRUE(boxes.isEmpty());

  // A broken file reports its error like Open and changes nothing.
  const QString bad = apptest::WriteTempFile("broken.gif", {'G', 'I', 'F', '8', '9', 'a', 1});
  EXPECT_TRUE(Drop(frm, {QUrl::fromLocalFile(bad)}));
  EXPECT_EQ(boxes.size(), 1);
  EXPECT_EQ(frm.FileName(), good);
  EXPECT_EQ(frm.Document().GlobalMap().EntryCount(), 2);

  // Links that are not local files are not taken.
  EXPECT_FALSE(Drop(frm, {QUrl(QStringLiteral("https://example.org/a.gif"))}));
  EXPECT_EQ(frm.FileName(), good);
  application->ShowErrorBox = savedBox;
}
