// Undo and redo of palette edits: each command keeps the colour table's entries
// before and after, because HLS round trips lose precision and running the
// inverse recolour would not give the old colours back.
#pragma once

#include <QUndoCommand>
#include <functional>
#include <vector>

#include "gif/ColorMap.h"

namespace app {

using TPaletteEntries = std::vector<gif::TColor>;

TPaletteEntries ReadEntries(gif::TGIFColorMap& map);
// Writes entries back into a map of the same size.
void WriteEntries(gif::TGIFColorMap& map, const TPaletteEntries& entries);

class TPaletteChange : public QUndoCommand {
 public:
  // apply puts a set of entries into the palette and refreshes what shows it.
  // With alreadyApplied the first redo, made by QUndoStack::push, does
  // nothing: the edit happened before the command was recorded.
  TPaletteChange(const QString& text, TPaletteEntries before, TPaletteEntries after,
                 std::function<void(const TPaletteEntries&)> apply, bool alreadyApplied);

  void undo() override;
  void redo() override;

 private:
  TPaletteEntries before_;
  TPaletteEntries after_;
  std::function<void(const TPaletteEntries&)> apply_;
  bool skipRedo_;
};

}  // namespace app
