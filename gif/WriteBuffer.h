// Gathering the writes of a save: a document goes out as many small blocks
// (signature and screen, colour tables, extensions, descriptors, image data),
// and handing each one to the target stream costs more than copying it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "gif/SubBlocks.h"

namespace gif {

// A write-only stream that gathers what is written to it and passes it on to
// its target in large writes; a large write goes on at once, after what is
// held. The target gets the same bytes in the same order.
// Reading and seeking raise, as on every TGIFStream.
class TWriteBuffer final : public TGIFStream {
 public:
  static constexpr std::size_t Capacity = 16 * 1024;
  // Writes of this many bytes or more go on at once, after what is held:
  // copying them here first would gain nothing.
  static constexpr std::size_t DirectFrom = 2 * 1024;

  explicit TWriteBuffer(TStream& target) : TGIFStream(target) {}
  // Passes on what is still held. A failure of the target then is swallowed:
  // a destructor must not throw, and a caller that needs to know flushes first.
  ~TWriteBuffer() override;
  TWriteBuffer(const TWriteBuffer&) = delete;
  TWriteBuffer& operator=(const TWriteBuffer&) = delete;

  std::size_t Write(const void* buffer, std::size_t count) override {
    if (count == 0) return 0;
    if (count > Capacity - held_ || count >= DirectFrom) return WriteThrough(buffer, count);
    std::memcpy(buffer_ + held_, buffer, count);
    held_ += count;
    return count;
  }
  // Passes on every held byte.
  void Flush();

 private:
  // A write that does not fit behind what is held, or a large one.
  std::size_t WriteThrough(const void* buffer, std::size_t count);

  std::size_t held_ = 0;
  uint8_t buffer_[Capacity];
};

}  // namespace gif
