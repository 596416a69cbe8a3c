#include "gif/Platform.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <typeinfo>
#include <utility>

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

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Below this, calloc's recycled memory is the better deal.
constexpr std::size_t kMappedFrom = 2 * kHugePage;
// Below this, pixel blocks come from the heap as it has them, not zeroed.
constexpr std::size_t kFromHeap = std::size_t{64} << 10;

std::size_t RoundUp(std::size_t size, std::size_t unit) {
  return (size + unit - 1) / unit * unit;
}

}  // namespace

// One freed mapped block, kept for the next large frame of about its size.
// Shared by every thread; one block at most, so a closed document leaves no
// more than one frame's pixels behind.
class TBlockShelf {
 public:
  // Never destroyed: documents held by other static objects may free their
  // blocks after this file's statics are gone.
  static TBlockShelf& Get() {
    static TBlockShelf* const shelf = new TBlockShelf;
    return *shelf;
  }
  // Keeps the block, unmapping the one kept before.
  void Put(uint8_t* block, std::size_t length) {
    uint8_t* old = nullptr;
    std::size_t oldLength = 0;
    {
      const std::lock_guard<std::mutex> hold(mutex_);
      old = std::exchange(block_, block);
      oldLength = std::exchange(length_, length);
    }
    if (old != nullptr) ::munmap(old, oldLength);
  }
  // The kept block when it is of length, null otherwise.
  uint8_t* Take(std::size_t length) {
    const std::lock_guard<std::mutex> hold(mutex_);
    if (block_ == nullptr || length_ != length) return nullptr;
    length_ = 0;
    return std::exchange(block_, nullptr);
  }

 private:
  std::mutex mutex_;
  uint8_t* block_ = nullptr;
  std::size_t length_ = 0;
};

void TPixelBlockDeleter::operator()(uint8_t* block) const {
  if (mapped != 0)
    TBlockShelf::Get().Put(block, mapped);
  else
    std::free(block);
}

TPixelBlock AllocateZeroed(std::size_t size) {
  if (size < kMappedFrom) return TPixelBlock(static_cast<uint8_t*>(std::calloc(size, 1)));
  // Mapped with a huge page to spare, so that the start can be moved up to a
  // huge page boundary and what is left over on either side returned.
  const std::size_t length = RoundUp(size, 4096);
  if (length > SIZE_MAX - kHugePage) return nullptr;
  void* raw = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const auto base = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t start = RoundUp(base, kHugePage);
  if (start > base) ::munmap(raw, start - base);
  const std::uintptr_t tail = start + length;
  if (tail < base + length + kHugePage)
    ::munmap(reinterpret_cast<void*>(tail), base + length + kHugePage - tail);
  auto* block = reinterpret_cast<uint8_t*>(start);
  // Only whole huge pages: a partly used one would hold up to 2 MiB that the
  // frame never needs. Without huge pages the block is simply 4 KiB pages.
  ::madvise(block, size / kHugePage * kHugePage, MADV_HUGEPAGE);
  return TPixelBlock(block, TPixelBlockDeleter{length});
}

TPixelBlock AllocateForWriting(std::size_t size, bool& zeroed) {
  zeroed = false;
  // The heap holds small blocks already, and zeroing them costs about what
  // writing them does.
  if (size < kFromHeap) return TPixelBlock(static_cast<uint8_t*>(std::malloc(size)));
  if (size >= kMappedFrom) {
    const std::size_t length = RoundUp(size, 4096);
    if (uint8_t* kept = TBlockShelf::Get().Take(length))
      return TPixelBlock(kept, TPixelBlockDeleter{length});
  }
  // Fresh zeros, whose pages are never touched where the data does not reach.
  zeroed = true;
  return AllocateZeroed(size);
}

std::string ExpandFileName(const std::string& fileName) {
  if (fileName.empty() || fileName.front() == '/') return fileName;
  std::string cwd(PATH_MAX, '\0');
  if (getcwd(cwd.data(), cwd.size()) == nullptr) return fileName;
  cwd.resize(std::strlen(cwd.c_str()));
  if (cwd.empty() || cwd.back() != '/') cwd += '/';
  return cwd + fileName;
}

std::string FormatMessage(const char* pattern, const std::vector<std::string>& args) {
  std::string out;
  std::size_t next = 0;
  for (const char* p = pattern; *p != '\0'; ++p) {
    if (p[0] == '%' && p[1] == 's') {
      if (next < args.size()) out += args[next++];
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
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

void TPersistent::Assign(const TPersistent* source) {
  if (source == nullptr) AssignError(nullptr);
  source->AssignTo(*this);
}

void TPersistent::AssignTo(TPersistent& dest) const {
  dest.AssignError(this);
}

void TPersistent::AssignError(const TPersistent* source) const {
  throw EConvertError(
      FormatMessage(msg::AssignError, {source ? source->ClassName() : "nil", ClassName()}));
}

void TGraphic::LoadFile(const std::string& fileName) {
  TFileStream stream(fileName, TFileStream::Mode::OpenRead);
  LoadFromStream(stream);
}

void TGraphic::SaveFile(const std::string& fileName) {
  TFileStream stream(fileName, TFileStream::Mode::Create);
  SaveToStream(stream);
}

void TGraphic::Progress(TPersistent* sender, TProgressStage stage, int percentDone, bool redrawNow,
                        const TRect& rect, const std::string& message) {
  if (OnProgress) OnProgress(sender, stage, percentDone, redrawNow, rect, message);
}

}  // namespace gif
