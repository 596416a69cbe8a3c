#include "gif/SubBlocks.h"

#include "gif/Basics.h"

namespace gif {

std::size_t TSubBlockReader::NextLength() {
  if (done_) return 0;
  uint8_t length = 0;
  if (stream_.Read(&length, 1) != 1) {
    done_ = true;
    return 0;
  }
  if (length == 0) done_ = terminated_ = true;
  return length;
}

std::size_t TSubBlockReader::Next(uint8_t* block) {
  const std::size_t length = NextLength();
  if (length > 0) ReadExact(stream_, block, length);
  return length;
}

bool TSubBlockReader::SkipRest() {
  uint8_t scratch[MaxLength];
  while (const std::size_t length = NextLength()) {
    if (stream_.Read(scratch, length) != length) {
      done_ = true;
      return false;
    }
  }
  return terminated_;
}

}  // namespace gif
