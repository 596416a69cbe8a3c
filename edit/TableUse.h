// Which frames use a colour table and how many of their pixels use each of its
// entries: the window's usage read-out and marks, the sort by usage and the
// compact operation all count through here.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "edit/ColorTables.h"
#include "gif/Document.h"

namespace edit {

// The frames (0-based, ascending) that use table: for a frame's own table that
// frame, for the global table every frame without entries of its own. Only
// frames that hold an image count; a run of extensions with no image after it
// draws nothing through any table.
std::vector<int> FramesUsing(const gif::TGIFImage& image, const TColorTable& table);

struct TTableUse {
  // Pixels, over the frames that use the table, whose index is each entry.
  // Indices past the table's end are counted too, so BadFrame can be found.
  std::array<uint64_t, 256> Pixels{};
  // In how many of those frames each entry is used by at least one pixel.
  std::array<int, 256> Frames{};
  // The first frame (0-based) with a pixel whose index lies past the table's
  // end, and the lowest such index of that frame; -1 when there is none.
  int BadFrame = -1;
  int BadIndex = -1;
};

// One pass over the pixels of every frame that uses table; allocates nothing.
TTableUse CountUse(const gif::TGIFImage& image, const TColorTable& table);

// The histogram of a block of indices, added to counts.
void CountIndices(const uint8_t* pixels, std::size_t size, std::array<uint64_t, 256>& counts);

// The index of every frame's transparent colour: what gif::TGIFAnimator makes
// see-through, the first graphic control extension's index when the frame has
// transparency. -1 for a frame without.
int TransparentIndexOf(const gif::TGIFSubImage& frame);

}  // namespace edit
