// The main window driven as a user would: layout, opening files, reading
// swatches, typing into the fields, Start, saving, and the About window.
#include "app/MainUnit.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QTest>
#include <QTimer>
#include <deque>

#include "../gif/GifBytes.h"
#include "AppTestSupport.h"
#include "app/Application.h"

using apptest::Rgb;

namespace {

class MainWindow : public apptest::TWindowDriver {};

QStringList Texts(std::initializer_list<const char*> texts) {
  QStringList list;
  for (const char* t : texts) list << QString::fromLatin1(t);
  return list;
}

}  // namespace

TEST_F(MainWindow, HasTheFixedClientAreaAndEveryControlInsideIt) {
  EXPECT_EQ(frm.windowTitle(), "Tintwell");
  EXPECT_EQ(frm.size(), QSize(676, 383));
  EXPECT_EQ(frm.minimumSize(), frm.maximumSize());
  EXPECT_FALSE(frm.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(frm.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(frm.windowIcon().isNull());
  EXPECT_EQ(frm.font().pixelSize(), 11);

  // Menu bar, tool bar and status bar take the full width at the edges, the
  // grid surface fills its panel, and every edit field is 21 pixels high and
  // lies inside the client area between the tool bar and the status bar.
  EXPECT_EQ(frm.ActionMainMenuBar1.geometry(), QRect(0, 0, 676, 24));
  EXPECT_EQ(frm.stbMain.geometry().bottom(), frm.height() - 1);
  EXPECT_EQ(frm.imgColorMap.size(), QSize(288, 288));
  const QRect free(0, frm.CoolBar1.geometry().bottom() + 1, frm.width(),
                   frm.stbMain.y() - frm.CoolBar1.geometry().bottom() - 1);
  for (QLineEdit* e : frm.findChildren<QLineEdit*>()) {
    const QRect at(e->mapTo(&frm, QPoint(0, 0)), e->size());
    EXPECT_EQ(e->height(), 21) << e->text().toStdString();
    EXPECT_TRUE(free.contains(at)) << at.x() << "," << at.y();
  }
  EXPECT_FALSE(frm.Panel1.geometry().intersects(frm.GroupBox1.geometry()));
  EXPECT_FALSE(frm.GroupBox1.geometry().intersects(frm.GroupBox2.geometry()));

  // Read-outs are read-only, the From/To fields are not, and no edit field is
  // reached with Tab.
  for (QLineEdit* e :
       {&frm.edtSignature, &frm.edtScrnWidth, &frm.edtBPP, &frm.edtR, &frm.edtS, &frm.edtTolerance})
    EXPECT_TRUE(e->isReadOnly());
  for (QLineEdit* e :
       {&frm.edtFromH, &frm.edtFromL, &frm.edtFromS, &frm.edtToH, &frm.edtToL, &frm.edtToS}) {
    EXPECT_FALSE(e->isReadOnly());
    EXPECT_FALSE(e->focusPolicy() & Qt::TabFocus);
  }
  EXPECT_EQ(frm.edtTolerance.text(), "0");
}

TEST_F(MainWindow, TabOrderFollowsTheLayout) {
  const QList<QWidget*> expected = {
      &frm.edtSignature,  &frm.edtScrnWidth, &frm.edtScrnHeight, &frm.edtColorRes, &frm.edtBPP,
      &frm.edtBackground, &frm.edtB,         &frm.edtG,          &frm.edtR,        &frm.edtH,
      &frm.edtS,          &frm.edtL,         &frm.edtFromH,      &frm.edtFromL,    &frm.edtFromS,
      &frm.edtTolerance,  &frm.udTolerance,  &frm.edtToH,        &frm.edtToL,      &frm.edtToS,
      &frm.btnStart};
  QList<QWidget*> chain;
  for (QWidget* w = frm.edtSignature.nextInFocusChain();
       chain.size() < 200 && w != &frm.edtSignature; w = w->nextInFocusChain())
    if (expected.contains(w)) chain << w;
  chain.prepend(&frm.edtSignature);
  EXPECT_EQ(chain, expected);
}

TEST_F(MainWindow, ActionsMenusAndToolBarMatchTheCommands) {
  struct Expected {
    QAction* action;
    const char* category;
    const char* caption;
    const char* hint;
    int image;
    QKeySequence shortcut;
  };
  const Expected table[] = {
      {&frm.actOpen, "File", "Open File...", "Open GIF File", 0, QKeySequence("Ctrl+O")},
      {&frm.actSave, "File", "Save File", "Save Current File", 1, QKeySequence("Ctrl+S")},
      {&frm.actSaveAs, "File", "Save File As...", "Save File As", 2, QKeySequence()},
      {&frm.actExportPalette, "File", "Export Palette...",
       "Save the shown colour table as a palette file", -1, QKeySequence()},
      {&frm.actImportPalette, "File", "Import Palette...",
       "Replace the shown colour table's colours with a palette file's", -1, QKeySequence()},
      {&frm.actExit, "File", "Exit", "Exit Tintwell", -1, QKeySequence()},
      {&frm.actAbout, "Help", "About", "About Tintwell", 3, QKeySequence()},
      {&frm.actRecolourAll, "Edit", "Recolour Every Table",
       "Start recolours the global table and every frame's table", -1, QKeySequence()}};
  for (const Expected& e : table) {
    SCOPED_TRACE(e.caption);
    EXPECT_EQ(QString(e.action->text()).remove(QLatin1Char('&')), e.caption);
    EXPECT_EQ(e.action->toolTip(), e.hint);
    EXPECT_EQ(e.action->property("Category").toString(), e.category);
    EXPECT_EQ(e.action->property("ImageIndex").toInt(), e.image);
    EXPECT_EQ(e.action->icon().isNull(), e.image < 0);
    EXPECT_EQ(e.action->shortcut(), e.shortcut);
  }

  const QList<QAction*> menus = frm.ActionMainMenuBar1.actions();
  ASSERT_EQ(menus.size(), 5);
  EXPECT_EQ(menus[0]->text(), "&File");
  EXPECT_EQ(menus[1]->text(), "&Edit");
  EXPECT_EQ(menus[2]->text(), "&View");
  EXPECT_EQ(menus[3]->text(), "&Palette");
  EXPECT_EQ(menus[4]->text(), "&Help");
  QStringList edit;
  for (QAction* a : frm.mnuEdit.actions()) edit << (a->isSeparator() ? "-" : a->text());
  EXPECT_EQ(edit, Texts({"&Undo", "&Redo", "-", "Re&vert to Saved", "-", "Recolour &Every Table",
                         "-", "Select &Matching"}));
  EXPECT_TRUE(frm.actRecolourAll.isCheckable());
  ASSERT_EQ(frm.mnuView.actions().size(), 4);
  EXPECT_EQ(frm.mnuView.actions()[0], &frm.actPreview);
  EXPECT_EQ(frm.mnuView.actions()[3]->text(), "Mark &Unused Entries");
  QStringList tables, palette;
  for (QAction* a : frm.mnuColorTable.actions()) tables << (a->isSeparator() ? "-" : a->text());
  EXPECT_EQ(tables, Texts({"-", "Choose Colour &Table...", "&Previous Table", "&Next Table",
                           "&Follow the Preview's Frame"}));
  for (QAction* a : frm.PaletteCommands().mnuPalette.actions())
    palette << (a->isSeparator() ? "-" : a->text());
  EXPECT_EQ(palette, Texts({"&Adjust Hue, Saturation and Lightness...", "Make &Ramp", "-",
                            "Sort &By", "Remove Unused Entries", "Merge Duplicate Colours", "-",
                            "Set Transparent Entry", "No Transparency"}));
  EXPECT_EQ(frm.mnuView.actions()[1], frm.mnuColorTable.menuAction());
  EXPECT_EQ(frm.mnuColorTable.title(), "Colour &Table");
  QStringList file;
  for (QAction* a : frm.mnuFile.actions()) file << (a->isSeparator() ? "-" : a->text());
  EXPECT_EQ(file, Texts({"&Open File...", "Open &Recent", "&Save File", "S&ave File As...", "-",
                         "E&xport Palette...", "&Import Palette...", "-", "&Exit"}));
  EXPECT_EQ(frm.mnuFile.actions()[1]->menu(), &frm.Keeper().mnuRecent);
  ASSERT_EQ(frm.mnuHelp.actions().size(), 1);
  EXPECT_EQ(frm.mnuHelp.actions()[0]->text(), "&About");

  QList<QAction*> bar = frm.ActionToolBar1.actions();
  ASSERT_EQ(bar.size(), 8);
  EXPECT_EQ(bar[0], &frm.actOpen);
  EXPECT_TRUE(bar[1]->isSeparator());
  EXPECT_EQ(bar[2], &frm.actSave);
  EXPECT_EQ(bar[3], &frm.actSaveAs);
  EXPECT_TRUE(bar[4]->isSeparator());
  EXPECT_EQ(bar[5], &frm.actAbout);
  EXPECT_TRUE(bar[6]->isSeparator());
  EXPECT_EQ(bar[7], &frm.actPreview);
  EXPECT_EQ(frm.ActionToolBar1.toolButtonStyle(), Qt::ToolButtonIconOnly);

  EXPECT_EQ(frm.dlgOpen.Title, "Please select a file");
  EXPECT_EQ(frm.dlgOpen.Filter, "GIF files (*.gif)|*.gif|All files (*.*)|*.*");
  EXPECT_EQ(frm.dlgSave.Filter, frm.dlgOpen.Filter);
  EXPECT_EQ(frm.dlgOpen.DefaultExt, "gif");
  EXPECT_EQ(frm.dlgSave.DefaultExt, "gif");
  EXPECT_TRUE(frm.dlgSave.Title.isEmpty());
}

TEST_F(MainWindow, CtrlOShowsTheOpenDialog) {
  QTest::keyClick(&frm, Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(openDialogs, Texts({"Please select a file"}));
  EXPECT_FALSE(frm.Loaded());  // cancelled
}

TEST_F(MainWindow, OpenShowsTheHeaderAndPaintsTheGrid) {
  const QString path = Gif("open16.gif", apptest::DistinctColours(16), true);
  Open(path);
  EXPECT_TRUE(errorBoxes.isEmpty()) << errorBoxes.join("; ").toStdString();
  EXPECT_TRUE(frm.Loaded());
  EXPECT_EQ(frm.FileName(), path);
  EXPECT_EQ(frm.StatusText(), path);
  EXPECT_EQ(frm.edtSignature.text(), "GIF89A");
  EXPECT_EQ(frm.edtScrnWidth.text(), "1");
  EXPECT_EQ(frm.edtScrnHeight.text(), "1");
  EXPECT_EQ(frm.edtColorRes.text(), "3");
  EXPECT_EQ(frm.edtBPP.text(), "4");
  EXPECT_EQ(frm.edtBackground.text(), "0");
  for (int i = 0; i < 16; ++i) {
    const Rgb c = apptest::DistinctColours(16)[std::size_t(i)];
    EXPECT_EQ(Swatch(i), QColor(c.r, c.g, c.b)) << i;
  }
  // The second row and the gaps keep the background.
  EXPECT_EQ(Swatch(16), app::TPaletteSurface::Background());
  EXPECT_EQ(frm.imgColorMap.Picture().pixelColor(16, 5), app::TPaletteSurface::Background());

  Open(Gif("open87.gif", {{1, 2, 3}, {4, 5, 6}}));
  EXPECT_EQ(frm.edtSignature.text(), "GIF87A");
}

TEST_F(MainWindow, HoverReadsTheSwatchUnderThePointer) {
  std::vector<Rgb> colours = apptest::DistinctColours(32);
  colours[1] = {255, 0, 0};
  colours[16] = {128, 128, 128};
  Open(Gif("hover.gif", colours));
  ASSERT_TRUE(frm.Loaded());

  Hover(17, 0);  // gap right of the first swatch: entry 0
  EXPECT_EQ(ReadOut()[0], QString::number(colours[0].r));
  EXPECT_EQ(ReadOut()[1], QString::number(colours[0].g));
  Hover(18, 0);  // entry 1, pure red
  EXPECT_EQ(ReadOut(), Texts({"255", "0", "0", "0", "120", "240"}));
  Hover(0, 18);  // entry 16, mid grey
  EXPECT_EQ(ReadOut(), Texts({"128", "128", "128", "160", "121", "0"}));
  // Beyond the palette the map answers entry 0.
  Hover(100, 200);
  EXPECT_EQ(ReadOut()[2], QString::number(colours[0].b));
  EXPECT_TRUE(errorBoxes.isEmpty());
}

TEST_F(MainWindow, AnyButtonCopiesHueLightnessAndSaturationIntoFrom) {
  std::vector<Rgb> colours = apptest::DistinctColours(4);
  colours[1] = {255, 0, 0};
  colours[2] = {128, 128, 128};
  Open(Gif("click.gif", colours));
  frm.edtToH.setText("7");
  frm.udTolerance.SetPosition(3);
  QTest::mouseClick(&frm.imgColorMap, Qt::RightButton, {}, QPoint(20, 3));
  EXPECT_EQ(frm.edtFromH.text(), "0");
  EXPECT_EQ(frm.edtFromL.text(), "120");
  EXPECT_EQ(frm.edtFromS.text(), "240");
  QTest::mouseClick(&frm.imgColorMap, Qt::LeftButton, Qt::ShiftModifier, QPoint(40, 3));
  EXPECT_EQ(frm.edtFromH.text(), "160");
  EXPECT_EQ(frm.edtFromL.text(), "121");
  EXPECT_EQ(frm.edtFromS.text(), "0");
  QTest::mouseClick(&frm.imgColorMap, Qt::MiddleButton, {}, QPoint(20, 3));
  EXPECT_EQ(frm.edtFromH.text(), "0");
  EXPECT_EQ(frm.edtToH.text(), "7");
  EXPECT_EQ(frm.edtTolerance.text(), "3");
}

TEST_F(MainWindow, BeforeAnyFileHoverClickAndStartDoNothing) {
  Hover(18, 0);
  QTest::mouseClick(&frm.imgColorMap, Qt::LeftButton, {}, QPoint(20, 3));
  frm.edtFromH.setText("0");
  frm.edtToH.setText("80");
  QTest::mouseClick(&frm.btnStart, Qt::LeftButton);
  EXPECT_EQ(ReadOut(), Texts({"", "", "", "", "", ""}));
  EXPECT_EQ(frm.edtFromH.text(), "0");
  EXPECT_TRUE(errorBoxes.isEmpty());
  EXPECT_TRUE(cancelBoxes.isEmpty());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindow, EmptyGlobalTableFillsFieldsButGridAndPointerStayQuiet) {
  Open(apptest::WriteTempFile("notable.gif", apptest::SinglePixelGif({}, false, 3, 2, 5)));
  ASSERT_TRUE(frm.Loaded()) << errorBoxes.join("; ").toStdString();
  EXPECT_EQ(frm.edtScrnWidth.text(), "3");
  EXPECT_EQ(frm.edtScrnHeight.text(), "2");
  EXPECT_EQ(frm.edtBackground.text(), "5");
  EXPECT_EQ(Swatch(0), app::TPaletteSurface::Background());
  Hover(5, 5);
  QTest::mouseClick(&frm.imgColorMap, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_TRUE(errorBoxes.isEmpty()) << errorBoxes.join("; ").toStdString();
  EXPECT_EQ(frm.edtFromH.text(), "");
}

TEST_F(MainWindow, SmallerPaletteAfterALargerOneLeavesNoOldSwatches) {
  Open(Gif("big.gif", apptest::DistinctColours(256)));
  EXPECT_EQ(Swatch(255), QColor(255, 0, (255 * 7) & 0xFF));
  Open(Gif("small.gif", {{9, 9, 9}, {8, 8, 8}, {7, 7, 7}, {6, 6, 6}}));
  EXPECT_EQ(Swatch(3), QColor(6, 6, 6));
  EXPECT_EQ(Swatch(4), app::TPaletteSurface::Background());
  EXPECT_EQ(Swatch(255), app::TPaletteSurface::Background());
}

TEST_F(MainWindow, FailedOpenLeavesTheWindowAsItWas) {
  const QString good = Gif("good.gif", apptest::DistinctColours(8), true);
  Open(good);
  ASSERT_TRUE(frm.Loaded());
  const QImage grid = frm.imgColorMap.Picture();
  const QString width = frm.edtScrnWidth.text();

  const std::vector<uint8_t> junk = {'n', 'o', 't', ' ', 'a', ' ', 'g',
                                     'i', 'f', '!', '!', '!', '!'};
  const QString bad = apptest::WriteTempFile("bad.gif", junk);
  Open(bad);
  ASSERT_EQ(errorBoxes.size(), 1);
  EXPECT_TRUE(errorBoxes[0].endsWith('.'));
  EXPECT_EQ(frm.StatusText(), good);
  EXPECT_EQ(frm.FileName(), good);
  EXPECT_EQ(frm.edtScrnWidth.text(), width);
  EXPECT_EQ(frm.imgColorMap.Picture(), grid);
  EXPECT_EQ(frm.Document().GlobalMap().EntryCount(), 8);

  // A missing file fails the same way, naming the file.
  Open(apptest::TempDir() + "/missing.gif");
  ASSERT_EQ(errorBoxes.size(), 2);
  EXPECT_TRUE(errorBoxes[1].startsWith("Cannot open file")) << errorBoxes[1].toStdString();
  EXPECT_TRUE(errorBoxes[1].contains("missing.gif"));

  // Save after the failures writes the good document to the good file and
  // leaves the file that failed alone.
  frm.actSave.trigger();
  EXPECT_EQ(errorBoxes.size(), 2);
  EXPECT_EQ(apptest::ReadFileBytes(bad), junk);
  gif::TGIFImage reread;
  reread.LoadFile(good.toStdString());
  EXPECT_EQ(reread.GlobalMap().EntryCount(), 8);
}

TEST_F(MainWindow, HostileFilesAndRefusedSavesShowTheirErrorAndKeepTheDocument) {
  using namespace giftest;
  // A 2-entry table and a pixel of index 3: it loads, but cannot be saved.
  const Bytes pastTable =
      Concat({Header(1, 1), Descriptor(0, 0, 1, 1), ImageData(2, {4, 3, 5}), Bytes{0x3B}});
  const QString opened = apptest::WriteTempFile("past-table.gif", pastTable);
  Open(opened);
  ASSERT_TRUE(frm.Loaded());
  const QImage grid = frm.imgColorMap.Picture();
  const QString width = frm.edtScrnWidth.text();
  const QString huge = apptest::WriteTempFile(
      "huge.gif", Concat({Header(65535, 65535), Descriptor(0, 0, 65535, 65535),
                          ImageData(2, {4, 0, 5}), Bytes{0x3B}}));
  const QString folder = apptest::TempDir() + "/a-folder";
  ASSERT_TRUE(QDir().mkpath(folder));

  struct Step {
    std::function<void()> command;
    QString error;
  };
  const std::vector<Step> steps = {
      {[&] { Open(huge); },
       "Image of 65535 x 65535 pixels exceeds the limit of 268435456 pixels for one image."},
      {[&] { frm.actSave.trigger(); }, "Color not in color table."},
      {[&] {
         answers.push_back(folder);
         frm.actSaveAs.trigger();
       },
       "Cannot create file \"" + folder + "\". Is a directory."},
  };
  for (std::size_t i = 0; i < steps.size(); ++i) {
    steps[i].command();
    ASSERT_EQ(errorBoxes.size(), qsizetype(i + 1));
    EXPECT_EQ(errorBoxes.back(), steps[i].error);
    EXPECT_TRUE(frm.Loaded());
    EXPECT_EQ(frm.FileName(), opened);
    EXPECT_EQ(frm.edtScrnWidth.text(), width);
    EXPECT_EQ(frm.imgColorMap.Picture(), grid);
    EXPECT_EQ(frm.Document().Frames().Frame(0).PixelData()[0], 3);
    EXPECT_EQ(apptest::ReadFileBytes(opened), pastTable);
  }
}

TEST_F(MainWindow, SaveBeforeAnyOpenReportsCannotCreate) {
  frm.actSave.trigger();
  ASSERT_EQ(errorBoxes.size(), 1);
  EXPECT_TRUE(errorBoxes[0].startsWith("Cannot create file")) << errorBoxes[0].toStdString();
  EXPECT_TRUE(errorBoxes[0].endsWith('.'));
  EXPECT_FALSE(frm.Loaded());
  EXPECT_TRUE(frm.FileName().isEmpty());
}

TEST_F(MainWindow, SaveAsChangesTheFileNameOnlyAfterSuccess) {
  const QString opened = Gif("opened.gif", {{255, 0, 0}, {0, 0, 255}});
  Open(opened);
  const std::vector<uint8_t> original = apptest::ReadFileBytes(opened);

  // Cancelled: nothing happens.
  frm.actSaveAs.trigger();
  EXPECT_EQ(frm.FileName(), opened);
  // Failed: the name stays.
  answers.push_back(apptest::TempDir() + "/no/such/folder/x.gif");
  frm.actSaveAs.trigger();
  ASSERT_EQ(errorBoxes.size(), 1);
  EXPECT_TRUE(errorBoxes[0].startsWith("Cannot create file"));
  EXPECT_EQ(frm.FileName(), opened);

  const QString copy = apptest::TempDir() + "/copy.gif";
  answers.push_back(copy);
  frm.actSaveAs.trigger();
  EXPECT_EQ(errorBoxes.size(), 1);
  EXPECT_EQ(frm.FileName(), copy);
  EXPECT_EQ(frm.StatusText(), opened);

  // Save now writes the recoloured palette to the new name only.
  frm.edtFromH.setText("0");
  frm.edtToH.setText("80");
  QTest::mouseClick(&frm.btnStart, Qt::LeftButton);
  frm.actSave.trigger();
  EXPECT_EQ(apptest::ReadFileBytes(opened), original);
  gif::TGIFImage saved;
  saved.LoadFile(copy.toStdString());
  EXPECT_EQ(saved.GlobalMap().ReadEntry(0), apptest::ToTColor({0, 255, 0}));
  EXPECT_EQ(saved.GlobalMap().ReadEntry(1), apptest::ToTColor({0, 0, 255}));
}

TEST_F(MainWindow, FromToAndToleranceFieldsTakeOnlyDigits) {
  frm.activateWindow();
  for (QLineEdit* edit :
       {&frm.edtFromH, &frm.edtFromL, &frm.edtFromS, &frm.edtToH, &frm.edtToL, &frm.edtToS}) {
    edit->setFocus();
    QTest::keyClicks(edit, "1a- 2");
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Escape);
    QTest::keyClick(edit, Qt::Key_Exclam, Qt::ShiftModifier);
    EXPECT_EQ(edit->text(), "12") << edit->objectName().toStdString();
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), "1");
  }
  // Chords pass: select all, then a digit replaces the text.
  QTest::keyClick(&frm.edtToS, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(&frm.edtToS, Qt::Key_9);
  EXPECT_EQ(frm.edtToS.text(), "9");
  // Pasting is not filtered.
  QApplication::clipboard()->setText("-4x");
  frm.edtToL.clear();
  QTest::keyClick(&frm.edtToL, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(frm.edtToL.text(), "-4x");

  QChar typed('7');
  frm.blockNonDigit(&frm.edtFromH, typed);
  EXPECT_EQ(typed, QChar('7'));
  for (char16_t c : {u'a', u'/', u':', u'\r', u'\x1b', u'\t', u'\x16', u'\x7f'}) {
    QChar key(c);
    frm.blockNonDigit(&frm.edtFromH, key);
    EXPECT_TRUE(key.isNull()) << int(c);
  }
  QChar backspace(u'\b');
  frm.blockNonDigit(&frm.edtFromH, backspace);
  EXPECT_EQ(backspace, QChar(u'\b'));
}

TEST_F(MainWindow, StartRecoloursAndRepaintsTheGrid) {
  Open(Gif("start.gif", {{255, 0, 0}, {128, 128, 128}}));
  frm.edtFromH.setText("0");
  frm.edtToH.setText("80");
  QTest::mouseClick(&frm.btnStart, Qt::LeftButton);
  EXPECT_TRUE(cancelBoxes.isEmpty());
  EXPECT_EQ(frm.Document().GlobalMap().ReadEntry(0), apptest::ToTColor({0, 255, 0}));
  EXPECT_EQ(frm.Document().GlobalMap().ReadEntry(1), apptest::ToTColor({128, 128, 128}));
  EXPECT_EQ(Swatch(0), QColor(0, 255, 0));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindow, StartWithToHue241StopsWithoutRefresh) {
  Open(Gif("stop.gif", {{255, 0, 0}, {0, 0, 255}}));
  frm.edtFromH.setText("0");
  frm.edtToH.setText("241");
  frm.edtFromS.setText("240");
  frm.edtToS.setText("0");
  QTest::mouseClick(&frm.btnStart, Qt::LeftButton);
  EXPECT_EQ(cancelBoxes, Texts({"Hue must be less than 240"}));
  EXPECT_EQ(frm.Document().GlobalMap().ReadEntry(0), apptest::ToTColor({255, 0, 0}));
  EXPECT_EQ(frm.Document().GlobalMap().ReadEntry(1), apptest::ToTColor({0, 0, 255}));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // A valid hue pass followed by To saturation 300: the document changed, the
  // grid still shows the old colour.
  cancelBoxes.clear();
  frm.edtToH.setText("80");
  frm.edtToS.setText("300");
  QTest::mouseClick(&frm.btnStart, Qt::LeftButton);
  EXPECT_EQ(cancelBoxes, Texts({"Saturation must be less than 240"}));
  EXPECT_EQ(frm.Document().GlobalMap().ReadEntry(0), apptest::ToTColor({0, 255, 0}));
  EXPECT_EQ(Swatch(0), QColor(255, 0, 0));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // A skipped hue, then the stop: both boxes in the order the passes come, and
  // the lightness pass after the stop never runs.
  cancelBoxes.clear();
  const gif::TColor before = frm.Document().GlobalMap().ReadEntry(0);
  frm.edtToH.clear();
  frm.edtFromL.setText("120");
  frm.edtToL.setText("0");
  QTest::mouseClick(&frm.btnStart, Qt::LeftButton);
  EXPECT_EQ(cancelBoxes, Texts({"Please enter new Hue", "Saturation must be less than 240"}));
  EXPECT_EQ(frm.Document().GlobalMap().ReadEntry(0), before);
}

TEST_F(MainWindow, StartWithEmptyToHueShowsItsBoxAndRunsTheLaterPasses) {
  Open(Gif("tohue.gif", {{255, 0, 0}}));
  frm.edtFromH.setText("0");
  frm.edtFromS.setText("240");
  frm.edtToS.setText("0");
  QTest::mouseClick(&frm.btnStart, Qt::LeftButton);
  EXPECT_EQ(cancelBoxes, Texts({"Please enter new Hue"}));
  EXPECT_EQ(frm.Document().GlobalMap().ReadEntry(0), apptest::ToTColor({128, 128, 128}));
  EXPECT_EQ(Swatch(0), QColor(128, 128, 128));  // refreshed
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindow, StartUsesTheTolerance) {
  std::vector<Rgb> colours = {apptest::HLSToRgb(10, 120, 240), apptest::HLSToRgb(30, 120, 240)};
  Open(Gif("tolerance.gif", colours));
  frm.edtFromH.setText("0");
  frm.edtToH.setText("160");
  for (int i = 0; i < 12; ++i) QTest::mouseClick(frm.udTolerance.UpButton(), Qt::LeftButton);
  EXPECT_EQ(frm.edtTolerance.text(), "12");
  QTest::mouseClick(&frm.btnStart, Qt::LeftButton);
  EXPECT_EQ(Swatch(0), QColor(0, 0, 255));
  EXPECT_EQ(Swatch(1), QColor(colours[1].r, colours[1].g, colours[1].b));
}

TEST_F(MainWindow, AboutShowsModallyAgainAndAgain) {
  int shown = 0;
  QList<int> results;
  frm.ShowModal = [&](QDialog& dialog) {
    ++shown;
    // Close the real modal window from inside its own loop.
    QTimer::singleShot(0, &dialog, [&dialog] {
      EXPECT_TRUE(dialog.isVisible());
      EXPECT_TRUE(dialog.isModal());
      QTest::mouseClick(&static_cast<app::TfrmAbout&>(dialog).btnOK, Qt::LeftButton);
    });
    results << dialog.exec();
    return results.back();
  };
  frm.actAbout.trigger();
  ASSERT_NE(frm.AboutWindow(), nullptr);
  app::TfrmAbout* first = frm.AboutWindow();
  EXPECT_TRUE(first->isHidden());
  frm.actAbout.trigger();
  EXPECT_EQ(frm.AboutWindow(), first);  // hidden, not destroyed
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(results, QList<int>({QDialog::Accepted, QDialog::Accepted}));

  // Closing through the title bar ends the showing with Cancel.
  frm.ShowModal = [&](QDialog& dialog) {
    QTimer::singleShot(0, &dialog, [&dialog] { dialog.close(); });
    return dialog.exec();
  };
  int result = -1;
  frm.ShowModal = [&, modal = frm.ShowModal](QDialog& dialog) { return result = modal(dialog); };
  frm.actAbout.trigger();
  EXPECT_EQ(result, QDialog::Rejected);
}

TEST_F(MainWindow, AboutWindowShowsTheLogoAndOpensTheLink) {
  app::TfrmAbout about;
  EXPECT_EQ(about.windowTitle(), "About Tintwell");
  EXPECT_EQ(about.size(), QSize(304, 156));
  EXPECT_EQ(about.minimumSize(), about.maximumSize());
  EXPECT_FALSE(about.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  // The picture control takes the logo's size.
  ASSERT_FALSE(about.Image1.pixmap().isNull());
  EXPECT_EQ(about.Image1.geometry(), QRect(8, 8, 75, 75));

  QList<QUrl> opened;
  about.OpenUrl = [&](const QUrl& url) { opened << url; };
  about.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
  EXPECT_TRUE(about.btnOK.hasFocus() || QApplication::focusWidget() == &about.btnOK ||
              about.focusWidget() == &about.btnOK);
  QTest::mouseClick(&about.Label4, Qt::LeftButton);
  ASSERT_EQ(opened.size(), 1);
  EXPECT_EQ(opened[0], QUrl(app::MakerAddress));
  EXPECT_TRUE(about.isVisible());
}

TEST_F(MainWindow, ExitClosesTheWindow) {
  ASSERT_TRUE(frm.isVisible());
  frm.actExit.trigger();
  EXPECT_FALSE(frm.isVisible());
}
