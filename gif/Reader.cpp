// Loading GIF files into a document.
#include "gif/Document.h"
#include "gif/Extensions.h"
#include "gif/Messages.h"

namespace gif {

// The reader is not written yet; until it is, every load fails plainly.
namespace {
[[noreturn]] void NotAvailable() {
  RaiseGIFError("Reading GIF files is not available yet");
}
}  // namespace

void TGIFImage::LoadFromStream(TStream&) {
  NotAvailable();
}
void TGIFHeader::LoadFromStream(TStream&) {
  NotAvailable();
}
void TGIFImageList::LoadFromStream(TStream&, TGIFImage&) {
  NotAvailable();
}
void TGIFSubImage::LoadFromStream(TStream&) {
  NotAvailable();
}
void TGIFTrailer::LoadFromStream(TStream&) {
  NotAvailable();
}

}  // namespace gif
