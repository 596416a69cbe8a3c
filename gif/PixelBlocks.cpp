// Where pixel blocks come from and where freed ones go: calloc, malloc or a
// mapping of their own, and the one-block shelf of freed mapped blocks.
#include "gif/PixelBlocks.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <utility>

namespace gif {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Below this, calloc's recycled memory is the better deal.
constexpr std::size_t kMappedFrom = 2 * kHugePage;
// Below this, pixel blocks come from the heap as it has them, not zeroed.
constexpr std::size_t kFromHeap = std::size_t{64} << 10;

std::size_t RoundUp(std::size_t size, std::size_t unit) {
  return (size + unit - 1) / unit * unit;
}

}  // namespace

// One freed mapped block, kept for the next large frame of about its size.
// Shared by every thread; one block at most, so a closed document leaves no
// more than one frame's pixels behind.
class TBlockShelf {
 public:
  // Never destroyed: documents held by other static objects may free their
  // blocks after this file's statics are gone.
  static TBlockShelf& Get() {
    static TBlockShelf* const shelf = new TBlockShelf;
    return *shelf;
  }
  // Keeps the block, unmapping the one kept before.
  void Put(uint8_t* block, std::size_t length) {
    uint8_t* old = nullptr;
    std::size_t oldLength = 0;
    {
      const std::lock_guard<std::mutex> hold(mutex_);
      old = std::exchange(block_, block);
      oldLength = std::exchange(length_, length);
    }
    if (old != nullptr) ::munmap(old, oldLength);
  }
  // The kept block when it is of length, null otherwise.
  uint8_t* Take(std::size_t length) {
    const std::lock_guard<std::mutex> hold(mutex_);
    if (block_ == nullptr || length_ != length) return nullptr;
    length_ = 0;
    return std::exchange(block_, nullptr);
  }

 private:
  std::mutex mutex_;
  uint8_t* block_ = nullptr;
  std::size_t length_ = 0;
};

void TPixelBlockDeleter::operator()(uint8_t* block) const {
  if (mapped != 0)
    TBlockShelf::Get().Put(block, mapped);
  else
    std::free(block);
}

TPixelBlock AllocateZeroed(std::size_t size) {
  if (size < kMappedFrom) return TPixelBlock(static_cast<uint8_t*>(std::calloc(size, 1)));
  // Mapped with a huge page to spare, so that the start can be moved up to a
  // huge page boundary and what is left over on either side returned.
  const std::size_t length = RoundUp(size, 4096);
  if (length > SIZE_MAX - kHugePage) return nullptr;
  void* raw = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const auto base = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t start = RoundUp(base, kHugePage);
  if (start > base) ::munmap(raw, start - base);
  const std::uintptr_t tail = start + length;
  if (tail < base + length + kHugePage)
    ::munmap(reinterpret_cast<void*>(tail), base + length + kHugePage - tail);
  auto* block = reinterpret_cast<uint8_t*>(start);
  // Only whole huge pages: a partly used one would hold up to 2 MiB that the
  // frame never needs. Without huge pages the block is simply 4 KiB pages.
  ::madvise(block, size / kHugePage * kHugePage, MADV_HUGEPAGE);
  return TPixelBlock(block, TPixelBlockDeleter{length});
}

TPixelBlock AllocateForWriting(std::size_t size, bool& zeroed) {
  zeroed = false;
  // The heap holds small blocks already, and zeroing them costs about what
  // writing them does.
  if (size < kFromHeap) return TPixelBlock(static_cast<uint8_t*>(std::malloc(size)));
  if (size >= kMappedFrom) {
    const std::size_t length = RoundUp(size, 4096);
    if (uint8_t* kept = TBlockShelf::Get().Take(length))
      return TPixelBlock(kept, TPixelBlockDeleter{length});
  }
  // Fresh zeros, whose pages are never touched where the data does not reach.
  zeroed = true;
  return AllocateZeroed(size);
}

}  // namespace gif
