// Undo and redo of palette edits: each command keeps every colour table's
// entries before and after, because HLS round trips lose precision and running
// the inverse recolour would not give the old colours back. Remaps and
// transparency changes also move pixels, transparent indices and the
// background index, so a snapshot holds those as well.
#pragma once

#include <QUndoCommand>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "gif/Document.h"

namespace app {

// The transparency a graphic control extension gives its frame.
struct TControlState {
  bool Transparent = false;
  uint8_t Index = 0;
  bool operator==(const TControlState&) const = default;
};

// What else of a frame an edit of its table may change, or of the screen for
// the global table (Frame -1).
struct TPictureState {
  // The frame's indices (none for the global table), shared by the snapshots
  // they are the same in: a long animation's pixels are not copied at every
  // edit of its tables.
  std::shared_ptr<const std::vector<uint8_t>> Pixels;
  int Extensions = 0;                   // how many extensions the frame has
  std::vector<TControlState> Controls;  // each graphic control extension, in list order
  bool HasTransparency = false;
  uint8_t Background = 0;  // the background index, for the global table
  // Pixels compare by their values.
  bool operator==(const TPictureState& other) const;
};

// The entries of one table: the global one (Frame -1) or a frame's local one.
// A table without entries is kept too, so an edit that fills it can be undone.
struct TTableEntries {
  int Frame = -1;
  std::vector<gif::TColor> Entries;
  // Always read; dropped from a command's snapshots when the edit left every
  // picture as it was, so a recolour keeps no copy of the pixels.
  std::optional<TPictureState> Picture = std::nullopt;
  bool operator==(const TTableEntries&) const = default;
};
using TTablesSnapshot = std::vector<TTableEntries>;

// Every table of the document, the global one first, then the frames in order.
// A frame whose pixels are the same as in share takes share's copy of them.
TTablesSnapshot ReadTables(gif::TGIFImage& image, const TTablesSnapshot* share = nullptr);
// Puts a snapshot back; a table whose entry count differs is rebuilt to the
// snapshot's count. Tables of frames the document no longer has are skipped.
// Where the snapshot holds a picture, it is put back too: pixels, the
// transparency of each graphic control extension (one an edit added after the
// recorded ones goes again) and the background index.
void WriteTables(gif::TGIFImage& image, const TTablesSnapshot& snapshot);

class TPaletteChange : public QUndoCommand {
 public:
  // apply puts a snapshot into the document and refreshes what shows it.
  // With alreadyApplied the first redo, made by QUndoStack::push, does
  // nothing: the edit happened before the command was recorded.
  TPaletteChange(const QString& text, TTablesSnapshot before, TTablesSnapshot after,
                 std::function<void(const TTablesSnapshot&)> apply, bool alreadyApplied);

  void undo() override;
  void redo() override;

 private:
  TTablesSnapshot before_;
  TTablesSnapshot after_;
  std::function<void(const TTablesSnapshot&)> apply_;
  bool skipRedo_;
};

}  // namespace app
