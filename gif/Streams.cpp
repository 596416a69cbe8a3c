// The streams' out-of-line parts: the memory stream's growth and its window
// for the inline reads, and the file stream's system calls and locks.
#include "gif/Streams.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <typeinfo>
#include <utility>

#include "gif/Exceptions.h"
#include "gif/MessageFormat.h"
#include "gif/Messages.h"

namespace gif {

int64_t TStream::Size() {
  const int64_t here = Position();
  const int64_t end = Seek(0, TSeekOrigin::soEnd);
  Seek(here, TSeekOrigin::soBeginning);
  return end;
}

void TStream::ReadBuffer(void* buffer, std::size_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError(msg::StreamRead);
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError(msg::StreamWrite);
}

TMemoryStream::TMemoryStream(const void* bytes, std::size_t count)
    : data_(static_cast<const uint8_t*>(bytes), static_cast<const uint8_t*>(bytes) + count) {}

std::size_t TMemoryStream::Here() const {
  return WindowNext() != nullptr ? static_cast<std::size_t>(WindowNext() - WindowBegin())
                                 : position_;
}

void TMemoryStream::MoveTo(std::size_t position) {
  // A class derived from this one may count or refuse reads in its own Read,
  // which then has to see every one of them: only this class itself hands
  // its bytes out in place. While an object is still being constructed its
  // type reads as this class, so the window opens at the first call that
  // comes here, not in a constructor.
  if (position <= data_.size() && !data_.empty() && typeid(*this) == typeid(TMemoryStream)) {
    SetWindow(data_.data(), data_.data() + position, data_.data() + data_.size());
  } else {
    SetWindow(nullptr, nullptr, nullptr);
    position_ = position;
  }
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
  const std::size_t here = Here();
  if (here >= data_.size()) {
    MoveTo(here);
    return 0;
  }
  const std::size_t n = std::min(count, data_.size() - here);
  std::memcpy(buffer, data_.data() + here, n);
  MoveTo(here + n);
  return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
  if (count == 0) return 0;
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  const std::size_t here = Here();
  // A write past the end after a seek leaves zero bytes in between.
  if (here > data_.size()) data_.resize(here);
  const std::size_t overwritten = std::min(count, data_.size() - here);
  // An empty vector's storage may be null, which memcpy must not see even for
  // zero bytes.
  if (overwritten > 0) std::memcpy(data_.data() + here, bytes, overwritten);
  if (overwritten < count) {
    // Grow geometrically so that many small writes stay linear overall, from
    // 64 KiB so that most GIF files need a single allocation (pages the file
    // never reaches are never touched). The new bytes are appended, not
    // zeroed and then copied over.
    const std::size_t end = here + count;
    if (end > data_.capacity())
      data_.reserve(std::max({end, data_.capacity() * 2, MinimumCapacity}));
    data_.insert(data_.end(), bytes + overwritten, bytes + count);
  }
  MoveTo(here + count);
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = 0;
  if (origin == TSeekOrigin::soCurrent) base = static_cast<int64_t>(Here());
  if (origin == TSeekOrigin::soEnd) base = static_cast<int64_t>(data_.size());
  int64_t target = base + offset;
  if (target < 0) target = 0;
  MoveTo(static_cast<std::size_t>(target));
  return target;
}

void TMemoryStream::Reserve(std::size_t bytes) {
  const std::size_t here = Here();
  data_.reserve(bytes);
  MoveTo(here);
}

void TMemoryStream::Clear() {
  data_.clear();
  MoveTo(0);
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
  TFileStream file(fileName, TFileStream::Mode::OpenRead);
  const int64_t size = file.Size();
  std::vector<uint8_t> bytes(static_cast<std::size_t>(size));
  file.ReadBuffer(bytes.data(), bytes.size());
  data_ = std::move(bytes);
  MoveTo(0);
}

void TMemoryStream::SaveToFile(const std::string& fileName) {
  TFileStream file(fileName, TFileStream::Mode::Create);
  file.WriteBuffer(data_.data(), data_.size());
}

namespace {

std::string SystemErrorText(int error) {
  // Sentence form for the end of "Cannot open file "x". <text>".
  std::string text = std::strerror(error);
  return text;
}

}  // namespace

TFileStream::TFileStream(const std::string& fileName, Mode mode) : fileName_(fileName) {
  if (mode == Mode::OpenRead) {
    fd_ = fileName.empty() ? -1 : ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    int error = fd_ < 0 ? (fileName.empty() ? ENOENT : errno) : 0;
    // Writers elsewhere are kept out with an advisory shared lock; a file that
    // somebody is rewriting under an exclusive lock is refused.
    if (fd_ >= 0 && ::flock(fd_, LOCK_SH | LOCK_NB) != 0) {
      error = errno;
      ::close(fd_);
      fd_ = -1;
    }
    // A folder opens for reading on Linux but cannot be read as a file.
    struct stat st {};
    if (fd_ >= 0 && ::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
      error = EISDIR;
      ::close(fd_);
      fd_ = -1;
    }
    if (fd_ < 0) {
      throw EFOpenError(
          FormatMessage(msg::CannotOpenFile, {ExpandFileName(fileName), SystemErrorText(error)}));
    }
  } else {
    fd_ = fileName.empty() ? -1 : ::open(fileName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    int error = fd_ < 0 ? (fileName.empty() ? ENOENT : errno) : 0;
    if (fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
      error = errno;
      ::close(fd_);
      fd_ = -1;
    }
    // Truncate only once the lock is held, so a refused create leaves the file.
    if (fd_ >= 0 && ::ftruncate(fd_, 0) != 0) {
      error = errno;
      ::close(fd_);
      fd_ = -1;
    }
    if (fd_ < 0) {
      throw EFCreateError(
          FormatMessage(msg::CannotCreateFile, {ExpandFileName(fileName), SystemErrorText(error)}));
    }
  }
}

TFileStream::~TFileStream() {
  if (fd_ >= 0) ::close(fd_);
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
  std::size_t done = 0;
  auto* out = static_cast<uint8_t*>(buffer);
  while (done < count) {
    const ssize_t n = ::read(fd_, out + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
  std::size_t done = 0;
  const auto* in = static_cast<const uint8_t*>(buffer);
  while (done < count) {
    const ssize_t n = ::write(fd_, in + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  int whence = SEEK_SET;
  if (origin == TSeekOrigin::soCurrent) whence = SEEK_CUR;
  if (origin == TSeekOrigin::soEnd) whence = SEEK_END;
  off_t result = ::lseek(fd_, static_cast<off_t>(offset), whence);
  if (result < 0) result = ::lseek(fd_, 0, SEEK_SET);
  return static_cast<int64_t>(result);
}

int64_t TFileStream::Size() {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return TStream::Size();
  return static_cast<int64_t>(st.st_size);
}

void TFileStream::Flush() {
  if (::fsync(fd_) != 0) throw EWriteError(msg::StreamWrite);
}

}  // namespace gif
