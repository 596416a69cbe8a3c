// The encoders behind EncodeImageData: their shared base with the bit packing
// and the walk over the pixels, the LZW encoder with its string tables, and
// the run-length encoder. Only LZWEncoder.cpp and the encoder's tests include
// this; everyone else calls EncodeImageData (gif/LZWEncoder.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "gif/Basics.h"
#include "gif/Messages.h"
#include "gif/SubBlocks.h"

namespace gif {

// Abstract base of the encoders: set-up for one frame, bit packing of the
// codes, the walk over the pixels and the pixel range check.
class TGIFEncoder {
 public:
  virtual ~TGIFEncoder() = default;
  TGIFEncoder() = default;
  TGIFEncoder(const TGIFEncoder&) = delete;
  TGIFEncoder& operator=(const TGIFEncoder&) = delete;

  // Writes the image data of one frame: the minimum code size, the code
  // stream in sub-blocks and the terminator. bitsPerPixel is 0..8; pixel
  // values must be below colorLimit and below the clear code; pixels holds width x height bytes,
  // row after row. Without pixels, or with a zero size, the code stream is the end code alone. When
  // a pixel is refused, the codes before it are written without a terminator.
  void Encode(TStream& stream, int bitsPerPixel, int colorLimit, const uint8_t* pixels,
              bool interlaced, int height, int width);

  // (1 << width) - 1, the largest code of a code width.
  static uint16_t CodeLimit(int width) { return static_cast<uint16_t>((1 << width) - 1); }

 protected:
  // Code bytes are gathered here and handed to the sub-block writer in bulk.
  // A code is packed with one unaligned 8-byte store, hence the slack.
  static constexpr std::size_t PackedSize = 4096;
  static constexpr std::size_t PackedSlack = 8;

  // Bit packing state, copied into locals by the encoders' inner loops.
  struct TCodePacker {
    uint8_t* out;          // next free byte of the packed buffer
    uint64_t accumulator;  // bits not yet complete, lowest first
    int bitCount;          // bits in the accumulator, 0..7 between codes
    int codeWidth;         // width of the next code, 3..12

    // Appends the code; every complete byte goes to the buffer at once, and
    // the partial byte is already in place with its high bits 0. Worked in
    // locals: the byte stores could otherwise alias the fields and make the
    // compiler reload them after each one.
    void Pack(int code) {
      const uint64_t bits = accumulator | (static_cast<uint64_t>(code) << bitCount);
      const int count = bitCount + codeWidth;
      uint8_t* const to = out;
      for (int i = 0; i < 8; ++i) to[i] = static_cast<uint8_t>(bits >> (8 * i));
      out = to + (count >> 3);
      accumulator = bits >> (count & ~7);
      bitCount = count & 7;
    }
  };

  virtual void EmitCode(int code);
  virtual void ResetTable();
  virtual void EncodePixels() = 0;

  // The next pixels that follow each other both in memory and in the walk:
  // the whole frame, or one row of an interlaced frame in interlace order.
  // False once the frame is done.
  bool NextRow(const uint8_t*& begin, const uint8_t*& end);
  // The first pixel in [begin, end) at or above the colour limit, or end.
  const uint8_t* FirstBadPixel(const uint8_t* begin, const uint8_t* end) const;
  // Hands the packed bytes to the sub-block writer when the buffer is full.
  void FlushPackedIfFull() {
    if (packer_.out >= PackedLimit()) FlushPacked();
  }
  void FlushPacked();
  const uint8_t* PackedLimit() const { return packed_ + PackedSize; }

  int colorLimit_ = 0;   // pixel values must be below it
  int minCodeSize_ = 0;  // 2..8: bits per pixel, at least 2
  int width_ = 0;        // frame size in pixels
  int height_ = 0;
  bool interlaced_ = false;  // walk the rows in interlace order
  const uint8_t* pixels_ = nullptr;
  TGIFWriter* writer_ = nullptr;  // lives for one Encode

  TCodePacker packer_{};
  bool clearPending_ = false;  // the clear code is being emitted
  int initialCodeWidth_ = 0;   // minimum code size + 1
  int maxCode_ = 0;            // largest code of the current width; 4096 at width 12
  int clearCode_ = 0;          // 1 << minimum code size
  int endCode_ = 0;            // clear code + 1
  int firstFreeCode_ = 0;      // clear code + 2

