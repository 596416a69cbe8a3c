// Files with frame tables in the main window: choosing the table, Start over
// every table (checked against the passes run on each table alone), exact
// colours by double-click, and undo of all of it.
#include <gtest/gtest.h>
#include <QFile>
#include <QTest>

#include "AppTestSupport.h"
#include "app/TableChoice.h"
#include "edit/Recolour.h"
#include "gif/GIFImage.h"

namespace {

using apptest::AllTables;
using apptest::TTables;

// The table entries of a menu: those above its first separator.
QStringList MenuTexts(QMenu& menu) {
  QStringList texts;
  for (QAction* a : menu.actions()) {
    if (a->isSeparator()) break;
    texts << a->text() + (a->isChecked() ? "*" : "");
  }
  return texts;
}

class FrameTables : public apptest::TWindowDriver {
 protected:
  void TearDown() override {
    TWindowDriver::TearDown();
    EXPECT_TRUE(errorBoxes.isEmpty() && cancelBoxes.isEmpty());
    frm.actRecolourAll.setChecked(true);  // the remembered default for the next test
  }
  void DoubleClick(int i) {
    QTest::mouseDClick(&frm.imgColorMap, Qt::LeftButton, {}, QPoint(i % 16 * 18 + 8, i / 16 * 18));
  }
};

// Four frames, each with its own 256-entry table, and no global table.
QString HighColour() {
  return apptest::CorpusFile("deb-gdkpixbuf-suite/high-color.gif");
}

}  // namespace

TEST_F(FrameTables, StartOverEveryTableMatchesThePassesTableByTableAndKeepsThePixels) {
  Open(HighColour());
  EXPECT_EQ(MenuTexts(frm.mnuColorTable),
            QStringList({"Frame 1 (256 colours)*", "Frame 2 (256 colours)", "Frame 3 (256 colours)",
                         "Frame 4 (256 colours)"}));
  EXPECT_EQ(frm.TableText(), "Frame 1 (256 colours)");
  ASSERT_EQ(frm.ShownMap(), &frm.Document().Frames().Frame(0).LocalMap());

  // The reference: the passes run on each table of a second copy, one by one.
  gif::TGIFImage reference;
  reference.LoadFile(HighColour().toStdString());
  const TTables original = AllTables(reference);
  edit::TRecolourRequest request{"120", "0", "", "", "100", "140", [] { return 30; }, {}};
  for (int i = 0; i < reference.Frames().Count(); ++i)
    edit::Recolour(reference.Frames().Frame(i).LocalMap(), request);
  const TTables expected = AllTables(reference);
  int changed = 0;
  for (std::size_t t = 0; t < expected.size(); ++t)
    for (std::size_t e = 0; e < expected[t].size(); ++e)
      changed += expected[t][e] != original[t][e];
  ASSERT_GT(changed, 0);

  frm.actPreview.trigger();
  frm.Preview()->ShowFrame(3);
  Fields("120", "0", "", "", "100", "140", 30);
  EXPECT_EQ(frm.MatchText(), QString("%1 of 1,024 entries in 4 tables will change").arg(changed));
  QTest::mouseClick(&frm.btnStart, Qt::LeftButton);
  EXPECT_EQ(AllTables(frm.Document()), expected);

  // The preview draws the last frame through its own, changed, table.
  const gif::TGIFSubImage& last = frm.Document().Frames().Frame(3);
  std::size_t at = 0;
  while (at < last.PixelDataSize() &&
         expected[4][last.PixelData()[at]] == original[4][last.PixelData()[at]])
    ++at;
  ASSERT_LT(at, last.PixelDataSize());
  const gif::TColor now = expected[4][last.PixelData()[at]];
  const int x = last.Descriptor.Left + int(at) % last.Descriptor.Width;
  const int y = last.Descriptor.Top + int(at) / last.Descriptor.Width;
  EXPECT_EQ(frm.Preview()->Frame().pixel(x, y), qRgb(now & 0xFF, (now >> 8) & 0xFF, now >> 16));

  // Saved and read back: the new tables, the very same pixel bytes.
  const QString path = apptest::TempDir() + "/high-color-recoloured.gif";
  answers.push_back(path);
  frm.actSaveAs.trigger();
  gif::TGIFImage saved;
  saved.LoadFile(path.toStdString());
  EXPECT_EQ(AllTables(saved), expected);
  for (int i = 0; i < saved.Frames().Count(); ++i) {
    const gif::TGIFSubImage &a = saved.Frames().Frame(i), &b = reference.Frames().Frame(i);
    EXPECT_TRUE(std::equal(a.PixelData(), a.PixelData() + a.PixelDataSize(), b.PixelData(),
                           b.PixelData() + b.PixelDataSize()));
  }

  // One Undo puts every table back exactly; Redo makes the same change again.
  EXPECT_EQ(frm.History().count(), 1);
  frm.actUndo.trigger();
  EXPECT_EQ(AllTables(frm.Document()), original);
  frm.actRedo.trigger();
  EXPECT_EQ(AllTables(frm.Document()), expected);
}

