#include "gif/LZWDecoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "gif/Document.h"
#include "gif/Extensions.h"
#include "gif/MessageFormat.h"
#include "gif/Messages.h"
#include "gif/SubBlocks.h"

namespace gif {
namespace {

// Codes are at most 12 bits wide, so the string table never has more than
// 4096 entries.
constexpr int kTableSize = 4096;
constexpr int kMaxCodeWidth = 12;
constexpr int kMaxSubBlock = 255;
// Short strings are moved as one block of this size (see CopyOut).
constexpr std::size_t kCopyChunk = 16;

// Four bytes of the bit buffer, the first in the low bits. A code of up to 12
// bits starting anywhere in the first byte lies within them.
inline uint32_t LoadBits(const uint8_t* p) {
  if constexpr (std::endian::native == std::endian::little) {
    uint32_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
  } else {
    return p[0] | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
  }
}

// Copies a string in blocks of kCopyChunk bytes. A source in the output ends
// at or before the destination, so every byte is read before the copy can
// overwrite it; up to kCopyChunk - 1 bytes past the string are read and written
// too, which the caller must have room for. The bytes written past the string
// are covered by the strings that follow, or put back to the fill value when
// the data ends first.
inline void CopyRun(uint8_t* to, const uint8_t* from, std::size_t count) {
  for (std::size_t i = 0; i < count; i += kCopyChunk) {
    uint8_t chunk[kCopyChunk];
    std::memcpy(chunk, from + i, kCopyChunk);
    std::memcpy(to + i, chunk, kCopyChunk);
  }
}

// The strings of the roots 0..255, each followed by the slack of a block copy.
// Wider roots keep only their low byte as pixel.
constexpr auto kRootStrings = [] {
  std::array<uint8_t, 256 + kCopyChunk> strings{};
  for (std::size_t i = 0; i < 256; ++i) strings[i] = static_cast<uint8_t>(i);
  return strings;
}();

// The table's entries for the roots 0..255, copied in as blocks when a
// decoder starts: where each root's string lies, and its length.
constexpr auto kRootSources = [] {
  std::array<const uint8_t*, 256> sources{};
  for (std::size_t i = 0; i < 256; ++i) sources[i] = kRootStrings.data() + i;
  return sources;
}();
constexpr auto kRootLengths = [] {
  std::array<uint16_t, 256> lengths{};
  lengths.fill(1);
  return lengths;
}();

// Results of ReadCode and DecodeNextCode that are not codes.
constexpr int kNoCode = -1;     // the data has run out
constexpr int kEndResult = -2;  // the end code has arrived

// The warning of data that ends before the frame is full (none when nothing
// is missing): how much is missing tells a damaged file from a short one.
void ReportMissingPixels(TGIFSubImage& frame, std::size_t missing, std::size_t total) {
  if (missing > 0)
    frame.ReportWarning(
        1, FormatMessage(msg::PixelsMissing, {std::to_string(missing), std::to_string(total)}));
}

// The state of one DecodeImageData call. Only the low 8 bits of a pixel value
// are ever stored, so pixel values are kept as bytes throughout.
//
// Strings are handed out in one of two ways. While the data is well formed,
// every table entry is the previous string plus one pixel, and that run of
// pixels already sits in the output, right where the previous string and the
// first pixel of the next one were stored; an entry then only records where,
// and decoding a code is a block copy from earlier output (or, for a root,
// from a constant table). Data that names a code beyond the table, or starts
// after a clear code with anything but a root, builds entries whose strings
// were never output (their prefixes can even be defined later, or loop). From
// such a code on, strings are expanded from the prefix and suffix tables onto
// a stack, until the next clear code makes the table well formed again.
class LZWDecoder {
 public:
  LZWDecoder(TGIFSubImage& frame, TStream& stream, int minCodeSize, uint8_t* pixels,
             std::size_t pixelCount, uint8_t fill);
  LZWDecoder(const LZWDecoder&) = delete;
  LZWDecoder& operator=(const LZWDecoder&) = delete;

