// Writing a frame's table-based image data: the minimum code size byte, the
// variable-width LZW code stream packed into data sub-blocks, and the block
// terminator.
#pragma once

namespace gif {

class TGIFSubImage;
class TStream;

// Writes the image data of a frame with the encoder its document's compression
// setting selects, checking pixels against the local map's size or, without
// one, against 2 to the power of the document's PixelBits.
void EncodeImageData(const TGIFSubImage& frame, TStream& stream);
// The same with the document's PixelBits already worked out: a save of many
// frames does not look at every frame for each one.
void EncodeImageData(const TGIFSubImage& frame, TStream& stream, int documentPixelBits);

}  // namespace gif
