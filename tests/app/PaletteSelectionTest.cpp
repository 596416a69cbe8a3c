// Selecting swatches on the palette grid by every gesture, dragging a selected
// block, and the marks that tell selected, unused, transparent and background
// entries apart from each other and from the ring of matches.
#include <gtest/gtest.h>
#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include "AppTestSupport.h"
#include "app/widgets/PaletteGrid.h"
#include "gif/GIFImage.h"

namespace {

using app::TEntrySet;

TEntrySet Entries(std::initializer_list<int> indices) {
  TEntrySet set;
  for (int i : indices) set.set(std::size_t(i));
  return set;
}

// A grid showing 40 entries of one grey.
class PaletteSelection : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 40; ++i) doc.GlobalMap().AppendEntry(0x808080);
    grid.SetSurfaceSize(288, 288);
    grid.SetMap(&doc.GlobalMap());
    grid.Paint();
  }

  static QPointF Middle(int index) {
    return QPointF((index % 16) * 18 + 8.5, (index / 16) * 18 + 8.5);
  }
  void Send(QEvent::Type type, QPointF at, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, grid.mapToGlobal(at), Qt::LeftButton, held, keys);
    QApplication::sendEvent(&grid, &event);
  }
  void Send(QEvent::Type type, int index, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    Send(type, Middle(index), keys);
  }
  void Click(int index, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    Send(QEvent::MouseButtonPress, index, keys);
    Send(QEvent::MouseButtonRelease, index, keys);
  }
  void Drag(int from, int to) {
    Send(QEvent::MouseButtonPress, from);
    Send(QEvent::MouseMove, to);
    Send(QEvent::MouseButtonRelease, to);
  }
  QColor At(int index, int dx, int dy) {
    return grid.Picture().pixelColor((index % 16) * 18 + dx, (index / 16) * 18 + dy);
  }

  gif::TGIFImage doc;
  app::TPaletteGrid grid;
};

}  // namespace

TEST_F(PaletteSelection, EachGestureSelectsWhatItShould) {
  QSignalSpy changed(&grid, &app::TPaletteGrid::SelectionChanged);
  QSignalSpy pressed(&grid, &app::TPaletteSurface::MousePressed);
  struct Step {
    const char* gesture;
    std::function<void()> act;
    TEntrySet expected;
  };
  const std::vector<Step> steps = {
      {"plain click", [&] { Click(5); }, Entries({5})},
      {"Ctrl adds", [&] { Click(9, Qt::ControlModifier); }, Entries({5, 9})},
      {"Ctrl removes", [&] { Click(5, Qt::ControlModifier); }, Entries({9})},
      {"Shift from the last clicked", [&] { Click(12, Qt::ShiftModifier); },
       Entries({5, 6, 7, 8, 9, 10, 11, 12})},
      {"Shift again keeps the anchor", [&] { Click(7, Qt::ShiftModifier); }, Entries({5, 6, 7})},
      {"Ctrl+Shift adds a range", [&] { Click(20, Qt::ControlModifier | Qt::ShiftModifier); },
       Entries({5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20})},
      {"plain click on a selected entry", [&] { Click(8); }, Entries({8})},
      {"drag across rows, backwards", [&] { Drag(18, 14); }, Entries({14, 15, 16, 17, 18})},
      {"Ctrl+A", [&] { QTest::keyClick(&grid, Qt::Key_A, Qt::ControlModifier); },
       TEntrySet().set() >> (256 - 40)},
      {"Escape", [&] { QTest::keyClick(&grid, Qt::Key_Escape); }, TEntrySet()},
      {"a click past the table's end", [&] { Click(45); }, TEntrySet()},
  };
  for (const Step& step : steps) {
    changed.clear();
    step.act();
    EXPECT_EQ(grid.Selection(), step.expected) << step.gesture;
    // Every gesture but the last changes the selection, and says so.
    EXPECT_EQ(changed.isEmpty(), &step == &steps.back()) << step.gesture;
  }
  // Every press still reached the window's plain-click handler.
  EXPECT_EQ(pressed.size(), 9);

  // Showing another table drops the selection.
  Click(3);
  gif::TGIFImage other;
  other.GlobalMap().AppendEntry(0);
  grid.SetMap(&other.GlobalMap());
  grid.Paint();
  EXPECT_EQ(grid.SelectedCount(), 0);
}

