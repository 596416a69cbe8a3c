// Reading a GIF file into a document. The document's classes read their own
// blocks, and this is where those reads are defined: TGIFImage::LoadFromStream
// runs the whole file; TGIFHeader reads the signature, the logical screen
// descriptor and the global colour table (TGIFColorMap::ReadTable);
// TGIFImageList reads block after block up to the trailer, one frame at a
// time; TGIFSubImage reads a frame: its extension run (TGIFExtensionList, each
// extension by the kind the label registry names, gif/ExtensionRegistry.h),
// then the image descriptor, the local colour table and the image data
// (DecodeImageData, gif/LZWDecoder.h); TGIFTrailer reads the trailer. Every
// sub-block chain is read through TSubBlockReader (gif/SubBlocks.h).
#pragma once

#include <cstdint>

#include "gif/Document.h"

namespace gif {

// The three bytes spell "GIF", in either letter case; the version that
// follows is not looked at.
bool IsGIFSignature(const uint8_t* bytes);

// Raises when a frame of width x height pixels has more than `limit`.
void CheckPixelLimit(uint64_t limit, int width, int height);

}  // namespace gif
