#include "gif/Basics.h"

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
  int bits = 1;
  while (bits < 31 && (1 << bits) < count) ++bits;
  return bits;
}

}  // namespace gif
