// How many pixels use each entry of a colour table. Kept on its own so that
// the editing layer's use counts can take its place in one spot.
#pragma once

#include <cstdint>
#include <vector>

#include "gif/GIFImage.h"

namespace cli {

// Per entry of the table, the number of pixels, over the frames that use the
// table, whose index is that entry. frame is -1 for the global table (used by
// every frame without a table of its own), else a frame's index (0-based) for
// its own table.
std::vector<uint64_t> UseCounts(const gif::TGIFImage& image, int frame);

}  // namespace cli
