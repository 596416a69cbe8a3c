// Loads and saves GIF files with Tintwell's library and with its peers in one
// process, the contenders interleaved and their order rotating from round to
// round, and reports the median times, the ratios (peer's time / ours) and
// their geometric means per class of file: loading from memory against
// giflib, stb_image and Qt; saving to memory against giflib; saving to a file
// on tmpfs and on the disk against giflib with and without fsync; how time
// grows with pixels and frames; the peak memory of loading and saving; and the
// system calls of one save.
//
//   tintwell_bench [--rounds N] [--corpus DIR] [--only TEXT] [--no-synthetic]
//                  [--no-files] [--no-scale] [--no-memory]
//
// --rounds is at least 7; --only keeps the inputs whose name contains TEXT.

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bench/FileSave.h"
#include "bench/Giflib.h"
#include "bench/Memory.h"
#include "bench/Peers.h"
#include "bench/Results.h"
#include "bench/Synthetic.h"
#include "bench/Timing.h"
#include "gif/GIFImage.h"

namespace {

using bench::Bytes;

struct Sample {
  std::string name;
  Bytes data;
  bool corpus = true;
  bool saves = true;             // both libraries save what they loaded
  bool stb = false, qt = false;  // the peer decodes every frame of it
  std::string path;              // the file it came from, for the probes
};

struct Options {
  int rounds = 7;
  std::string corpus = TINTWELL_CORPUS_DIR;
  std::string only;
  bool synthetic = true, files = true, scale = true, memory = true;
};

// Times loading from memory against every peer that reads the sample, and
// saving to memory against giflib.
bench::Result Measure(const Sample& sample, int rounds, bool peers) {
  bench::GifFilePtr slurped = bench::GiflibSlurp(sample.data);
  bench::Result result;
  result.name = sample.name;
  result.corpus = sample.corpus;
  result.pixels = bench::TotalPixels(*slurped);
  result.frames = slurped->ImageCount;

  gif::TMemoryStream input(sample.data);
  std::vector<bench::Timer> loads = {
      bench::Repeating([&] {
        gif::TGIFImage doc;
        input.SetPosition(0);
        doc.LoadFromStream(input);
      }),
      bench::Repeating([&] { bench::GiflibSlurp(sample.data); }),
  };
  const bool stb = peers && sample.stb, qt = peers && sample.qt;
  if (stb) loads.push_back(bench::Repeating([&] { bench::StbDecode(sample.data); }));
  if (qt) loads.push_back(bench::Repeating([&] { bench::QtDecode(sample.data); }));
  const std::vector<double> loadTimes = bench::Interleaved(loads, rounds);
  result.load = loadTimes[0];
  result.giflibLoad = loadTimes[1];
  if (stb) result.stbLoad = loadTimes[2];
  if (qt) result.qtLoad = loadTimes[stb ? 3 : 2];

  if (sample.saves) {
    gif::TGIFImage loaded;
    input.SetPosition(0);
    loaded.LoadFromStream(input);
    // Both sides write into room reserved outside the clock.
    gif::TMemoryStream out;
    out.Reserve(2 * sample.data.size() + 4096);
    const std::vector<double> saveTimes =
        bench::Interleaved({bench::Repeating([&] {
                              out.Clear();
                              loaded.SaveToStream(out);
                            }),
                            bench::GiflibSpewTimer(*slurped, 2 * sample.data.size() + 4096)},
                           rounds);
    result.save = saveTimes[0];
    result.giflibSave = saveTimes[1];
  }
  return result;
}

// A sample when both libraries load it, with what each side can save and,
// with `peers`, which of the other decoders read it.
std::optional<Sample> Prepare(std::string name, Bytes data, bool corpus, bool peers = true) {
  Sample sample;
  sample.name = std::move(name);
  sample.data = std::move(data);
  sample.corpus = corpus;
  bench::GifFilePtr slurped = bench::GiflibSlurp(sample.data);
  if (!slurped) return std::nullopt;
  gif::TGIFImage doc;
  try {
    gif::TMemoryStream in(sample.data);
    doc.LoadFromStream(in);
  } catch (const std::exception& e) {
    std::printf("not loaded: %s: %s\n", sample.name.c_str(), e.what());
    return std::nullopt;
  }
  try {
    gif::TMemoryStream out;
    doc.SaveToStream(out);
  } catch (const std::exception& e) {
    std::printf("loaded, not saved: %s: %s\n", sample.name.c_str(), e.what());
    sample.saves = false;
  }
  if (!bench::GiflibSpews(*slurped)) sample.saves = false;
  if (!peers) return sample;
  // A peer is compared only where it decodes as many frames as we do.
  const int frames = doc.Frames().Count();
  sample.stb = bench::HaveStb() && bench::StbDecode(sample.data) == frames;
  sample.qt = bench::HaveQt() && bench::QtDecode(sample.data) == frames;
  if (bench::HaveStb() && !sample.stb)
    std::printf("stb_image differs on %s\n", sample.name.c_str());
  if (bench::HaveQt() && !sample.qt) std::printf("Qt differs on %s\n", sample.name.c_str());
  return sample;
}

std::vector<Sample> ReadCorpus(const Options& options) {
  std::vector<Sample> files;
  if (!std::filesystem::is_directory(options.corpus)) return files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(options.corpus)) {
    if (!entry.is_regular_file() || entry.path().extension() != ".gif") continue;
    const std::string name = std::filesystem::relative(entry.path(), options.corpus).string();
    if (name.find(options.only) == std::string::npos) continue;
    gif::TMemoryStream stream;
    stream.LoadFromFile(entry.path().string());
    if (auto sample = Prepare(name, stream.Bytes(), true)) {
      sample->path = entry.path().string();
      files.push_back(std::move(*sample));
    }
  }
  std::sort(files.begin(), files.end(),
            [](const Sample& a, const Sample& b) { return a.name < b.name; });
  return files;
}

