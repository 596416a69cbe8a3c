// Loads and saves GIF files with Tintwell's library and with giflib in one
// process, the two interleaved and their order alternating from round to round,
// and reports the median times, the ratios (giflib time / our time), their
// geometric means and megapixels per second; then the peak memory of loading
// one file in a fresh process.
//
//   tintwell_bench [--rounds N] [--corpus DIR] [--no-synthetic] [--only TEXT] [--rss FILE]
//
// --rounds is at least 7; --only keeps the inputs whose name contains TEXT;
// --rss names the file for the memory figure (default: the largest corpus file
// that both libraries load).

#include <gif_lib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "gif/GIFImage.h"

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<uint8_t>;

struct Sample {
  std::string name;
  Bytes data;
  bool saves = true;  // both libraries save what they loaded
};

// ---- giflib through memory callbacks ---------------------------------------

struct MemoryReader {
  const Bytes* data;
  std::size_t position;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int count) {
  auto* in = static_cast<MemoryReader*>(gif->UserData);
  const std::size_t n =
      std::min<std::size_t>(static_cast<std::size_t>(count), in->data->size() - in->position);
  std::memcpy(buffer, in->data->data() + in->position, n);
  in->position += n;
  return static_cast<int>(n);
}

int WriteToMemory(GifFileType* gif, const GifByteType* buffer, int count) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), buffer, buffer + count);
  return count;
}

struct GifFileCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};
using GifFilePtr = std::unique_ptr<GifFileType, GifFileCloser>;

GifFilePtr GiflibSlurp(const Bytes& data) {
  MemoryReader reader{&data, 0};
  int error = 0;
  GifFilePtr gif(DGifOpen(&reader, ReadFromMemory, &error));
  if (!gif) return nullptr;
  if (DGifSlurp(gif.get()) != GIF_OK) return nullptr;
  gif->UserData = nullptr;
  return gif;
}

// An encoder handle holding a copy of the slurped frames, as a document holds
// its frames before a save; EGifSpew writes and frees it.
GifFileType* GiflibPrepareSpew(const GifFileType& source, Bytes& out) {
  int error = 0;
  GifFileType* gif = EGifOpen(&out, WriteToMemory, &error);
  gif->SWidth = source.SWidth;
  gif->SHeight = source.SHeight;
  gif->SColorResolution = source.SColorResolution;
  gif->SBackGroundColor = source.SBackGroundColor;
  gif->AspectByte = source.AspectByte;
  if (source.SColorMap)
    gif->SColorMap = GifMakeMapObject(source.SColorMap->ColorCount, source.SColorMap->Colors);
  for (int i = 0; i < source.ImageCount; ++i) GifMakeSavedImage(gif, &source.SavedImages[i]);
  return gif;
}

bool GiflibSpews(const GifFileType& source) {
  Bytes out;
  return EGifSpew(GiflibPrepareSpew(source, out)) == GIF_OK;
}

// ---- synthetic images -------------------------------------------------------

void AddGreyRamp(gif::TGIFColorMap& map) {
  for (int i = 0; i < 256; ++i)
    map.AppendEntry(gif::TGIFColorMap::TripleToColor(
        gif::TGIFColor{uint8_t(i), uint8_t((i * 7) & 255), uint8_t(255 - i)}));
}

gif::TGIFSubImage& AddFrame(gif::TGIFImage& doc, int left, int top, int width, int height) {
  auto frame = std::make_unique<gif::TGIFSubImage>(&doc);
  frame->Descriptor.Left = uint16_t(left);
  frame->Descriptor.Top = uint16_t(top);
  frame->Descriptor.Width = uint16_t(width);
  frame->Descriptor.Height = uint16_t(height);
  frame->AllocatePixels();
  gif::TGIFSubImage& ref = *frame;
  doc.Frames().Append(std::move(frame));
  return ref;
}

Bytes Save(gif::TGIFImage& doc) {
  gif::TMemoryStream out;
  doc.SaveToStream(out);
  return out.Bytes();
}

// kind: 0 smooth, 1 dithered, 2 noise; the seed is fixed so every run measures
// the same bytes.
Bytes MakeStill(int width, int height, int kind, bool interlaced) {
  std::mt19937 random(20261208u + unsigned(kind));
  gif::TGIFImage doc;
  doc.Header().Screen.ScreenWidth = uint16_t(width);
  doc.Header().Screen.ScreenHeight = uint16_t(height);
  AddGreyRamp(doc.GlobalMap());
  gif::TGIFSubImage& frame = AddFrame(doc, 0, 0, width, height);
  if (interlaced) frame.Descriptor.PackedFields |= 0x40;
  uint8_t* p = frame.PixelData();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      // A diagonal ramp with a gentle wave: long runs of equal colour.
      const double v =
          128.0 + 100.0 * std::sin((x + 2.0 * y) / 700.0) + 20.0 * std::cos((3.0 * x - y) / 260.0);
      int index = int(v);
      if (kind == 1) index += int(random() % 5) - 2;
      if (kind == 2) index = int(random() & 255);
      *p++ = uint8_t(std::clamp(index, 0, 255));
    }
  }
  return Save(doc);
}