TEST_F(FrameTables, RecolourEveryTableOffChangesTheShownTableAloneAndIsRemembered) {
  Open(HighColour());
  frm.actRecolourAll.setChecked(false);
  EXPECT_FALSE(app::TfrmMain().actRecolourAll.isChecked());
  frm.mnuColorTable.actions()[2]->trigger();
  EXPECT_EQ(MenuTexts(frm.mnuColorTable)[2], "Frame 3 (256 colours)*");
  EXPECT_EQ(frm.TableText(), "Frame 3 (256 colours)");
  ASSERT_EQ(frm.ShownMap(), &frm.Document().Frames().Frame(2).LocalMap());

  const TTables before = AllTables(frm.Document());
  Fields("0", "120", "", "", "", "", 100);
  EXPECT_TRUE(frm.MatchText().endsWith(" of 256 entries will change"));
  QTest::mouseClick(&frm.btnStart, Qt::LeftButton);
  const TTables after = AllTables(frm.Document());
  for (std::size_t t = 0; t < after.size(); ++t) EXPECT_EQ(after[t] != before[t], t == 3) << t;
}

TEST_F(FrameTables, DoubleClickSetsTheExactColourAsOneStepAndNeedsATable) {
  const std::vector<apptest::Rgb> colours = {{201, 13, 13}, {10, 200, 30}, {173, 9, 9}, {1, 5, 9}};
  Open(Gif("exact.gif", colours));
  QList<QColor> asked;
  QColor answer(7, 130, 251);
  frm.ShowColorDialog = [&](const QColor& initial) {
    asked << initial;
    return answer;
  };
  Hover(1 * 18 + 8, 8);
  DoubleClick(1);
  EXPECT_EQ(asked, QList<QColor>{QColor(10, 200, 30)});
  EXPECT_EQ(Table(), apptest::TableBytes({colours[0], {7, 130, 251}, colours[2], colours[3]}));
  EXPECT_EQ(Swatch(1), answer);
  EXPECT_EQ(ReadOut().mid(0, 3), QStringList({"7", "130", "251"}));
  frm.actUndo.trigger();
  EXPECT_EQ(Table(), apptest::TableBytes(colours));

  // Cancel, the same colour, and a point past the table's end change nothing.
  answer = QColor();
  DoubleClick(2);
  answer = QColor(173, 9, 9);
  DoubleClick(2);
  DoubleClick(4);
  EXPECT_EQ(asked.size(), 3);
  EXPECT_EQ(frm.History().index(), 0);

  // Without any table: nothing to show, ask or recolour, and no box.
  Open(Gif("no-table.gif", {}));
  EXPECT_EQ(frm.ShownMap(), nullptr);
  EXPECT_FALSE(frm.mnuColorTable.isEnabled());
  Fields("0", "", "", "", "", "");  // Start would ask for the To hue if it ran
  Hover(8, 8);
  DoubleClick(0);
  QTest::mouseClick(&frm.btnStart, Qt::LeftButton);
  EXPECT_EQ(asked.size(), 3);
  EXPECT_EQ(frm.MatchText(), "");
  EXPECT_EQ(Swatch(0), app::TPaletteSurface::Background());
}

