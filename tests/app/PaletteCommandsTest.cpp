// The Palette menu and the palette view in the window: a remap, a move by
// dragging, an adjustment, a ramp and a transparency change each as one undo
// step that puts tables
// and pixels back exactly, the picture unchanged by a remap, the hover's use
// read-out, Select Matching, and the preview's picker choosing the table and
// entry of a pixel on a file with frame tables.
#include <gtest/gtest.h>
#include <QMouseEvent>
#include <QTest>

#include "AppTestSupport.h"
#include "app/MainUnit.h"
#include "gif/GIFImage.h"

namespace {

// A 4 x 1 screen, two frames through an 8-entry global table: entries 2 and 6
// hold the same colour, 5 and 7 are never drawn.
QString UsageGif() {
  gif::TGIFImage doc;
  doc.Header().Screen.ScreenWidth = 4;
  doc.Header().Screen.ScreenHeight = 1;
  for (gif::TColor c :
       {0x000000u, 0xFFFFFFu, 0x0000FFu, 0x00FF00u, 0xFF0000u, 0x808080u, 0x0000FFu, 0x404040u})
    doc.GlobalMap().AppendEntry(c);
  for (const std::vector<uint8_t>& pixels :
       {std::vector<uint8_t>{4, 3, 2, 1}, std::vector<uint8_t>{0, 6, 2, 2}}) {
    auto frame = std::make_unique<gif::TGIFSubImage>(&doc);
    frame->Descriptor = gif::TImageDescriptor{0x2C, 0, 0, 4, 1, 0};
    frame->AllocatePixels();
    std::copy(pixels.begin(), pixels.end(), frame->PixelData());
    doc.Frames().Append(std::move(frame));
  }
  const QString path = apptest::TempDir() + "/usage.gif";
  doc.SaveFile(QFile::encodeName(path).toStdString());
  return path;
}

class PaletteCommands : public apptest::TWindowDriver {
 protected:
  void TearDown() override {
    TWindowDriver::TearDown();
    EXPECT_TRUE(errorBoxes.isEmpty()) << errorBoxes.join("|").toStdString();
  }
  // Every frame's pixels.
  std::vector<std::vector<uint8_t>> Pixels() {
    std::vector<std::vector<uint8_t>> all;
    for (int f = 0; f < frm.Document().Frames().Count(); ++f) {
      const gif::TGIFSubImage& frame = frm.Document().Frames().Frame(f);
      all.emplace_back(frame.PixelData(), frame.PixelData() + frame.PixelDataSize());
    }
    return all;
  }
  // Every frame's composed screen, as the preview shows it.
  std::vector<QImage> Screens() {
    frm.actPreview.trigger();
    std::vector<QImage> screens;
    for (int f = 0; f < frm.Document().Frames().Count(); ++f) {
      frm.Preview()->ShowFrame(f);
      screens.push_back(frm.Preview()->Frame());
    }
    return screens;
  }
  void Drag(int from, int to) {
    auto send = [&](QEvent::Type type, int index) {
      const QPointF at((index % 16) * 18 + 8.5, (index / 16) * 18 + 8.5);
      QMouseEvent event(type, at, frm.imgColorMap.mapToGlobal(at), Qt::LeftButton,
                        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                        Qt::NoModifier);
      QApplication::sendEvent(&frm.imgColorMap, &event);
    };
    send(QEvent::MouseButtonPress, from);
    send(QEvent::MouseMove, to);
    send(QEvent::MouseButtonRelease, to);
  }
};

}  // namespace

