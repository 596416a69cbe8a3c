#include "gif/Extensions.h"

namespace gif {

TGIFExtension::TGIFExtension(TGIFSubImage& frame) : TGIFItem(frame.Image()), frame_(&frame) {}

}  // namespace gif
