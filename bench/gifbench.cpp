// Loads and saves GIF files with Tintwell's library and with giflib in one
// process, the two interleaved and their order alternating from round to round,
// and reports the median times, the ratios (giflib time / our time), their
// geometric means and megapixels per second.
//
//   tintwell_bench [--rounds N] [--corpus DIR] [--no-synthetic] [--rss FILE]

#include <gif_lib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
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

// Builds an encoder handle holding a copy of the slurped frames; EGifSpew then
// writes and frees it.
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

struct Result {
  std::string name;
  double megapixels;
  double oursLoad, giflibLoad, oursSave, giflibSave;
};

double TotalMegapixels(const GifFileType& gif) {
  double pixels = 0;
  for (int i = 0; i < gif.ImageCount; ++i)
    pixels += double(gif.SavedImages[i].ImageDesc.Width) * gif.SavedImages[i].ImageDesc.Height;
  return pixels / 1e6;
}

// Runs each measurement enough times to last a few milliseconds, so that small
// files are not lost in the clock's resolution.
int RepeatsFor(const std::function<void()>& action) {
  const double once = std::max(Seconds(action), 1e-7);
  return std::clamp(int(0.02 / once), 1, 10000);
}

Result Measure(const Sample& sample, int rounds) {
  GifFilePtr slurped = GiflibSlurp(sample.data);
  Result result{sample.name, TotalMegapixels(*slurped), 0, 0, 0, 0};

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
  // The handle is prepared outside the clock: only EGifSpew is timed.
  auto giflibSave = [&](int repeats) {
    double total = 0;
    for (int i = 0; i < repeats; ++i) {
      Bytes out;
      out.reserve(sample.data.size() * 2);
      GifFileType* gif = GiflibPrepareSpew(*slurped, out);
      total += Seconds([&] { EGifSpew(gif); });
    }
    return total / repeats;
  };

  const int loadOurs = RepeatsFor(oursLoad), loadTheirs = RepeatsFor(giflibLoad);
  const int saveOurs = RepeatsFor(oursSave), saveTheirs = std::max(1, loadTheirs / 2);
  auto timed = [](const std::function<void()>& action, int repeats) {
    return Seconds([&] {
             for (int i = 0; i < repeats; ++i) action();
           }) /
           repeats;
  };

  std::vector<double> ol, gl, os, gs;
  for (int round = 0; round < rounds; ++round) {
    if (round % 2 == 0) {
      ol.push_back(timed(oursLoad, loadOurs));
      gl.push_back(timed(giflibLoad, loadTheirs));
      os.push_back(timed(oursSave, saveOurs));
      gs.push_back(giflibSave(saveTheirs));
    } else {
      gl.push_back(timed(giflibLoad, loadTheirs));
      ol.push_back(timed(oursLoad, loadOurs));
      gs.push_back(giflibSave(saveTheirs));
      os.push_back(timed(oursSave, saveOurs));
    }
  }
  result.oursLoad = Median(ol);
  result.giflibLoad = Median(gl);
  result.oursSave = Median(os);
  result.giflibSave = Median(gs);
  return result;
}