  // Stores pixels until the frame is full or the data ends, then makes one more
  // request, which normally consumes the end code and the rest of the chain.
  void Run();
  // Bytes of the output written from its start: the pixels stored and the
  // slack a block copy may write past them.
  std::size_t Written() const {
    return pos_ == total_ ? total_ : std::min(total_, pos_ + kCopyChunk);
  }

 private:
  int ReadCode(int width);
  bool Refill(int width);
  std::size_t ReadSubBlock(std::size_t length);
  void SkipToTerminator();

  void DecodeWithinSubBlock();
  int NextPixel();
  int DecodeNextCode();
  int Restart();
  void ResetTable();
  void ExpandFromOutput(int code);
  void SwitchToTable();
  void ExpandFromTable(int code);
  void AddEntry(uint8_t suffix);
  void CountEntry();

  void PutPixel(uint8_t value);
  void CopyOut(const uint8_t* from, std::size_t count);
  void DrainStack();
  // The data ended before the frame was full.
  void EndEarly();

  TGIFSubImage& frame_;
  TStream& stream_;

  // Bit input. Bytes 0 and 1 hold the last two bytes of the previous sub-block,
  // so that a code which straddles sub-blocks reads as one run of bits; the
  // current sub-block follows from byte 2. The tail is slack for the four-byte
  // reads of LoadBits and is never part of the data.
  uint8_t bits_[2 + kMaxSubBlock + 3] = {};
  int validBytes_ = 2;     // 2..257: current sub-block length + 2
  int bitPos_ = 0;         // 0..bitLimit_: the next unread bit of bits_
  int bitLimit_ = 0;       // 8 * validBytes_ once a sub-block has been read
  TSubBlockReader chain_;  // the length bytes; knows when the terminator was read

  // String table.
  const int rootWidth_;  // minimum code size + 1: 1..12
  const int clear_;      // 1 << minimum code size: 1..2048
  const int end_;        // clear_ + 1
  int codeWidth_ = 0;    // rootWidth_..12
  int widthLimit_ = 0;   // codeWidth_ grows when nextFree_ reaches it: 2..4096
  int nextFree_ = 0;     // clear_ + 2..4096: the next entry to define
  int oldCode_ = 0;      // 0..4095: the previous code as read
  uint8_t firstPixel_ = 0;

  // Where each string lies while the table is well formed: in kRootStrings
  // for a root, in the output for a defined entry. Length 0 marks the clear
  // and end codes, which have no string.
  bool fromOutput_ = true;
  const uint8_t* source_[kTableSize];
  uint16_t length_[kTableSize];  // 0..4096

  // The table proper, kept from the switch to expanding strings from it until
  // the next clear code. Entries defined before the switch (below
  // outputEntriesEnd_) keep their strings in the output instead.
  int outputEntriesEnd_ = 0;
  uint16_t prefix_[kTableSize];  // 0..4095
  uint8_t suffix_[kTableSize];

  // Strings expanded from the table, first pixel on top: at most 4096 entries
  // of a chain before it is known to loop, a string from the output of at most
  // 4096 pixels, and one extra pixel.
  uint8_t stack_[2 * kTableSize + 1];
  int top_ = 0;