TEST_F(FrameTables, TablesOf2And256EntriesAndEditsThatResizeTablesUndoExactly) {
  Open(Gif("two.gif", {{255, 0, 0}, {0, 0, 255}}));
  // One step that gives the frame a 256-entry table of greys and shrinks the
  // global one; Undo gives back both sizes and every entry.
  const TTables before = AllTables(frm.Document());
  frm.EditTables("Resize", [this] {
    for (int e = 0; e < 256; ++e)
      frm.Document().Frames().Frame(0).LocalMap().AppendEntry(gif::TColor(e * 0x010101));
    frm.Document().GlobalMap().RemoveEntry(1);
  });
  EXPECT_EQ(MenuTexts(frm.mnuColorTable),
            QStringList({"Global (1 colour)*", "Frame 1 (256 colours)"}));
  const TTables resized = AllTables(frm.Document());
  frm.actUndo.trigger();
  EXPECT_EQ(AllTables(frm.Document()), before);
  EXPECT_EQ(MenuTexts(frm.mnuColorTable), QStringList({"Global (2 colours)*"}));
  frm.actRedo.trigger();
  EXPECT_EQ(AllTables(frm.Document()), resized);

  frm.mnuColorTable.actions()[1]->trigger();
  Hover(15 * 18 + 8, 15 * 18 + 8);
  EXPECT_EQ(ReadOut().mid(0, 3), QStringList({"255", "255", "255"}));
  Fields("0", "80", "", "", "", "");  // the red turns green, the greys stay
  EXPECT_EQ(frm.MatchText(), "1 of 257 entries in 2 tables will change");
  QTest::mouseClick(&frm.btnStart, Qt::LeftButton);
  EXPECT_EQ(frm.Document().GlobalMap().ReadEntry(0), gif::TColor(0x00FF00));
  frm.EditTables("Nothing", [] {});
  EXPECT_EQ(frm.History().count(), 2);
}

TEST_F(FrameTables, AMenuOfManyTablesListsThoseAroundTheShownOne) {
  gif::TGIFImage doc;
  doc.Header().Screen.ScreenWidth = doc.Header().Screen.ScreenHeight = 1;
  for (int f = 0; f < 40; ++f) {
    auto frame = std::make_unique<gif::TGIFSubImage>(&doc);
    frame->Descriptor = gif::TImageDescriptor{0x2C, 0, 0, 1, 1, 0};
    frame->AllocatePixels();
    frame->LocalMap().AppendEntry(gif::TColor(f));
    frame->LocalMap().AppendEntry(0);
    doc.Frames().Append(std::move(frame));
  }
  const QString path = apptest::TempDir() + "/forty.gif";
  doc.SaveFile(QFile::encodeName(path).toStdString());
  Open(path);
  const auto listed = [&] { return MenuTexts(frm.mnuColorTable); };
  ASSERT_EQ(listed().size(), app::TTableChoice::MenuLimit);
  EXPECT_EQ(listed().front(), "Frame 1 (2 colours)*");
  // Picking an entry near the end of the list moves the list with it.
  frm.mnuColorTable.actions()[15]->trigger();
  EXPECT_EQ(frm.ShownMap(), &frm.Document().Frames().Frame(15).LocalMap());
  EXPECT_EQ(listed().front(), "Frame 8 (2 colours)");
  EXPECT_EQ(listed()[8], "Frame 16 (2 colours)*");
  frm.ShowTable(39);
  EXPECT_EQ(listed().back(), "Frame 40 (2 colours)*");
  EXPECT_EQ(listed().size(), app::TTableChoice::MenuLimit);
}
