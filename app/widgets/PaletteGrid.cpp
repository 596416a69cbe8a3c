#include "app/widgets/PaletteGrid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

#include "color/Common.h"

namespace app {

namespace {

QColor ToQColor(gif::TColor colour) {
  const gif::TGIFColor rgb = gif::TGIFColorMap::ColorToTriple(colour);
  return QColor(rgb.Red, rgb.Green, rgb.Blue);
}

// The selection's colour: a strong blue, drawn in the white gaps round a
// swatch and edged with white inside it, so it shows on any swatch and never
// looks like the black and white ring of matches.
const QColor SelectionBlue(0, 84, 227);
// Size of the small marks in a swatch's corners.
constexpr int MarkSize = 6;

int SwatchLeft(int index) {
  return (index % SwatchesPerRow) * SwatchPitch;
}
int SwatchTop(int index) {
  return (index / SwatchesPerRow) * SwatchPitch;
}

}  // namespace

TPaletteGrid::TPaletteGrid(QWidget* parent) : TPaletteSurface(parent) {
  // Focus on a click, for Ctrl+A and Escape, without joining the tab order.
  setFocusPolicy(Qt::ClickFocus);
}

void TPaletteGrid::Paint(const std::vector<int>& outlined) {
  outlined_ = outlined;
  if (map_ != paintedMap_) {
    // The selection belongs to the table it was made in.
    paintedMap_ = map_;
    anchor_ = -1;
    drag_ = TDrag::None;
    blockMoved_ = false;
    dropTarget_ = -1;
    if (selection_.any()) {
      selection_.reset();
      emit SelectionChanged();
    }
    emit TableShown();
  }
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
  for (int i = 0; i < count; ++i) {
    if (marks_.MarkUnused && marks_.Unused[static_cast<std::size_t>(i)]) MarkUnused(i);
    if (selection_[static_cast<std::size_t>(i)]) MarkSelected(i);
  }
  if (marks_.Transparent >= 0 && marks_.Transparent < count) MarkTransparent(marks_.Transparent);
  if (marks_.Background >= 0 && marks_.Background < count) MarkBackground(marks_.Background);
  if (dropTarget_ >= 0 && dropTarget_ <= count) MarkDropTarget(dropTarget_);
}

void TPaletteGrid::MarkSelected(int index) {
  const int left = SwatchLeft(index), top = SwatchTop(index);
  // A frame in the gaps, one pixel outside the swatch, so a selected block
  // reads as one blue lattice.
  FillRect(left - 1, top - 1, left + SwatchSize + 1, top, SelectionBlue);
  FillRect(left - 1, top + SwatchSize, left + SwatchSize + 1, top + SwatchSize + 1, SelectionBlue);
  FillRect(left - 1, top, left, top + SwatchSize, SelectionBlue);
  FillRect(left + SwatchSize, top, left + SwatchSize + 1, top + SwatchSize, SelectionBlue);
  // And a blue corner inside, edged with white for blue swatches.
  for (int row = 0; row <= MarkSize; ++row) {
    const int width = MarkSize + 1 - row;
    FillRect(left, top + row, left + width, top + row + 1, SelectionBlue);
    FillRect(left + width, top + row, left + width + 1, top + row + 1, Qt::white);
  }
}

void TPaletteGrid::MarkUnused(int index) {
  // A folded top-right corner: white with a black fold.
  const int right = SwatchLeft(index) + SwatchSize, top = SwatchTop(index);
  for (int row = 0; row < MarkSize; ++row) {
    const int from = right - MarkSize + row;
    FillRect(from, top + row, right, top + row + 1, Qt::white);
    FillRect(from - 1, top + row, from, top + row + 1, Qt::black);
  }
}

void TPaletteGrid::MarkTransparent(int index) {
  // The usual sign of see-through: a black and white checkerboard, bottom right.
  const int right = SwatchLeft(index) + SwatchSize, bottom = SwatchTop(index) + SwatchSize;
  constexpr int cell = MarkSize / 3;
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) {
      const int l = right - MarkSize + x * cell, t = bottom - MarkSize + y * cell;
      FillRect(l, t, l + cell, t + cell, (x + y) % 2 == 0 ? Qt::black : Qt::white);
    }
}

void TPaletteGrid::MarkBackground(int index) {
  // A white square edged in black, bottom left.
  const int left = SwatchLeft(index), bottom = SwatchTop(index) + SwatchSize;
  FillRect(left, bottom - MarkSize, left + MarkSize, bottom, Qt::black);
  FillRect(left + 1, bottom - MarkSize + 1, left + MarkSize - 1, bottom - 1, Qt::white);
}

void TPaletteGrid::MarkDropTarget(int index) {
  // A bar in the gap before the entry the block would start at; the first
  // column has no gap on its left, so the bar goes inside the swatch there.
  const int left = SwatchLeft(index), top = SwatchTop(index);
  const int bar = left == 0 ? 0 : left - 2;
  FillRect(bar, top - 1, bar + 2, top + SwatchSize + 1, SelectionBlue);
}

