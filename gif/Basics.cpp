#include "gif/Basics.h"

#include <algorithm>
#include <bit>

#include "gif/Messages.h"

namespace gif {

void RaisePrematureEnd() {
  RaiseGIFError(msg::PrematureEnd);
}

void RaiseGIFError(const std::string& message) {
  throw GIFException(message);
}

void PutByte(TStream& stream, uint8_t value) {
  stream.WriteBuffer(&value, 1);
}

int BitsForColorCount(int count) {
  if (count <= 0) return 0;
  // The bits of count - 1, at least 1: 2 -> 1, 3..4 -> 2, 5..8 -> 3.
  return std::max(1, static_cast<int>(std::bit_width(static_cast<unsigned>(count - 1))));
}

}  // namespace gif
