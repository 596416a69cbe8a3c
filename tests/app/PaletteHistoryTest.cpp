// Undo, Redo and Revert to Saved of the main window's Starts, checked byte for
// byte against the colours the file holds.
#include <gtest/gtest.h>
#include <QTest>
#include <deque>

#include "AppTestSupport.h"
#include "app/Application.h"
#include "app/MainUnit.h"
#include "app/PaletteHistory.h"
#include "gif/GIFImage.h"

using apptest::Rgb;

namespace {

class PaletteHistory : public apptest::TWindowDriver {
 protected:
  void TearDown() override {
    TWindowDriver::TearDown();
    EXPECT_TRUE(errorBoxes.isEmpty()) << errorBoxes.join("|").toStdString();
  }
};

// Reds (hue 0) that a hue Start moves, next to colours it leaves alone; the
// odd components make the HLS round trip lossy.
const std::vector<Rgb> Colours = {{201, 13, 13}, {10, 200, 30}, {173, 9, 9}, {40, 50, 211}};

}  // namespace

TEST_F(PaletteHistory, UndoAndRedoRestoreTheExactEntriesAndRepaint) {
  Open(apptest::WriteTempFile("history.gif", apptest::SinglePixelGif(Colours)));
  const std::vector<uint8_t> original = apptest::TableBytes(Colours);
  ASSERT_EQ(Table(), original);
  EXPECT_FALSE(frm.actUndo.isEnabled());
  EXPECT_FALSE(frm.actRedo.isEnabled());

  Start("0", "80");
  const std::vector<uint8_t> first = Table();
  ASSERT_NE(first, original);
  // Only the reds moved; the green and the blue entries kept their bytes.
  EXPECT_TRUE(std::equal(first.begin() + 3, first.begin() + 6, original.begin() + 3));
  EXPECT_TRUE(std::equal(first.begin() + 9, first.end(), original.begin() + 9));
  Start("80", "160");
  const std::vector<uint8_t> second = Table();
  ASSERT_NE(second, first);
  EXPECT_EQ(frm.History().count(), 2);

  frm.actUndo.trigger();
  EXPECT_EQ(Table(), first);
  frm.actUndo.trigger();
  EXPECT_EQ(Table(), original);
  EXPECT_EQ(Swatch(0), QColor(201, 13, 13));
  EXPECT_FALSE(frm.actUndo.isEnabled());

  // Ctrl+Y and Ctrl+Shift+Z both redo.
  QTest::keyClick(&frm, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(Table(), first);
  QTest::keyClick(&frm, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Table(), second);
  EXPECT_EQ(Swatch(0), QColor(second[0], second[1], second[2]));
  EXPECT_FALSE(frm.actRedo.isEnabled());
  QTest::keyClick(&frm, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Table(), first);

  // A new Start after an Undo drops the undone step.
  Start("80", "40");
  EXPECT_FALSE(frm.actRedo.isEnabled());
  EXPECT_EQ(frm.History().count(), 2);

  // Start that matches nothing leaves no step to undo.
  Start("200", "10");
  EXPECT_EQ(frm.History().count(), 2);
  EXPECT_TRUE(cancelBoxes.isEmpty());
}

TEST_F(PaletteHistory, StoppedStartIsUndoableAndKeepsItsNoRefresh) {
  Open(apptest::WriteTempFile("stopped.gif", apptest::SinglePixelGif(Colours)));
  frm.edtFromH.setText("0");
  frm.edtToH.setText("80");
  frm.edtFromS.setText("0");
  frm.edtToS.setText("241");
  QTest::mouseClick(&frm.btnStart, Qt::LeftButton);
  ASSERT_EQ(cancelBoxes.size(), 1);
  // The hue pass changed the document but, as before, the grid was not repainted.
  ASSERT_NE(Table(), apptest::TableBytes(Colours));
  EXPECT_EQ(Swatch(0), QColor(201, 13, 13));
  frm.actUndo.trigger();
  EXPECT_EQ(Table(), apptest::TableBytes(Colours));
}

TEST_F(PaletteHistory, RevertRestoresTheLastOpenedOrSavedPaletteAndCanBeUndone) {
  const QString path = apptest::WriteTempFile("revert.gif", apptest::SinglePixelGif(Colours));
  Open(path);
  frm.actRevert.trigger();  // nothing changed: no step
  EXPECT_EQ(frm.History().count(), 0);

  Start("0", "80");
  Start("80", "160");
  const std::vector<uint8_t> edited = Table();
  frm.actRevert.trigger();
  EXPECT_EQ(Table(), apptest::TableBytes(Colours));
  EXPECT_EQ(Swatch(2), QColor(173, 9, 9));
  frm.actUndo.trigger();
  EXPECT_EQ(Table(), edited);

  // After a save the saved palette is what Revert returns to.
  answers.push_back(apptest::TempDir() + "/revert-saved.gif");
  frm.actSaveAs.trigger();
  Start("160", "40");
  ASSERT_NE(Table(), edited);
  frm.actRevert.trigger();
  EXPECT_EQ(Table(), edited);

  // Open starts a new history.
  Open(path);
  EXPECT_EQ(frm.History().count(), 0);
  EXPECT_FALSE(frm.actUndo.isEnabled());
  EXPECT_EQ(Table(), apptest::TableBytes(Colours));
}

TEST(PaletteSnapshot, PutsBackPixelsTransparencyAndBackgroundAndDropsAnAddedControl) {
  gif::TGIFImage doc;
  for (gif::TColor c : {0x000000u, 0x0000FFu, 0x00FF00u}) doc.GlobalMap().AppendEntry(c);
  doc.Header().Screen.BackgroundColorIndex = 2;
  for (int f = 0; f < 2; ++f) {
    auto frame = std::make_unique<gif::TGIFSubImage>(&doc);
    frame->Descriptor = gif::TImageDescriptor{0x2C, 0, 0, 2, 1, 0};
    frame->AllocatePixels();
    frame->PixelData()[0] = 1, frame->PixelData()[1] = 2;
    if (f == 0) {
      auto control = std::make_unique<gif::TGIFGraphicControlExtension>(*frame);
      control->SetTransparentColorIndex(2);
      control->SetTransparentColorFlag(true);
      frame->Extensions().Append(std::move(control));
    }
    doc.Frames().Append(std::move(frame));
  }
  const app::TTablesSnapshot before = app::ReadTables(doc);

  // What a reorder and a new transparent colour do: entries, pixels, the
  // background, one control changed and one added.
  doc.GlobalMap().WriteEntry(0, 0x00FF00), doc.GlobalMap().WriteEntry(2, 0x000000);
  doc.Header().Screen.BackgroundColorIndex = 0;
  for (int f = 0; f < 2; ++f) doc.Frames().Frame(f).PixelData()[1] = 0;
  auto* first = doc.Frames().Frame(0).GraphicControl();
  first->SetTransparentColorIndex(0);
  gif::TGIFSubImage& second = doc.Frames().Frame(1);
  auto added = std::make_unique<gif::TGIFGraphicControlExtension>(second);
  added->SetTransparentColorFlag(true);
  second.Extensions().Append(std::move(added));
  // Read against the earlier snapshot, which must keep its own pixels.
  const app::TTablesSnapshot after = app::ReadTables(doc, &before);
  ASSERT_NE(after, before);

  app::WriteTables(doc, before);
  const app::TTablesSnapshot again = app::ReadTables(doc, &before);
  EXPECT_EQ(again, before);
  // Pixels the same as before are not copied again.
  EXPECT_EQ(again[1].Picture->Pixels.get(), before[1].Picture->Pixels.get());
  EXPECT_EQ(doc.BackgroundIndex(), 2);
  EXPECT_EQ(doc.Frames().Frame(1).PixelData()[1], 2);
  EXPECT_EQ(doc.Frames().Frame(0).GraphicControl()->TransparentColorIndex(), 2);
  EXPECT_EQ(second.Extensions().ItemCount(), 0);
  EXPECT_EQ(second.GraphicControl(), nullptr);
  EXPECT_FALSE(second.HasTransparency());

  // A command keeps pictures only when the edit changed one.
  app::TTablesSnapshot recolour = before;
  recolour[0].Entries[1] = 0xFFFFFF;
  int applied = 0;
  app::TPaletteChange entriesOnly(
      "Start", before, recolour,
      [&](const app::TTablesSnapshot& t) {
        EXPECT_FALSE(t[1].Picture.has_value());
        ++applied;
      },
      true);
  entriesOnly.undo();
  app::TPaletteChange remap(
      "Sort", before, after,
      [&](const app::TTablesSnapshot& t) {
        EXPECT_EQ(t, before);
        ++applied;
      },
      true);
  remap.undo();
  EXPECT_EQ(applied, 2);
}
