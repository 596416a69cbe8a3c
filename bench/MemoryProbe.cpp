// A small process for the benchmark to start: it loads (and saves) one file
// and prints its peak resident memory in KiB, so that the figure is not
// mixed with the benchmark's own memory. The trace modes mark the start and
// end of one save with a failing write(-1, ...) that a system call tracer
// shows, so the calls of the save alone can be counted.
//
//   tintwell_memprobe idle
//   tintwell_memprobe load FILE | load-giflib FILE
//   tintwell_memprobe save FILE OUT        (the peak while saving only)
//   tintwell_memprobe trace-save FILE OUT | trace-giflib-save FILE OUT

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "bench/Giflib.h"
#include "gif/GIFImage.h"

namespace {

long PeakKb() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return -1;
  char line[256];
  long kb = -1;
  while (std::fgets(line, sizeof line, status) != nullptr)
    if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1) break;
  std::fclose(status);
  return kb;
}

// Lowers the peak to what is resident now (Linux 4.0 and later).
bool ResetPeak() {
  const int fd = ::open("/proc/self/clear_refs", O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::write(fd, "5", 1) == 1;
  ::close(fd);
  return ok;
}

void Mark(const char* text) {
  if (::write(-1, text, std::strlen(text)) >= 0) std::fprintf(stderr, "marker written\n");
}

bench::Bytes ReadAll(const std::string& path) {
  gif::TMemoryStream stream;
  stream.LoadFromFile(path);
  return stream.Bytes();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  const std::string file = argc > 2 ? argv[2] : "";
  const std::string out = argc > 3 ? argv[3] : "";
  bool ok = true;
  if (mode == "idle") {
  } else if (mode == "load") {
    gif::TGIFImage doc;
    doc.LoadFile(file);
    ok = !doc.IsEmpty();
  } else if (mode == "load-giflib") {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(file.c_str(), &error);
    ok = gif != nullptr && DGifSlurp(gif) == GIF_OK;
    if (gif != nullptr) DGifCloseFile(gif, &error);
  } else if (mode == "save" && !out.empty()) {
    gif::TGIFImage doc;
    doc.LoadFile(file);
    ok = ResetPeak();
    doc.SaveFile(out);
  } else if (mode == "trace-save" && !out.empty()) {
    gif::TGIFImage doc;
    doc.LoadFile(file);
    Mark("save begins");
    doc.SaveFile(out);
    Mark("save ends");
  } else if (mode == "trace-giflib-save" && !out.empty()) {
    bench::GifFilePtr slurped = bench::GiflibSlurp(ReadAll(file));
    ok = slurped != nullptr;
    if (ok) {
      GifFileType* prepared = bench::GiflibPrepareSpew(*slurped, nullptr);
      Mark("save begins");
      ok = bench::GiflibSpewToFile(prepared, out, true);
      Mark("save ends");
    }
  } else {
    std::fprintf(stderr,
                 "usage: %s idle | load FILE | load-giflib FILE | save FILE OUT |"
                 " trace-save FILE OUT | trace-giflib-save FILE OUT\n",
                 argv[0]);
    return 2;
  }
  std::printf("%ld\n", PeakKb());
  return ok ? 0 : 1;
}
