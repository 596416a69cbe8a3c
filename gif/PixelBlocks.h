// Memory for frames' pixels: blocks from the heap when small, mapped on their
// own (huge pages where the system allows) when large, with a shelf that keeps
// the last freed large block for the next frame of its size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace gif {

// Memory for a frame's pixels, freed by its deleter.
struct TPixelBlockDeleter {
  std::size_t mapped = 0;  // the length of a block mapped on its own; 0 for one from the heap
  void operator()(uint8_t* block) const;
};
using TPixelBlock = std::unique_ptr<uint8_t[], TPixelBlockDeleter>;

// `size` zero bytes, null when the memory is not there. A block of a few
// megabytes or more is mapped on its own and its whole 2 MiB stretches are
// backed by huge pages where the system allows: writing fresh memory then
// takes one fault per 2 MiB instead of one per 4 KiB, and reading back
// across many megabytes (as an LZW decoder does) misses the TLB far less.
TPixelBlock AllocateZeroed(std::size_t size);

// `size` bytes that the caller is going to write in full, null when the memory
// is not there; zeroed tells whether they are zeros. Zeroing costs a pass
// over the bytes: a block under 64 KiB comes as the heap has it, and one of
// several megabytes freed before is handed out again as it was left (fresh
// pages cost the system a pass of zeroing and a fault each, which a frame of
// many megapixels would otherwise pay on every load).
TPixelBlock AllocateForWriting(std::size_t size, bool& zeroed);

}  // namespace gif
