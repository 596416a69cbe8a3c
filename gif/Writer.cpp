// Saving a document as a GIF file.
#include "gif/Document.h"
#include "gif/Messages.h"

namespace gif {

// The writer is not written yet; until it is, every save fails plainly.
namespace {
[[noreturn]] void NotAvailable() {
  RaiseGIFError("Writing GIF files is not available yet");
}
}  // namespace

void TGIFImage::SaveToStream(TStream&) {
  NotAvailable();
}
void TGIFHeader::SaveToStream(TStream&) {
  NotAvailable();
}
void TGIFImageList::SaveToStream(TStream&) {
  NotAvailable();
}
void TGIFSubImage::SaveToStream(TStream&) {
  NotAvailable();
}
void TGIFTrailer::SaveToStream(TStream&) {
  NotAvailable();
}

}  // namespace gif
