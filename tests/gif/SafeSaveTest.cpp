// Saving to a named file: the target is replaced only by a complete file, and
// a failure anywhere leaves it as it was with no temporary file behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "gif/SafeSave.h"

using namespace gif;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

// A stream that passes writes on until the given one, which it cuts short.
class TFailingStream : public TStream {
 public:
  TFailingStream(TStream& target, int failingWrite, bool& cut)
      : target_(target), left_(failingWrite), cut_(cut) {}
  std::size_t Read(void* buffer, std::size_t count) override { return target_.Read(buffer, count); }
  std::size_t Write(const void* buffer, std::size_t count) override {
    if (left_-- != 0) return target_.Write(buffer, count);
    cut_ = true;
    return target_.Write(buffer, count / 2);
  }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override { return target_.Seek(offset, origin); }

 private:
  TStream& target_;
  int left_;
  bool& cut_;
};

class SafeSave : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::path(::testing::TempDir()) / "safesave-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    target_ = (folder_ / "picture.gif").string();
    doc_.Header().Screen.ScreenWidth = 40;
    doc_.Header().Screen.ScreenHeight = 30;
    for (int i = 0; i < 4; ++i) doc_.GlobalMap().AppendEntry(TColor(i * 0x404040));
    for (int f = 0; f < 3; ++f) {
      auto frame = std::make_unique<TGIFSubImage>(&doc_);
      frame->Descriptor.Width = 40;
      frame->Descriptor.Height = 30;
      frame->AllocatePixels();
      frame->PixelData()[f] = 3;
      doc_.Frames().Append(std::move(frame));
    }
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(folder_, fs::perms::owner_all, ignored);
    fs::remove_all(folder_, ignored);
  }

  static Bytes ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
  static void WriteFile(const std::string& name, const Bytes& bytes) {
    std::ofstream out(name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  std::vector<std::string> FolderEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  Bytes Encoded() {
    TMemoryStream out;
    doc_.SaveToStream(out);
    return out.Bytes();
  }
  static mode_t Mode(const std::string& name) { return Stat(name).st_mode & 07777; }
  static struct stat Stat(const std::string& name) {
    struct stat info {};
    EXPECT_EQ(::stat(name.c_str(), &info), 0);
    return info;
  }
  // SaveError for a user without special rights.
  std::string UnprivilegedSaveError(const std::string& name) {
    return Unprivileged([&] { return SaveError(doc_, name); });
  }
  // What action answers when run by a user without special rights: as root,
  // in a child process that becomes nobody first and reports the answer
  // through a pipe.
  static std::string Unprivileged(const std::function<std::string()>& action) {
    if (::geteuid() != 0) return action();
    int channel[2];
    if (::pipe(channel) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
      ::close(channel[0]);
      std::string error = "could not become nobody";
      if (::setgid(kNobody) == 0 && ::setuid(kNobody) == 0) error = action();
      const ssize_t written = ::write(channel[1], error.data(), error.size());
      ::_exit(written == ssize_t(error.size()) ? 0 : 1);
    }
    ::close(channel[1]);
    std::string error;
    char buffer[256];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) error.append(buffer, n);
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return error;
  }
  static std::string SaveError(TGIFImage& doc, const std::string& name) {
    try {
      doc.SaveFile(name);
    } catch (const Exception& e) {
      return e.what();
    }
    return "";
  }

  static constexpr uid_t kNobody = 65534;
  fs::path folder_;
  std::string target_;
  TGIFImage doc_;
  const Bytes original_ = {'o', 'l', 'd', ' ', 'c', 'o', 'n', 't', 'e', 'n', 't'};
};

}  // namespace

TEST_F(SafeSave, NewAndExistingTargets) {
  // A new file gets the permissions of any new file: 0666 less the umask.
  doc_.SaveFile(target_);
  EXPECT_EQ(ReadFile(target_), Encoded());
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(Mode(target_), 0666 & ~mask);

  // An existing file keeps its permissions; a link stays a link.
  WriteFile(target_, original_);
  ASSERT_EQ(::chmod(target_.c_str(), 0640), 0);
  fs::create_symlink("picture.gif", folder_ / "link.gif");
  doc_.SaveFile((folder_ / "link.gif").string());
  EXPECT_TRUE(fs::is_symlink(folder_ / "link.gif"));
  EXPECT_EQ(ReadFile(target_), Encoded());
  EXPECT_EQ(Mode(target_), 0640u);
  EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"link.gif", "picture.gif"}));

  // A link that leads nowhere is replaced by a file of the usual permissions.
  fs::create_symlink("nowhere.gif", folder_ / "dangling.gif");
  const std::string dangling = (folder_ / "dangling.gif").string();
  doc_.SaveFile(dangling);
  EXPECT_FALSE(fs::is_symlink(dangling));
  EXPECT_EQ(ReadFile(dangling), Encoded());
  EXPECT_EQ(Mode(dangling), 0666 & ~mask);
  EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"dangling.gif", "link.gif", "picture.gif"}));
}

