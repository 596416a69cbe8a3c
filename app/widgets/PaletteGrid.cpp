#include "app/widgets/PaletteGrid.h"

#include "color/Common.h"

namespace app {

namespace {

QColor ToQColor(gif::TColor colour) {
  const gif::TGIFColor rgb = gif::TGIFColorMap::ColorToTriple(colour);
  return QColor(rgb.Red, rgb.Green, rgb.Blue);
}

}  // namespace

TPaletteGrid::TPaletteGrid(QWidget* parent) : TPaletteSurface(parent) {}

void TPaletteGrid::Paint(const std::vector<int>& outlined) {
  // Cleared first, so a smaller table after a larger one leaves no swatches
  // of the other table behind.
  Clear();
  if (map_ == nullptr) return;
  const int count = map_->EntryCount();
  for (int i = 0; i < count; ++i) {
    const int left = (i % SwatchesPerRow) * SwatchPitch;
    const int top = (i / SwatchesPerRow) * SwatchPitch;
    FillRect(left, top, left + SwatchSize, top + SwatchSize, ToQColor(map_->ReadEntry(i)));
  }
  for (int i : outlined)
    if (i >= 0 && i < count) Ring(i);
}

void TPaletteGrid::Ring(int index) {
  const int left = (index % SwatchesPerRow) * SwatchPitch;
  const int top = (index / SwatchesPerRow) * SwatchPitch;
  for (int inset = 0; inset < 2; ++inset) {
    const QColor ring = inset == 0 ? Qt::black : Qt::white;
    const int l = left + inset, t = top + inset;
    const int r = left + SwatchSize - inset, b = top + SwatchSize - inset;
    FillRect(l, t, r, t + 1, ring);
    FillRect(l, b - 1, r, b, ring);
    FillRect(l, t, l + 1, b, ring);
    FillRect(r - 1, t, r, b, ring);
  }
}

std::optional<TSwatchColour> TPaletteGrid::ColourAt(int x, int y) const {
  if (map_ == nullptr || map_->EntryCount() == 0) return std::nullopt;
  TSwatchColour colour;
  colour.Index = SwatchIndex(x, y);
  const gif::TGIFColor rgb = gif::TGIFColorMap::ColorToTriple(map_->ReadEntry(colour.Index));
  colour.Red = rgb.Red;
  colour.Green = rgb.Green;
  colour.Blue = rgb.Blue;
  color::RGBToHueLightSat(colour.Red, colour.Green, colour.Blue, colour.Hue, colour.Lightness,
                          colour.Saturation);
  return colour;
}

std::optional<int> TPaletteGrid::PaintedSwatchAt(int x, int y) const {
  if (map_ == nullptr || x < 0 || y < 0 || x >= SwatchesPerRow * SwatchPitch) return std::nullopt;
  const int index = SwatchIndex(x, y);
  if (index >= map_->EntryCount()) return std::nullopt;
  return index;
}

}  // namespace app
