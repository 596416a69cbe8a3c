#include "gif/LZWEncoder.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "gif/Document.h"
#include "gif/LZWEncoderDetail.h"
#include "gif/Settings.h"

namespace gif {

namespace {

// Frames up to this many pixels fill the string table as they touch it.
constexpr int64_t LazyFillLimit = 4096;

// Pixels checked against the colour limit ahead of the LZW loop at a time.
constexpr std::ptrdiff_t StretchSize = 16384;

// Codes go up to 4095 in 12 bits; the encoder resets before it would assign
// 4095, so string codes stay at 4094 or below.
constexpr int MaxCodeWidth = 12;
constexpr int CodeSpace = 4096;
constexpr int LastAssignableCode = 4095;

// Returns pointer unchanged, but hides where it came from from the compiler:
// an address formed from it and an index is then not re-associated into a
// longer chain of additions through the index, which the LZW loop's hits
// wait on.
template <typename T>
T* Opaque(T* pointer) {
  __asm__("" : "+r"(pointer));
  return pointer;
}

// The calling thread's LZW encoder, kept between frames and saves; freed when
// the thread ends. Default-initialised: the encoder clears the parts of its
// tables it uses as it first reaches them.
thread_local std::unique_ptr<TLZWEncoder> cachedEncoder;

}  // namespace

// ---- TGIFEncoder -----------------------------------------------------------------

void TGIFEncoder::Encode(TStream& stream, int bitsPerPixel, int colorLimit, const uint8_t* pixels,
                         bool interlaced, int height, int width) {
  minCodeSize_ = std::max(bitsPerPixel, 2);
  // A pixel at or above the clear code would be read back as a control code
  // or a string, and would index past the encoders' per-root tables.
  colorLimit_ = std::min(colorLimit, 1 << minCodeSize_);
  width_ = width;
  height_ = height;
  interlaced_ = interlaced;
  pixels_ = pixels;
  PutByte(stream, static_cast<uint8_t>(minCodeSize_));

  initialCodeWidth_ = minCodeSize_ + 1;
  maxCode_ = CodeLimit(initialCodeWidth_);
  clearCode_ = 1 << minCodeSize_;
  endCode_ = clearCode_ + 1;
  firstFreeCode_ = clearCode_ + 2;
  packer_ = TCodePacker{packed_, 0, 0, initialCodeWidth_};
  clearPending_ = false;
  nextRow_ = 0;
  pass_ = 0;

  TGIFWriter writer(stream);
  writer_ = &writer;
  try {
    // An empty frame's code stream is the end code alone, without a clear code.
    if (pixels != nullptr && height > 0 && width > 0) EncodePixels();
    EmitCode(endCode_);
  } catch (...) {
    // The codes before the failure still go out, in a last sub-block without
    // terminator. Should the target fail now, the first error is the one
    // that passes on.
    try {
      FlushPacked();
      writer.FlushBlock();
    } catch (const std::exception&) {
    }
    writer_ = nullptr;
    throw;
  }
  FlushPacked();
  writer.WriteTerminator();
  writer_ = nullptr;
}

void TGIFEncoder::EmitCode(int code) {
  packer_.Pack(code);
  // The last partial byte goes out with its unused high bits 0.
  if (code == endCode_ && packer_.bitCount > 0) {
    ++packer_.out;
    packer_.accumulator = 0;
    packer_.bitCount = 0;
  }
  FlushPackedIfFull();
}

void TGIFEncoder::ResetTable() {
  clearPending_ = true;
  EmitCode(clearCode_);
}

void TGIFEncoder::FlushPacked() {
  // Only complete bytes are handed over; the partial one is rewritten from
  // the accumulator by the next code.
  writer_->Write(packed_, static_cast<std::size_t>(packer_.out - packed_));
  packer_.out = packed_;
}

bool TGIFEncoder::NextRow(const uint8_t*& begin, const uint8_t*& end) {
  if (nextRow_ < 0) return false;
  const auto width = static_cast<std::size_t>(width_);
  if (!interlaced_) {
    begin = pixels_;
    end = pixels_ + width * static_cast<std::size_t>(height_);
    nextRow_ = -1;
    return true;
  }
  begin = pixels_ + width * static_cast<std::size_t>(nextRow_);
  end = begin + width;
  // GIF89a appendix E: rows 0, 8, 16, ...; 4, 12, ...; 2, 6, ...; 1, 3, 5, ...
  // A pass without any row inside the frame (small heights) is skipped.
  static constexpr int Step[4] = {8, 8, 4, 2};
  static constexpr int FirstRow[4] = {0, 4, 2, 1};
  nextRow_ += Step[pass_];
  while (nextRow_ >= height_ && pass_ < 3) {
    ++pass_;
    nextRow_ = FirstRow[pass_];
  }
  if (nextRow_ >= height_) nextRow_ = -1;
  return true;
}

const uint8_t* TGIFEncoder::FirstBadPixel(const uint8_t* begin, const uint8_t* end) const {
  if (colorLimit_ > 255) return end;
  // Almost every stretch is clean: a maximum without early exit, which the
  // compiler vectorises, clears it at once.
  uint8_t highest = 0;
  for (const uint8_t* p = begin; p != end; ++p) highest = std::max(highest, *p);
  if (highest < colorLimit_) return end;
  const auto limit = static_cast<uint8_t>(colorLimit_);
  return std::find_if(begin, end, [limit](uint8_t pixel) { return pixel >= limit; });
}

// ---- THashTable ------------------------------------------------------------------

void THashTable::Fill() {
  std::memset(slots_, 0xFF, sizeof slots_);
  filled_[0] = filled_[1] = ~uint64_t{0};
}

void THashTable::FillBlock(int block) {
  const int first = block << BlockShift;
  const int count = std::min(1 << BlockShift, SlotCount - first);
  std::memset(slots_ + first, 0xFF, static_cast<std::size_t>(count) * sizeof(uint32_t));
  filled_[block >> 6] |= uint64_t{1} << (block & 63);
}

// ---- TLZWEncoder -----------------------------------------------------------------

void TLZWEncoder::EmitCode(int code) {
  TGIFEncoder::EmitCode(code);
  if (clearPending_) {
    packer_.codeWidth = initialCodeWidth_;
    maxCode_ = CodeLimit(initialCodeWidth_);
    clearPending_ = false;
  } else if (nextFreeCode_ > maxCode_) {
    maxCode_ = Widen(packer_.codeWidth);
  }
}

int TLZWEncoder::Widen(int& codeWidth) {
  // The decoder widens its codes once it has defined the width's last code;
  // it defines each entry one code later than the encoder, hence the test
  // after emitting.
  ++codeWidth;
  return codeWidth == MaxCodeWidth ? CodeSpace : CodeLimit(codeWidth);
}

void TLZWEncoder::ResetTable() {
  TGIFEncoder::ResetTable();
  table_.Reset();
  if (fillTable_) table_.Fill();
  nextFreeCode_ = firstFreeCode_;
  // Every later code forgets its extensions when it is assigned again, and
  // the single-pixel strings' extensions go stale with a new generation.
  if (++generation_ > MaxGeneration) {
    std::memset(rootChildren_, 0, cleanRootEntries_ * sizeof rootChildren_[0]);
    generation_ = 1;
  }
}

void TLZWEncoder::EncodePixels() {
  // A small frame touches few slots of the table, and filling them as they
  // are touched spares it clearing the whole table. A larger one touches
  // most of them; it fills the table at each reset and searches it without
  // looking for unfilled slots.
  const int64_t pixels = int64_t{width_} * height_;
  fillTable_ = pixels > LazyFillLimit;
  // The single-pixel strings never write their rows of recent_, which stay
  // zero from frame to frame; only rows that an earlier frame with a smaller
  // clear code used for longer strings are cleared.
  const auto roots = static_cast<std::size_t>(clearCode_);
  const auto cleanRows = static_cast<std::size_t>(cleanRecentRows_);
  if (cleanRows < roots)
    std::memset(recent_[cleanRows], 0, (roots - cleanRows) * sizeof recent_[0]);
  cleanRecentRows_ = clearCode_;
  const std::size_t rootEntries = roots * RootCount;
  if (cleanRootEntries_ < rootEntries) {
    std::memset(rootChildren_ + cleanRootEntries_, 0,
                (rootEntries - cleanRootEntries_) * sizeof rootChildren_[0]);
    cleanRootEntries_ = rootEntries;
  }
  if (fillTable_)
    EncodeStrings<true>();
  else
    EncodeStrings<false>();
}

template <bool Filled>
void TLZWEncoder::EncodeStrings() {
  ResetTable();

  const uint8_t* p = nullptr;
  const uint8_t* end = nullptr;
  NextRow(p, end);
  if (FirstBadPixel(p, p + 1) != p + 1) RaiseGIFError(msg::ColorNotInTable);
  // The current string is kept as its code times Buckets, the index of its
  // row of recent_: an entry holds an extension in the same form, so a hit
  // leads to the next entry through an exclusive or and the load alone.
  uint32_t row = static_cast<uint32_t>(*p++) * Buckets;

  // The loop keeps the packer, the code counter and the width's last code in
  // locals, field by field: the code bytes it stores could otherwise alias
  // them and force reloads on every pixel.
  TCodePacker packer{};
  int nextFree = 0;
  int maxCode = 0;
  const auto save = [&] {
    packer_.out = packer.out;
    packer_.accumulator = packer.accumulator;
    packer_.bitCount = packer.bitCount;
    packer_.codeWidth = packer.codeWidth;
    nextFreeCode_ = nextFree;
    maxCode_ = maxCode;
  };
  const auto load = [&] {
    packer.out = packer_.out;
    packer.accumulator = packer_.accumulator;
    packer.bitCount = packer_.bitCount;
    packer.codeWidth = packer_.codeWidth;
    nextFree = nextFreeCode_;
    maxCode = maxCode_;
  };
  load();
  const uint8_t* const packedLimit = PackedLimit();
  THashTable& strings = table_;
  const auto rootRows = static_cast<uint32_t>(clearCode_) * Buckets;
  uint32_t generation = generation_;
  // Ends the current string before the pixel that does not extend it: emits
  // its code and readies the next free code for the string that continues
  // with that pixel. False when the table was reset instead, the string just
  // ended not being entered (codes never exceed 4094).
  const auto endString = [&](uint32_t stringCode) -> bool {
    packer.Pack(static_cast<int>(stringCode));
    if (nextFree > maxCode) maxCode = Widen(packer.codeWidth);
    if (nextFree >= LastAssignableCode) {
      save();
      FlushPackedIfFull();
      ResetTable();
      load();
      generation = generation_;
      return false;
    }
    std::memset(recent_[nextFree], 0, sizeof recent_[nextFree]);
    crowded_[nextFree] = 0;
    return true;
  };
  // Starts the next string with pixel once the ended one has been entered.
  const auto nextString = [&](uint32_t pixel) {
    row = pixel * Buckets;
    ++nextFree;
    if (packer.out >= packedLimit) {
      save();
      FlushPacked();
      load();
    }
  };
  do {
    while (p != end) {
      // Checked a stretch at a time, small enough to stay in the cache for
      // the encoding that follows.
      const uint8_t* stretchEnd = end - p > StretchSize ? p + StretchSize : end;
      const uint8_t* bad = FirstBadPixel(p, stretchEnd);
      for (; p != bad; ++p) {
        const uint32_t pixel = *p;
        // A single-pixel string has a table of its own, and its row of
        // recent_ stays empty. The test is taken first: whichever way it
        // goes, it is foreseen far more often than not, and it spares a
        // string that starts after a miss a load that cannot hit.
        if (row < rootRows) {
          uint32_t& child = rootChildren_[row * (RootCount / Buckets) | pixel];
          if ((child >> 12) == generation) {
            row = (child & 0xFFF) * Buckets;
            continue;
          }
          if (!endString(row / Buckets)) {
            row = pixel * Buckets;
            continue;
          }
          child = (generation << 12) | static_cast<uint32_t>(nextFree);
          nextString(pixel);
          continue;
        }
        const uint32_t bucket = pixel & (Buckets - 1);
        const uint32_t tag = pixel >> 4;
        // The pixel's column of entries, then the string's row in it: the
        // load that continues a string waits on nothing but the exclusive or
        // before it.
        auto* const column = Opaque(reinterpret_cast<unsigned char*>(&recent_[0][bucket]));
        uint16_t& entry =
            *reinterpret_cast<uint16_t*>(column + std::size_t{row} * sizeof recent_[0][0]);
        // An entry with this pixel's tag leaves the extension's row, a
        // nonzero multiple of Buckets; any other entry leaves 0 or a value
        // with one of its low four bits set.
        const uint32_t tagged = entry ^ tag;
        if ((tagged & (Buckets - 1)) == 0 && tagged != 0) {
          row = tagged;
          continue;
        }
        const uint32_t stringCode = row / Buckets;
        const uint32_t key = (stringCode << 8) | pixel;
        if (((crowded_[stringCode] >> bucket) & 1) != 0) {
          const uint16_t found = strings.template Find<Filled>(key);
          if (found != THashTable::NotFound) {
            entry = static_cast<uint16_t>(found * Buckets | tag);
            row = found * Buckets;
            continue;
          }
        }
        if (!endString(stringCode)) {
          row = pixel * Buckets;
          continue;
        }
        const auto newEntry =
            static_cast<uint16_t>(static_cast<uint32_t>(nextFree) * Buckets | tag);
        if (entry == 0) {
          // The first extension in its bucket lives there alone; the table
          // gets it only should the bucket ever need a search.
          entry = newEntry;
        } else {
          const uint16_t crowdBit = static_cast<uint16_t>(1u << bucket);
          if ((crowded_[stringCode] & crowdBit) == 0) {
            // The bucket becomes crowded: from now on the table holds every
            // extension in it, the one there so far first.
            crowded_[stringCode] |= crowdBit;
            const uint32_t held = (stringCode << 8) | ((entry & 0xFu) << 4) | bucket;
            strings.template Store<Filled>(held, static_cast<uint16_t>(entry / Buckets));
          }
          // A string the table has no room for is simply never matched; its
          // code is still counted, since the decoder defines that code all
          // the same.
          if (strings.template Store<Filled>(key, static_cast<uint16_t>(nextFree)))
            entry = newEntry;
        }
        nextString(pixel);
      }
      if (bad != stretchEnd) {
        save();
        RaiseGIFError(msg::ColorNotInTable);
      }
    }
  } while (NextRow(p, end));
  save();
  EmitCode(static_cast<int>(row / Buckets));
}

// ---- TRLEEncoder -----------------------------------------------------------------

namespace {

// Codes needed for a run of length pixels sent as growing runs after a clear:
// the clear code, one code per run of 1, 2, ... k pixels with 1 + 2 + ... + k
// <= length, and one code for what is left.
int64_t RunCodeCount(int64_t length) {
  int64_t k = 0;
  int64_t covered = 0;
  while (covered + k + 1 <= length) covered += ++k;
  return 1 + k + (covered < length ? 1 : 0);
}

}  // namespace

void TRLEEncoder::ResetTable() {
  TGIFEncoder::ResetTable();
  clearPending_ = false;
  packer_.codeWidth = initialCodeWidth_;
  codeCount_ = 0;
  // The decoder enters no string for the first code after a clear and one
  // for each later code; its next free code reaches 2 x clear code, where it
  // widens, with the (clear code - 1)th code.
  widenAt_ = clearCode_ - 1;
}

void TRLEEncoder::EmitCounted(int code) {
  TGIFEncoder::EmitCode(code);
  ++codeCount_;
  if (codeCount_ == widenAt_ && packer_.codeWidth < MaxCodeWidth) {
    ++packer_.codeWidth;
    widenAt_ += 1 << (packer_.codeWidth - 1);
  }
}

void TRLEEncoder::EmitLiterals(uint8_t pixel, int64_t length) {
  for (int64_t i = 0; i < length; ++i) {
    if (codeCount_ >= literalLimit_) ResetTable();
    EmitCounted(pixel);
  }
}

void TRLEEncoder::WriteRun(uint8_t pixel, int64_t length) {
  if (length == 0) return;
  if (RunCodeCount(length) < length)
    EmitRun(pixel, length);
  else
    EmitLiterals(pixel, length);
}

void TRLEEncoder::EmitRun(uint8_t pixel, int64_t length) {
  while (length > 0) {
    // The run codes stand for the strings the decoder enters after a clear.
    if (codeCount_ > 0) ResetTable();
    EmitCounted(pixel);
    --length;
    // The last code stood for run pixels. Sending the code the decoder is
    // about to define makes it repeat that string and add its first pixel:
    // a run one longer, which the decoder enters under that code.
    int64_t run = 1;
    while (length > run && codeCount_ < runLimit_) {
      EmitCounted(firstFreeCode_ + static_cast<int>(run) - 1);
      ++run;
      length -= run;
    }
    // A remainder no longer than the last run has its code already: the
    // literal for one pixel, firstFreeCode_ + n - 2 for n pixels. Past the
    // limit a longer remainder starts over after a clear.
    if (length > 0 && length <= run && codeCount_ < runLimit_) {
      EmitCounted(length == 1 ? pixel : firstFreeCode_ + static_cast<int>(length) - 2);
      length = 0;
    }
  }
}

void TRLEEncoder::EncodePixels() {
  // Literal codes gain nothing from the decoder's entries: a clear before the
  // count makes it widen keeps them at the initial width. For the smallest
  // code sizes a clear every few codes would cost more than the one bit it
  // saves, and they clear after 9 codes instead, one bit wider. Run codes use
  // the decoder's table nearly up to its last entries.
  literalLimit_ = minCodeSize_ <= 3 ? 9 : clearCode_ - 2;
  runLimit_ = LastAssignableCode - firstFreeCode_;
  ResetTable();
  const uint8_t* p = nullptr;
  const uint8_t* end = nullptr;
  NextRow(p, end);
  uint8_t runPixel = *p;
  int64_t runLength = 0;
  // Runs go on across rows: the decoder fills the rows in the same order.
  do {
    const uint8_t* bad = FirstBadPixel(p, end);
    for (; p != bad; ++p) {
      if (*p == runPixel) {
        ++runLength;
        continue;
      }
      WriteRun(runPixel, runLength);
      runPixel = *p;
      runLength = 1;
    }
    if (bad != end) RaiseGIFError(msg::ColorNotInTable);
  } while (NextRow(p, end));
  WriteRun(runPixel, runLength);
}

// ---- EncodeImageData -------------------------------------------------------------

void EncodeImageData(const TGIFSubImage& frame, TStream& stream) {
  const TGIFImage* image = frame.Image();
  EncodeImageData(frame, stream, image != nullptr ? image->PixelBits() : 0);
}

void EncodeImageData(const TGIFSubImage& frame, TStream& stream, int documentPixelBits) {
  const TGIFLocalColorMap& local = frame.LocalMap();
  const TGIFImage* image = frame.Image();
  int bitsPerPixel = 0;
  int colorLimit = 0;
  if (local.EntryCount() > 0) {
    bitsPerPixel = local.TableBits();
    colorLimit = local.EntryCount();
  } else {
    // The global map's own entry count is not consulted: pixels are checked
    // against the table size the document's widest map implies.
    bitsPerPixel = documentPixelBits;
    colorLimit = 1 << bitsPerPixel;
  }
  const TImageDescriptor& d = frame.Descriptor;
  const uint8_t* pixels = frame.PixelData();
  if (pixels != nullptr && frame.PixelDataSize() < std::size_t{d.Width} * d.Height)
    RaiseGIFError(msg::PixelDataMismatch);

  const bool interlaced = frame.IsInterlaced();
  if (image != nullptr && image->Compression == gcRLE) {
    TRLEEncoder encoder;
    encoder.Encode(stream, bitsPerPixel, colorLimit, pixels, interlaced, d.Height, d.Width);
    return;
  }
  // The LZW encoder is taken from the thread's cache and put back afterwards,
  // whether the frame succeeds or not: allocating its tables for every frame
  // would cost a small frame more than encoding it, and a reused encoder
  // clears nothing for the next one. A save started from inside a save (a
  // stream that saves as it is written to) finds the cache empty and gets an
  // encoder of its own.
  struct TReturnToCache {
    std::unique_ptr<TLZWEncoder> encoder = std::move(cachedEncoder);
    ~TReturnToCache() { cachedEncoder = std::move(encoder); }
  } lease;
  if (!lease.encoder) lease.encoder = std::make_unique_for_overwrite<TLZWEncoder>();
  lease.encoder->Encode(stream, bitsPerPixel, colorLimit, pixels, interlaced, d.Height, d.Width);
}

}  // namespace gif