TEST_F(PaletteSelection, DraggingASelectedBlockAsksToMoveItWhereItIsDropped) {
  QSignalSpy moved(&grid, &app::TPaletteGrid::MoveBlockRequested);
  grid.SetSelection(Entries({2, 3, 4}));
  Send(QEvent::MouseButtonPress, 3);
  Send(QEvent::MouseMove, 30);
  EXPECT_EQ(grid.DropTarget(), 30);
  EXPECT_EQ(At(30, -2, 8), QColor(0, 84, 227));  // the bar before the target
  Send(QEvent::MouseButtonRelease, 30);
  ASSERT_EQ(moved.size(), 1);
  EXPECT_EQ(moved[0][0].toInt(), 30);
  // The selection stays for the window to move; no bar is left.
  EXPECT_EQ(grid.Selection(), Entries({2, 3, 4}));
  EXPECT_EQ(grid.DropTarget(), -1);
  EXPECT_EQ(At(30, -2, 8), app::TPaletteSurface::Background());

  // Past the table's end the block goes after the last entry.
  Send(QEvent::MouseButtonPress, 3);
  Send(QEvent::MouseMove, 60);
  Send(QEvent::MouseButtonRelease, 60);
  ASSERT_EQ(moved.size(), 2);
  EXPECT_EQ(moved[1][0].toInt(), 40);

  // Escape during the drag, or a drop off the grid, moves nothing.
  Send(QEvent::MouseButtonPress, 3);
  Send(QEvent::MouseMove, 20);
  QTest::keyClick(&grid, Qt::Key_Escape);
  Send(QEvent::MouseButtonRelease, 20);
  Send(QEvent::MouseButtonPress, 3);
  Send(QEvent::MouseMove, QPointF(300, 10));
  Send(QEvent::MouseButtonRelease, QPointF(300, 10));
  EXPECT_EQ(moved.size(), 2);
  EXPECT_EQ(grid.Selection(), Entries({2, 3, 4}));
}

TEST_F(PaletteSelection, MarksAreTheirOwnAndLeaveTheSwatchMiddleAndRingPlaces) {
  const QColor grey(0x80, 0x80, 0x80), blue(0, 84, 227);
  app::TGridMarks marks;
  marks.Unused = Entries({1, 2});
  marks.Transparent = 3;
  marks.Background = 4;
  grid.SetMarks(marks);
  EXPECT_EQ(At(1, 15, 0), grey) << "unused entries are marked only when asked";
  marks.MarkUnused = true;
  grid.SetMarks(marks);
  grid.SetSelection(Entries({0, 1}));
  grid.Paint({0});

  // Selected: a blue frame in the gaps and a blue corner inside.
  EXPECT_EQ(At(0, 16, 8), blue);
  EXPECT_EQ(At(0, 8, 16), blue);
  EXPECT_EQ(At(1, 2, 2), blue);
  EXPECT_EQ(At(2, 16, 8), app::TPaletteSurface::Background());
  // The ring still reads where the match tests look for it.
  EXPECT_EQ(At(0, 0, 8), QColor(Qt::black));
  EXPECT_EQ(At(0, 14, 8), QColor(Qt::white));
  // Unused: a white folded corner with a black fold.
  EXPECT_EQ(At(2, 15, 0), QColor(Qt::white));
  EXPECT_EQ(At(2, 9, 0), QColor(Qt::black));
  // Transparent: a checkerboard; background: a black-edged white square.
  EXPECT_EQ(At(3, 10, 10), QColor(Qt::black));
  EXPECT_EQ(At(3, 12, 10), QColor(Qt::white));
  EXPECT_EQ(At(4, 0, 15), QColor(Qt::black));
  EXPECT_EQ(At(4, 2, 12), QColor(Qt::white));
  // No mark reaches a swatch's middle, where its colour is read.
  for (int i = 0; i < 5; ++i) EXPECT_EQ(At(i, 8, 8), grey) << i;
}
