#include "gif/SafeSave.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "gif/MessageFormat.h"
#include "gif/Messages.h"

namespace gif {

namespace {

[[noreturn]] void RaiseCreateError(const std::string& fileName, int error) {
  throw EFCreateError(
      FormatMessage(msg::CannotCreateFile, {ExpandFileName(fileName), std::strerror(error)}));
}

// Closes a descriptor when it goes out of scope.
class TFileDescriptor {
 public:
  explicit TFileDescriptor(int fd) : fd_(fd) {}
  ~TFileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  TFileDescriptor(const TFileDescriptor&) = delete;
  TFileDescriptor& operator=(const TFileDescriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

// The folder part of a path: "." for a bare name, "/" for a file at the root.
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

// A handle on a file's folder for creating, renaming and syncing in it. A
// folder that may be written and searched but not read gives a handle that
// does all but the sync.
int OpenFolderOf(const std::string& target) {
  const std::string folder = FolderOf(target);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0 || errno != EACCES) return fd;
  return ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

// The process's id, asked once: it only makes temporary names unlikely to
// meet, the exclusive create keeps them apart.
unsigned long ProcessId() {
  static const auto id = static_cast<unsigned long>(::getpid());
  return id;
}

// A temporary file next to the target. It is removed when it goes out of scope
// unless it has been renamed over the target. It is created, changed and
// removed through a handle on its folder, so that it goes with the folder when
// the folder is moved away meanwhile: it is never left behind.
class TTemporaryFile {
 public:
  // Creates the file; Error() tells whether that worked.
  TTemporaryFile(const std::string& target, mode_t mode) : folder_(OpenFolderOf(target)) {
    if (folder_.Get() < 0) {
      error_ = errno;
      return;
    }
    const std::size_t slash = target.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    // The name stays within NAME_MAX however long the target's name is.
    const std::string base = target.substr(slash == std::string::npos ? 0 : slash + 1, 200);
    // Several threads may save at once (tintwell-cli -j).
    static std::atomic<unsigned> serial{0};
    for (int attempt = 0;; ++attempt) {
      leaf_ =
          "." + base + "." + std::to_string(ProcessId()) + "-" + std::to_string(++serial) + ".tmp";
      // O_EXCL: never write through a file or link that somebody else put there.
      // The descriptor is the one the content is written through: a file
      // made just now needs neither a lock nor truncating.
      fd_ = ::openat(folder_.Get(), leaf_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
      if (fd_ >= 0) {
        name_ = folder + leaf_;
        return;
      }
      if (errno != EEXIST || attempt == 100) {
        error_ = errno;
        return;
      }
    }
  }
  ~TTemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!name_.empty()) ::unlinkat(folder_.Get(), leaf_.c_str(), 0);
  }
  TTemporaryFile(const TTemporaryFile&) = delete;
  TTemporaryFile& operator=(const TTemporaryFile&) = delete;

  // 0 once the file exists, else the system's error number.
  int Error() const { return error_; }
  const std::string& Name() const { return name_; }
  // A stream on the file, which takes over its descriptor; once only.
  std::unique_ptr<TFileStream> OpenStream() {
    auto stream = std::make_unique<TFileStream>(fd_, name_);
    fd_ = -1;
    return stream;
  }
  // Gives the file the owner, group and permissions of existing; false when
  // the system does not allow all of them. Through the descriptor, which
  // spares each call a look-up of the name.
  bool TakeIdentity(const struct stat& existing) {
    struct stat made {};
    if (::fstat(fd_, &made) != 0) return false;
    // Owner first: a change of owner may clear the set-id bits that the mode
    // then restores. Only a privileged process may give a file away.
    bool modeAsMade = true;
    if (made.st_uid != existing.st_uid || made.st_gid != existing.st_gid) {
      if (::fchown(fd_, existing.st_uid, existing.st_gid) != 0) return false;
      modeAsMade = false;
    }
    const mode_t mode = existing.st_mode & 07777;
    if (modeAsMade && (made.st_mode & 07777) == mode) return true;
    if (::fchmod(fd_, mode) != 0) return false;
    // The system may drop a set-group-id bit it does not let this process
    // give; any other mode it sets as asked.
    if ((mode & (S_ISUID | S_ISGID)) == 0) return true;
    return ::fstat(fd_, &made) == 0 && (made.st_mode & 07777) == mode;
  }
  // Makes the rename durable. The new content is already on the device and
  // the target already replaced, so a failure here is not reported.
  void SyncFolder() { ::fsync(folder_.Get()); }
  // The target is named by its path: if the folder has moved, the rename fails
  // rather than replacing a file the caller did not name.
  void RenameTo(const std::string& target, const std::string& errorName) {
    if (::renameat(folder_.Get(), leaf_.c_str(), AT_FDCWD, target.c_str()) != 0)
      RaiseCreateError(errorName, errno);
    name_.clear();
  }

 private:
  TFileDescriptor folder_;
  std::string leaf_;
  std::string name_;
  int fd_ = -1;
  int error_ = 0;
};

// A symbolic link is followed, so that the link stays and the file it points
// to gets the new content. A dangling link is replaced. Sets exists and info
// as stat() on the answer would: a name that is not a link needs no second
// look.
std::string ResolveTarget(const std::string& fileName, bool& exists, struct stat& info) {
  exists = ::lstat(fileName.c_str(), &info) == 0;
  if (!exists || !S_ISLNK(info.st_mode)) return fileName;
  const std::unique_ptr<char, decltype(&std::free)> real(::realpath(fileName.c_str(), nullptr),
                                                         &std::free);
  const std::string target = real ? std::string(real.get()) : fileName;
  exists = ::stat(target.c_str(), &info) == 0;
  return target;
}

// Opens an existing file to rewrite it: for reading and writing, or for
// writing alone (readable false) when reading is refused. -1 and errno as
// open leaves them when neither works.
int OpenExisting(const std::string& name, int flags, bool& readable) {
  readable = true;
  const int fd = ::open(name.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC | flags);
  if (fd >= 0 || errno != EACCES) return fd;
  readable = false;
  return ::open(name.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | flags);
}

// Writes bytes over the file from its start and cuts it to their length, then
// pushes it to the device. 0, or the system's error number.
int Rewrite(int fd, const std::vector<uint8_t>& bytes, const TFileCalls& calls) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n =
        calls.Write(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : ENOSPC;
    done += static_cast<std::size_t>(n);
  }
  if (calls.Truncate(fd, static_cast<off_t>(bytes.size())) != 0) return errno;
  if (calls.Sync(fd) != 0) return errno;
  return 0;
}

// The whole content of an open file, read from its start.
bool ReadAll(int fd, std::vector<uint8_t>& bytes) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) return false;
  bytes.resize(static_cast<std::size_t>(info.st_size));
  std::size_t done = 0;
  for (;;) {
    if (done == bytes.size()) bytes.resize(done + 65536);
    const ssize_t n =
        ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  bytes.resize(done);
  return true;
}

// Keeps bytes in a new file named after the target, in folder; its name, or
// an empty string when it could not be written whole.
std::string KeepInRecoveryFile(const std::string& folder, const std::string& target,
                               const std::vector<uint8_t>& bytes) {
  const std::size_t slash = target.rfind('/');
  const std::string base = target.substr(slash == std::string::npos ? 0 : slash + 1, 200);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name =
        (std::filesystem::path(folder) /
         (base + ".recovered" + (attempt > 0 ? "-" + std::to_string(attempt) : std::string())))
            .string();
    const TFileDescriptor fd(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (fd.Get() < 0) {
      if (errno == EEXIST) continue;
      return std::string();
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd.Get(), bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    if (done == bytes.size() && ::fsync(fd.Get()) == 0) return name;
    ::unlink(name.c_str());
    return std::string();
  }
  return std::string();
}

// The file keeps its inode, and with it its owner, permissions and every
// name: the new content is made whole in memory, then written over the old,
// which is kept to be written back should that fail.
void RewriteInPlace(int fd, bool readable, const std::string& fileName, const std::string& target,
                    const std::function<void(TStream& file)>& writeContent,
                    const TFileCalls& calls) {
  TMemoryStream content;
  writeContent(content);
  std::vector<uint8_t> old;
  if (!readable || !ReadAll(fd, old)) RaiseCreateError(fileName, readable ? errno : EACCES);
  if (Rewrite(fd, content.Bytes(), calls) == 0) return;
  if (Rewrite(fd, old, calls) == 0) throw EWriteError(msg::StreamWrite);
  // The file holds neither content whole. The old one is kept where it can
  // be found: beside the file, or where temporary files go.
  std::string kept = KeepInRecoveryFile(FolderOf(target), target, old);
  if (kept.empty()) {
    std::error_code ignored;
    const std::filesystem::path temporary = std::filesystem::temp_directory_path(ignored);
    if (!temporary.empty()) kept = KeepInRecoveryFile(temporary.string(), target, old);
  }
  if (kept.empty()) throw EWriteError(msg::OldContentLost);
  throw EWriteError(FormatMessage(msg::OldContentKept, {ExpandFileName(kept)}));
}

}  // namespace

const TFileCalls& SystemFileCalls() {
  static const TFileCalls calls{[](int fd, const void* buffer, std::size_t count, off_t offset) {
                                  return ::pwrite(fd, buffer, count, offset);
                                },
                                [](int fd, off_t length) { return ::ftruncate(fd, length); },
                                [](int fd) { return ::fsync(fd); }};
  return calls;
}

void WriteFileSafely(const std::string& fileName,
                     const std::function<void(TStream& file)>& writeContent,
                     const TFileCalls& calls) {
  if (fileName.empty()) RaiseCreateError(fileName, ENOENT);
  // An existing file must be writable (a folder is not) and not locked by a
  // reader or writer. The lock is held until the file is replaced or
  // rewritten. Reading it is needed only to rewrite it in place. The name is
  // opened as it stands unless it is a symbolic link, which is looked into
  // only then.
  std::string target = fileName;
  bool readable = true;
  int fd = OpenExisting(fileName, O_NOFOLLOW, readable);
  bool exists = fd >= 0;
  struct stat existing {};
  if (fd < 0 && errno == ELOOP) {
    target = ResolveTarget(fileName, exists, existing);
    if (exists) fd = OpenExisting(target, 0, readable);
  } else if (fd < 0 && errno != ENOENT) {
    RaiseCreateError(fileName, errno);
  }
  const TFileDescriptor lock(fd);
  if (exists) {
    if (lock.Get() < 0) RaiseCreateError(fileName, errno);
    if (::flock(lock.Get(), LOCK_EX | LOCK_NB) != 0) RaiseCreateError(fileName, errno);
    if (::fstat(lock.Get(), &existing) != 0) RaiseCreateError(fileName, errno);
  }

  // A replacement starts out with the permission bits of the file it
  // replaces, so that under the usual umask it needs no change of mode; its
  // owner and group are settled before it holds any content. A new file gets
  // the usual permissions (the process's umask applies to 0666).
  std::unique_ptr<TTemporaryFile> temporary;
  if (!exists || existing.st_nlink == 1) {
    temporary = std::make_unique<TTemporaryFile>(target, exists ? existing.st_mode & 0777 : 0666);
    if (temporary->Error() != 0) {
      if (!exists) RaiseCreateError(fileName, temporary->Error());
      temporary.reset();
    } else if (exists && !temporary->TakeIdentity(existing)) {
      temporary.reset();
    }
  }
  if (!temporary) {
    RewriteInPlace(lock.Get(), readable, fileName, target, writeContent, calls);
    return;
  }
  {
    const std::unique_ptr<TFileStream> file = temporary->OpenStream();
    writeContent(*file);
    file->Flush();
  }
  temporary->RenameTo(target, fileName);
  temporary->SyncFolder();
}

}  // namespace gif