// Saves to a file on tmpfs and on the disk for every corpus sample.
void MeasureFileSaves(const std::vector<Sample>& samples, std::vector<bench::Result>& results,
                      const std::string (&folders)[2], int rounds) {
  for (std::size_t i = 0; i < samples.size(); ++i) {
    if (!samples[i].saves) continue;
    bench::GifFilePtr slurped = bench::GiflibSlurp(samples[i].data);
    for (int slot = 0; slot < 2; ++slot)
      if (!folders[slot].empty())
        bench::MeasureFileSave(samples[i].data, *slurped, folders[slot], slot, rounds, results[i]);
  }
}

// Time against pixels from 1 to 64 megapixels, and against frames.
void ReportScale(const Options& options) {
  std::printf("\nscale: one smooth frame, milliseconds and nanoseconds per pixel (median)\n");
  std::printf("%6s %11s | %8s %6s %8s %6s | %8s %6s %8s %6s\n", "Mpx", "size", "load", "ns/px",
              "giflib", "ns/px", "save", "ns/px", "giflib", "ns/px");
  for (int megapixels : {1, 2, 4, 8, 16, 32, 64}) {
    if ((std::to_string(megapixels) + " Mpx").find(options.only) == std::string::npos) continue;
    auto sample = Prepare(std::to_string(megapixels) + " Mpx", bench::MakeScalePicture(megapixels),
                          false, false);
    if (!sample) continue;
    const bench::Result r = Measure(*sample, options.rounds, false);
    const bench::GifFilePtr gif = bench::GiflibSlurp(sample->data);
    const double ns = 1e9 / r.pixels;
    std::printf("%6d %5dx%-5d | %8.1f %6.2f %8.1f %6.2f | %8.1f %6.2f %8.1f %6.2f\n", megapixels,
                gif->SWidth, gif->SHeight, *r.load * 1e3, *r.load * ns, *r.giflibLoad * 1e3,
                *r.giflibLoad * ns, r.save.value_or(0) * 1e3, r.save.value_or(0) * ns,
                r.giflibSave.value_or(0) * 1e3, r.giflibSave.value_or(0) * ns);
  }

  std::printf("\nscale: frames of 320x240, milliseconds and microseconds per frame (median)\n");
  std::printf("%6s | %8s %6s %8s %6s | %8s %6s %8s %6s\n", "frames", "load", "us/frm", "giflib",
              "us/frm", "save", "us/frm", "giflib", "us/frm");
  for (int frames : {5, 50, 500}) {
    if ((std::to_string(frames) + " frames").find(options.only) == std::string::npos) continue;
    auto sample = Prepare(std::to_string(frames) + " frames",
                          bench::MakeAnimation(frames, 320, 240), false, false);
    if (!sample) continue;
    const bench::Result r = Measure(*sample, options.rounds, false);
    const double us = 1e6 / frames;
    std::printf("%6d | %8.2f %6.1f %8.2f %6.1f | %8.2f %6.1f %8.2f %6.1f\n", frames, *r.load * 1e3,
                *r.load * us, *r.giflibLoad * 1e3, *r.giflibLoad * us, r.save.value_or(0) * 1e3,
                r.save.value_or(0) * us, r.giflibSave.value_or(0) * 1e3,
                r.giflibSave.value_or(0) * us);
  }
}

