// Files with frame tables in the main window: choosing the table, Start over
// every table (checked against the passes run on each table alone), exact
// colours by double-click, and undo of all of it.
#include <gtest/gtest.h>
#include <QTest>

#include "AppTestSupport.h"
#include "edit/ColorTables.h"
#include "edit/Recolour.h"
#include "gif/GIFImage.h"

using apptest::Rgb;

namespace {

std::vector<gif::TColor> Entries(gif::TGIFColorMap& map) {
  std::vector<gif::TColor> out;
  for (int i = 0; i < map.EntryCount(); ++i) out.push_back(map.ReadEntry(i));
  return out;
}

// Every table of a document, the global one first, then each frame's.
std::vector<std::vector<gif::TColor>> AllTables(gif::TGIFImage& doc) {
  std::vector<std::vector<gif::TColor>> out{Entries(doc.GlobalMap())};
  for (int i = 0; i < doc.Frames().Count(); ++i)
    out.push_back(Entries(doc.Frames().Frame(i).LocalMap()));
  return out;
}

std::vector<std::vector<uint8_t>> AllPixels(const gif::TGIFImage& doc) {
  std::vector<std::vector<uint8_t>> out;
  for (int i = 0; i < doc.Frames().Count(); ++i) {
    const gif::TGIFSubImage& frame = doc.Frames().Frame(i);
    out.emplace_back(frame.PixelData(), frame.PixelData() + frame.PixelDataSize());
  }
  return out;
}

QStringList MenuTexts(QMenu& menu) {
  QStringList texts;
  for (QAction* a : menu.actions()) texts << a->text() + (a->isChecked() ? "*" : "");
  return texts;
}

class FrameTables : public apptest::TWindowDriver {
 protected:
  void TearDown() override {
    TWindowDriver::TearDown();
    EXPECT_TRUE(errorBoxes.isEmpty()) << errorBoxes.join("|").toStdString();
    EXPECT_TRUE(cancelBoxes.isEmpty()) << cancelBoxes.join("|").toStdString();
    frm.actRecolourAll.setChecked(true);  // the remembered default for the next test
  }
  void DoubleClick(int index) {
    QTest::mouseDClick(&frm.imgColorMap, Qt::LeftButton, {},
                       QPoint((index % 16) * 18 + 8, (index / 16) * 18 + 8));
  }
};

const QString HighColour =
    QStringLiteral(TINTWELL_CORPUS_DIR "/deb-gdkpixbuf-suite/high-color.gif");

}  // namespace

