#include "gif/LZWEncoder.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "gif/Document.h"
#include "gif/Settings.h"

namespace gif {

namespace {

// Codes go up to 4095 in 12 bits; the encoder resets before it would assign
// 4095, so string codes stay at 4094 or below.
constexpr int MaxCodeWidth = 12;
constexpr int CodeSpace = 4096;
constexpr int LastAssignableCode = 4095;

}  // namespace

// ---- TGIFStream, TGIFWriter ------------------------------------------------------

std::size_t TGIFStream::Read(void*, std::size_t) {
  throw Exception(msg::InvalidStreamOperation);
}

std::size_t TGIFStream::Write(const void*, std::size_t) {
  throw Exception(msg::InvalidStreamOperation);
}

int64_t TGIFStream::Seek(int64_t, TSeekOrigin) {
  throw Exception(msg::InvalidStreamOperation);
}

TGIFWriter::~TGIFWriter() {
  if (count_ <= 1) return;
  try {
    FlushBlock();
  } catch (const std::exception&) {
    // The target already failed once; the first error is the one that counts.
  }
}

std::size_t TGIFWriter::Write(const void* buffer, std::size_t count) {
  const auto* from = static_cast<const uint8_t*>(buffer);
  std::size_t left = count;
  while (left > 0) {
    const std::size_t chunk = std::min(blockEnd_ - count_, left);
    std::memcpy(buffer_ + count_, from, chunk);
    count_ += chunk;
    from += chunk;
    left -= chunk;
    if (count_ == blockEnd_) EndBlock();
  }
  return count;
}

void TGIFWriter::EndBlock() {
  buffer_[blockStart_] = static_cast<uint8_t>(BlockSize - 1);
  blockStart_ += BlockSize;
  if (blockStart_ == BufferSize) {
    target_.WriteBuffer(buffer_, BufferSize);
    blockStart_ = 0;
  }
  count_ = blockStart_ + 1;
  blockEnd_ = blockStart_ + BlockSize;
}

void TGIFWriter::FlushBlock() {
  std::size_t end = blockStart_;
  if (count_ > blockStart_ + 1) {
    buffer_[blockStart_] = static_cast<uint8_t>(count_ - blockStart_ - 1);
    end = count_;
  }
  // Reset first: should the write fail, nothing is written a second time.
  blockStart_ = 0;
  count_ = 1;
  blockEnd_ = BlockSize;
  if (end > 0) target_.WriteBuffer(buffer_, end);
}

// ---- TGIFEncoder -----------------------------------------------------------------

void TGIFEncoder::Encode(TStream& stream, int bitsPerPixel, int colorLimit, const uint8_t* pixels,
                         bool interlaced, int height, int width) {
  colorLimit_ = colorLimit;
  minCodeSize_ = std::max(bitsPerPixel, 2);
  width_ = width;
  height_ = height;
  interlaced_ = interlaced;
  pixels_ = pixels;
  PutByte(stream, static_cast<uint8_t>(minCodeSize_));

  initialCodeWidth_ = minCodeSize_ + 1;
  codeWidth_ = initialCodeWidth_;
  maxCode_ = CodeLimit(initialCodeWidth_);
  clearCode_ = 1 << minCodeSize_;
  endCode_ = clearCode_ + 1;
  firstFreeCode_ = clearCode_ + 2;
  accumulator_ = 0;
  bitCount_ = 0;
  clearPending_ = false;
  current_ = pixels;
  pixelsLeft_ = interlaced ? int64_t{width} : int64_t{width} * height;
  row_ = 0;
  pass_ = 0;

  TGIFWriter writer(stream);
  writer_ = &writer;
  // An empty frame's code stream is the end code alone, without a clear code.
  if (pixels != nullptr && height > 0 && width > 0) EncodePixels();
  EmitCode(endCode_);
  writer.FlushBlock();
  writer_ = nullptr;
  PutByte(stream, 0);
}

void TGIFEncoder::EmitCode(int code) {
  accumulator_ |= static_cast<uint32_t>(code) << bitCount_;
  bitCount_ += codeWidth_;
  while (bitCount_ >= 8) {
    writer_->Put(static_cast<uint8_t>(accumulator_));
    accumulator_ >>= 8;
    bitCount_ -= 8;
  }
  // The last partial byte goes out with its unused high bits 0.
  if (code == endCode_ && bitCount_ > 0) {
    writer_->Put(static_cast<uint8_t>(accumulator_));
    accumulator_ = 0;
    bitCount_ = 0;
  }
}

void TGIFEncoder::ResetTable() {
  clearPending_ = true;
  EmitCode(clearCode_);
}

bool TGIFEncoder::NextInterlacedRow() {
  // GIF89a appendix E: rows 0, 8, 16, ...; 4, 12, ...; 2, 6, ...; 1, 3, 5, ...
  static constexpr int Step[4] = {8, 8, 4, 2};
  static constexpr int FirstRow[4] = {0, 4, 2, 1};
  pixelsLeft_ = width_;
  row_ += Step[pass_];
  // A pass without any row inside the frame (small heights) is skipped.
  while (row_ >= height_ && pass_ < 3) {
    ++pass_;
    row_ = FirstRow[pass_];
  }
  if (row_ >= height_) return false;
  current_ = pixels_ + static_cast<std::size_t>(row_) * static_cast<std::size_t>(width_);
  return true;
}

// ---- THashTable ------------------------------------------------------------------

void THashTable::Reset() {
  std::memset(slots_, 0xFF, sizeof slots_);
}

bool THashTable::Store(uint32_t key, uint16_t code) {
  // NextSlot doubles modulo 8009, and 2 has order 4004 there: a probe sequence
  // runs through one cycle of 4004 slots (after slot 0, when it starts there)
  // and never reaches the other half of the table. Up to 4089 strings can be
  // entered between resets (minimum code size 2), so in theory a cycle can be
  // full. The probe count bounds the walk: 8009 probes have seen every slot the
  // sequence can reach.
  int slot = SlotOf(key);
  for (int probes = 0; probes < SlotCount; ++probes) {
    if ((slots_[slot] >> 12) == EmptyKey) {
      slots_[slot] = (key << 12) | (code & 0xFFFu);
      return true;
    }
    slot = NextSlot(slot);
  }
  return false;
}

// ---- TLZWEncoder -----------------------------------------------------------------

void TLZWEncoder::EmitCode(int code) {
  TGIFEncoder::EmitCode(code);
  if (clearPending_) {
    codeWidth_ = initialCodeWidth_;
    maxCode_ = CodeLimit(initialCodeWidth_);
    clearPending_ = false;
  } else if (nextFreeCode_ > maxCode_) {
    // The decoder widens its codes once it has defined the width's last code;
    // it defines that entry one code later than the encoder, hence the test
    // after emitting.
    ++codeWidth_;
    maxCode_ = codeWidth_ == MaxCodeWidth ? CodeSpace : CodeLimit(codeWidth_);
  }
}

void TLZWEncoder::ResetTable() {
  TGIFEncoder::ResetTable();
  table_->Reset();
  nextFreeCode_ = firstFreeCode_;
}

void TLZWEncoder::EncodePixels() {
  const auto table = std::make_unique<THashTable>();
  table_ = table.get();
  ResetTable();
  int stringCode = CheckedPixel();
  while (AdvancePixel()) {
    const uint8_t pixel = CheckedPixel();
    const uint32_t key = (static_cast<uint32_t>(stringCode) << 8) | pixel;
    const uint16_t found = table_->Find(key);
    if (found != THashTable::NotFound) {
      stringCode = found;
      continue;
    }
    EmitCode(stringCode);
    stringCode = pixel;
    if (nextFreeCode_ >= LastAssignableCode) {
      // The string just ended is not entered: codes never exceed 4094.
      ResetTable();
    } else {
      // A string the table has no room for is simply never matched; its code
      // is still counted, since the decoder defines that code all the same.
      table_->Store(key, static_cast<uint16_t>(nextFreeCode_));
      ++nextFreeCode_;
    }
  }
  EmitCode(stringCode);
  table_ = nullptr;
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
  codeWidth_ = initialCodeWidth_;
  decoderNextCode_ = firstFreeCode_;
  decoderWidthLimit_ = 2 * clearCode_;
  codeAfterClear_ = true;
}

void TRLEEncoder::EmitData(int code) {
  TGIFEncoder::EmitCode(code);
  // The decoder's own bookkeeping: no entry for the first code after a clear,
  // one entry for every later code until its table is full, and one more bit
  // of width whenever the next free code reaches a power of two below 4096.
  if (codeAfterClear_) {
    codeAfterClear_ = false;
    return;
  }
  if (decoderNextCode_ > LastAssignableCode) return;
  ++decoderNextCode_;
  if (decoderNextCode_ >= decoderWidthLimit_ && decoderWidthLimit_ <= LastAssignableCode) {
    decoderWidthLimit_ *= 2;
    ++codeWidth_;
  }
}

void TRLEEncoder::EmitLiterals(uint8_t pixel, int64_t length) {
  for (int64_t i = 0; i < length; ++i) {
    // Literal codes gain nothing from the decoder's entries; a clear keeps
    // them at most one bit wider than the minimum.
    if (codeWidth_ > initialCodeWidth_ + 1) ResetTable();
    EmitData(pixel);
  }
}

void TRLEEncoder::EmitRun(uint8_t pixel, int64_t length) {
  while (length > 0) {
    if (!codeAfterClear_) ResetTable();
    EmitData(pixel);
    --length;
    // The last code stood for run pixels. Sending the code the decoder is
    // about to define makes it repeat that string and add its first pixel:
    // a run one longer, which the decoder enters under that code.
    int64_t run = 1;
    while (length > run && decoderNextCode_ <= LastAssignableCode) {
      EmitData(decoderNextCode_);
      ++run;
      length -= run;
    }
    // A remainder no longer than the last run has its code already: the
    // literal for one pixel, firstFreeCode_ + n - 2 for n pixels. With the
    // decoder's table full a longer remainder starts over after a clear.
    if (length > 0 && length <= run) {
      EmitData(length == 1 ? pixel : firstFreeCode_ + static_cast<int>(length) - 2);
      length = 0;
    }
  }
}

void TRLEEncoder::EncodePixels() {
  ResetTable();
  uint8_t runPixel = CheckedPixel();
  int64_t runLength = 1;
  const auto flushRun = [this, &runPixel, &runLength] {
    if (RunCodeCount(runLength) < runLength)
      EmitRun(runPixel, runLength);
    else
      EmitLiterals(runPixel, runLength);
  };
  while (AdvancePixel()) {
    const uint8_t pixel = CheckedPixel();
    if (pixel == runPixel) {
      ++runLength;
      continue;
    }
    flushRun();
    runPixel = pixel;
    runLength = 1;
  }
  flushRun();
}

// ---- EncodeImageData -------------------------------------------------------------

void EncodeImageData(const TGIFSubImage& frame, TStream& stream) {
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
    bitsPerPixel = image != nullptr ? image->PixelBits() : 0;
    colorLimit = 1 << bitsPerPixel;
  }
  const TImageDescriptor& d = frame.Descriptor;
  const uint8_t* pixels = frame.PixelData();
  if (pixels != nullptr && frame.PixelDataSize() < std::size_t{d.Width} * d.Height)
    RaiseGIFError(msg::PixelDataMismatch);

  const bool runLength = image != nullptr && image->Compression == gcRLE;
  std::unique_ptr<TGIFEncoder> encoder;
  if (runLength)
    encoder = std::make_unique<TRLEEncoder>();
  else
    encoder = std::make_unique<TLZWEncoder>();
  encoder->Encode(stream, bitsPerPixel, colorLimit, pixels, frame.IsInterlaced(), d.Height,
                  d.Width);
}

}  // namespace gif
