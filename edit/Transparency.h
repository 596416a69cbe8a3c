// Choosing which colour of a frame is transparent: the transparent colour
// flag and index of the frame's graphic control extension. Unlike the remaps,
// this changes how the picture looks, on purpose.
#pragma once

#include <optional>
#include <span>

#include "gif/Basics.h"
#include "gif/Document.h"

namespace edit {

// Sets (index) or clears (nullopt) the transparent colour of frames (0-based
// document indices; empty: every frame that holds an image). A frame without
// a graphic control extension gets one (delay 0, disposal 0) when a colour is
// set; clearing clears the flag of every graphic control extension the frame
// has. Every frame is checked before any is changed: a frame that does not
// exist, or an index outside a frame's active table, raises edit::EEditError
// naming the frame counted from 1, and nothing changes. Returns how many
// frames changed.
int SetTransparency(gif::TGIFImage& image, std::span<const int> frames, std::optional<int> index);

// The same with the first entry of each frame's active table whose colour is
// colour; a frame whose table has no such entry raises, naming the frame.
int SetTransparentColor(gif::TGIFImage& image, std::span<const int> frames, gif::TColor colour);

}  // namespace edit