TEST_F(SafeSave, FailingDocumentLeavesTheTarget) {
  WriteFile(target_, original_);
  doc_.Frames().Frame(2).PixelData()[100] = 7;
  EXPECT_EQ(SaveError(doc_, target_), "Color not in color table");
  EXPECT_EQ(ReadFile(target_), original_);

  TGIFImage empty;
  EXPECT_EQ(SaveError(empty, target_), "Unsupported GIF version");
  EXPECT_EQ(ReadFile(target_), original_);
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"picture.gif"});

  // A target that did not exist stays absent.
  const std::string fresh = (folder_ / "fresh.gif").string();
  EXPECT_EQ(SaveError(empty, fresh), "Unsupported GIF version");
  EXPECT_FALSE(fs::exists(fresh));
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"picture.gif"});
}

TEST_F(SafeSave, WriteFailingAtEachPointLeavesTheTarget) {
  WriteFile(target_, original_);
  const Bytes expected = Encoded();
  bool completed = false;
  for (int failing = 0; !completed; ++failing) {
    SCOPED_TRACE("failing write " + std::to_string(failing));
    ASSERT_LT(failing, 1000);
    bool cut = false;
    try {
      WriteFileSafely(target_, [&](TStream& file) {
        TFailingStream stream(file, failing, cut);
        doc_.SaveToStream(stream);
      });
      completed = true;
    } catch (const EWriteError& e) {
      EXPECT_STREQ(e.what(), "Stream write error");
    }
    EXPECT_NE(completed, cut);
    if (!completed) {
      EXPECT_EQ(ReadFile(target_), original_);
    }
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"picture.gif"});
  }
  EXPECT_EQ(ReadFile(target_), expected);
}

TEST_F(SafeSave, FullDeviceLeavesTheTarget) {
  // A file size limit makes writes fail as on a full disk.
  WriteFile(target_, original_);
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 100;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const std::string error = SaveError(doc_, target_);
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(error, "Stream write error");
  EXPECT_EQ(ReadFile(target_), original_);
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"picture.gif"});
}

TEST_F(SafeSave, TargetsThatCannotBeWritten) {
  // A relative name is expanded in the message.
  const fs::path here = fs::current_path();
  fs::current_path(folder_);
  const std::string missing = SaveError(doc_, "no-such-folder/x.gif");
  fs::current_path(here);
  EXPECT_EQ(missing, "Cannot create file \"" + (folder_ / "no-such-folder/x.gif").string() +
                         "\". No such file or directory");

  fs::create_directory(folder_ / "sub");
  const std::string folderTarget = (folder_ / "sub").string();
  EXPECT_EQ(SaveError(doc_, folderTarget),
            "Cannot create file \"" + folderTarget + "\". Is a directory");

  // Readers hold a shared lock, as when the file is rewritten in place.
  WriteFile(target_, original_);
  {
    TFileStream reader(target_, TFileStream::Mode::OpenRead);
    EXPECT_EQ(SaveError(doc_, target_).rfind("Cannot create file \"" + target_ + "\". ", 0), 0u);
  }
  EXPECT_EQ(ReadFile(target_), original_);
  EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"picture.gif", "sub"}));

  // Permissions do not bind the superuser, so as root these saves run in a
  // child process that has given up its rights.
  const std::string denied = "\". Permission denied";
  if (::geteuid() == 0) {
    // sysfs refuses new files to all.
    if (fs::is_directory("/sys/kernel")) {
      EXPECT_EQ(SaveError(doc_, "/sys/picture.gif"),
                "Cannot create file \"/sys/picture.gif" + denied);
    }
    ASSERT_EQ(::chown(folder_.c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(::chown(target_.c_str(), kNobody, kNobody), 0);
  }
  ASSERT_EQ(::chmod(target_.c_str(), 0444), 0);
  EXPECT_EQ(UnprivilegedSaveError(target_), "Cannot create file \"" + target_ + denied);
  ASSERT_EQ(::chmod(target_.c_str(), 0644), 0);
  ASSERT_EQ(::chmod(folder_.c_str(), 0555), 0);
  // A writable file in a folder that is not is rewritten in place; a new
  // file cannot be made there.
  EXPECT_EQ(UnprivilegedSaveError(target_), "");
  const std::string fresh = (folder_ / "fresh.gif").string();
  EXPECT_EQ(UnprivilegedSaveError(fresh), "Cannot create file \"" + fresh + denied);
  ::chmod(folder_.c_str(), 0755);
  EXPECT_EQ(ReadFile(target_), Encoded());
  EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"picture.gif", "sub"}));
}