Bytes MakeAnimation() {
  const int width = 800, height = 600;
  gif::TGIFImage doc;
  doc.Header().Screen.ScreenWidth = width;
  doc.Header().Screen.ScreenHeight = height;
  AddGreyRamp(doc.GlobalMap());
  for (int f = 0; f < 50; ++f) {
    gif::TGIFSubImage& frame = AddFrame(doc, 0, 0, width, height);
    uint8_t* p = frame.PixelData();
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const int dx = x - 400 - 6 * f, dy = y - 300;
        *p++ = uint8_t(((dx * dx + dy * dy) / (200 + 8 * f) + f) & 255);
      }
  }
  return Save(doc);
}

// ---- timing -----------------------------------------------------------------

double Seconds(const std::function<void()>& action) {
  const auto start = Clock::now();
  action();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Enough repetitions of something that takes `once` seconds to last a few
// milliseconds, so that small files are not lost in the clock's resolution.
int RepeatsFor(double once) {
  return std::clamp(int(0.02 / std::max(once, 1e-7)), 1, 10000);
}

struct Result {
  std::string name;
  double megapixels = 0;
  double oursLoad = 0, giflibLoad = 0;
  std::optional<double> oursSave, giflibSave;  // none when either library cannot save it
};

double TotalMegapixels(const GifFileType& gif) {
  double pixels = 0;
  for (int i = 0; i < gif.ImageCount; ++i)
    pixels += double(gif.SavedImages[i].ImageDesc.Width) * gif.SavedImages[i].ImageDesc.Height;
  return pixels / 1e6;
}

Result Measure(const Sample& sample, int rounds) {
  GifFilePtr slurped = GiflibSlurp(sample.data);
  Result result;
  result.name = sample.name;
  result.megapixels = TotalMegapixels(*slurped);

  gif::TMemoryStream input(sample.data);
  auto oursLoad = [&] {
    gif::TGIFImage doc;
    input.SetPosition(0);
    doc.LoadFromStream(input);
  };
  auto giflibLoad = [&] { GiflibSlurp(sample.data); };

  gif::TGIFImage loaded;
  input.SetPosition(0);
  loaded.LoadFromStream(input);
  auto oursSave = [&] {
    gif::TMemoryStream out;
    loaded.SaveToStream(out);
  };
  // The handles are prepared outside the clock, with their own copies of the
  // frames and room reserved for the output, a few at a time so that their
  // memory is still warm: only EGifSpew is timed. Our save grows its output
  // stream itself.
  auto giflibSave = [&](int repeats) {
    double total = 0;
    for (int done = 0; done < repeats;) {
      const int batch = std::min(repeats - done, 8);
      std::vector<Bytes> outputs(static_cast<std::size_t>(batch));
      std::vector<GifFileType*> handles;
      for (Bytes& out : outputs) {
        out.reserve(2 * sample.data.size() + 4096);
        handles.push_back(GiflibPrepareSpew(*slurped, out));
      }
      total += Seconds([&] {
        for (GifFileType* gif : handles) EGifSpew(gif);
      });
      done += batch;
    }
    return total / repeats;
  };
  auto timed = [](const std::function<void()>& action, int repeats) {
    return Seconds([&] {
             for (int i = 0; i < repeats; ++i) action();
           }) /
           repeats;
  };

  const int loadOurs = RepeatsFor(Seconds(oursLoad));
  const int loadTheirs = RepeatsFor(Seconds(giflibLoad));
  int saveOurs = 0, saveTheirs = 0;
  if (sample.saves) {
    saveOurs = RepeatsFor(Seconds(oursSave));
    saveTheirs = RepeatsFor(giflibSave(1));
  }

  std::vector<double> ol, gl, os, gs;
  for (int round = 0; round < rounds; ++round) {
    const bool oursFirst = round % 2 == 0;
    for (int turn = 0; turn < 2; ++turn) {
      if ((turn == 0) == oursFirst)
        ol.push_back(timed(oursLoad, loadOurs));
      else
        gl.push_back(timed(giflibLoad, loadTheirs));
    }
    if (!sample.saves) continue;
    for (int turn = 0; turn < 2; ++turn) {
      if ((turn == 0) == oursFirst)
        os.push_back(timed(oursSave, saveOurs));
      else
        gs.push_back(giflibSave(saveTheirs));
    }
  }
  result.oursLoad = Median(ol);
  result.giflibLoad = Median(gl);
  if (sample.saves) {
    result.oursSave = Median(os);
    result.giflibSave = Median(gs);
  }
  return result;
}

double GeoMean(const std::vector<double>& ratios) {
  double sum = 0;
  for (double r : ratios) sum += std::log(r);
  return ratios.empty() ? 0 : std::exp(sum / double(ratios.size()));
}

struct Means {
  double load = 0, save = 0;
  std::size_t loads = 0, saves = 0;
};

Means MeansOf(const std::vector<Result>& results) {
  std::vector<double> load, save;
  for (const Result& r : results) {
    load.push_back(r.giflibLoad / r.oursLoad);
    if (r.oursSave) save.push_back(*r.giflibSave / *r.oursSave);
  }
  return Means{GeoMean(load), GeoMean(save), load.size(), save.size()};
}

void Report(const char* title, const std::vector<Result>& results) {
  std::printf("\n%s\n", title);
  std::printf("%-46s %7s | %8s %8s %6s %7s %7s | %8s %8s %6s %7s %7s\n", "", "", "load ms",
              "giflib", "ratio", "Mpx/s", "giflib", "save ms", "giflib", "ratio", "Mpx/s",
              "giflib");
  for (const Result& r : results) {
    std::printf("%-46s %7.3f | %8.3f %8.3f %6.2f %7.1f %7.1f |", r.name.c_str(), r.megapixels,
                r.oursLoad * 1e3, r.giflibLoad * 1e3, r.giflibLoad / r.oursLoad,
                r.megapixels / r.oursLoad, r.megapixels / r.giflibLoad);
    if (r.oursSave)
      std::printf(" %8.3f %8.3f %6.2f %7.1f %7.1f\n", *r.oursSave * 1e3, *r.giflibSave * 1e3,
                  *r.giflibSave / *r.oursSave, r.megapixels / *r.oursSave,
                  r.megapixels / *r.giflibSave);
    else
      std::printf(" %8s\n", "not saved");
  }
  const Means m = MeansOf(results);
  std::printf(
      "geometric mean of giflib time / our time: load %.2fx (%zu inputs), save %.2fx (%zu)\n",
      m.load, m.loads, m.save, m.saves);
}

// ---- memory -------------------------------------------------------------------

// The peak resident memory of this process so far, in KiB.
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

// Child modes: a fresh process loads the file with one library, or does
// nothing, and prints its peak resident memory.
int RunChild(const std::string& mode, const std::string& path) {
  bool loaded = true;
  if (mode == "--child-ours") {
    gif::TGIFImage doc;
    doc.LoadFile(path);
    loaded = !doc.IsEmpty();
  } else if (mode == "--child-giflib") {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    loaded = gif != nullptr && DGifSlurp(gif) == GIF_OK;
    if (gif != nullptr) DGifCloseFile(gif, &error);
  }
  std::printf("%ld\n", PeakKb());
  return loaded ? 0 : 1;
}

// Peak resident memory, in KiB, of a fresh process running one child mode.
// The child measures itself: the peak that the kernel reports to a parent
// can include the memory of the process it was started from.
long ChildPeakKb(const std::string& mode, const std::string& path) {
  const auto quoted = [](const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
  };
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  std::FILE* child = popen((quoted(self) + " " + mode + " " + quoted(path)).c_str(), "r");
  if (child == nullptr) return -1;
  long kb = -1;
  if (std::fscanf(child, "%ld", &kb) != 1) kb = -1;
  return pclose(child) == 0 ? kb : -1;
}

void ReportMemory(const std::string& path) {
  gif::TGIFImage doc;
  doc.LoadFile(path);
  double pixelBytes = 0;
  for (int i = 0; i < doc.Frames().Count(); ++i)
    pixelBytes += double(doc.Frames().Frame(i).PixelDataSize());
  const double fileKb = double(std::filesystem::file_size(path)) / 1024;
  const long idle = ChildPeakKb("--child-idle", path);
  const long ours = ChildPeakKb("--child-ours", path);
  const long giflib = ChildPeakKb("--child-giflib", path);
  std::printf("\npeak RSS loading %s (file %.0f KiB, %d frames, pixels %.0f KiB):\n", path.c_str(),
              fileKb, doc.Frames().Count(), pixelBytes / 1024);
  std::printf("  ours %ld KiB, giflib %ld KiB, a process that loads nothing %ld KiB;\n", ours,
              giflib, idle);
  std::printf("  ours above that: %ld KiB, %.2fx the file and its pixels\n", ours - idle,
              double(ours - idle) / (fileKb + pixelBytes / 1024));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strncmp(argv[1], "--child-", 8) == 0) return RunChild(argv[1], argv[2]);

  int rounds = 7;
  std::string corpus = TINTWELL_CORPUS_DIR;
  bool synthetic = true;
  std::string only;
  std::string rssFile;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--rounds" && i + 1 < argc)
      rounds = std::max(7, std::atoi(argv[++i]));
    else if (arg == "--corpus" && i + 1 < argc)
      corpus = argv[++i];
    else if (arg == "--no-synthetic")
      synthetic = false;
    else if (arg == "--only" && i + 1 < argc)
      only = argv[++i];
    else if (arg == "--rss" && i + 1 < argc)
      rssFile = argv[++i];
    else {
      std::fprintf(stderr,
                   "usage: %s [--rounds N (>= 7)] [--corpus DIR] [--no-synthetic] [--only TEXT] "
                   "[--rss FILE]\n",
                   argv[0]);
      return 2;
    }
  }
  const auto wanted = [&](const std::string& name) { return name.find(only) != std::string::npos; };
  std::printf("median of %d rounds; ratios are giflib time / our time\n", rounds);

  std::vector<Sample> files;
  std::uintmax_t largestSize = 0;
  std::string largest;
  if (std::filesystem::is_directory(corpus)) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
      if (!entry.is_regular_file() || entry.path().extension() != ".gif") continue;
      gif::TMemoryStream stream;
      stream.LoadFromFile(entry.path().string());
      Sample sample{std::filesystem::relative(entry.path(), corpus).string(), stream.Bytes()};
      // The comparison covers what both libraries load, and the saves of what
      // both save.
      GifFilePtr slurped = GiflibSlurp(sample.data);
      if (!slurped) continue;
      gif::TGIFImage doc;
      try {
        gif::TMemoryStream in(sample.data);
        doc.LoadFromStream(in);
      } catch (const std::exception& e) {
        std::printf("not loaded: %s: %s\n", sample.name.c_str(), e.what());
        continue;
      }
      if (entry.file_size() > largestSize) {
        largestSize = entry.file_size();
        largest = entry.path().string();
      }
      try {
        gif::TMemoryStream out;
        doc.SaveToStream(out);
      } catch (const std::exception& e) {
        std::printf("loaded, not saved: %s: %s\n", sample.name.c_str(), e.what());
        sample.saves = false;
      }
      if (!GiflibSpews(*slurped)) sample.saves = false;
      if (wanted(sample.name)) files.push_back(std::move(sample));
    }
    std::sort(files.begin(), files.end(),
              [](const Sample& a, const Sample& b) { return a.name < b.name; });
  }

  std::vector<Result> corpusResults;
  for (const Sample& sample : files) corpusResults.push_back(Measure(sample, rounds));
  if (!corpusResults.empty()) Report("corpus (the files giflib reads)", corpusResults);

  std::vector<Result> syntheticResults;
  if (synthetic) {
    const std::vector<std::pair<std::string, std::function<Bytes()>>> makers = {
        {"smooth 4000x4000", [] { return MakeStill(4000, 4000, 0, false); }},
        {"dithered 4000x4000", [] { return MakeStill(4000, 4000, 1, false); }},
        {"noise 4000x4000", [] { return MakeStill(4000, 4000, 2, false); }},
        {"interlaced smooth 4000x4000", [] { return MakeStill(4000, 4000, 0, true); }},
        {"animation 50x 800x600", [] { return MakeAnimation(); }},
    };
    for (const auto& [name, make] : makers)
      if (wanted(name)) syntheticResults.push_back(Measure(Sample{name, make()}, rounds));
    if (!syntheticResults.empty()) Report("synthetic (fixed seed)", syntheticResults);
  }

  std::vector<Result> all = corpusResults;
  all.insert(all.end(), syntheticResults.begin(), syntheticResults.end());
  if (!all.empty()) {
    std::printf("\nsummary: geometric mean of giflib time / our time\n");
    std::printf("  %-24s %6s %6s\n", "", "load", "save");
    const auto line = [](const char* name, const std::vector<Result>& results) {
      if (results.empty()) return;
      const Means m = MeansOf(results);
      std::printf("  %-24s %5.2fx %5.2fx\n", name, m.load, m.save);
    };
    line("corpus", corpusResults);
    line("synthetic", syntheticResults);
    line("overall", all);
  }

  if (rssFile.empty()) rssFile = largest;
  if (!rssFile.empty()) ReportMemory(rssFile);
  return 0;
}
