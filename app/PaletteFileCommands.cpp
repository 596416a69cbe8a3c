// Export and import of the shown table through edit/'s palette files.
#include "app/PaletteFileCommands.h"

#include <algorithm>

#include "edit/PaletteFile.h"

namespace app {

void TPaletteFileCommands::Export() {
  TOpenDocument& edited = host_.Edited();
  if (!edited.Loaded()) return;
  const gif::TGIFColorMap* shown = host_.ShownMap();
  if (shown == nullptr) return;  // a file without colour tables has nothing to export
  const QString name = host_.Hooks().ShowSaveDialog(host_.Controls().dlgExportPalette);
  if (name.isEmpty()) return;
  const std::vector<edit::TColorTable> tables = edit::ColorTables(edited.Image());
  const auto table = std::find_if(tables.begin(), tables.end(),
                                  [shown](const edit::TColorTable& t) { return t.Map == shown; });
  edit::WritePaletteFile(
      LocalFileName(name), edit::PaletteOf(*shown),
      edit::PaletteInfoOf(*table, edited.Image(), LocalFileName(edited.FileName())));
}

void TPaletteFileCommands::Import() {
  if (!host_.Edited().Loaded()) return;
  gif::TGIFColorMap* shown = host_.ShownMap();
  if (shown == nullptr) return;
  const QString name = host_.Hooks().ShowOpenDialog(host_.Controls().dlgImportPalette);
  if (name.isEmpty()) return;
  // Read whole before the table is touched: a malformed file changes nothing.
  const edit::TPalette palette = edit::ReadPaletteFile(LocalFileName(name));
  host_.EditTables(QString::fromLatin1(msg::ImportPalette),
                   [shown, &palette] { edit::ApplyPalette(*shown, palette); });
}

}  // namespace app
