// File > Export Palette and File > Import Palette: the table the grid shows,
// out to and in from the palette files of other programs.
#include <QFile>
#include <algorithm>

#include "app/MainUnit.h"
#include "edit/PaletteFile.h"

namespace app {

namespace {

std::string LocalName(const QString& name) {
  return QFile::encodeName(name).toStdString();
}

}  // namespace

void TfrmMain::actExportPaletteExecute() {
  if (!FLoaded) return;
  const gif::TGIFColorMap* shown = ShownMap();
  if (shown == nullptr) return;  // a file without colour tables has nothing to export
  const QString name = ShowSaveDialog(dlgExportPalette);
  if (name.isEmpty()) return;
  const std::vector<edit::TColorTable> tables = edit::ColorTables(*FGIFImage);
  const auto table = std::find_if(tables.begin(), tables.end(),
                                  [shown](const edit::TColorTable& t) { return t.Map == shown; });
  edit::WritePaletteFile(LocalName(name), edit::PaletteOf(*shown),
                         edit::PaletteInfoOf(*table, *FGIFImage, LocalName(FFileName)));
}

void TfrmMain::actImportPaletteExecute() {
  if (!FLoaded) return;
  gif::TGIFColorMap* shown = ShownMap();
  if (shown == nullptr) return;
  const QString name = ShowOpenDialog(dlgImportPalette);
  if (name.isEmpty()) return;
  // Read whole before the table is touched: a malformed file changes nothing.
  const edit::TPalette palette = edit::ReadPaletteFile(LocalName(name));
  EditTables(QString::fromLatin1(msg::ImportPalette),
             [shown, &palette] { edit::ApplyPalette(*shown, palette); });
}

}  // namespace app