  // Output, in decoding order (interlaced rows are put in place afterwards).
  uint8_t* const out_;
  const std::size_t total_;
  const uint8_t fill_;
  std::size_t pos_ = 0;        // pixels stored so far
  std::size_t prevStart_ = 0;  // where the previous code's string was stored
  std::size_t pending_ = 0;    // pixels of the last string not yet stored
};

LZWDecoder::LZWDecoder(TGIFSubImage& frame, TStream& stream, int minCodeSize, uint8_t* pixels,
                       std::size_t pixelCount, uint8_t fill)
    : frame_(frame),
      stream_(stream),
      chain_(stream),
      rootWidth_(minCodeSize + 1),
      clear_(1 << minCodeSize),
      end_(clear_ + 1),
      out_(pixels),
      total_(pixelCount),
      fill_(fill) {
  // The other entries are set up when they are defined or, for expanding
  // strings from the table, by SwitchToTable.
  // Wider roots keep only their low byte as pixel: the entries repeat.
  for (int first = 0; first < clear_; first += 256) {
    const auto count = static_cast<std::size_t>(std::min(256, clear_ - first));
    std::memcpy(suffix_ + first, kRootStrings.data(), count);
    std::memcpy(source_ + first, kRootSources.data(), count * sizeof source_[0]);
    std::memcpy(length_ + first, kRootLengths.data(), count * sizeof length_[0]);
  }
  length_[clear_] = 0;
  length_[end_] = 0;
  // Nothing defined yet: the first reset has nothing to undo.
  nextFree_ = clear_ + 2;
}

int LZWDecoder::ReadCode(int width) {
  // A code that ends exactly at the last buffered bit also makes the next
  // sub-block come in, so a chain whose last code fills its last sub-block has
  // its terminator consumed with that code.
  if (bitPos_ + width >= bitLimit_ && !Refill(width)) return kNoCode;
  const int code =
      static_cast<int>((LoadBits(bits_ + (bitPos_ >> 3)) >> (bitPos_ & 7)) & ((1u << width) - 1));
  bitPos_ += width;
  return code;
}

bool LZWDecoder::Refill(int width) {
  if (chain_.Terminated()) {
    if (bitPos_ >= bitLimit_) frame_.ReportWarning(1, msg::BitBufferUnderrun);
    return false;
  }
  // Sub-blocks of one byte are legal, so a code may need bits from several.
  do {
    // The chain reader hands out the length alone: ReadSubBlock reads the
    // bytes itself, straight behind the carried ones, and decodes a sub-block
    // that the end of the stream cuts short as far as it goes, where the
    // reader's Next would refuse it.
    const std::size_t length = chain_.NextLength();
    if (length == 0 && !chain_.Terminated()) return false;
    // Fewer than 16 bits are left unread, and they lie in the last two bytes.
    bits_[0] = bits_[validBytes_ - 2];
    bits_[1] = bits_[validBytes_ - 1];
    const std::size_t count = length > 0 ? ReadSubBlock(length) : 0;
    validBytes_ = static_cast<int>(count) + 2;
    bitPos_ += 16 - bitLimit_;
    bitLimit_ = 8 * validBytes_;
    // A sub-block cut short by the end of the stream finds no length byte
    // after it, so only the terminator needs a check here.
    if (bitPos_ + width > bitLimit_ && chain_.Terminated()) return false;
  } while (bitPos_ + width > bitLimit_);
  return true;
}

std::size_t LZWDecoder::ReadSubBlock(std::size_t length) {
  const std::size_t count = stream_.ReadSome(bits_ + 2, length);
  if (count == length) return count;
  // Reading first and asking about the stream's size only when short keeps
  // file streams from seeking once per sub-block.
  const int64_t remaining = stream_.Size() - (stream_.Position() - static_cast<int64_t>(count));
  if (remaining >= static_cast<int64_t>(length)) RaiseGIFError(msg::PrematureEnd);
  // The stream ends inside the sub-block: what it holds is decoded.
  frame_.ReportWarning(1, msg::PrematureEnd);
  if (static_cast<int64_t>(count) < remaining) RaiseGIFError(msg::PrematureEnd);
  return count;
}

void LZWDecoder::SkipToTerminator() {
  chain_.SkipRest();
}

// The common case of ExpandFromOutput, in a loop over local copies of the
// state (stores to the pixels could alias any member and would force every
// member to be reloaded after each of them). It stops short of anything
// unusual: a code that needs the next sub-block, the clear and end codes, a
// code beyond the table, and a string for which the frame has no room left
// beyond the string itself and the slack of a block copy.
void LZWDecoder::DecodeWithinSubBlock() {
  uint8_t* const end = out_ + total_;
  const int bitLimit = bitLimit_;
  uint8_t* at = out_ + pos_;
  uint8_t* previous = out_ + prevStart_;
  int bitPos = bitPos_;
  int width = codeWidth_;
  uint32_t mask = (1u << width) - 1;
  int limit = widthLimit_;
  int next = nextFree_;
  int old = oldCode_;
  // Outside the irregular cases left to the general path, the previous string
  // was stored in full, so its length is that of the previous code's entry.
  std::size_t oldLength = length_[old];
  while (bitPos + width < bitLimit) {
    const int code = static_cast<int>((LoadBits(bits_ + (bitPos >> 3)) >> (bitPos & 7)) & mask);
    const std::size_t room = static_cast<std::size_t>(end - at);
    std::size_t length = 0;
    if (code < next) {
      length = length_[code];
      if (length == 0 || length + kCopyChunk > room) break;
      CopyRun(at, source_[code], length);
    } else if (code == next) {
      // The code being defined: the previous string and its own first pixel.
      length = oldLength + 1;
      if (length + kCopyChunk > room) break;
      CopyRun(at, previous, oldLength);
      at[oldLength] = *previous;
    } else {
      break;
    }
    bitPos += width;
    if (next < kTableSize) {
      source_[next] = previous;
      length_[next] = static_cast<uint16_t>(oldLength + 1);
      if (++next >= limit && limit < kTableSize) {
        limit *= 2;
        ++width;
        mask = (1u << width) - 1;
      }
    }
    old = code;
    oldLength = length;
    previous = at;
    at += length;
  }
  pos_ = static_cast<std::size_t>(at - out_);
  prevStart_ = static_cast<std::size_t>(previous - out_);
  bitPos_ = bitPos;
  codeWidth_ = width;
  widthLimit_ = limit;
  nextFree_ = next;
  oldCode_ = old;
  firstPixel_ = *previous;
}

int LZWDecoder::NextPixel() {
  if (pending_ > 0) {
    DrainStack();
    return 0;
  }
  return DecodeNextCode();
}

int LZWDecoder::DecodeNextCode() {
  const int code = ReadCode(codeWidth_);
  if (code < 0) return code;
  if (code == clear_) return Restart();
  if (code == end_) {
    SkipToTerminator();
    return kEndResult;
  }
  if (fromOutput_)
    ExpandFromOutput(code);
  else
    ExpandFromTable(code);
  return 0;
}

int LZWDecoder::Restart() {
  ResetTable();
  int code = 0;
  do code = ReadCode(codeWidth_);
  while (code == clear_);
  if (code < 0) return code;
  // Whatever follows the clear code is a pixel, even the end code. Anything
  // but a root starts strings that were never output.
  if (code < clear_)
    fromOutput_ = true;
  else
    SwitchToTable();
  oldCode_ = code;
  firstPixel_ = static_cast<uint8_t>(code);
  prevStart_ = pos_;
  PutPixel(firstPixel_);
  return 0;
}

void LZWDecoder::ResetTable() {
  codeWidth_ = rootWidth_;
  widthLimit_ = 2 * clear_;
  nextFree_ = clear_ + 2;
  top_ = 0;
}

void LZWDecoder::ExpandFromOutput(int code) {
  const std::size_t start = pos_;
  uint8_t first = 0;
  if (code < nextFree_) {
    first = *source_[code];
    CopyOut(source_[code], length_[code]);
  } else {
    // The code being defined: the previous string and its own first pixel.
    first = *source_[oldCode_];
    CopyOut(source_[oldCode_], length_[oldCode_]);
    PutPixel(first);
  }
  if (nextFree_ < kTableSize) {
    // The previous string followed by the first pixel of this one is where the
    // previous string was stored.
    source_[nextFree_] = out_ + prevStart_;
    length_[nextFree_] = static_cast<uint16_t>(length_[oldCode_] + 1);
    CountEntry();
  }
  // A code beyond the entry just defined becomes the prefix of the next one.
  if (code >= nextFree_) SwitchToTable();
  oldCode_ = code;
  firstPixel_ = first;
  prevStart_ = start;
}

void LZWDecoder::SwitchToTable() {
  fromOutput_ = false;
  outputEntriesEnd_ = nextFree_;
  // Codes without an entry, the clear and end codes among them, expand as
  // prefix 0 and suffix 0.
  for (const int code : {clear_, end_}) {
    prefix_[code] = 0;
    suffix_[code] = 0;
  }
  std::fill(prefix_ + nextFree_, prefix_ + kTableSize, uint16_t{0});
  std::fill(suffix_ + nextFree_, suffix_ + kTableSize, uint8_t{0});
}

void LZWDecoder::ExpandFromTable(int code) {
  int current = code;
  if (current >= nextFree_) {
    stack_[top_++] = firstPixel_;
    current = oldCode_;
  }
  // A chain that visits more entries than the table holds runs in a loop.
  for (int steps = 0; current >= clear_; ++steps) {
    if (current > end_ && current < outputEntriesEnd_) {
      const uint8_t* string = source_[current];
      for (std::size_t i = length_[current]; i-- > 0;) stack_[top_++] = string[i];
      firstPixel_ = string[0];
      break;
    }
    if (steps == kTableSize) RaiseGIFError(msg::CircularTableEntry);
    stack_[top_++] = suffix_[current];
    current = prefix_[current];
  }
  if (current < clear_) {
    firstPixel_ = suffix_[current];
    stack_[top_++] = firstPixel_;
  }
  if (nextFree_ < kTableSize) AddEntry(firstPixel_);
  oldCode_ = code;
  DrainStack();
}

void LZWDecoder::AddEntry(uint8_t suffix) {
  prefix_[nextFree_] = static_cast<uint16_t>(oldCode_);
  suffix_[nextFree_] = suffix;
  CountEntry();
}

void LZWDecoder::CountEntry() {
  ++nextFree_;
  if (nextFree_ >= widthLimit_ && widthLimit_ < kTableSize) {
    widthLimit_ *= 2;
    ++codeWidth_;
  }
}

void LZWDecoder::PutPixel(uint8_t value) {
  if (pos_ < total_)
    out_[pos_++] = value;
  else
    ++pending_;
}

void LZWDecoder::CopyOut(const uint8_t* from, std::size_t count) {
  const std::size_t room = total_ - pos_;
  if (count <= room) {
    if (room - count >= kCopyChunk)
      CopyRun(out_ + pos_, from, count);
    else
      std::memcpy(out_ + pos_, from, count);
    pos_ += count;
  } else {
    if (room > 0) std::memcpy(out_ + pos_, from, room);
    pos_ = total_;
    pending_ += count - room;
  }
}

void LZWDecoder::DrainStack() {
  const std::size_t count = std::min(static_cast<std::size_t>(top_), total_ - pos_);
  uint8_t* out = out_ + pos_;
  for (std::size_t i = 0; i < count; ++i) out[i] = stack_[--top_];
  pos_ += count;
  pending_ = static_cast<std::size_t>(top_);
}

void LZWDecoder::EndEarly() {
  // Pixels that decoding never reached keep the fill value, also those a
  // short string copy wrote past its end; Written() counts these.
  std::fill(out_ + pos_, out_ + std::min(total_, pos_ + kCopyChunk), fill_);
  ReportMissingPixels(frame_, total_ - pos_, total_);
}

void LZWDecoder::Run() {
  // Decoding always begins as after a clear code.
  if (Restart() < 0) {
    EndEarly();
    return;
  }
  // For a frame without pixels that first request was the one after the last pixel.
  if (total_ == 0) return;
  while (pos_ < total_) {
    if (fromOutput_ && pending_ == 0) {
      DecodeWithinSubBlock();
      if (pos_ == total_) break;
    }
    if (NextPixel() < 0) {
      EndEarly();
      return;
    }
  }
  // The request after the last pixel consumes the end code and skips the rest
  // of the chain, unless pixels of the last string are still left over.
  if (pending_ == 0) DecodeNextCode();
}

// Index in decoding order of display row `row` of an interlaced frame: rows
// arrive in the four passes of GIF89a appendix E (every 8th row from 0, every
// 8th from 4, every 4th from 2, every 2nd from 1).
int PassOrderIndex(int row, int height) {
  const int pass1 = (height + 7) / 8;
  const int pass2 = (height + 3) / 8;
  const int pass3 = (height + 1) / 4;
  if (row % 8 == 0) return row / 8;
  if (row % 8 == 4) return pass1 + row / 8;
  if (row % 4 == 2) return pass1 + pass2 + row / 4;
  return pass1 + pass2 + pass3 + row / 2;
}

// Moves the rows, decoded in pass order, to their display rows, following the
// cycles of the row permutation with one spare row.
void Deinterlace(uint8_t* pixels, std::size_t width, int height) {
  std::vector<bool> placed(static_cast<std::size_t>(height));
  std::vector<uint8_t> spare(width);
  for (int start = 0; start < height; ++start) {
    if (placed[static_cast<std::size_t>(start)]) continue;
    placed[static_cast<std::size_t>(start)] = true;
    int from = PassOrderIndex(start, height);
    if (from == start) continue;
    std::memcpy(spare.data(), pixels + static_cast<std::size_t>(start) * width, width);
    int to = start;
    while (from != start) {
      std::memcpy(pixels + static_cast<std::size_t>(to) * width,
                  pixels + static_cast<std::size_t>(from) * width, width);
      placed[static_cast<std::size_t>(from)] = true;
      to = from;
      from = PassOrderIndex(to, height);
    }
    std::memcpy(pixels + static_cast<std::size_t>(to) * width, spare.data(), width);
  }
}

}  // namespace

std::size_t DecodeImageData(TGIFSubImage& frame, TStream& stream) {
  const bool zeroed = frame.AllocatePixelsToWrite();
  const std::size_t size = frame.PixelDataSize();
  uint8_t fill = 0;
  if (frame.HasTransparency() && frame.GraphicControl() != nullptr)
    fill = frame.GraphicControl()->TransparentColorIndex();
  // A fresh buffer comes zeroed, and its pages are handed out only as they
  // are written: a fill of 0 leaves what the data never reaches untouched.
  if (fill != 0 && frame.PixelData() != nullptr) std::memset(frame.PixelData(), fill, size);
  const std::size_t filled = fill != 0 ? size : 0;
  // The bytes from `written` on that the decoder never reached: a buffer left
  // from an earlier frame gets its zeros now. The bytes in use are returned.
  const auto finish = [&](std::size_t written) {
    if (zeroed || fill != 0 || written >= size) return std::max(filled, written);
    std::memset(frame.PixelData() + written, 0, size - written);
    return size;
  };

  uint8_t minCodeSize = 0;
  if (!stream.ReadByte(minCodeSize)) {
    ReportMissingPixels(frame, size, size);
    return finish(0);
  }
  // Roots of 12 bits would leave no room in the table for the clear and end
  // codes, let alone for strings.
  if (minCodeSize >= kMaxCodeWidth) RaiseGIFError(msg::BadCodeSize);

  LZWDecoder decoder(frame, stream, minCodeSize, frame.PixelData(), size, fill);
  decoder.Run();
  const std::size_t written = finish(decoder.Written());
  if (!frame.IsInterlaced() || frame.PixelData() == nullptr) return written;
  // Moving the rows to their places writes all of them.
  Deinterlace(frame.PixelData(), frame.Descriptor.Width, frame.Descriptor.Height);
  return size;
}

}  // namespace gif
