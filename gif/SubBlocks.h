// Chains of data sub-blocks (GIF89a section 15): a length byte of 1..255 and
// that many bytes, repeated, then a zero length byte, the block terminator.
// Every extension body and every frame's image data is such a chain.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gif/Streams.h"

namespace gif {

// Reads one chain, a sub-block at a time. Every length is checked against
// the data: a sub-block that the data cuts short is never taken for whole.
class TSubBlockReader {
 public:
  static constexpr std::size_t MaxLength = 255;

  explicit TSubBlockReader(TStream& stream) : stream_(stream) {}
  TSubBlockReader(const TSubBlockReader&) = delete;
  TSubBlockReader& operator=(const TSubBlockReader&) = delete;

  // Reads the next sub-block into block, which has room for MaxLength bytes,
  // and returns its length. 0 once the terminator has been read, or where the
  // data ends in place of a length byte. Raises "Premature end of data" when
  // the data ends inside the sub-block.
  std::size_t Next(uint8_t* block);
  // Next without a copy where the stream holds the bytes in memory: bytes
  // then points there, else into spare (room for MaxLength bytes).
  std::size_t Next(const uint8_t*& bytes, uint8_t* spare);
  // Reads the next length byte alone; 0 as for Next. The caller reads the
  // sub-block's bytes itself.
  std::size_t NextLength();
  // Steps over what is left of the chain, the terminator included. False when
  // the data ends first, inside a sub-block or in place of a length byte. The
  // sub-blocks are sought over, not read: a length beyond the data leaves the
  // stream past its end, where every later read finds nothing.
  bool SkipRest();
  // The sub-blocks from the position of stream to the end of its chain, the
  // position left where it was; for sizing what will hold them.
  static std::size_t CountAhead(TStream& stream);
  // The terminator has been read.
  bool Terminated() const { return terminated_; }
  // No sub-block is left: the terminator was read or the data ended.
  bool Done() const { return done_; }

 private:
  TStream& stream_;
  bool done_ = false;
  bool terminated_ = false;
};

// A write-only stream that packs what is written to it into data sub-blocks on
// a target stream. Reading and seeking make no sense on it and raise; the bare
// base refuses writes too, TGIFWriter accepts them.
class TGIFStream : public TStream {
 public:
  explicit TGIFStream(TStream& target) : target_(target) {}

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;

 protected:
  TStream& target_;
};

// Writes one chain. What is written goes into sub-blocks of 255 data bytes;
// CloseSubBlock ends a shorter one where the caller wants a sub-block to end
// (a text line, a raw block). Sub-blocks are gathered in one buffer and go to
// the target in a single write when it is full or when the writer is flushed,
// so the target sees a few large writes instead of one per sub-block; the
// bytes are the same.
class TGIFWriter final : public TGIFStream {
 public:
  explicit TGIFWriter(TStream& target) : TGIFStream(target) {}
  // Writes what is still held. A failure of the target then is swallowed: a
  // destructor must not throw, and a caller that needs to know flushes first.
  ~TGIFWriter() override;
  TGIFWriter(const TGIFWriter&) = delete;
  TGIFWriter& operator=(const TGIFWriter&) = delete;

  std::size_t Write(const void* buffer, std::size_t count) override;
  // Ends the sub-block being filled, when it holds anything, so that the next
  // byte starts a new one.
  void CloseSubBlock();
  // One sub-block of exactly count bytes, 1..255.
  void WriteSubBlock(const void* data, std::size_t count) {
    Write(data, count);
    CloseSubBlock();
  }
  // Writes every held byte, the partly filled sub-block included. Never writes
  // an empty sub-block.
  void FlushBlock();
  // Writes every held byte and the block terminator: the chain is complete.
  void WriteTerminator();

 private:
  static constexpr std::size_t BlockSize = 256;  // length byte and up to 255 data bytes
  static constexpr std::size_t BufferSize = 64 * BlockSize;

  // Closes the full sub-block; starts the next one, writing the buffer out
  // first when it is full.
  void EndBlock();
  // Starts a sub-block at index at, writing the buffer out first when a full
  // sub-block would not fit behind it.
  void StartBlock(std::size_t at);

  uint8_t buffer_[BufferSize];
  std::size_t blockStart_ = 0;        // index of the current sub-block's length byte
  std::size_t count_ = 1;             // bytes in use, up to the current sub-block's end
  std::size_t blockEnd_ = BlockSize;  // one past the current sub-block's last data byte
};

}  // namespace gif
