#include "edit/Remap.h"

#include <algorithm>
#include <cstring>
#include <functional>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "color/Common.h"
#include "edit/Messages.h"
#include "gif/Extensions.h"
#include "gif/MessageFormat.h"

namespace edit {

namespace {

// The remap that keeps the entries of order, in that order, of a table of
// count entries; removed entries point at 0 until a caller says otherwise.
TRemap FromOrder(std::vector<uint8_t> order, int count) {
  TRemap remap;
  for (int i = 0; i < 256; ++i) remap.NewIndex[i] = static_cast<uint8_t>(i < count ? 0 : i);
  for (std::size_t j = 0; j < order.size(); ++j) remap.NewIndex[order[j]] = static_cast<uint8_t>(j);
  remap.Order = std::move(order);
  return remap;
}

TRemap Identity(int count) {
  std::vector<uint8_t> order(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) order[i] = static_cast<uint8_t>(i);
  return FromOrder(std::move(order), count);
}

// The entries a remap moves or removes.
int ChangedEntries(const TRemap& remap, int count) {
  bool kept[256] = {};
  for (const uint8_t e : remap.Order) kept[e] = true;
  int changed = 0;
  for (int e = 0; e < count; ++e) changed += !kept[e] || remap.NewIndex[e] != e;
  return changed;
}

// The transparent entries, within the table, of the frames that use it.
std::array<bool, 256> TransparentEntries(const gif::TGIFImage& image, const TColorTable& table) {
  std::array<bool, 256> transparent{};
  const int count = table.Map->EntryCount();
  for (const int f : FramesUsing(image, table)) {
    const int t = TransparentIndexOf(image.Frames().Frame(f));
    if (t >= 0 && t < count) transparent[t] = true;
  }
  return transparent;
}

uint8_t HighestIndex(const uint8_t* pixels, std::size_t size) {
  std::size_t i = 0;
  uint8_t highest = 0;
#ifdef __SSE2__
  // Sixteen pixels an instruction: next to the remap itself this costs little.
  __m128i lanes = _mm_setzero_si128();
  for (; i + 16 <= size; i += 16)
    lanes = _mm_max_epu8(lanes, _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + i)));
  alignas(16) uint8_t lane[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(lane), lanes);
  for (const uint8_t l : lane) highest = std::max(highest, l);
#endif
  for (; i < size; ++i) highest = std::max(highest, pixels[i]);
  return highest;
}

void RemapIndices(uint8_t* pixels, std::size_t size, const std::array<uint8_t, 256>& lut) {
  // Eight pixels a load and a store; the lookups are the whole cost.
  std::size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    uint64_t v;
    std::memcpy(&v, pixels + i, 8);
    const uint64_t out =
        uint64_t{lut[v & 0xFF]} | uint64_t{lut[(v >> 8) & 0xFF]} << 8 |
        uint64_t{lut[(v >> 16) & 0xFF]} << 16 | uint64_t{lut[(v >> 24) & 0xFF]} << 24 |
        uint64_t{lut[(v >> 32) & 0xFF]} << 32 | uint64_t{lut[(v >> 40) & 0xFF]} << 40 |
        uint64_t{lut[(v >> 48) & 0xFF]} << 48 | uint64_t{lut[v >> 56]} << 56;
    std::memcpy(pixels + i, &out, 8);
  }
  for (; i < size; ++i) pixels[i] = lut[pixels[i]];
}

// The warning for a table a frame of which uses an index past its end, or
// nothing. Needs no use counts: the highest index of each frame tells, and
// only a bad frame is counted to name its index.
std::string BadIndexWarning(const gif::TGIFImage& image, const TColorTable& table,
                            const TTableUse* use) {
  const int count = table.Map->EntryCount();
  TTableUse counted;
  if (use == nullptr) {
    bool bad = false;
    for (const int f : FramesUsing(image, table)) {
      const gif::TGIFSubImage& frame = image.Frames().Frame(f);
      if (HighestIndex(frame.PixelData(), frame.PixelDataSize()) >= count) {
        bad = true;
        break;
      }
    }
    if (!bad) return {};
    counted = CountUse(image, table);
    use = &counted;
  }
  if (use->BadFrame < 0) return {};
  return gif::FormatMessage(
      msg::RemapBadIndex,
      {std::to_string(use->BadFrame + 1), std::to_string(use->BadIndex), std::to_string(count)});
}

