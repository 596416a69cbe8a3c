// What a new user met at first: clipped header values, a menu selection that
// did not show, the preview opening over the window without the file's name,
// Enter in the recolour fields doing nothing.
#include <gtest/gtest.h>
#include <QFontMetrics>
#include <QTest>

#include "../gif/GifBytes.h"
#include "AppTestSupport.h"
#include "app/WindowStyle.h"

namespace {

class RoughEdges : public apptest::TWindowDriver {};

TEST_F(RoughEdges, FiveDigitHeaderValuesShowWhole) {
  // A large logical screen with one small frame on it.
  using namespace giftest;
  Open(apptest::WriteTempFile("wide.gif",
                              Concat({Header(65535, 10000), PlainImage(1, 1), Bytes{0x3B}})));
  ASSERT_TRUE(errorBoxes.isEmpty()) << errorBoxes.join(' ').toStdString();
  for (QLineEdit* field : {&frm.edtScrnWidth, &frm.edtScrnHeight}) {
    const QString text = field->text();
    EXPECT_EQ(field->toolTip(), text);
    EXPECT_EQ(field->cursorPosition(), 0);
    // Qt keeps the one-pixel frame and two pixels a side free of text.
    EXPECT_LE(QFontMetrics(field->font()).horizontalAdvance(text), field->width() - 2 * 3)
        << text.toStdString();
    EXPECT_GE(field->font().pixelSize(), 7);
  }
  EXPECT_EQ(frm.edtScrnWidth.text(), "65535");
  // Short values keep the window's font.
  EXPECT_EQ(frm.edtBPP.font().pixelSize(), frm.font().pixelSize());
}

TEST_F(RoughEdges, TheSelectedMenuItemIsFramedAndKeepsTheHighlightColour) {
  frm.mnuFile.popup(frm.mapToGlobal(QPoint(0, 24)));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm.mnuFile));
  QTest::keyClick(&frm.mnuFile, Qt::Key_Down);
  QAction* active = frm.mnuFile.activeAction();
  ASSERT_NE(active, nullptr);
  const QRect item = frm.mnuFile.actionGeometry(active);
  const QImage shown = frm.mnuFile.grab().toImage();
  const QColor frame = frm.mnuFile.palette().color(QPalette::WindowText);
  EXPECT_EQ(shown.pixelColor(item.left(), item.center().y()), frame);
  EXPECT_EQ(shown.pixelColor(item.center().x(), item.top()), frame);
  EXPECT_EQ(shown.pixelColor(item.left() + 3, item.top() + 3), QColor(0xF7, 0xF6, 0xEE));
  frm.mnuFile.hide();
}

TEST_F(RoughEdges, ThePreviewOpensBesideTheWindowNamedAfterTheFile) {
  Open(apptest::WriteTempFile("named.gif", apptest::SinglePixelGif({{1, 2, 3}})));
  frm.actPreview.trigger();
  ASSERT_NE(frm.Preview(), nullptr);
  EXPECT_EQ(frm.Preview()->windowTitle(), "named.gif - Preview");
  Open(apptest::WriteTempFile("other.gif", apptest::SinglePixelGif({{1, 2, 3}})));
  EXPECT_EQ(frm.Preview()->windowTitle(), "other.gif - Preview");
  answers.push_back(apptest::TempDir() + "/renamed.gif");
  frm.actSaveAs.trigger();
  EXPECT_EQ(frm.Preview()->windowTitle(), "renamed.gif - Preview");

  // Beside a small window wherever there is room: right, else left.
  QWidget anchor, window;
  anchor.resize(200, 100);
  window.resize(150, 100);
  const QRect screen = anchor.screen()->availableGeometry();
  for (int left : {screen.left() + 10, screen.right() - 250}) {
    anchor.move(left, screen.top() + 20);
    app::PlaceBeside(window, anchor);
    EXPECT_FALSE(window.frameGeometry().intersects(anchor.frameGeometry())) << left;
    EXPECT_TRUE(screen.contains(window.frameGeometry())) << left;
    EXPECT_EQ(window.frameGeometry().top(), anchor.frameGeometry().top());
  }
}

}  // namespace

namespace {

TEST_F(RoughEdges, EnterOrReturnInAnyRecolourFieldRunsStart) {
  Open(Gif("enter.gif", {{255, 0, 0}, {0, 0, 255}}));
  frm.activateWindow();
  int runs = 0;
  for (QLineEdit* field : {&frm.edtFromH, &frm.edtFromL, &frm.edtFromS, &frm.edtTolerance,
                           &frm.edtToH, &frm.edtToL, &frm.edtToS})
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
      SCOPED_TRACE(field->objectName().toStdString());
      // Start turns red to blue, then blue to red: each run changes the table.
      const bool even = runs % 2 == 0;
      Fields(even ? "0" : "160", even ? "160" : "0", "", "", "", "");
      const std::vector<uint8_t> before = Table();
      field->setFocus();
      QTest::keyClick(field, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
      EXPECT_EQ(frm.History().count(), ++runs);
      EXPECT_NE(Table(), before);
    }
  EXPECT_TRUE(cancelBoxes.isEmpty());
}

}  // namespace
