// The LZW decoder of GIF image data.
#pragma once

#include <cstddef>

namespace gif {

class TGIFSubImage;
class TStream;

// Decodes one frame's image data, starting at the minimum code size byte at the
// stream's position. Allocates the frame's pixels, fills them with the frame's
// transparent colour index (0 when it has none), and stores one colour index per
// pixel in display row order. After an end code that follows the last pixel the
// stream is left just after the chain's terminator; when the data runs out or is
// irregular the stream may stop inside the chain. Raises GIFException on data
// that cannot be decoded; reports recoverable problems as warnings of the frame.
// Returns how many bytes of the pixel buffer it wrote, counted from the
// start; the rest keep the zeros of the allocation, which the system hands out
// only when they are touched.
// When the data ends before the frame is full, one warning says how many of
// its pixels are missing.
std::size_t DecodeImageData(TGIFSubImage& frame, TStream& stream);

}  // namespace gif
