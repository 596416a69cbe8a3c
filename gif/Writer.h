// Writing a document as a GIF file. The document's classes write their own
// blocks, and this is where those writes are defined: TGIFImage::SaveToStream
// runs the whole file; TGIFHeader writes the signature, whose version follows
// what the document holds, the logical screen descriptor and the global
// colour table (TGIFColorMap::WriteTable); TGIFImageList writes the frames in
// order; TGIFSubImage writes a frame: its extensions (each kind writes its own
// block, gif/Extensions.h and gif/AppExtensions.h), then the image
// descriptor, the local colour table and the image data (EncodeImageData,
// gif/LZWEncoder.h); TGIFTrailer writes the trailer. Every sub-block chain is
// written through TGIFWriter (gif/SubBlocks.h).
#pragma once

#include "gif/Document.h"

namespace gif {

// done * 100 / total, rounded to the nearest integer, ties to even.
int PercentDone(int done, int total);

}  // namespace gif
