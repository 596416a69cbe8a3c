// A ramp between two entries of a table: the entries strictly between them
// become evenly spaced colours from the first to the last.
#pragma once

#include "gif/ColorMap.h"

namespace edit {

// Where the colours are interpolated: OKLab (perceptually even steps), the
// 0..240 HLS scale of the window (hue the short way round the circle), or the
// stored RGB bytes.
enum class TRampSpace { OKLab, HLS, RGB };

// Entry i, first < i < last, becomes the colour at t = (i - first) / (last -
// first) from entry first to entry last, rounded to nearest; first and last
// stay. Nothing happens unless 0 <= first < last < map.EntryCount(). Returns
// how many entries' colour changed.
int MakeRamp(gif::TGIFColorMap& map, int first, int last, TRampSpace space);

}  // namespace edit
