#include "app/PaletteHistory.h"

#include <utility>

namespace app {

TPaletteEntries ReadEntries(gif::TGIFColorMap& map) {
  TPaletteEntries entries;
  entries.reserve(static_cast<std::size_t>(map.EntryCount()));
  for (int i = 0; i < map.EntryCount(); ++i) entries.push_back(map.ReadEntry(i));
  return entries;
}

void WriteEntries(gif::TGIFColorMap& map, const TPaletteEntries& entries) {
  for (std::size_t i = 0; i < entries.size(); ++i) map.WriteEntry(static_cast<int>(i), entries[i]);
}

TPaletteChange::TPaletteChange(const QString& text, TPaletteEntries before, TPaletteEntries after,
                               std::function<void(const TPaletteEntries&)> apply,
                               bool alreadyApplied)
    : QUndoCommand(text),
      before_(std::move(before)),
      after_(std::move(after)),
      apply_(std::move(apply)),
      skipRedo_(alreadyApplied) {}

void TPaletteChange::undo() {
  apply_(before_);
}

void TPaletteChange::redo() {
  if (skipRedo_) {
    skipRedo_ = false;
    return;
  }
  apply_(after_);
}

}  // namespace app
