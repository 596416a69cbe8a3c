#include "gif/SafeSave.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

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

// A temporary file next to the target. It is removed when it goes out of scope
// unless it has been renamed over the target. It is created, changed and
// removed through a handle on its folder, so that it goes with the folder when
// the folder is moved away meanwhile: it is never left behind.
class TTemporaryFile {
 public:
  TTemporaryFile(const std::string& target, const std::string& errorName, mode_t mode)
      : folder_(::open(FolderOf(target).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)) {
    if (folder_.Get() < 0) RaiseCreateError(errorName, errno);
    const std::size_t slash = target.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    // The name stays within NAME_MAX however long the target's name is.
    const std::string base = target.substr(slash == std::string::npos ? 0 : slash + 1, 200);
    // Several threads may save at once (tintwell-cli -j).
    static std::atomic<unsigned> serial{0};
    for (int attempt = 0;; ++attempt) {
      leaf_ =
          "." + base + "." + std::to_string(::getpid()) + "-" + std::to_string(++serial) + ".tmp";
      // O_EXCL: never write through a file or link that somebody else put there.
      const int fd =
          ::openat(folder_.Get(), leaf_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
      if (fd >= 0) {
        ::close(fd);
        name_ = folder + leaf_;
        break;
      }
      if (errno != EEXIST || attempt == 100) RaiseCreateError(errorName, errno);
    }
  }
  ~TTemporaryFile() {
    if (!name_.empty()) ::unlinkat(folder_.Get(), leaf_.c_str(), 0);
  }
  TTemporaryFile(const TTemporaryFile&) = delete;
  TTemporaryFile& operator=(const TTemporaryFile&) = delete;

  const std::string& Name() const { return name_; }
  int ChangeOwner(uid_t owner, gid_t group) {
    return ::fchownat(folder_.Get(), leaf_.c_str(), owner, group, 0);
  }
  int ChangeMode(mode_t mode) { return ::fchmodat(folder_.Get(), leaf_.c_str(), mode, 0); }
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
};

// A symbolic link is followed, so that the link stays and the file it points
// to gets the new content. A dangling link is replaced.
std::string ResolveTarget(const std::string& fileName) {
  struct stat info {};
  if (::lstat(fileName.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return fileName;
  const std::unique_ptr<char, decltype(&std::free)> real(::realpath(fileName.c_str(), nullptr),
                                                         &std::free);
  return real ? std::string(real.get()) : fileName;
}

// Makes the rename itself durable. The new content is already on the device
// and the target already replaced, so a failure here is not reported.
void SyncFolderOf(const std::string& target) {
  const TFileDescriptor fd(::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.Get() >= 0) ::fsync(fd.Get());
}

}  // namespace

void WriteFileSafely(const std::string& fileName,
                     const std::function<void(TStream& file)>& writeContent) {
  if (fileName.empty()) RaiseCreateError(fileName, ENOENT);
  const std::string target = ResolveTarget(fileName);

  struct stat existing {};
  const bool exists = ::stat(target.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) RaiseCreateError(fileName, EISDIR);
  // An existing file must be writable and not locked by a reader or writer,
  // as when it is rewritten in place. The lock is held until the rename.
  const TFileDescriptor lock(exists ? ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)
                                    : -1);
  if (exists) {
    if (lock.Get() < 0) RaiseCreateError(fileName, errno);
    if (::flock(lock.Get(), LOCK_EX | LOCK_NB) != 0) RaiseCreateError(fileName, errno);
  }

  // Private while it is written; a new file gets the usual permissions
  // (the process's umask applies to 0666).
  TTemporaryFile temporary(target, fileName, exists ? 0600 : 0666);
  {
    TFileStream file(temporary.Name(), TFileStream::Mode::Create);
    writeContent(file);
    file.Flush();
  }
  if (exists) {
    // Owner first: a change of owner may clear the set-id bits that the mode
    // then restores.
    if ((existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) &&
        temporary.ChangeOwner(existing.st_uid, existing.st_gid) != 0) {
      // Only a privileged process may give a file away; keeping the group
      // may still be allowed. If not, the file belongs to whoever saves it,
      // as a copy would.
      if (temporary.ChangeOwner(static_cast<uid_t>(-1), existing.st_gid) != 0) {
      }
    }
    if (temporary.ChangeMode(existing.st_mode & 07777) != 0) RaiseCreateError(fileName, errno);
  }
  temporary.RenameTo(target, fileName);
  SyncFolderOf(target);
}

}  // namespace gif