TEST_F(PaletteCommands, EachKindIsOneUndoStepThatPutsTablesAndPixelsBack) {
  Open(UsageGif());
  ASSERT_TRUE(frm.Loaded());
  const apptest::TTables tables = apptest::AllTables(frm.Document());
  const auto pixels = Pixels();
  const std::vector<QImage> screens = Screens();
  app::TPaletteCommands& palette = frm.PaletteCommands();
  struct Case {
    const char* name;
    std::function<void()> run;
    bool samePicture;
  };
  const std::vector<Case> cases = {
      {"sort", [&] { palette.actSortLuminance.trigger(); }, true},
      {"remove unused", [&] { palette.actRemoveUnused.trigger(); }, true},
      {"merge duplicates", [&] { palette.actMergeDuplicates.trigger(); }, true},
      {"move by dragging",
       [&] {
         frm.imgColorMap.SetSelection(app::TEntrySet().set(1).set(2));
         Drag(2, 6);
       },
       true},
      {"adjust",
       [&] {
         frm.ShowModal = [&](QDialog&) {
           frm.AdjustCommands().Dialog().boxes[2]->setValue(30);
           return int(QDialog::Accepted);
         };
         frm.AdjustCommands().actAdjust.trigger();
       },
       false},
      {"make ramp",
       [&] {
         frm.imgColorMap.SetSelection(app::TEntrySet().set(0).set(4));
         frm.AdjustCommands().actMakeRamp.trigger();
       },
       false},
      {"set transparent",
       [&] {
         frm.imgColorMap.ClickEntry(2, Qt::NoModifier);
         palette.actSetTransparent.trigger();
       },
       false},
  };
  for (const Case& c : cases) {
    const int steps = frm.History().index();
    c.run();
    EXPECT_EQ(frm.History().index(), steps + 1) << c.name;
    // A remap changes tables and pixels but not the picture; a transparent
    // colour the other way round.
    if (c.samePicture) {
      EXPECT_NE(std::pair(apptest::AllTables(frm.Document()), Pixels()), std::pair(tables, pixels))
          << c.name;
    }
    EXPECT_EQ(Screens() == screens, c.samePicture) << c.name;
    EXPECT_FALSE(frm.StatusText().isEmpty()) << c.name;
    frm.actUndo.trigger();
    EXPECT_EQ(apptest::AllTables(frm.Document()), tables) << c.name;
    EXPECT_EQ(Pixels(), pixels) << c.name;
    EXPECT_EQ(Screens(), screens) << c.name;
    EXPECT_FALSE(frm.Modified()) << c.name;
  }
  // The transparent colour's graphic control went with its undo.
  EXPECT_EQ(frm.Document().Frames().Frame(0).GraphicControl(), nullptr);
}

TEST_F(PaletteCommands, HoverCountsUseAndSelectMatchingTakesTheRing) {
  Open(UsageGif());
  Hover(2 * 18 + 4, 4);
  EXPECT_EQ(frm.stbMain.currentMessage(), "Entry 2: 3 pixels in 2 frames");
  Hover(4 * 18 + 4, 4);
  EXPECT_EQ(frm.stbMain.currentMessage(), "Entry 4: 1 pixel in 1 frame");
  Hover(5 * 18 + 4, 4);
  EXPECT_EQ(frm.stbMain.currentMessage(), "Entry 5: unused");
  // Off the grid, the file's name shows again.
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(&frm.imgColorMap, &leave);
  EXPECT_EQ(frm.stbMain.currentMessage(), "");

  // Red (hue 0) is entries 2 and 6.
  Fields("0", "80", "", "", "", "");
  frm.PaletteView().actSelectMatching.trigger();
  EXPECT_EQ(frm.imgColorMap.Selection(), app::TEntrySet().set(2).set(6));
  EXPECT_EQ(frm.stbMain.currentMessage(), "2 of 8 entries selected");

  // Unused entries are marked once asked, and the choice is remembered.
  frm.PaletteView().actMarkUnused.setChecked(true);
  EXPECT_EQ(frm.imgColorMap.Marks().Unused, app::TEntrySet().set(5).set(7));
  frm.PaletteView().actMarkUnused.setChecked(false);
}

TEST_F(PaletteCommands, ThePickerShowsThePixelsTableAndSelectsItsEntry) {
  Open(apptest::CorpusFile("deb-gdkpixbuf-suite/high-color.gif"));
  frm.actPreview.trigger();
  app::TfrmPreview& preview = *frm.Preview();
  preview.ShowFrame(2);
  const int frame = preview.DocumentFrame();
  ASSERT_GE(frame, 1);
  const gif::TGIFSubImage& sub = frm.Document().Frames().Frame(frame);
  const int x = sub.Descriptor.Left, y = sub.Descriptor.Top;
  const int entry = sub.PixelData()[0];
  const QRectF target = preview.canvas.Target();
  const double scale = target.width() / preview.Frame().width();
  const QPoint at = (target.topLeft() + QPointF(x + 0.5, y + 0.5) * scale).toPoint();
  QTest::mouseClick(&preview.canvas, Qt::LeftButton, Qt::NoModifier, at);
  EXPECT_EQ(frm.ShownMap(), &sub.LocalMap());
  EXPECT_EQ(frm.imgColorMap.Selection(), app::TEntrySet().set(std::size_t(entry)));
  EXPECT_EQ(frm.stbMain.currentMessage(), QString("Frame %1, entry %2").arg(frame + 1).arg(entry));
  // Page Down steps to the next table, Page Up back.
  frm.PaletteView().actNextTable.trigger();
  EXPECT_EQ(frm.ShownMap(), &frm.Document().Frames().Frame(frame + 1).LocalMap());
  frm.PaletteView().actPreviousTable.trigger();
  EXPECT_EQ(frm.ShownMap(), &sub.LocalMap());
}