TEST_F(SafeSave, FileKeepsItsIdentity) {
  // Renamed over when a new file can take the old one's place; rewritten in
  // place, the same file, when it has other names, belongs to someone else or
  // lies in a folder the saver cannot write.
  struct Case {
    const char* what;
    uid_t owner;
    mode_t mode, folderMode;
    bool secondName;
    bool sameFile;
  };
  const uid_t saver = ::geteuid() == 0 ? kNobody : ::geteuid();
  const std::vector<Case> cases = {
      {"the saver's own file", saver, 0640, 0755, false, false},
      {"a file more open than the umask makes new ones", saver, 0666, 0755, false, false},
      {"a file with a second name", saver, 0640, 0755, true, true},
      {"a file in a folder the saver cannot write", saver, 0640, 0555, false, true},
      {"another user's file the saver may write", 0, 0666, 0777, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.owner == 0 && ::geteuid() != 0) continue;  // needs root to set up
    const std::string link = (folder_ / "second.gif").string();
    WriteFile(target_, original_);
    if (c.secondName) {
      ASSERT_EQ(::link(target_.c_str(), link.c_str()), 0);
    }
    if (::geteuid() == 0) {
      ASSERT_EQ(::chown(target_.c_str(), c.owner, c.owner), 0);
      ASSERT_EQ(::chown(folder_.c_str(), saver, saver), 0);
    }
    ASSERT_EQ(::chmod(target_.c_str(), c.mode), 0);
    ASSERT_EQ(::chmod(folder_.c_str(), c.folderMode), 0);
    const struct stat before = Stat(target_);

    EXPECT_EQ(UnprivilegedSaveError(target_), "");
    ::chmod(folder_.c_str(), 0755);
    const struct stat after = Stat(target_);
    EXPECT_EQ(ReadFile(target_), Encoded());
    EXPECT_EQ(after.st_ino == before.st_ino, c.sameFile);
    EXPECT_EQ(after.st_uid, c.owner);
    EXPECT_EQ(after.st_mode & 07777, c.mode);
    EXPECT_EQ(after.st_nlink, c.secondName ? 2u : 1u);
    if (c.secondName) {
      EXPECT_EQ(ReadFile(link), Encoded());
      fs::remove(link);
    }
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"picture.gif"});
    fs::remove(target_);
  }
}

namespace {

// File calls that write at most 64 bytes at a time and fail at one call,
// counting writes, cuts and syncs alike; a failing write writes half of its
// bytes first. With failFromThenOn every later call fails too.
struct TFaultyCalls {
  int failAt = -1;
  bool failFromThenOn = false;
  int calls = 0;

  bool Fails() {
    const int call = calls++;
    return call == failAt || (failFromThenOn && failAt >= 0 && call > failAt);
  }
  TFileCalls Make() {
    return TFileCalls{[this](int fd, const void* buffer, std::size_t count, off_t offset) {
                        count = std::min<std::size_t>(count, 64);
                        if (!Fails()) return ::pwrite(fd, buffer, count, offset);
                        if (count > 1) (void)!::pwrite(fd, buffer, count / 2, offset);
                        errno = ENOSPC;
                        return ssize_t{-1};
                      },
                      [this](int fd, off_t length) {
                        if (!Fails()) return ::ftruncate(fd, length);
                        errno = EIO;
                        return -1;
                      },
                      [this](int fd) {
                        if (!Fails()) return ::fsync(fd);
                        errno = EIO;
                        return -1;
                      }};
  }
};

}  // namespace

