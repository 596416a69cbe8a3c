#include "gif/SafeSave.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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

// A temporary file next to the target. It is removed when it goes out of scope
// unless it has been renamed over the target.
class TTemporaryFile {
 public:
  TTemporaryFile(const std::string& target, const std::string& errorName, mode_t mode) {
    const std::size_t slash = target.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    // The name stays within NAME_MAX however long the target's name is.
    const std::string base = target.substr(slash == std::string::npos ? 0 : slash + 1, 200);
    static unsigned serial = 0;
    for (int attempt = 0;; ++attempt) {
      name_ = folder + "." + base + "." + std::to_string(::getpid()) + "-" +
              std::to_string(++serial) + ".tmp";
      // O_EXCL: never write through a file or link that somebody else put there.
      const int fd = ::open(name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
      if (fd >= 0) {
        ::close(fd);
        break;
      }
      if (errno != EEXIST || attempt == 100) {
        const int error = errno;
        name_.clear();
        RaiseCreateError(errorName, error);
      }
    }
  }
  ~TTemporaryFile() {
    if (!name_.empty()) ::unlink(name_.c_str());
  }
  TTemporaryFile(const TTemporaryFile&) = delete;
  TTemporaryFile& operator=(const TTemporaryFile&) = delete;

  const std::string& Name() const { return name_; }
  void RenameTo(const std::string& target, const std::string& errorName) {
    if (::rename(name_.c_str(), target.c_str()) != 0) RaiseCreateError(errorName, errno);
    name_.clear();
  }

 private:
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
  const std::size_t slash = target.rfind('/');
  const std::string folder =
      slash == std::string::npos ? std::string(".") : target.substr(0, slash == 0 ? 1 : slash);
  const TFileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
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
    const char* name = temporary.Name().c_str();
    if ((existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) &&
        ::chown(name, existing.st_uid, existing.st_gid) != 0) {
      // Only a privileged process may give a file away; keeping the group
      // may still be allowed. If not, the file belongs to whoever saves it,
      // as a copy would.
      if (::chown(name, static_cast<uid_t>(-1), existing.st_gid) != 0) {
      }
    }
    if (::chmod(name, existing.st_mode & 07777) != 0) RaiseCreateError(fileName, errno);
  }
  temporary.RenameTo(target, fileName);
  SyncFolderOf(target);
}

}  // namespace gif
