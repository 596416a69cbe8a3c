#include "bench/FileSave.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <exception>

#include "gif/GIFImage.h"

namespace bench {

void MeasureFileSave(const Bytes& data, const GifFileType& slurped, const std::string& folder,
                     int slot, int rounds, Result& result) {
  gif::TGIFImage doc;
  gif::TMemoryStream input(data);
  doc.LoadFromStream(input);
  const std::string ours = folder + "/ours.gif";
  const std::string theirs = folder + "/giflib.gif";
  bool failed = false;
  const auto giflibTimer = [&](bool durable) {
    return GiflibSpewTimer(slurped, 0, [&, durable](GifFileType* gif) {
      if (!GiflibSpewToFile(gif, theirs, durable)) failed = true;
    });
  };
  try {
    const std::vector<double> times = Interleaved(
        {Repeating([&] { doc.SaveFile(ours); }), giflibTimer(true), giflibTimer(false)}, rounds);
    if (failed) {
      std::printf("giflib could not save %s to %s\n", result.name.c_str(), folder.c_str());
      return;
    }
    result.fileSave[slot] = times[0];
    result.giflibDurable[slot] = times[1];
    result.giflibPlain[slot] = times[2];
  } catch (const std::exception& e) {
    std::printf("not saved to %s: %s: %s\n", folder.c_str(), result.name.c_str(), e.what());
  }
}

void ReportSaveFloor(const std::string (&folders)[2], int rounds) {
  std::printf("\nsystem calls alone of saving 1000 bytes over an existing file, microseconds\n");
  std::printf("%-8s | %12s %12s\n", "", "in place", "replaced");
  const char* const names[2] = {"tmpfs", "disk"};
  for (int slot = 0; slot < 2; ++slot) {
    const std::string& folder = folders[slot];
    if (folder.empty()) continue;
    const std::string target = folder + "/floor.gif";
    const std::string leaf = ".floor.gif.tmp";
    const Bytes bytes(1000, 7);
    const auto overwrite = [&] {
      const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
      struct stat info {};
      ::fstat(fd, &info);
      if (::write(fd, bytes.data(), bytes.size()) < 0) std::perror("write");
      ::close(fd);
    };
    const auto replace = [&] {
      const int lock = ::open(target.c_str(), O_RDWR | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
      ::flock(lock, LOCK_EX | LOCK_NB);
      struct stat info {};
      ::fstat(lock, &info);
      const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      const int fd = ::openat(dir, leaf.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
      ::fstat(fd, &info);
      if (::write(fd, bytes.data(), bytes.size()) < 0) std::perror("write");
      ::fsync(fd);
      ::close(fd);
      ::renameat(dir, leaf.c_str(), AT_FDCWD, target.c_str());
      ::fsync(dir);
      ::close(dir);
      ::close(lock);
    };
    overwrite();
    const std::vector<double> times =
        Interleaved({Repeating(overwrite), Repeating(replace)}, rounds);
    std::printf("%-8s | %12.1f %12.1f\n", names[slot], times[0] * 1e6, times[1] * 1e6);
    ::unlink(target.c_str());
  }
}

}  // namespace bench
