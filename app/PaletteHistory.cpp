#include "app/PaletteHistory.h"

#include <algorithm>
#include <utility>

#include "gif/Extensions.h"

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

// Calls visit with each graphic control extension of the frame, in order.
template <typename Visit>
void ForEachControl(gif::TGIFSubImage& frame, Visit visit) {
  for (int e = 0; e < frame.Extensions().ItemCount(); ++e)
    if (auto* control =
            dynamic_cast<gif::TGIFGraphicControlExtension*>(&frame.Extensions().Extension(e)))
      visit(*control);
}

bool SamePixels(const std::vector<uint8_t>& pixels, const gif::TGIFSubImage& sub) {
  return pixels.size() == sub.PixelDataSize() &&
         (pixels.empty() || std::equal(pixels.begin(), pixels.end(), sub.PixelData()));
}

TPictureState ReadPicture(gif::TGIFImage& image, int frame, const TPictureState* share) {
  TPictureState picture;
  if (frame < 0) {
    picture.Background = image.BackgroundIndex();
    return picture;
  }
  gif::TGIFSubImage& sub = image.Frames().Frame(frame);
  if (sub.PixelData() != nullptr) {
    if (share != nullptr && share->Pixels && SamePixels(*share->Pixels, sub))
      picture.Pixels = share->Pixels;
    else
      picture.Pixels = std::make_shared<const std::vector<uint8_t>>(
          sub.PixelData(), sub.PixelData() + sub.PixelDataSize());
  }
  picture.Extensions = sub.Extensions().ItemCount();
  ForEachControl(sub, [&picture](const gif::TGIFGraphicControlExtension& control) {
    picture.Controls.push_back({control.TransparentColorFlag(), control.TransparentColorIndex()});
  });
  picture.HasTransparency = sub.HasTransparency();
  return picture;
}

void WritePicture(gif::TGIFImage& image, int frame, const TPictureState& picture) {
  if (frame < 0) {
    image.Header().Screen.BackgroundColorIndex = picture.Background;
    return;
  }
  gif::TGIFSubImage& sub = image.Frames().Frame(frame);
  // Left alone when the same, so pages that did not change stay clean.
  if (sub.PixelData() != nullptr && picture.Pixels &&
      sub.PixelDataSize() == picture.Pixels->size() && !SamePixels(*picture.Pixels, sub))
    std::copy(picture.Pixels->begin(), picture.Pixels->end(), sub.PixelData());
  // Extensions an edit appended (a graphic control for a new transparent
  // colour) go; the recorded ones take their transparency back.
  while (sub.Extensions().ItemCount() > picture.Extensions)
    sub.Extensions().DeleteAt(sub.Extensions().ItemCount() - 1);
  std::size_t next = 0;
  ForEachControl(sub, [&](gif::TGIFGraphicControlExtension& control) {
    if (next >= picture.Controls.size()) return;
    const TControlState& state = picture.Controls[next++];
    // Written only when it differs: the setter checks the index against the
    // table, and a file's own out-of-range index must stay as it was read.
    if (control.TransparentColorIndex() != state.Index)
      control.SetTransparentColorIndex(state.Index);
    if (control.TransparentColorFlag() != state.Transparent)
      control.SetTransparentColorFlag(state.Transparent);
  });
  sub.SetHasTransparency(picture.HasTransparency);
}

}  // namespace

bool TPictureState::operator==(const TPictureState& other) const {
  const bool samePixels = Pixels == other.Pixels ||
                          (Pixels && other.Pixels && *Pixels == *other.Pixels) ||
                          (!Pixels && other.Pixels && other.Pixels->empty()) ||
                          (Pixels && !other.Pixels && Pixels->empty());
  return samePixels && Extensions == other.Extensions && Controls == other.Controls &&
         HasTransparency == other.HasTransparency && Background == other.Background;
}

TTablesSnapshot ReadTables(gif::TGIFImage& image, const TTablesSnapshot* share) {
  TTablesSnapshot snapshot;
  const int frames = image.Frames().Count();
  snapshot.reserve(static_cast<std::size_t>(frames) + 1);
  for (int frame = -1; frame < frames; ++frame) {
    const std::size_t at = static_cast<std::size_t>(frame + 1);
    const TPictureState* earlier = share != nullptr && at < share->size() &&
                                           (*share)[at].Frame == frame && (*share)[at].Picture
                                       ? &*(*share)[at].Picture
                                       : nullptr;
    snapshot.push_back(
        {frame, EntriesOf(*TableOf(image, frame)), ReadPicture(image, frame, earlier)});
  }
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
    } else {
      for (int i = 0; i < count; ++i)
        map->WriteEntry(i, table.Entries[static_cast<std::size_t>(i)]);
    }
  }
  // Pictures after every table, so a restored transparent index is checked
  // against the table it belongs to.
  for (const TTableEntries& table : snapshot)
    if (table.Picture && TableOf(image, table.Frame) != nullptr)
      WritePicture(image, table.Frame, *table.Picture);
}

TPaletteChange::TPaletteChange(const QString& text, TTablesSnapshot before, TTablesSnapshot after,
                               std::function<void(const TTablesSnapshot&)> apply,
                               bool alreadyApplied)
    : QUndoCommand(text),
      before_(std::move(before)),
      after_(std::move(after)),
      apply_(std::move(apply)),
      skipRedo_(alreadyApplied) {
  // An edit of entries alone keeps no copy of the pictures.
  const bool samePictures = before_.size() == after_.size() &&
                            std::equal(before_.begin(), before_.end(), after_.begin(),
                                       [](const TTableEntries& a, const TTableEntries& b) {
                                         return a.Picture == b.Picture;
                                       });
  if (!samePictures) return;
  for (TTableEntries& table : before_) table.Picture.reset();
  for (TTableEntries& table : after_) table.Picture.reset();
}

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
