// Chains of data sub-blocks (GIF89a section 15): a length byte of 1..255 and
// that many bytes, repeated, then a zero length byte, the block terminator.
// Every extension body and every frame's image data is such a chain.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gif/Platform.h"

namespace gif {

// Reads one chain, a sub-block at a time. Every length is checked against
// the data: a sub-block that the data cuts short is never taken for whole,
// and skipping reads instead of seeking, so a length beyond the data cannot
// move the stream outside it.
class TSubBlockReader {
 public:
  static constexpr std::size_t MaxLength = 255;

  explicit TSubBlockReader(TStream& stream) : stream_(stream) {}
  TSubBlockReader(const TSubBlockReader&) = delete;
  TSubBlockReader& operator=(const TSubBlockReader&) = delete;

  // Reads the next sub-block into block, which has room for MaxLength bytes,
  // and returns its length. 0 once the terminator has been read, or where the
  // data ends in place of a length byte. Raises "Premature end of data" when
  // the data ends inside the sub-block.
  std::size_t Next(uint8_t* block);
  // Reads the next length byte alone; 0 as for Next. The caller reads the
  // sub-block's bytes itself.
  std::size_t NextLength();
  // Steps over what is left of the chain, the terminator included. False when
  // the data ends first, inside a sub-block or in place of a length byte.
  bool SkipRest();
  // The terminator has been read.
  bool Terminated() const { return terminated_; }
  // No sub-block is left: the terminator was read or the data ended.
  bool Done() const { return done_; }

 private:
  TStream& stream_;
  bool done_ = false;
  bool terminated_ = false;
};

}  // namespace gif