// A fresh folder for files the benchmark writes, removed when it goes out of
// scope.
class TScratch {
 public:
  explicit TScratch(const std::filesystem::path& parent) {
    std::error_code error;
    const auto path = parent / ("tintwell-bench-" + std::to_string(::getpid()));
    if (std::filesystem::create_directories(path, error)) path_ = path.string();
  }
  ~TScratch() {
    std::error_code error;
    if (!path_.empty()) std::filesystem::remove_all(path_, error);
  }
  TScratch(const TScratch&) = delete;
  TScratch& operator=(const TScratch&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--rounds" && i + 1 < argc)
      options.rounds = std::max(7, std::atoi(argv[++i]));
    else if (arg == "--corpus" && i + 1 < argc)
      options.corpus = argv[++i];
    else if (arg == "--only" && i + 1 < argc)
      options.only = argv[++i];
    else if (arg == "--no-synthetic")
      options.synthetic = false;
    else if (arg == "--no-files")
      options.files = false;
    else if (arg == "--no-scale")
      options.scale = false;
    else if (arg == "--no-memory")
      options.memory = false;
    else
      return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // Lines reach a log as they are written, in order with any peer's messages.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: %s [--rounds N (>= 7)] [--corpus DIR] [--only TEXT] [--no-synthetic] "
                 "[--no-files] [--no-scale] [--no-memory]\n",
                 argv[0]);
    return 2;
  }
  std::printf("median of %d rounds; peers: giflib%s%s\n", options.rounds,
              bench::HaveStb() ? ", stb_image" : "", bench::HaveQt() ? ", Qt (QImageReader)" : "");
  const TScratch tmpfs("/dev/shm");
  const TScratch disk(std::filesystem::read_symlink("/proc/self/exe").parent_path());

  const std::vector<Sample> files = ReadCorpus(options);
  std::vector<bench::Result> corpus;
  for (const Sample& sample : files) corpus.push_back(Measure(sample, options.rounds, true));
  if (options.files) MeasureFileSaves(files, corpus, {tmpfs.Path(), disk.Path()}, options.rounds);
  bench::ReportTimes("corpus (the files giflib reads)", corpus);
  bench::ReportFileSaves(corpus);
  if (options.files) bench::ReportSaveFloor({tmpfs.Path(), disk.Path()}, options.rounds);

  std::vector<Sample> made;
  if (options.synthetic) {
    const std::vector<std::pair<std::string, std::function<Bytes()>>> makers = {
        {"smooth 4000x4000",
         [] { return bench::MakeStill(4000, 4000, bench::Texture::Smooth, false); }},
        {"dithered 4000x4000",
         [] { return bench::MakeStill(4000, 4000, bench::Texture::Dithered, false); }},
        {"noise 4000x4000",
         [] { return bench::MakeStill(4000, 4000, bench::Texture::Noise, false); }},
        {"interlaced smooth 4000x4000",
         [] { return bench::MakeStill(4000, 4000, bench::Texture::Smooth, true); }},
        {"animation 50x 800x600", [] { return bench::MakeAnimation(50, 800, 600); }},
    };
    for (const auto& [name, make] : makers)
      if (name.find(options.only) != std::string::npos)
        if (auto sample = Prepare(name, make(), false)) made.push_back(std::move(*sample));
  }
  std::vector<bench::Result> synthetic;
  for (const Sample& sample : made) synthetic.push_back(Measure(sample, options.rounds, true));
  bench::ReportTimes("synthetic (fixed seed)", synthetic);

  std::vector<bench::Result> all = corpus;
  all.insert(all.end(), synthetic.begin(), synthetic.end());
  if (!all.empty()) bench::ReportSummary(all);

  if (options.scale) ReportScale(options);

  if (options.memory && !tmpfs.Path().empty()) {
    std::vector<bench::MemoryInput> inputs;
    for (std::size_t i = 0; i < files.size(); ++i)
      inputs.push_back({files[i].name, files[i].path, corpus[i].pixels, files[i].saves});
    // The large pictures go through files of their own.
    const std::pair<std::string, std::function<Bytes()>> large[] = {
        {"animation 500x 320x240", [] { return bench::MakeAnimation(500, 320, 240); }},
        {"smooth 64 Mpx", [] { return bench::MakeScalePicture(64); }},
    };
    for (std::size_t i = 0; i < made.size(); ++i)
      if (made[i].name.rfind("smooth", 0) == 0 || made[i].name.rfind("animation", 0) == 0) {
        const std::string path = tmpfs.Path() + "/made-" + std::to_string(i) + ".gif";
        gif::TMemoryStream(made[i].data).SaveToFile(path);
        inputs.push_back({made[i].name, path, synthetic[i].pixels, true});
      }
    if (options.scale)
      for (const auto& [name, make] : large) {
        const Bytes data = make();
        const std::string path = tmpfs.Path() + "/" + name.substr(0, 6) + ".gif";
        gif::TMemoryStream(data).SaveToFile(path);
        inputs.push_back({name, path, bench::TotalPixels(*bench::GiflibSlurp(data)), true});
      }
    bench::ReportMemory(inputs, tmpfs.Path());
  }

  // One save of the largest corpus file for the count of system calls.
  const Sample* largest = nullptr;
  for (const Sample& sample : files)
    if (sample.saves && (largest == nullptr || sample.data.size() > largest->data.size()))
      largest = &sample;
  if (largest != nullptr && !tmpfs.Path().empty())
    bench::ReportSystemCalls(largest->path, tmpfs.Path());
  return 0;
}