// Peak resident memory of a child process that loads one file.
long PeakRssKb(const std::string& path) {
  const pid_t child = fork();
  if (child == 0) {
    gif::TGIFImage doc;
    doc.LoadFile(path);
    _exit(doc.IsEmpty() ? 1 : 0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return usage.ru_maxrss;
}

double GeoMean(const std::vector<double>& ratios) {
  double sum = 0;
  for (double r : ratios) sum += std::log(r);
  return std::exp(sum / double(ratios.size()));
}

void Report(const char* title, const std::vector<Result>& results) {
  std::printf("\n%s\n", title);
  std::printf("%-44s %8s | %9s %9s %6s %8s | %9s %9s %6s %8s\n", "file", "Mpx", "load ms",
              "giflib ms", "ratio", "Mpx/s", "save ms", "giflib ms", "ratio", "Mpx/s");
  std::vector<double> load, save;
  for (const Result& r : results) {
    load.push_back(r.giflibLoad / r.oursLoad);
    save.push_back(r.giflibSave / r.oursSave);
    std::printf("%-44s %8.3f | %9.3f %9.3f %6.2f %8.1f | %9.3f %9.3f %6.2f %8.1f\n", r.name.c_str(),
                r.megapixels, r.oursLoad * 1e3, r.giflibLoad * 1e3, load.back(),
                r.megapixels / r.oursLoad, r.oursSave * 1e3, r.giflibSave * 1e3, save.back(),
                r.megapixels / r.oursSave);
  }
  std::printf("geometric mean of giflib time / our time: load %.2fx, save %.2fx (%zu files)\n",
              GeoMean(load), GeoMean(save), results.size());
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 7;
  std::string corpus = TINTWELL_CORPUS_DIR;
  bool synthetic = true;
  std::string rssFile;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--rounds" && i + 1 < argc)
      rounds = std::max(1, std::atoi(argv[++i]));
    else if (arg == "--corpus" && i + 1 < argc)
      corpus = argv[++i];
    else if (arg == "--no-synthetic")
      synthetic = false;
    else if (arg == "--rss" && i + 1 < argc)
      rssFile = argv[++i];
    else {
      std::fprintf(stderr, "usage: %s [--rounds N] [--corpus DIR] [--no-synthetic] [--rss FILE]\n",
                   argv[0]);
      return 2;
    }
  }

  // Measured first, while this process is still small: the child inherits it.
  if (!rssFile.empty()) {
    std::printf("peak RSS loading %s: %ld KiB (file %lld bytes)\n", rssFile.c_str(),
                PeakRssKb(rssFile), static_cast<long long>(std::filesystem::file_size(rssFile)));
  }

  std::vector<Sample> files;
  if (std::filesystem::is_directory(corpus)) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
      if (!entry.is_regular_file() || entry.path().extension() != ".gif") continue;
      gif::TMemoryStream stream;
      stream.LoadFromFile(entry.path().string());
      Sample sample{std::filesystem::relative(entry.path(), corpus).string(), stream.Bytes()};
      // The comparison covers what both libraries read.
      if (!GiflibSlurp(sample.data)) continue;
      try {
        gif::TGIFImage doc;
        gif::TMemoryStream in(sample.data);
        doc.LoadFromStream(in);
        gif::TMemoryStream out;
        doc.SaveToStream(out);
      } catch (const std::exception& e) {
        std::printf("skipped %s: %s\n", sample.name.c_str(), e.what());
        continue;
      }
      files.push_back(std::move(sample));
    }
    std::sort(files.begin(), files.end(),
              [](const Sample& a, const Sample& b) { return a.name < b.name; });
  }

  std::vector<Result> corpusResults;
  for (const Sample& sample : files) corpusResults.push_back(Measure(sample, rounds));
  if (!corpusResults.empty()) Report("corpus (files giflib reads)", corpusResults);

  std::vector<Result> syntheticResults;
  if (synthetic) {
    const std::vector<Sample> samples = {
        {"smooth 4000x4000", MakeStill(4000, 4000, 0, false)},
        {"dithered 4000x4000", MakeStill(4000, 4000, 1, false)},
        {"noise 4000x4000", MakeStill(4000, 4000, 2, false)},
        {"interlaced smooth 4000x4000", MakeStill(4000, 4000, 0, true)},
        {"animation 50x 800x600", MakeAnimation()},
    };
    for (const Sample& sample : samples) syntheticResults.push_back(Measure(sample, rounds));
    Report("synthetic (fixed seed)", syntheticResults);
  }

  if (!corpusResults.empty() && !syntheticResults.empty()) {
    std::vector<Result> all = corpusResults;
    all.insert(all.end(), syntheticResults.begin(), syntheticResults.end());
    std::vector<double> load, save;
    for (const Result& r : all) {
      load.push_back(r.giflibLoad / r.oursLoad);
      save.push_back(r.giflibSave / r.oursSave);
    }
    std::printf("\noverall geometric mean: load %.2fx, save %.2fx (%zu inputs)\n", GeoMean(load),
                GeoMean(save), all.size());
  }

  return 0;
}
