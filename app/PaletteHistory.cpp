#include "app/PaletteHistory.h"

#include <utility>

namespace app {

namespace {

gif::TGIFColorMap* TableOf(gif::TGIFImage& image, int frame) {
  if (frame < 0) return &image.GlobalMap();
  if (frame >= image.Frames().Count()) return nullptr;
  return &image.Frames().Frame(frame).LocalMap();
}

std::vector<gif::TColor> EntriesOf(const gif::TGIFColorMap& map) {
  std::vector<gif::TColor> entries(static_cast<std::size_t>(map.EntryCount()));
  for (std::size_t i = 0; i < entries.size(); ++i)
    entries[i] = gif::TGIFColorMap::TripleToColor(map.Data()[i]);
  return entries;
}

}  // namespace

TTablesSnapshot ReadTables(gif::TGIFImage& image) {
  TTablesSnapshot snapshot;
  const int frames = image.Frames().Count();
  snapshot.reserve(static_cast<std::size_t>(frames) + 1);
  for (int frame = -1; frame < frames; ++frame)
    snapshot.push_back({frame, EntriesOf(*TableOf(image, frame))});
  return snapshot;
}

void WriteTables(gif::TGIFImage& image, const TTablesSnapshot& snapshot) {
  for (const TTableEntries& table : snapshot) {
    gif::TGIFColorMap* map = TableOf(image, table.Frame);
    if (map == nullptr) continue;
    const int count = static_cast<int>(table.Entries.size());
    if (map->EntryCount() != count) {
      map->ResetEntries();
      if (count > 0) map->ReserveEntries(count);
      for (gif::TColor c : table.Entries) map->AppendEntry(c);
      continue;
    }
    for (int i = 0; i < count; ++i) map->WriteEntry(i, table.Entries[static_cast<std::size_t>(i)]);
  }
}

TPaletteChange::TPaletteChange(const QString& text, TTablesSnapshot before, TTablesSnapshot after,
                               std::function<void(const TTablesSnapshot&)> apply,
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
