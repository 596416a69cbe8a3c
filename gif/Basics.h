// The value types and small routines every part of the GIF library shares.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "gif/Exceptions.h"
#include "gif/Persistent.h"
#include "gif/Streams.h"

namespace gif {

// A colour packed as 0x00BBGGRR, red in the low byte.
using TColor = uint32_t;

// One entry of a colour table, in file order.
struct TGIFColor {
  uint8_t Red;
  uint8_t Green;
  uint8_t Blue;
  bool operator==(const TGIFColor&) const = default;
};
static_assert(sizeof(TGIFColor) == 3, "colour tables are read and written as packed triples");

// The lowest GIF version able to hold a document or item.
enum TGIFFormatVersion { fvNone = 0, fv87a = 1, fv89a = 2 };

// The one error class of the GIF library; what() is the message text.
class GIFException : public EInvalidGraphic {
 public:
  using EInvalidGraphic::EInvalidGraphic;
};

// Where non-fatal warnings go. The document is one; the parts that can warn
// are handed it when they are made or asked to read, instead of climbing
// their owners to find it.
class TGIFWarningSink {
 public:
  virtual void ReportWarning(TPersistent* sender, int severity, const std::string& message) = 0;

 protected:
  ~TGIFWarningSink() = default;
};

[[noreturn]] void RaiseGIFError(const std::string& message);
[[noreturn]] void RaisePrematureEnd();
// Reads exactly count bytes or raises "Premature end of data".
inline void ReadExact(TStream& stream, void* buffer, std::size_t count) {
  if (stream.ReadSome(buffer, count) != count) RaisePrematureEnd();
}
void PutByte(TStream& stream, uint8_t value);
// 0 for no colours, else the smallest b >= 1 with 2^b >= count.
int BitsForColorCount(int count);

// The count, with whatever the compiler knows of its range forgotten. GCC
// turns a memset or memcpy whose size it knows to be below a few hundred
// bytes into a string instruction, several times slower on the machines we
// measure than the C library's routines; a size it cannot bound goes to the
// library.
inline std::size_t UnboundedCount(std::size_t count) {
  asm("" : "+r"(count));
  return count;
}

// Little-endian 16-bit fields of the GIF records.
inline uint16_t GetU16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline void PutU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace gif
