// Setting one entry of the shown table to a colour chosen in the dialog.
#include "app/ExactColourCommand.h"

namespace app {

void TExactColourCommand::SetColourAt(int x, int y) {
  if (!host_.Edited().Loaded()) return;
  gif::TGIFColorMap* map = host_.ShownMap();
  // Only a swatch that is painted: past the table's end a read would answer
  // entry 0, and the write would fail.
  const std::optional<int> swatch = host_.Controls().imgColorMap.PaintedSwatchAt(x, y);
  if (map == nullptr || !swatch) return;
  const int index = *swatch;
  const gif::TGIFColor old = gif::TGIFColorMap::ColorToTriple(map->ReadEntry(index));
  const QColor chosen = host_.Hooks().ShowColorDialog(QColor(old.Red, old.Green, old.Blue));
  if (!chosen.isValid()) return;
  const gif::TColor colour = gif::TGIFColorMap::TripleToColor(
      {static_cast<uint8_t>(chosen.red()), static_cast<uint8_t>(chosen.green()),
       static_cast<uint8_t>(chosen.blue())});
  host_.EditTables(QString::fromLatin1(msg::SetColour),
                   [map, index, colour] { map->WriteEntry(index, colour); });
}

}  // namespace app
