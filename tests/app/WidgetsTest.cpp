// The small controls and helpers the main window is built from.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <stdexcept>
#include "AppTestSupport.h"

#include "app/FileDialogs.h"
#include "app/Hourglass.h"
#include "app/widgets/PaletteSurface.h"
#include "app/widgets/UpDown.h"

TEST(TUpDown, ArrowsAndKeysStepWithinTheRangeWithoutWrapping) {
  QWidget parent;
  QLineEdit buddy(&parent);
  buddy.setReadOnly(true);
  app::TUpDown upDown(&parent);
  upDown.setGeometry(0, 0, 16, 21);
  upDown.SetRange(0, 100);
  upDown.SetAssociate(&buddy);
  EXPECT_EQ(buddy.text(), "0");

  QTest::mouseClick(upDown.UpButton(), Qt::LeftButton);
  QTest::mouseClick(upDown.UpButton(), Qt::LeftButton);
  EXPECT_EQ(upDown.Position(), 2);
  EXPECT_EQ(buddy.text(), "2");
  QTest::mouseClick(upDown.DownButton(), Qt::LeftButton);
  EXPECT_EQ(buddy.text(), "1");

  // The read-only buddy still passes Up and Down to the control.
  QTest::keyClick(&buddy, Qt::Key_Up);
  EXPECT_EQ(upDown.Position(), 2);
  QTest::keyClick(&buddy, Qt::Key_Down);
  QTest::keyClick(&buddy, Qt::Key_Down);
  QTest::keyClick(&buddy, Qt::Key_Down);
  EXPECT_EQ(upDown.Position(), 0);
  EXPECT_EQ(buddy.text(), "0");

  upDown.SetPosition(99);
  upDown.Step(+1);
  upDown.Step(+1);
  EXPECT_EQ(upDown.Position(), 100);
  EXPECT_EQ(buddy.text(), "100");

  upDown.SetArrowKeys(false);
  QTest::keyClick(&buddy, Qt::Key_Down);
  EXPECT_EQ(upDown.Position(), 100);
}

TEST(TPaletteSurface, FillsWithExclusiveEdgesAndClearsToTheBackground) {
  app::TPaletteSurface surface;
  surface.SetSurfaceSize(36, 36);
  surface.FillRect(18, 0, 34, 16, Qt::red);
  const QImage& picture = surface.Picture();
  EXPECT_EQ(picture.pixelColor(18, 0), QColor(Qt::red));
  EXPECT_EQ(picture.pixelColor(33, 15), QColor(Qt::red));
  EXPECT_EQ(picture.pixelColor(34, 15), app::TPaletteSurface::Background());
  EXPECT_EQ(picture.pixelColor(33, 16), app::TPaletteSurface::Background());
  EXPECT_EQ(picture.pixelColor(17, 0), app::TPaletteSurface::Background());
  surface.Clear();
  EXPECT_EQ(surface.Picture().pixelColor(20, 5), app::TPaletteSurface::Background());
}

TEST(QtNameFilter, TurnsBarSeparatedPairsIntoQtFilters) {
  EXPECT_EQ(app::QtNameFilter("GIF files (*.gif)|*.gif|All files (*.*)|*.*"),
            "GIF files (*.gif);;All files (*.*)");
  EXPECT_EQ(app::QtNameFilter("Pictures|*.gif;*.jpg"), "Pictures (*.gif *.jpg)");
  EXPECT_EQ(app::QtNameFilter(""), "");
}

TEST(THourglass, ShowsTheWaitCursorAndLeavesTheDefaultOnEveryExit) {
  ASSERT_EQ(QApplication::overrideCursor(), nullptr);
  try {
    app::THourglass hourglass;
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    {
      app::TArrowWhileAsking asking;
      EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::ArrowCursor);
    }
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    throw std::runtime_error("leaving early");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // Not whatever was shown before: an override set outside is dropped too.
  QApplication::setOverrideCursor(Qt::CrossCursor);
  { app::THourglass hourglass; }
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
