// File > Export Palette and File > Import Palette on the table the grid shows:
// export and import in one round, growth of the table, undo, the frame tables
// and a malformed file that changes nothing.
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "edit/PaletteFile.h"
#include "gif/GIFImage.h"

namespace {

using apptest::Rgb;

class PaletteFileCommands : public apptest::TWindowDriver {
 protected:
  std::vector<gif::TColor> Shown() { return apptest::Entries(frm.ShownMap()); }
  QString PaletteFile(const QString& name, const std::string& text) {
    return apptest::WriteTempFile(name, std::vector<uint8_t>(text.begin(), text.end()));
  }
};

std::vector<gif::TColor> Colours(const edit::TPalette& palette) {
  std::vector<gif::TColor> out;
  for (const gif::TGIFColor& c : palette) out.push_back(gif::TGIFColorMap::TripleToColor(c));
  return out;
}

TEST_F(PaletteFileCommands, ExportThenImportGrowsTheTableAsOneUndoStep) {
  Open(Gif("four.gif", {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {1, 2, 3}}));
  const std::vector<gif::TColor> original = Shown();

  const QString exported = apptest::TempDir() + "/four.act";
  answers.push_back(exported);
  frm.actExportPalette.trigger();
  EXPECT_EQ(Colours(edit::ReadPaletteFile(exported.toStdString())), original);

  answers.push_back(PaletteFile("five.hex", "ff0000\n00ff00\n0000ff\nffffff\n808080\n"));
  frm.actImportPalette.trigger();
  EXPECT_EQ(openDialogs.back(), "Import Palette");
  EXPECT_EQ(app::QtNameFilter(frm.dlgImportPalette.Filter),
            "Palette files (*.gpl *.pal *.act *.hex);;All files (*.*)");
  EXPECT_EQ(app::QtNameFilter(frm.dlgExportPalette.Filter),
            "GIMP palette (*.gpl);;JASC palette (*.pal);;Adobe colour table (*.act);;"
            "Hex palette (*.hex)");
  EXPECT_EQ(Shown(), (std::vector<gif::TColor>{0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF, 0x808080}));
  EXPECT_EQ(frm.edtBPP.text(), "3");
  ASSERT_EQ(frm.History().count(), 1);
  EXPECT_EQ(frm.History().undoText(), "Import Palette");

  frm.actUndo.trigger();
  EXPECT_EQ(Shown(), original);
  EXPECT_EQ(frm.edtBPP.text(), "2");
  EXPECT_TRUE(errorBoxes.isEmpty());
}

TEST_F(PaletteFileCommands, ImportActsOnTheShownFrameTableAlone) {
  const QString highColour = apptest::CorpusFile("deb-gdkpixbuf-suite/high-color.gif");
  Open(highColour);
  gif::TGIFImage reference;
  reference.LoadFile(highColour.toStdString());
  frm.ShowTable(2);
  answers.push_back(PaletteFile("two.pal", "JASC-PAL\r\n0100\r\n2\r\n1 2 3\r\n4 5 6\r\n"));
  frm.actImportPalette.trigger();
  apptest::TTables expected = apptest::AllTables(reference);
  expected[3][0] = 0x030201;  // frame 3's first two entries, the rest as they were
  expected[3][1] = 0x060504;
  EXPECT_EQ(apptest::AllTables(frm.Document()), expected);
  EXPECT_TRUE(errorBoxes.isEmpty());
}

TEST_F(PaletteFileCommands, AMalformedFileIsReportedAndChangesNothing) {
  Open(Gif("two.gif", {{10, 20, 30}, {40, 50, 60}}));
  const std::vector<gif::TColor> original = Shown();
  const QString bad = PaletteFile("bad.gpl", "GIMP Palette\n0 256 0\n");
  answers.push_back(bad);
  frm.actImportPalette.trigger();
  EXPECT_EQ(errorBoxes, QStringList({bad + ", line 2: component 256 is above 255."}));
  EXPECT_EQ(Shown(), original);
  EXPECT_EQ(frm.History().count(), 0);

  // Cancelled dialogs do nothing either.
  frm.actImportPalette.trigger();
  frm.actExportPalette.trigger();
  EXPECT_EQ(Shown(), original);
  EXPECT_EQ(errorBoxes.size(), 1);
}

}  // namespace