// The warning for a table that may not shrink to newCount entries: a frame
// with no colour table at all is written as wide as the document's widest
// table, so its pixels must still fit once this table is narrower. Empty when
// it may.
std::string TablelessFrameWarning(const gif::TGIFImage& image, const TColorTable& table,
                                  int newCount) {
  const gif::TGIFImageList& frames = image.Frames();
  int widest = gif::BitsForColorCount(newCount);
  if (!table.IsGlobal()) widest = std::max(widest, image.GlobalMap().TableBits());
  for (int f = 0; f < frames.Count(); ++f)
    if (f != table.Frame) widest = std::max(widest, frames.Frame(f).LocalMap().TableBits());
  for (int f = 0; f < frames.Count(); ++f) {
    const gif::TGIFSubImage& frame = frames.Frame(f);
    if (frame.IsEmpty() || frame.LocalMap().EntryCount() > 0 || image.GlobalMap().EntryCount() > 0)
      continue;
    const int highest = HighestIndex(frame.PixelData(), frame.PixelDataSize());
    if (highest >= 1 << widest)
      return gif::FormatMessage(msg::RemapTablelessFrame,
                                {std::to_string(f + 1), std::to_string(highest)});
  }
  return {};
}

// Runs makeRemap on each table whose frames use only its entries and applies
// what it gives. withUse: makeRemap needs the use counts.
TRemapReport RemapTables(
    gif::TGIFImage& image, std::span<const TColorTable> tables, bool withUse,
    const std::function<TRemap(const TColorTable&, const TTableUse&)>& makeRemap) {
  TRemapReport report;
  report.TablesTotal = static_cast<int>(tables.size());
  for (const TColorTable& table : tables) {
    if (table.Map == nullptr || table.Map->EntryCount() == 0) continue;
    TTableUse use;
    if (withUse) use = CountUse(image, table);
    const std::string warning = BadIndexWarning(image, table, withUse ? &use : nullptr);
    if (!warning.empty()) {
      report.Warnings.push_back(table.Caption() + ": " + warning);
      continue;
    }
    const TRemap remap = makeRemap(table, use);
    const int count = table.Map->EntryCount();
    if (remap.IsIdentity(count)) continue;
    if (const int newCount = static_cast<int>(remap.Order.size()); newCount < count) {
      const std::string narrow = TablelessFrameWarning(image, table, newCount);
      if (!narrow.empty()) {
        report.Warnings.push_back(table.Caption() + ": " + narrow);
        continue;
      }
    }
    report.EntriesChanged += ChangedEntries(remap, count);
    ++report.TablesChanged;
    ApplyRemap(image, table, remap);
  }
  return report;
}

}  // namespace

bool TRemap::IsIdentity(int entryCount) const {
  if (Order.size() != static_cast<std::size_t>(entryCount)) return false;
  for (int i = 0; i < entryCount; ++i)
    if (Order[i] != i) return false;
  return true;
}

TRemap SortRemap(const gif::TGIFColorMap& map, const TTableUse& use, TSortKey key, bool reverse) {
  const int count = map.EntryCount();
  int64_t keys[256];
  for (int i = 0; i < count; ++i) {
    const gif::TGIFColor& c = map.Data()[i];
    int h = 0, l = 0, s = 0;
    color::RGBToHueLightSat(c.Red, c.Green, c.Blue, h, l, s);
    switch (key) {
      case TSortKey::Hue:
        keys[i] = s == 0 ? -1 : h;
        break;
      case TSortKey::Saturation:
        keys[i] = s;
        break;
      case TSortKey::Lightness:
        keys[i] = l;
        break;
      // The weights times 10000: whole numbers order exactly as the sums do.
      case TSortKey::Luminance:
        keys[i] = 2126 * c.Red + 7152 * c.Green + 722 * c.Blue;
        break;
      case TSortKey::Usage:
        keys[i] = -static_cast<int64_t>(use.Pixels[i]);
        break;
    }
  }
  std::vector<uint8_t> order = Identity(count).Order;
  std::stable_sort(order.begin(), order.end(), [&](uint8_t a, uint8_t b) {
    return reverse ? keys[a] > keys[b] : keys[a] < keys[b];
  });
  return FromOrder(std::move(order), count);
}

TRemap CompactRemap(const gif::TGIFImage& image, const TColorTable& table, const TTableUse& use) {
  const int count = table.Map->EntryCount();
  if (FramesUsing(image, table).empty()) return Identity(count);
  std::array<bool, 256> keep = TransparentEntries(image, table);
  if (table.IsGlobal() && image.BackgroundIndex() < count) keep[image.BackgroundIndex()] = true;
  std::vector<uint8_t> order;
  for (int i = 0; i < count; ++i)
    if (keep[i] || use.Pixels[i] > 0) order.push_back(static_cast<uint8_t>(i));
  // Only frames whose every pixel lies past the table's end could leave
  // nothing; such a table is not remapped at all.
  if (order.empty()) return Identity(count);
  return FromOrder(std::move(order), count);
}

