// The palette grid: one colour table painted as swatches sixteen to a row on
// an 18-pixel pitch, rings round the swatches a recolour would change, the
// colour under a point of the grid for the read-outs, and the entries the user
// selects with the mouse and keys, with marks for what each entry is.
#pragma once

#include <bitset>
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

// A set of entries of one table, by index.
using TEntrySet = std::bitset<256>;

// What the grid marks besides the selection; every index may lie past the
// table's end, where nothing is drawn.
struct TGridMarks {
  TEntrySet Unused;         // entries no pixel uses, marked only with MarkUnused
  bool MarkUnused = false;  // View > Mark Unused Entries
  int Transparent = -1;     // the transparent entry of the frames using the table; -1: none
  int Background = -1;      // the background entry (global table only); -1: none
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
  // indices (black outside, white inside, so the ring shows on any colour),
  // then draws the marks and the selection. A new table clears the selection.
  void Paint(const std::vector<int>& outlined = {});
  // Paints again with the rings of the last Paint, after the selection or the
  // marks changed.
  void Repaint() { Paint(outlined_); }
  // The indices the last Paint ringed.
  const std::vector<int>& Outlined() const { return outlined_; }

  // The selected entries of the shown table. Setting it drops indices past the
  // table's end; every change of it emits SelectionChanged.
  const TEntrySet& Selection() const { return selection_; }
  void SetSelection(const TEntrySet& entries);
  int SelectedCount() const { return static_cast<int>(selection_.count()); }
  void SelectAll();
  void ClearSelection() { SetSelection({}); }
  // A click on an entry as the mouse makes it: alone it selects the entry,
  // with Ctrl it adds or removes it, with Shift it selects the range from the
  // last clicked entry (Ctrl+Shift adds the range). Indices outside the table
  // are ignored.
  void ClickEntry(int index, Qt::KeyboardModifiers modifiers);

  void SetMarks(const TGridMarks& marks);
  const TGridMarks& Marks() const { return marks_; }
  // The entry a dragged block would go before (the entry count past the
  // table's end); -1 while none is dragged or the pointer is off the grid.
  int DropTarget() const { return dropTarget_; }

  // The entry under a point, read through the table as the grid paints it; an
  // index past the end reads as the table answers it (entry 0). nullopt when
  // no table or an empty one is shown, so nothing is read that would fail.
  std::optional<TSwatchColour> ColourAt(int x, int y) const;

  // The index of the painted swatch (gap included) under a point; nullopt
  // outside the grid's columns or past the table's end, where an edit has no
  // entry to change.
  std::optional<int> PaintedSwatchAt(int x, int y) const;

 signals:
  void SelectionChanged();
  // Paint found another table than the one it painted last.
  void TableShown();
  // The selected block was dragged and dropped to go before the entry at
  // destination; the table's entry count when dropped past its end.
  void MoveBlockRequested(int destination);
  // The pointer went off the grid.
  void PointerLeft();

 protected:
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  // Ctrl+A selects every entry; Escape drops a drag, or else the selection.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // What a held left button does as the pointer moves over the swatches.
  enum class TDrag {
    None,
    Range,  // pressed on an unselected entry: selects from there to the pointer
    Block,  // pressed on a selected entry: moves the selection where it is dropped
  };

  void Ring(int index);
  void MarkSelected(int index);
  void MarkUnused(int index);
  void MarkTransparent(int index);
  void MarkBackground(int index);
  void MarkDropTarget(int index);
  // The entries first..last in either order.
  static TEntrySet Range(int first, int last);
  int EntryCount() const { return map_ != nullptr ? map_->EntryCount() : 0; }

  gif::TGIFColorMap* map_ = nullptr;
  const gif::TGIFColorMap* paintedMap_ = nullptr;  // the table the selection belongs to
  std::vector<int> outlined_;                      // the rings of the last Paint
  TEntrySet selection_;
  TGridMarks marks_;
  int anchor_ = -1;  // the last clicked entry, where a Shift+click range starts; -1: none
  TDrag drag_ = TDrag::None;
  int pressed_ = -1;         // the entry the held button went down on
  bool blockMoved_ = false;  // the dragged block has left the entry it was pressed on
  int dropTarget_ = -1;      // then where the block would go (see DropTarget)
};

}  // namespace app
