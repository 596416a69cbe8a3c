#include "gif/Settings.h"

#include <unistd.h>

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

namespace {

// The system's memory in bytes, 0 when it does not say. Asked once: the
// question is a system call, and every document asks when it is created,
// which a load of a small file would otherwise feel.
uint64_t SystemMemory() {
  static const uint64_t bytes = [] {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return uint64_t{0};
    return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
  }();
  return bytes;
}

}  // namespace

uint64_t DocumentMemoryBudget() {
  uint64_t physical = LibrarySettings().PhysicalMemory;
  if (physical == 0) {
    physical = SystemMemory();
    // A system that does not say leaves only the per-frame limit in force.
    if (physical == 0) return UINT64_MAX;
  }
  return physical / 2;
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
