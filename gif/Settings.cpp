#include "gif/Settings.h"

#include <vector>

namespace gif {

namespace {

std::vector<void (*)()>& Releases() {
  static std::vector<void (*)()> releases;
  return releases;
}

}  // namespace

TGIFLibrarySettings& LibrarySettings() {
  static TGIFLibrarySettings settings;
  return settings;
}

void LibraryShutdown() {
  // Taken out first: a release that makes something anew registers afresh.
  std::vector<void (*)()> releases;
  releases.swap(Releases());
  for (void (*release)() : releases) release();
}

void FreeAtShutdown(void (*release)()) {
  Releases().push_back(release);
}

}  // namespace gif
