// The label registry, which maps the label byte after an introducer to the
// extension kind that loads the block, and the kind resolution that the run
// reader starts from it. It sits above every kind, since its fixed entries
// name them all.
#pragma once

#include "gif/Extensions.h"

namespace gif {

// The label registry, created with its fixed entries on first use.
TExtensionList& LabelRegistry();
// Frees the label registry; the next use creates it afresh.
void FreeLabelRegistry();

// With the stream just after an introducer: the kind that loads the block, or
// none for an unknown label or data that ends before the kind is settled. The
// stream is left at the label byte.
const TGIFExtensionKind* PeekExtensionKind(TStream& stream);

}  // namespace gif
