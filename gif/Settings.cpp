#include "gif/Settings.h"

namespace gif {

TGIFLibrarySettings& LibrarySettings() {
  static TGIFLibrarySettings settings;
  return settings;
}

}  // namespace gif