 private:
  int nextRow_ = 0;  // the row NextRow hands out next; -1 once the walk is done
  int pass_ = 0;     // current interlace pass, 0..3
  uint8_t packed_[PackedSize + PackedSlack];
};

// The string table of the LZW encoder: open addressing over 8009 slots.
// A used slot holds (key << 12) | code, the key being (string code << 8) |
// pixel; a slot whose upper 20 bits are all ones is empty. String codes stay
// below 4095, so no key looks like an empty slot.
class THashTable {
 public:
  static constexpr int SlotCount = 8009;
  static constexpr uint16_t NotFound = 0xFFFF;

  // Empties the table. The slots get the empty pattern only when they are
  // touched afterwards, a block of them at a time, so that a frame of a few
  // pixels touches a few blocks instead of the whole table.
  void Reset() {
    filled_[0] = filled_[1] = 0;
    missKey_ = EmptyKey;
  }
  // Gives every slot the empty pattern now. Until the next Reset the
  // operations may then be told that the table is Filled, which spares them
  // looking for blocks that are not.
  void Fill();

  // Enters key with its code. False when every slot the key's probe sequence
  // reaches is used; nothing is written then.
  template <bool Filled = false>
  bool Store(uint32_t key, uint16_t code) {
    // NextSlot doubles modulo 8009, and 2 has order 4004 there: a probe
    // sequence runs through one cycle of 4004 slots (after slot 0, when it
    // starts there) and never reaches the other half of the table. Up to 4089
    // strings can be entered between resets (minimum code size 2), so in
    // theory a cycle can be full. The probe count bounds the walk: 8009 probes
    // have seen every slot the sequence can reach.
    int slot = SlotOf(key);
    if (key == missKey_) {
      slot = missSlot_;
    } else {
      const auto used = [this](int at) {
        return ((Filled ? slots_[at] : Peek(at)) >> 12) != EmptyKey;
      };
      // The first two slots are looked at together and the choice between
      // them made with a mask rather than a branch: with the table at most
      // half full, one of them is nearly always free, and which one is
      // anybody's guess.
      const int second = NextSlot(slot);
      slot ^= (slot ^ second) & -static_cast<int>(used(slot));
      int probes = 1;
      while (used(slot)) {
        if (++probes == SlotCount) return false;
        slot = NextSlot(slot);
      }
    }
    (Filled ? slots_[slot] : Slot(slot)) = (key << 12) | (code & 0xFFFu);
    missKey_ = EmptyKey;
    return true;
  }
  // The code stored for key, or NotFound. A miss remembers the empty slot
  // that ended the search, where a Store of the same key that follows puts
  // it without probing again.
  template <bool Filled = false>
  uint16_t Find(uint32_t key) {
    int slot = SlotOf(key);
    for (int probes = 0; probes < SlotCount; ++probes) {
      const uint32_t entry = Filled ? slots_[slot] : Peek(slot);
      if ((entry >> 12) == key) return static_cast<uint16_t>(entry & 0xFFF);
      if ((entry >> 12) == EmptyKey) {
        missKey_ = key;
        missSlot_ = slot;
        return NotFound;
      }
      slot = NextSlot(slot);
    }
    missKey_ = EmptyKey;
    return NotFound;
  }

  // (key ^ (key >> 4)) mod 8009. Keys have 20 bits, and below 2^20 the
  // quotient is exactly (x * ceil(2^33 / 8009)) >> 33, which is quicker on the
  // path from one pixel to the next than the division a compiler emits for
  // any 32-bit value.
  static int SlotOf(uint32_t key) {
    const uint32_t x = key ^ (key >> 4);
    const auto quotient = static_cast<uint32_t>((uint64_t{x} * 1072536u) >> 33);
    return static_cast<int>(x - quotient * SlotCount);
  }
  // 2h mod 8009 for h > 0, and 8008 for 0.
  static int NextSlot(int slot) {
    const int next = slot == 0 ? -1 : slot - (SlotCount - slot);
    return next < 0 ? next + SlotCount : next;
  }

 private:
  static constexpr uint32_t EmptyKey = 0xFFFFF;
  static constexpr int BlockShift = 6;  // 64 slots to a block