TEST_F(SafeSave, InPlaceFailureAtEachCallPutsTheOldBytesBack) {
  // A second name makes every save here rewrite the file in place.
  WriteFile(target_, original_);
  const std::string link = (folder_ / "second.gif").string();
  ASSERT_EQ(::link(target_.c_str(), link.c_str()), 0);
  const Bytes expected = Encoded();
  const auto save = [this](TFaultyCalls& faults) {
    const TFileCalls calls = faults.Make();
    try {
      WriteFileSafely(
          target_, [this](TStream& file) { doc_.SaveToStream(file); }, calls);
    } catch (const EWriteError& e) {
      return std::string(e.what());
    }
    return std::string();
  };
  bool completed = false;
  int callsOfASave = 0;
  for (int failing = 0; !completed; ++failing) {
    SCOPED_TRACE("failing call " + std::to_string(failing));
    ASSERT_LT(failing, 1000);
    TFaultyCalls faults{failing};
    const std::string error = save(faults);
    completed = error.empty();
    if (completed) callsOfASave = faults.calls;
    if (!completed) {
      EXPECT_EQ(error, "Stream write error");
      EXPECT_EQ(ReadFile(target_), original_);
      EXPECT_EQ(ReadFile(link), original_);
    }
    EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"picture.gif", "second.gif"}));
  }
  EXPECT_EQ(ReadFile(link), expected);

  // When the old bytes cannot be put back either, they are kept beside the
  // file, or else in the temporary folder, and the message says where.
  WriteFile(target_, original_);
  const std::string besideName = target_ + ".recovered";
  const std::string kept =
      "Stream write error. The file could not be put back as it was; its "
      "previous content is in \"";
  // Several writes, a cut and a sync.
  ASSERT_GT(callsOfASave, 4);
  for (const int failing : {0, 2, callsOfASave - 2, callsOfASave - 1}) {
    SCOPED_TRACE("failing from call " + std::to_string(failing));
    TFaultyCalls faults{failing, true};
    EXPECT_EQ(save(faults), kept + besideName + "\"");
    EXPECT_EQ(ReadFile(besideName), original_);
    fs::remove(besideName);
    WriteFile(target_, original_);
  }

  // Nobody may write the folder: the temporary folder, or nowhere.
  const fs::path temporary = folder_ / "temporary";
  fs::create_directory(temporary);
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(temporary.c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(::chown(target_.c_str(), kNobody, kNobody), 0);
  }
  ASSERT_EQ(::chmod(folder_.c_str(), 0555), 0);
  for (const bool temporaryWritable : {true, false}) {
    SCOPED_TRACE(temporaryWritable ? "temporary folder" : "nowhere");
    ASSERT_EQ(::chmod(temporary.c_str(), temporaryWritable ? 0755 : 0555), 0);
    const std::string error = Unprivileged([&] {
      ::setenv("TMPDIR", temporary.c_str(), 1);
      TFaultyCalls faults{0, true};
      return save(faults);
    });
    if (temporaryWritable) {
      const std::string recovery = (temporary / "picture.gif.recovered").string();
      EXPECT_EQ(error, kept + recovery + "\"");
      EXPECT_EQ(ReadFile(recovery), original_);
    } else {
      EXPECT_EQ(error,
                "Stream write error. The file could not be put back as it was, and its previous "
                "content could not be kept elsewhere");
    }
  }
  ::chmod(folder_.c_str(), 0755);
  ::chmod(temporary.c_str(), 0755);
}

TEST_F(SafeSave, FolderThatVanishesDuringTheSave) {
  // The save is under way, its temporary file made, when the folder is moved
  // away or deleted: the target's path no longer leads anywhere.
  for (const bool moved : {true, false}) {
    SCOPED_TRACE(moved ? "moved" : "deleted");
    const fs::path album = folder_ / "album", elsewhere = folder_ / "elsewhere";
    fs::create_directory(album);
    const std::string target = (album / "picture.gif").string();
    WriteFile(target, original_);
    doc_.OnProgress = [&](TPersistent*, TProgressStage stage, int, bool, const TRect&,
                          const std::string&) {
      if (stage != TProgressStage::psStarting) return;
      if (moved)
        fs::rename(album, elsewhere);
      else
        fs::remove_all(album);
    };
    EXPECT_EQ(SaveError(doc_, target),
              "Cannot create file \"" + target + "\". No such file or directory");
    EXPECT_FALSE(fs::exists(album));
    if (moved) {
      EXPECT_EQ(ReadFile((elsewhere / "picture.gif").string()), original_);
      std::vector<std::string> left;
      for (const auto& entry : fs::directory_iterator(elsewhere))
        left.push_back(entry.path().filename().string());
      EXPECT_EQ(left, std::vector<std::string>{"picture.gif"});
      fs::remove_all(elsewhere);
    }
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{});
  }
}
