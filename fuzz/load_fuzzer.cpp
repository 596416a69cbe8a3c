// Loads arbitrary bytes as a GIF document. A load may fail, but only with one
// of the library's exceptions, and never by crashing, hanging or leaking.
#include <cstddef>
#include <cstdint>

#include "gif/GIFImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  gif::TMemoryStream stream(data, size);
  gif::TGIFImage doc;
  try {
    doc.LoadFromStream(stream);
  } catch (const gif::Exception&) {
    // A failed load must still leave a document that can be queried and freed.
  }
  (void)doc.FormatVersion();
  (void)doc.PixelBits();
  return 0;
}