  bool BlockFilled(int slot) const {
    const int block = slot >> BlockShift;
    return ((filled_[block >> 6] >> (block & 63)) & 1) != 0;
  }
  // The slot as it reads: empty when its block has not been filled.
  uint32_t Peek(int slot) const { return BlockFilled(slot) ? slots_[slot] : ~uint32_t{0}; }
  // The slot for writing, its block filled first when it has not been.
  uint32_t& Slot(int slot) {
    if (!BlockFilled(slot)) FillBlock(slot >> BlockShift);
    return slots_[slot];
  }
  void FillBlock(int block);

  uint32_t slots_[SlotCount];
  uint64_t filled_[2] = {0, 0};  // one bit per block of slots that holds valid entries
  uint32_t missKey_ = EmptyKey;  // the key of the last Find that missed, until a Store
  int missSlot_ = 0;             // the empty slot where that Find ended
};

// Greedy LZW with a hashed string table; the encoder every save uses. One
// encoder encodes any number of frames, one after the other, each frame's
// bytes the same as from a fresh encoder.
class TLZWEncoder final : public TGIFEncoder {
 protected:
  void EmitCode(int code) override;
  void ResetTable() override;
  void EncodePixels() override;

 private:
  // One bit more for the codes that follow; returns the new width's last code.
  static int Widen(int& codeWidth);
  // The string loop, for a table kept filled or filled as it is touched.
  template <bool Filled>
  void EncodeStrings();

  int nextFreeCode_ = 0;
  bool fillTable_ = false;  // the table is filled at each reset, not as touched
  // The string table, emptied at each reset.
  THashTable table_;

  // For each string, its extensions by the low four bits of the pixel: in
  // each of the 16 buckets the one entered or found last, as
  // (code << 4) | (pixel >> 4), the extension's row and the pixel's high
  // bits, or 0 (no string has an extension with code 0). Strings have few
  // extensions, and those of one string rarely share a bucket, so this
  // answers nearly every lookup with one load and no hashing.
  // Only buckets listed in crowded_ have held two extensions, and only their
  // extensions are entered in the hash table, all of them from the moment the
  // second arrives: a miss in any other bucket is certain without a search,
  // and most strings never cost a Store.
  // The extensions of the single-pixel strings, the strings every lookup
  // after a miss starts from, in a direct table: entry (root << 8) | pixel,
  // reached from the root's row of recent_ by a shift, holds
  // (generation << 12) | code, and counts only when its generation is the
  // current one, so a reset clears nothing. The generation goes on from
  // frame to frame, so a frame clears nothing either: only entries no frame
  // of this encoder has reached yet are zeroed, once, and the whole used
  // part when the generation wraps. The single-pixel strings keep their rows
  // of recent_ empty and have no use for the hash table.
  static constexpr int RootCount = 256;
  static constexpr uint32_t MaxGeneration = 0xFFFFF;
  uint32_t rootChildren_[RootCount * RootCount];
  uint32_t generation_ = 0;
  // Entries of rootChildren_ below it hold no current generation.
  std::size_t cleanRootEntries_ = 0;
  int cleanRecentRows_ = 0;  // rows of recent_ below it are all zero

  static constexpr int Buckets = 16;
  static constexpr int StringCodes = 4096;  // 12-bit codes
  uint16_t recent_[StringCodes][Buckets];
  uint16_t crowded_[StringCodes];  // bit b: bucket b of the string has held two extensions
};

// Run-length encoding inside a valid LZW code stream, selected by compression
// setting 1. It keeps no string table: a run of one pixel value goes out either
// as literal codes or, after a clear code, as the codes the decoder is about to
// define, each of which stands for a run one pixel longer than the one before.
// It follows the decoder's table growth by counting the codes sent since the
// last clear.
class TRLEEncoder final : public TGIFEncoder {
 protected:
  void ResetTable() override;
  void EncodePixels() override;

 private:
  // Emits a data code, counts it and widens the codes where the decoder does.
  void EmitCounted(int code);
  // Sends a run the cheaper way, counted in codes.
  void WriteRun(uint8_t pixel, int64_t length);
  void EmitRun(uint8_t pixel, int64_t length);
  void EmitLiterals(uint8_t pixel, int64_t length);

  int codeCount_ = 0;     // data codes sent since the last clear
  int widenAt_ = 0;       // codeCount_ at which the decoder's codes get one bit wider
  int literalLimit_ = 0;  // codeCount_ at which literal codes are preceded by a clear
  int runLimit_ = 0;      // the same for run codes, whose table must last
};

}  // namespace gif
