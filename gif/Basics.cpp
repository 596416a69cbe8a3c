#include "gif/Basics.h"

#include <algorithm>
#include <cstring>

#include "gif/Messages.h"

namespace gif {

void ReadExact(TStream& stream, void* buffer, std::size_t count) {
  if (stream.Read(buffer, count) != count) RaiseGIFError(msg::PrematureEnd);
}

void RaiseGIFError(const std::string& message) {
  throw GIFException(message);
}

void PutByte(TStream& stream, uint8_t value) {
  stream.WriteBuffer(&value, 1);
}

void TSubBlockChain::Add(const void* data, std::size_t count) {
  count = std::min<std::size_t>(count, 255);
  if (used_ + 1 + count > Capacity) Flush();
  buffer_[used_++] = static_cast<uint8_t>(count);
  if (count > 0) std::memcpy(buffer_ + used_, data, UnboundedCount(count));
  used_ += count;
}

void TSubBlockChain::Flush() {
  const std::size_t count = used_;
  used_ = 0;
  if (count > 0) stream_.WriteBuffer(buffer_, count);
}

int BitsForColorCount(int count) {
  if (count <= 0) return 0;
  int bits = 1;
  while (bits < 31 && (1 << bits) < count) ++bits;
  return bits;
}

}  // namespace gif
