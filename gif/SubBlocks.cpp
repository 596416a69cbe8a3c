#include "gif/SubBlocks.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "gif/Basics.h"
#include "gif/Format.h"
#include "gif/Messages.h"

namespace gif {

std::size_t TSubBlockReader::NextLength() {
  if (done_) return 0;
  uint8_t length = 0;
  if (!stream_.ReadByte(length)) {
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

std::size_t TSubBlockReader::Next(const uint8_t*& bytes, uint8_t* spare) {
  const std::size_t length = NextLength();
  if (length == 0) return 0;
  bytes = stream_.TakeInPlace(length);
  if (bytes == nullptr) {
    ReadExact(stream_, spare, length);
    bytes = spare;
  }
  return length;
}

std::size_t TSubBlockReader::CountAhead(TStream& stream) {
  const int64_t start = stream.Position();
  TSubBlockReader chain(stream);
  std::size_t count = 0;
  while (const std::size_t length = chain.NextLength()) {
    ++count;
    stream.Skip(static_cast<int64_t>(length));
  }
  stream.SetPosition(start);
  return count;
}

bool TSubBlockReader::SkipRest() {
  while (const std::size_t length = NextLength()) stream_.Skip(static_cast<int64_t>(length));
  return terminated_;
}

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
  // Nothing held, nothing written: flushing is then a no-op.
  try {
    FlushBlock();
  } catch (const std::exception&) {
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
  StartBlock(blockStart_ + BlockSize);
}

void TGIFWriter::CloseSubBlock() {
  if (count_ == blockStart_ + 1) return;
  buffer_[blockStart_] = static_cast<uint8_t>(count_ - blockStart_ - 1);
  StartBlock(count_);
}

void TGIFWriter::StartBlock(std::size_t at) {
  if (at + BlockSize > BufferSize) {
    target_.WriteBuffer(buffer_, at);
    at = 0;
  }
  blockStart_ = at;
  count_ = at + 1;
  blockEnd_ = at + BlockSize;
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

void TGIFWriter::WriteTerminator() {
  CloseSubBlock();
  // The empty sub-block that follows is the terminator; StartBlock left room.
  buffer_[blockStart_] = fmt::BlockTerminator;
  const std::size_t end = blockStart_ + 1;
  blockStart_ = 0;
  count_ = 1;
  blockEnd_ = BlockSize;
  target_.WriteBuffer(buffer_, end);
}

}  // namespace gif