TRemap DedupeRemap(const gif::TGIFImage& image, const TColorTable& table) {
  const int count = table.Map->EntryCount();
  const std::array<bool, 256> transparent = TransparentEntries(image, table);
  // The entries by colour, then by index: each run of one colour starts with
  // its earliest entry.
  uint32_t byColour[256];
  int candidates = 0;
  for (int i = 0; i < count; ++i) {
    if (transparent[i]) continue;
    const gif::TGIFColor& c = table.Map->Data()[i];
    byColour[candidates++] =
        (uint32_t{c.Red} << 24 | uint32_t{c.Green} << 16 | uint32_t{c.Blue} << 8) |
        static_cast<uint32_t>(i);
  }
  std::sort(byColour, byColour + candidates);
  int mergeInto[256];
  for (int i = 0; i < 256; ++i) mergeInto[i] = i;
  for (int k = 1; k < candidates; ++k)
    if ((byColour[k] >> 8) == (byColour[k - 1] >> 8))
      mergeInto[byColour[k] & 0xFF] = mergeInto[byColour[k - 1] & 0xFF];
  std::vector<uint8_t> order;
  for (int i = 0; i < count; ++i)
    if (mergeInto[i] == i) order.push_back(static_cast<uint8_t>(i));
  TRemap remap = FromOrder(std::move(order), count);
  for (int i = 0; i < count; ++i) remap.NewIndex[i] = remap.NewIndex[mergeInto[i]];
  return remap;
}

TRemap MoveRemap(int entryCount, const TEntryMask& block, int destination) {
  entryCount = std::clamp(entryCount, 0, 256);
  destination = std::clamp(destination, 0, entryCount);
  std::vector<uint8_t> order;
  for (int i = 0; i < destination; ++i)
    if (!block[i]) order.push_back(static_cast<uint8_t>(i));
  for (int i = 0; i < entryCount; ++i)
    if (block[i]) order.push_back(static_cast<uint8_t>(i));
  for (int i = destination; i < entryCount; ++i)
    if (!block[i]) order.push_back(static_cast<uint8_t>(i));
  return FromOrder(std::move(order), entryCount);
}

void ApplyRemap(gif::TGIFImage& image, const TColorTable& table, const TRemap& remap) {
  gif::TGIFColorMap& map = *table.Map;
  const int count = map.EntryCount();
  if (remap.IsIdentity(count) || remap.Order.empty()) return;
  const std::vector<int> frames = FramesUsing(image, table);

  gif::TGIFColor old[gif::TGIFColorMap::MaxEntries];
  std::memcpy(old, map.Data(), static_cast<std::size_t>(count) * sizeof(gif::TGIFColor));
  const int newCount = static_cast<int>(remap.Order.size());
  for (int j = 0; j < newCount; ++j)
    map.WriteEntry(j, gif::TGIFColorMap::TripleToColor(old[remap.Order[j]]));
  // From the end, so that nothing moves: the count alone decides the table's
  // size and bits per pixel when the document is saved.
  while (map.EntryCount() > newCount) map.RemoveEntry(map.EntryCount() - 1);

  for (const int f : frames) {
    gif::TGIFSubImage& frame = image.Frames().Frame(f);
    RemapIndices(frame.PixelData(), frame.PixelDataSize(), remap.NewIndex);
    // Every graphic control extension: the first one is what a viewer reads,
    // but a later one may carry the transparency flag.
    for (int e = 0; e < frame.Extensions().ItemCount(); ++e) {
      auto* control =
          dynamic_cast<gif::TGIFGraphicControlExtension*>(&frame.Extensions().Extension(e));
      if (control != nullptr && control->TransparentColorIndex() < count)
        control->SetTransparentColorIndex(remap.NewIndex[control->TransparentColorIndex()]);
    }
  }
  gif::TLogicalScreenDescriptor& screen = image.Header().Screen;
  if (table.IsGlobal() && screen.BackgroundColorIndex < count)
    screen.BackgroundColorIndex = remap.NewIndex[screen.BackgroundColorIndex];
}

TRemapReport SortTables(gif::TGIFImage& image, std::span<const TColorTable> tables, TSortKey key,
                        bool reverse) {
  return RemapTables(image, tables, key == TSortKey::Usage,
                     [&](const TColorTable& table, const TTableUse& use) {
                       return SortRemap(*table.Map, use, key, reverse);
                     });
}

TRemapReport CompactTables(gif::TGIFImage& image, std::span<const TColorTable> tables) {
  return RemapTables(image, tables, true, [&](const TColorTable& table, const TTableUse& use) {
    return CompactRemap(image, table, use);
  });
}

TRemapReport DedupeTables(gif::TGIFImage& image, std::span<const TColorTable> tables) {
  return RemapTables(image, tables, false, [&](const TColorTable& table, const TTableUse&) {
    return DedupeRemap(image, table);
  });
}

TRemapReport MoveEntries(gif::TGIFImage& image, const TColorTable& table, const TEntryMask& block,
                         int destination) {
  return RemapTables(image, std::span<const TColorTable>(&table, 1), false,
                     [&](const TColorTable& t, const TTableUse&) {
                       return MoveRemap(t.Map->EntryCount(), block, destination);
                     });
}

}  // namespace edit
