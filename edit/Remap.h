// Reordering and removing the entries of a colour table without changing the
// picture: an operation computes a remap (old index -> new index) once, from
// the table and its use counts alone, and ApplyRemap applies it to the table,
// the pixels and transparent index of every frame that uses the table and, for
// the global table, the background index. Every frame then composes to the
// same screen as before; the table's size on save (and the bits per pixel with
// it) shrinks when entries go.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "edit/ColorTables.h"
#include "edit/Selection.h"
#include "edit/TableUse.h"
#include "gif/ColorMap.h"
#include "gif/Document.h"

namespace edit {

struct TRemap {
  // New entry i is old entry Order[i]; Order.size() is the new entry count.
  std::vector<uint8_t> Order;
  // Where the pixels of each old entry go. An entry removed as a duplicate
  // points at the entry it merged into; an entry removed as unused points at
  // 0. Indices past the old table's end point at themselves, so they stay past
  // the end of a table that never grows.
  std::array<uint8_t, 256> NewIndex{};
  // Whether the remap leaves a table of entryCount entries as it is.
  bool IsIdentity(int entryCount) const;
};

enum class TSortKey {
  Hue,         // saturation 0 first, then by H (0..240, color::RGBToHueLightSat)
  Saturation,  // by S
  Lightness,   // by L
  Luminance,   // by 0.2126 R + 0.7152 G + 0.0722 B of the stored values
  Usage,       // by use count, most used first
};

// A stable sort of map's entries by key: ties keep their order. reverse
// reverses the key (least used first, hue descending with greys last, ...);
// ties still keep their order. use is read only for TSortKey::Usage.
TRemap SortRemap(const gif::TGIFColorMap& map, const TTableUse& use, TSortKey key, bool reverse);

// Removes the entries with use count 0, except the transparent index of a
// frame that uses the table and, in the global table, the background index;
// the others keep their order. A table no frame uses is left as it is
// (identity).
TRemap CompactRemap(const gif::TGIFImage& image, const TColorTable& table, const TTableUse& use);

// Merges every entry of the same RGB as an earlier one into the earliest such
// entry and removes it. The transparent entry of a frame that uses the table
// never merges and nothing merges into it. Unused entries that have no earlier
// twin stay.
TRemap DedupeRemap(const gif::TGIFImage& image, const TColorTable& table);

// Drag and drop: the entries of block (those below entryCount), in their
// order, go before old entry destination (clamped to 0..entryCount; entryCount
// appends them); the other entries keep their order around them. That is, the
// new table is the unselected entries below destination, the block, then the
// unselected entries from destination on.
TRemap MoveRemap(int entryCount, const TEntryMask& block, int destination);

// Applies remap to table: the entries, the pixels of every frame that uses it
// (one pass through a 256-byte lookup table), the transparent index of every
// graphic control extension of those frames and, for the global table, the
// background index. Indices past the old table's end are left as they are.
// The caller checks CountUse(...).BadFrame first; the Tables operations below
// do.
void ApplyRemap(gif::TGIFImage& image, const TColorTable& table, const TRemap& remap);

// What one of the operations below did over a list of tables.
struct TRemapReport {
  // Entries, over all tables, that moved or were removed.
  int EntriesChanged = 0;
  // Tables whose remap was not the identity, of TablesTotal given.
  int TablesChanged = 0;
  int TablesTotal = 0;
  // One per table left as it is because a frame that uses it has an index
  // past its end (msg::RemapBadIndex, naming the frame from 1).
  std::vector<std::string> Warnings;
};

// Each computes and applies its remap to every table given (edit::ColorTables
// lists them), one table after another; a table with a bad frame is skipped
// with a warning and the rest are still done.
TRemapReport SortTables(gif::TGIFImage& image, std::span<const TColorTable> tables, TSortKey key,
                        bool reverse);
TRemapReport CompactTables(gif::TGIFImage& image, std::span<const TColorTable> tables);
TRemapReport DedupeTables(gif::TGIFImage& image, std::span<const TColorTable> tables);
TRemapReport MoveEntries(gif::TGIFImage& image, const TColorTable& table, const TEntryMask& block,
                         int destination);

}  // namespace edit