// Two frames, each with a table of its own; both tables hold red.
QString TwoTablesGif() {
  gif::TGIFImage doc;
  doc.Header().Screen.ScreenWidth = 2;
  doc.Header().Screen.ScreenHeight = 1;
  for (const std::vector<gif::TColor>& colours :
       {std::vector<gif::TColor>{0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF},
        std::vector<gif::TColor>{0x00FF00, 0x808080, 0x000000, 0x0000FF}}) {
    auto frame = std::make_unique<gif::TGIFSubImage>(&doc);
    frame->Descriptor = gif::TImageDescriptor{0x2C, 0, 0, 2, 1, 0};
    frame->AllocatePixels();
    for (gif::TColor c : colours) frame->LocalMap().AppendEntry(c);
    doc.Frames().Append(std::move(frame));
  }
  const QString path = apptest::TempDir() + "/two-tables.gif";
  doc.SaveFile(QFile::encodeName(path).toStdString());
  return path;
}

TEST_F(PaletteCommands, AdjustShowsEachMoveInEveryTableAndCancelPutsItBack) {
  Open(TwoTablesGif());
  frm.actRecolourAll.setChecked(true);
  const apptest::TTables before = apptest::AllTables(frm.Document());
  frm.imgColorMap.ClickEntry(0, Qt::NoModifier);  // red in the first table
  app::TAdjustDialog& dialog = frm.AdjustCommands().Dialog();
  apptest::TTables live;
  QColor painted;
  for (const int answer : {int(QDialog::Rejected), int(QDialog::Accepted)}) {
    frm.ShowModal = [&](QDialog&) {
      dialog.sliders[0]->setValue(80);  // red turns green
      live = apptest::AllTables(frm.Document());
      painted = Swatch(0);
      return answer;
    };
    const int steps = frm.History().index();
    frm.AdjustCommands().actAdjust.trigger();
    // Red, and only red, changed in both tables while the dialog was open.
    apptest::TTables expected = before;
    expected[1][0] = expected[2][3] = 0x00FF00;
    EXPECT_EQ(live, expected) << answer;
    EXPECT_EQ(painted, QColor(0, 255, 0)) << answer;
    EXPECT_EQ(apptest::AllTables(frm.Document()), answer ? expected : before) << answer;
    EXPECT_EQ(frm.History().index(), steps + answer) << answer;
  }
  frm.actUndo.trigger();
  EXPECT_EQ(apptest::AllTables(frm.Document()), before);
}

TEST_F(PaletteCommands, AMadeRampChangesTheSameColoursInTheOtherTables) {
  Open(TwoTablesGif());
  frm.actRecolourAll.setChecked(true);
  frm.imgColorMap.ClickEntry(0, Qt::NoModifier);
  EXPECT_FALSE(frm.AdjustCommands().actMakeRamp.isEnabled());
  frm.imgColorMap.ClickEntry(3, Qt::ShiftModifier);
  ASSERT_TRUE(frm.AdjustCommands().actMakeRamp.isEnabled());
  frm.AdjustCommands().actMakeRamp.trigger();
  const apptest::TTables tables = apptest::AllTables(frm.Document());
  // Entries 1 and 2 (green, blue) lie between red and white now; the green
  // of the second table went the way of the first table's green.
  EXPECT_NE(tables[1][1], gif::TColor(0x00FF00));
  EXPECT_EQ(tables[2][0], tables[1][1]);
  EXPECT_EQ(tables[2][3], gif::TColor(0x0000FF));  // red, an end of the ramp, stays
  EXPECT_EQ(frm.stbMain.currentMessage(), "Make Ramp: 3 entries changed in 2 of 2 tables");
}
