// Loads arbitrary bytes as a GIF document and plays what was loaded. A load
// may fail, but only with one of the library's exceptions, and never by
// crashing, hanging or leaking; whatever it kept must be whole.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "gif/GIFImage.h"

namespace {

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "loaded document broken: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A million pixels reach every path of the decoder and the animator; at the
  // default limits an input spends most of its time clearing and
  // deinterlacing frames and canvases of many megapixels. A document may take
  // 16 MiB, as on a computer of 32.
  gif::LibrarySettings().MaxPixels = uint64_t{1} << 20;
  gif::LibrarySettings().PhysicalMemory = uint64_t{1} << 25;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  gif::TMemoryStream stream(data, size);
  gif::TGIFImage doc;
  bool loaded = true;
  try {
    doc.LoadFromStream(stream);
  } catch (const gif::Exception&) {
    // A failed load keeps the frames read before the failure.
    loaded = false;
  }
  Check(loaded || stream.Position() == 0, "a failed load did not rewind the stream");

  for (int i = 0; i < doc.Frames().Count(); ++i) {
    const gif::TGIFSubImage& frame = doc.Frames().Frame(i);
    if (frame.PixelData() == nullptr) continue;
    Check(frame.PixelDataSize() ==
              std::size_t{frame.Descriptor.Width} * std::size_t{frame.Descriptor.Height},
          "pixel buffer and descriptor disagree");
    Check(frame.PixelDataSize() <= doc.MaxPixels, "a frame holds more pixels than its limit");
  }
  (void)doc.FormatVersion();
  (void)doc.PixelBits();

  try {
    gif::TGIFAnimator animator(doc, uint64_t{1} << 20);
    animator.Seek(animator.FrameCount() - 1);
  } catch (const gif::Exception&) {
    // A canvas larger than the animator's limit is refused.
  }
  return 0;
}
