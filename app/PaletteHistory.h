// Undo and redo of palette edits: each command keeps every colour table's
// entries before and after, because HLS round trips lose precision and running
// the inverse recolour would not give the old colours back.
#pragma once

#include <QUndoCommand>
#include <functional>
#include <vector>

#include "gif/Document.h"

namespace app {

// The entries of one table: the global one (Frame -1) or a frame's local one.
// A table without entries is kept too, so an edit that fills it can be undone.
struct TTableEntries {
  int Frame = -1;
  std::vector<gif::TColor> Entries;
  bool operator==(const TTableEntries&) const = default;
};
using TTablesSnapshot = std::vector<TTableEntries>;

// Every table of the document, the global one first, then the frames in order.
TTablesSnapshot ReadTables(gif::TGIFImage& image);
// Puts a snapshot back; a table whose entry count differs is rebuilt to the
// snapshot's count. Tables of frames the document no longer has are skipped.
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