TEntrySet TPaletteGrid::Range(int first, int last) {
  TEntrySet range;
  for (int i = std::min(first, last); i <= std::max(first, last); ++i)
    range.set(static_cast<std::size_t>(i));
  return range;
}

void TPaletteGrid::SetSelection(const TEntrySet& entries) {
  TEntrySet clipped = entries;
  for (int i = EntryCount(); i < static_cast<int>(clipped.size()); ++i)
    clipped.reset(static_cast<std::size_t>(i));
  if (clipped == selection_) return;
  selection_ = clipped;
  if (selection_.none()) anchor_ = -1;
  Repaint();
  emit SelectionChanged();
}

void TPaletteGrid::SelectAll() {
  SetSelection(TEntrySet().set());
}

void TPaletteGrid::ClickEntry(int index, Qt::KeyboardModifiers modifiers) {
  if (index < 0 || index >= EntryCount()) return;
  const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
  if (modifiers.testFlag(Qt::ShiftModifier) && anchor_ >= 0) {
    // The anchor stays, so further Shift+clicks move the range's other end.
    const TEntrySet range = Range(anchor_, index);
    SetSelection(ctrl ? selection_ | range : range);
    return;
  }
  TEntrySet entries = selection_;
  if (ctrl)
    entries.flip(static_cast<std::size_t>(index));
  else
    entries = TEntrySet().set(static_cast<std::size_t>(index));
  anchor_ = index;
  SetSelection(entries);
}

void TPaletteGrid::SetMarks(const TGridMarks& marks) {
  // Unchanged marks leave the picture alone: a failed edit shows what it
  // left until the window paints again.
  if (marks.Unused == marks_.Unused && marks.MarkUnused == marks_.MarkUnused &&
      marks.Transparent == marks_.Transparent && marks.Background == marks_.Background)
    return;
  marks_ = marks;
  Repaint();
}

void TPaletteGrid::mousePressEvent(QMouseEvent* event) {
  // The window's plain-click behaviour (From fields) comes first, unchanged.
  TPaletteSurface::mousePressEvent(event);
  if (event->button() != Qt::LeftButton) return;
  const QPoint at = PixelAt(*event);
  const std::optional<int> index = PaintedSwatchAt(at.x(), at.y());
  drag_ = TDrag::None;
  if (!index) return;
  const Qt::KeyboardModifiers modifiers = event->modifiers();
  if (modifiers & (Qt::ControlModifier | Qt::ShiftModifier)) {
    ClickEntry(*index, modifiers);
    return;
  }
  pressed_ = *index;
  if (selection_[static_cast<std::size_t>(*index)]) {
    // Selecting the one entry waits for the release: the press may start
    // dragging the whole block.
    drag_ = TDrag::Block;
    return;
  }
  drag_ = TDrag::Range;
  ClickEntry(*index, Qt::NoModifier);
}

void TPaletteGrid::mouseMoveEvent(QMouseEvent* event) {
  TPaletteSurface::mouseMoveEvent(event);
  if (drag_ == TDrag::None || !(event->buttons() & Qt::LeftButton)) return;
  const QPoint at = PixelAt(*event);
  const std::optional<int> index = PaintedSwatchAt(at.x(), at.y());
  if (drag_ == TDrag::Range) {
    if (index) SetSelection(Range(pressed_, *index));
    return;
  }
  // Once off its entry, the block follows the pointer to where it may land:
  // before the entry under it, or after the last past the table's end; off
  // the grid it would land nowhere.
  int target = index.value_or(-1);
  if (!index && at.x() >= 0 && at.y() >= 0 && at.x() < SwatchesPerRow * SwatchPitch &&
      SwatchIndex(at.x(), at.y()) < static_cast<int>(TEntrySet().size()))
    target = EntryCount();
  if (!blockMoved_ && target == pressed_) return;
  blockMoved_ = true;
  if (target != dropTarget_) {
    dropTarget_ = target;
    Repaint();
  }
}

void TPaletteGrid::leaveEvent(QEvent* event) {
  TPaletteSurface::leaveEvent(event);
  emit PointerLeft();
}

void TPaletteGrid::mouseReleaseEvent(QMouseEvent* event) {
  TPaletteSurface::mouseReleaseEvent(event);
  if (event->button() != Qt::LeftButton) return;
  const TDrag drag = std::exchange(drag_, TDrag::None);
  if (drag != TDrag::Block) return;
  const bool moved = std::exchange(blockMoved_, false);
  const int target = std::exchange(dropTarget_, -1);
  if (!moved) {
    // Never left its entry: a plain click on a selected entry.
    ClickEntry(pressed_, Qt::NoModifier);
    return;
  }
  Repaint();
  if (target >= 0) emit MoveBlockRequested(target);
}

void TPaletteGrid::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::SelectAll)) {
    SelectAll();
    return;
  }
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    if (drag_ == TDrag::Block && blockMoved_) {
      drag_ = TDrag::None;
      blockMoved_ = false;
      dropTarget_ = -1;
      Repaint();
    } else {
      ClearSelection();
    }
    return;
  }
  TPaletteSurface::keyPressEvent(event);
}

void TPaletteGrid::Ring(int index) {
  const int left = SwatchLeft(index), top = SwatchTop(index);
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