TEST_F(FrameTables, StartOverEveryTableMatchesThePassesTableByTableAndKeepsThePixels) {
  // Four frames, each with its own 256-entry table and no global table.
  Open(HighColour);
  ASSERT_TRUE(frm.Loaded());
  EXPECT_EQ(MenuTexts(frm.mnuColorTable),
            QStringList({"Frame 1 (256 colours)*", "Frame 2 (256 colours)", "Frame 3 (256 colours)",
                         "Frame 4 (256 colours)"}));
  EXPECT_EQ(frm.TableText(), "Frame 1 (256 colours)");
  ASSERT_EQ(frm.ShownMap(), &frm.Document().Frames().Frame(0).LocalMap());

  // The reference: the passes run on each table of a second copy, one by one.
  gif::TGIFImage reference;
  reference.LoadFile(HighColour.toStdString());
  const auto original = AllTables(reference);
  edit::TRecolourRequest request;
  request.FromH = "120";
  request.ToH = "0";
  request.FromL = "100";
  request.ToL = "140";
  request.Tolerance = [] { return 30; };
  int changed = 0;
  for (int i = 0; i < reference.Frames().Count(); ++i) {
    gif::TGIFColorMap& map = reference.Frames().Frame(i).LocalMap();
    const std::vector<gif::TColor> before = Entries(map);
    ASSERT_EQ(edit::Recolour(map, request), edit::TRecolourResult::Finished);
    for (int e = 0; e < map.EntryCount(); ++e) changed += map.ReadEntry(e) != before[e];
  }
  const auto expected = AllTables(reference);
  ASSERT_GT(changed, 0);
  ASSERT_LT(changed, 1024);

  // The preview on the last frame, which covers a quarter of the screen.
  frm.actPreview.trigger();
  frm.Preview()->ShowFrame(3);
  const gif::TGIFSubImage& last = frm.Document().Frames().Frame(3);
  const int left = last.Descriptor.Left, top = last.Descriptor.Top;

  Fields("120", "0", "", "", "100", "140", 30);
  EXPECT_EQ(frm.MatchText(), QString("%1 of 1,024 entries in 4 tables will change").arg(changed));
  QTest::mouseClick(&frm.btnStart, Qt::LeftButton);
  EXPECT_EQ(AllTables(frm.Document()), expected);
  EXPECT_EQ(frm.History().count(), 1);
  // The preview draws the last frame through its own, changed, table: a pixel
  // whose entry Start changed shows the new colour.
  std::size_t at = 0;
  while (at < last.PixelDataSize() &&
         expected[4][last.PixelData()[at]] == original[4][last.PixelData()[at]])
    ++at;
  ASSERT_LT(at, last.PixelDataSize());
  const gif::TColor shown = expected[4][last.PixelData()[at]];
  const int width = last.Descriptor.Width;
  EXPECT_EQ(frm.Preview()->Frame().pixel(left + int(at) % width, top + int(at) / width),
            qRgb(shown & 0xFF, (shown >> 8) & 0xFF, shown >> 16));

  // Saved and read back: the new tables, the very same pixel bytes.
  answers.push_back(apptest::TempDir() + "/high-color-recoloured.gif");
  frm.actSaveAs.trigger();
  gif::TGIFImage saved;
  saved.LoadFile((apptest::TempDir() + "/high-color-recoloured.gif").toStdString());
  EXPECT_EQ(AllTables(saved), expected);
  EXPECT_EQ(AllPixels(saved), AllPixels(reference));

  // One Undo puts every table back exactly; Redo makes the same change again.
  frm.actUndo.trigger();
  EXPECT_EQ(AllTables(frm.Document()), original);
  frm.actRedo.trigger();
  EXPECT_EQ(AllTables(frm.Document()), expected);
  frm.actRevert.trigger();  // to the tables as saved: nothing to do
  EXPECT_EQ(frm.History().count(), 1);
}

TEST_F(FrameTables, RecolourEveryTableOffChangesTheShownTableAloneAndIsRemembered) {
  Open(HighColour);
  frm.actRecolourAll.setChecked(false);
  {
    app::TfrmMain again;
    EXPECT_FALSE(again.actRecolourAll.isChecked());
  }
  frm.mnuColorTable.actions()[2]->trigger();
  EXPECT_EQ(MenuTexts(frm.mnuColorTable)[2], "Frame 3 (256 colours)*");
  EXPECT_EQ(frm.TableText(), "Frame 3 (256 colours)");
  gif::TGIFColorMap& third = frm.Document().Frames().Frame(2).LocalMap();
  ASSERT_EQ(frm.ShownMap(), &third);
  EXPECT_EQ(Swatch(7), QColor::fromRgb(third.ReadEntry(7) & 0xFF, (third.ReadEntry(7) >> 8) & 0xFF,
                                       third.ReadEntry(7) >> 16));

  const auto before = AllTables(frm.Document());
  Fields("0", "120", "", "", "", "", 100);
  EXPECT_TRUE(frm.MatchText().endsWith(" of 256 entries will change"))
      << frm.MatchText().toStdString();
  QTest::mouseClick(&frm.btnStart, Qt::LeftButton);
  const auto after = AllTables(frm.Document());
  for (std::size_t t = 0; t < after.size(); ++t)
    EXPECT_EQ(after[t] != before[t], t == 3) << "table " << t;  // [0] is the global one
}

TEST_F(FrameTables, DoubleClickSetsTheExactColourAsOneStep) {
  const std::vector<Rgb> colours = {{201, 13, 13}, {10, 200, 30}, {173, 9, 9}, {40, 50, 211}};
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
  EXPECT_EQ(ReadOut(), QStringList({"7", "130", "251"}) + ReadOut().mid(3));
  EXPECT_EQ(frm.History().count(), 1);
  frm.actUndo.trigger();
  EXPECT_EQ(Table(), apptest::TableBytes(colours));

  // Cancel, the same colour, and a point past the table's end change nothing.
  answer = QColor();
  DoubleClick(2);
  answer = QColor(173, 9, 9);
  DoubleClick(2);
  DoubleClick(4);
  EXPECT_EQ(asked.size(), 3);
  EXPECT_EQ(Table(), apptest::TableBytes(colours));
  EXPECT_FALSE(frm.actUndo.isEnabled());
}

