// Byte streams: the readable, writable, seekable base with the inline reads the
// parser lives on, a stream over memory and a stream on a named file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "gif/Exceptions.h"

namespace gif {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

// A readable, writable, seekable sequence of bytes. Read and Write return the
// count actually transferred; ReadBuffer and WriteBuffer raise when short.
class TStream {
 public:
  virtual ~TStream() = default;
  TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;

  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
  virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
  // Returns the new position. Seeking before the start clamps to 0.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  virtual int64_t Size();

  int64_t Position() { return next_ != nullptr ? next_ - begin_ : Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(int64_t position) {
    if (next_ != nullptr && position >= 0 && position <= end_ - begin_)
      next_ = begin_ + position;
    else
      Seek(position, TSeekOrigin::soBeginning);
  }
  // Moves the position by offset bytes, either way.
  void Skip(int64_t offset) {
    if (next_ != nullptr && offset >= begin_ - next_ && offset <= end_ - next_)
      next_ += offset;
    else
      Seek(offset, TSeekOrigin::soCurrent);
  }

  // Read, for the many small reads of a parser: the bytes of a stream over
  // memory are taken in place, without a virtual call.
  std::size_t ReadSome(void* buffer, std::size_t count) {
    // 1 <= count <= the bytes in place (memcpy must not see the null window
    // of other streams).
    if (count - 1 < static_cast<std::size_t>(end_ - next_)) {
      std::memcpy(buffer, next_, count);
      next_ += count;
      return count;
    }
    return count == 0 ? 0 : Read(buffer, count);
  }
  // The next count bytes where the stream holds them, the position moved
  // past them; null, with the position unchanged, for a stream that does not
  // hold them in memory or has fewer left.
  const uint8_t* TakeInPlace(std::size_t count) {
    if (count > static_cast<std::size_t>(end_ - next_)) return nullptr;
    const uint8_t* taken = next_;
    next_ += count;
    return taken;
  }
  bool ReadByte(uint8_t& byte) {
    if (next_ != end_) {
      byte = *next_++;
      return true;
    }
    return Read(&byte, 1) == 1;
  }

  void ReadBuffer(void* buffer, std::size_t count);
  void WriteBuffer(const void* buffer, std::size_t count);

 protected:
  // Bytes a stream holds in memory, position 0 at begin, the current
  // position at next: what the inline reads and moves above work on. A
  // stream keeps them in step with its position, or leaves all three null
  // (then every call goes to its virtual functions).
  void SetWindow(const uint8_t* begin, const uint8_t* next, const uint8_t* end) {
    begin_ = begin;
    next_ = next;
    end_ = end;
  }
  const uint8_t* WindowNext() const { return next_; }
  const uint8_t* WindowBegin() const { return begin_; }

 private:
  const uint8_t* begin_ = nullptr;
  const uint8_t* next_ = nullptr;
  const uint8_t* end_ = nullptr;
};

// A stream over a growable block of memory.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<uint8_t> bytes) : data_(std::move(bytes)) {}
  TMemoryStream(const void* bytes, std::size_t count);

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(data_.size()); }

  // Direct access for code that parses from memory without a copy.
  const uint8_t* Memory() const { return data_.data(); }
  const std::vector<uint8_t>& Bytes() const { return data_; }
  void Clear();
  // Room for `bytes` in all, so that writes up to there never move the data:
  // pages that are never written are never touched.
  void Reserve(std::size_t bytes);
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName);

 private:
  static constexpr std::size_t MinimumCapacity = 65536;

  // The position, wherever it is kept.
  std::size_t Here() const;
  // Sets the position, and hands the bytes to the inline reads when it can.
  void MoveTo(std::size_t position);

  std::vector<uint8_t> data_;
  std::size_t position_ = 0;  // the position while the inline reads have no window
};

// A stream on a named file.
class TFileStream : public TStream {
 public:
  enum class Mode {
    OpenRead,  // existing file, read only; others may read but not write
    Create,    // create or truncate, read and write, exclusive
  };
  TFileStream(const std::string& fileName, Mode mode);
  // Takes over a descriptor opened elsewhere, for reading and writing as it
  // allows; fileName is what FileName() answers.
  TFileStream(int fd, const std::string& fileName) : fileName_(fileName), fd_(fd) {}
  ~TFileStream() override;

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override;

  // Pushes written data to the storage device; raises EWriteError on failure.
  void Flush();
  const std::string& FileName() const { return fileName_; }

 private:
  std::string fileName_;
  int fd_ = -1;
};

}  // namespace gif
