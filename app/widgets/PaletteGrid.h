// The palette grid: one colour table painted as swatches sixteen to a row on
// an 18-pixel pitch, rings round the swatches a recolour would change, and the
// colour under a point of the grid for the read-outs.
#pragma once

#include <optional>
#include <vector>

#include "app/widgets/PaletteSurface.h"
#include "gif/ColorMap.h"

namespace app {

// Size of a swatch and the pitch of the grid; sixteen swatches to a row.
inline constexpr int SwatchSize = 16;
inline constexpr int SwatchPitch = 18;
inline constexpr int SwatchesPerRow = 16;

// The palette entry under a point of the grid; a point in the gap right of or
// below a swatch belongs to that swatch. Division truncates toward zero, and
// the result is not checked against the table's size.
inline int SwatchIndex(int x, int y) {
  return (y / SwatchPitch) * SwatchesPerRow + x / SwatchPitch;
}

// One entry as the read-outs show it: RGB 0..255 and HLS on the 0..240 scale.
struct TSwatchColour {
  int Index = 0;  // as computed from the point, possibly past the table's end
  int Red = 0, Green = 0, Blue = 0;
  int Hue = 0, Lightness = 0, Saturation = 0;
};

class TPaletteGrid : public TPaletteSurface {
  Q_OBJECT
 public:
  explicit TPaletteGrid(QWidget* parent = nullptr);

  // The table the grid shows; nullptr shows nothing. The map must outlive the
  // grid or be replaced first.
  void SetMap(gif::TGIFColorMap* map) { map_ = map; }
  gif::TGIFColorMap* Map() const { return map_; }

  // Clears the surface, paints every entry of the table and rings the given
  // indices (black outside, white inside, so the ring shows on any colour).
  void Paint(const std::vector<int>& outlined = {});

  // The entry under a point, read through the table as the grid paints it; an
  // index past the end reads as the table answers it (entry 0). nullopt when
  // no table or an empty one is shown, so nothing is read that would fail.
  std::optional<TSwatchColour> ColourAt(int x, int y) const;

  // The index of the painted swatch (gap included) under a point; nullopt
  // outside the grid's columns or past the table's end, where an edit has no
  // entry to change.
  std::optional<int> PaintedSwatchAt(int x, int y) const;

 private:
  void Ring(int index);

  gif::TGIFColorMap* map_ = nullptr;
};

}  // namespace app