TEST_F(FrameTables, AFileWithoutTablesLeavesGridStartAndDoubleClickQuiet) {
  Open(Gif("no-table.gif", {}));
  ASSERT_TRUE(frm.Loaded());
  EXPECT_EQ(frm.ShownMap(), nullptr);
  EXPECT_TRUE(frm.mnuColorTable.actions().isEmpty());
  EXPECT_FALSE(frm.mnuColorTable.isEnabled());
  frm.ShowColorDialog = [](const QColor&) {
    ADD_FAILURE() << "no dialog without a table";
    return QColor();
  };
  Fields("0", "", "", "", "", "");  // Start would ask for the To hue if it ran
  Hover(8, 8);
  DoubleClick(0);
  QTest::mouseClick(&frm.btnStart, Qt::LeftButton);
  EXPECT_EQ(frm.MatchText(), "");
  EXPECT_EQ(frm.History().count(), 0);
  EXPECT_EQ(frm.imgColorMap.Picture().pixelColor(8, 8), app::TPaletteSurface::Background());
}

TEST_F(FrameTables, TablesOf2And256EntriesAndEditsThatResizeATableUndoExactly) {
  gif::TGIFImage doc;
  doc.Header().Screen.ScreenWidth = 2;
  doc.Header().Screen.ScreenHeight = 1;
  doc.GlobalMap().AppendEntry(0x0000FF);
  doc.GlobalMap().AppendEntry(0x00FF00);
  for (int i = 0; i < 2; ++i) {
    auto frame = std::make_unique<gif::TGIFSubImage>(&doc);
    frame->Descriptor = gif::TImageDescriptor{0x2C, 0, 0, 2, 1, 0};
    frame->AllocatePixels();
    frame->PixelData()[1] = 1;
    if (i == 1)
      for (int e = 0; e < 256; ++e) frame->LocalMap().AppendEntry(gif::TColor(e * 0x010101));
    doc.Frames().Append(std::move(frame));
  }
  const QString path = apptest::TempDir() + "/two-and-256.gif";
  doc.SaveFile(QFile::encodeName(path).toStdString());
  Open(path);
  EXPECT_EQ(MenuTexts(frm.mnuColorTable),
            QStringList({"Global (2 colours)*", "Frame 2 (256 colours)"}));

  frm.mnuColorTable.actions()[1]->trigger();
  Hover(15 * 18 + 8, 15 * 18 + 8);
  EXPECT_EQ(ReadOut().mid(0, 3), QStringList({"255", "255", "255"}));
  EXPECT_EQ(Swatch(200), QColor(200, 200, 200));

  // Start over both: the red of the global table turns green, the greys stay.
  Fields("0", "80", "", "", "", "");
  EXPECT_EQ(frm.MatchText(), "1 of 258 entries in 2 tables will change");
  QTest::mouseClick(&frm.btnStart, Qt::LeftButton);
  EXPECT_EQ(frm.Document().GlobalMap().ReadEntry(0), gif::TColor(0x00FF00));

  // An edit that grows the first frame's missing table and shrinks the global
  // one is one step, and Undo gives back both sizes and every entry.
  const auto before = AllTables(frm.Document());
  frm.EditTables("Resize", [this] {
    frm.Document().Frames().Frame(0).LocalMap().AppendEntry(0x123456);
    frm.Document().GlobalMap().RemoveEntry(1);
  });
  EXPECT_EQ(frm.History().count(), 2);
  EXPECT_EQ(MenuTexts(frm.mnuColorTable),
            QStringList({"Global (1 colour)", "Frame 1 (1 colour)", "Frame 2 (256 colours)*"}));
  const auto resized = AllTables(frm.Document());
  frm.actUndo.trigger();
  EXPECT_EQ(AllTables(frm.Document()), before);
  frm.actRedo.trigger();
  EXPECT_EQ(AllTables(frm.Document()), resized);
  frm.EditTables("Nothing", [] {});
  EXPECT_EQ(frm.History().count(), 2);
}
