#include "gif/Settings.h"

#include "gif/AppExtensions.h"
#include "gif/Extensions.h"

namespace gif {

TGIFLibrarySettings& LibrarySettings() {
  static TGIFLibrarySettings settings;
  return settings;
}

void LibraryShutdown() {
  FreeLabelRegistry();
  FreeIdentRegistry();
}

}  // namespace gif
