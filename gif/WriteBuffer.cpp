#include "gif/WriteBuffer.h"

#include <exception>

namespace gif {

TWriteBuffer::~TWriteBuffer() {
  try {
    Flush();
  } catch (const std::exception&) {
  }
}

void TWriteBuffer::Flush() {
  const std::size_t count = held_;
  // Emptied first: should the write fail, nothing is passed on a second time.
  held_ = 0;
  if (count > 0) target_.WriteBuffer(buffer_, count);
}

std::size_t TWriteBuffer::WriteThrough(const void* buffer, std::size_t count) {
  Flush();
  if (count >= DirectFrom) {
    target_.WriteBuffer(buffer, count);
    return count;
  }
  std::memcpy(buffer_, buffer, count);
  held_ = count;
  return count;
}

}  // namespace gif
