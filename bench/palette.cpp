// The palette operations on a large animation: use counts of every table, and
// sort, compact and dedupe with the pixels remapped, on 100 frames of
// 1280 x 720, each with a table of its own, made in memory from a fixed seed.
// Each remap starts from the same pixels and tables, put back outside the
// clock. Prints the thread's CPU seconds and gigapixels per second, one core.
//
//   tintwell_palettebench [ROUNDS]

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/Timing.h"
#include "edit/ColorTables.h"
#include "edit/Remap.h"
#include "edit/TableUse.h"
#include "gif/GIFImage.h"

namespace {

constexpr int Frames = 100, Width = 1280, Height = 720;

// Bands of colour with a little noise, as a dithered animation has: the
// frames use 224 of their 256 entries, and every sixteenth entry repeats an
// earlier colour, so compact and dedupe have work to do.
void MakeAnimation(gif::TGIFImage& doc) {
  std::mt19937 random(20261209);
  doc.Header().Screen.ScreenWidth = Width;
  doc.Header().Screen.ScreenHeight = Height;
  for (int f = 0; f < Frames; ++f) {
    auto frame = std::make_unique<gif::TGIFSubImage>(&doc);
    frame->Descriptor = gif::TImageDescriptor{0x2C, 0, 0, Width, Height, 0};
    for (int i = 0; i < 256; ++i) {
      const gif::TColor c = i % 16 == 15
                                ? gif::TGIFColorMap::TripleToColor(frame->LocalMap().Data()[i / 2])
                                : random() & 0xFFFFFF;
      frame->LocalMap().AppendEntry(c);
    }
    frame->AllocatePixels();
    uint8_t* p = frame->PixelData();
    for (int y = 0; y < Height; ++y)
      for (int x = 0; x < Width; ++x) *p++ = uint8_t((x / 8 + y / 8 + f + (random() & 3)) % 224);
    doc.Frames().Append(std::move(frame));
  }
}

// The pixels and tables of a document, to put back before each run.
struct Snapshot {
  std::vector<std::vector<uint8_t>> pixels;
  std::vector<std::vector<gif::TColor>> tables;
  explicit Snapshot(gif::TGIFImage& doc) {
    for (int f = 0; f < doc.Frames().Count(); ++f) {
      gif::TGIFSubImage& frame = doc.Frames().Frame(f);
      pixels.emplace_back(frame.PixelData(), frame.PixelData() + frame.PixelDataSize());
      std::vector<gif::TColor> table;
      for (int i = 0; i < frame.LocalMap().EntryCount(); ++i)
        table.push_back(gif::TGIFColorMap::TripleToColor(frame.LocalMap().Data()[i]));
      tables.push_back(std::move(table));
    }
  }
  void Restore(gif::TGIFImage& doc) const {
    for (int f = 0; f < doc.Frames().Count(); ++f) {
      gif::TGIFSubImage& frame = doc.Frames().Frame(f);
      std::memcpy(frame.PixelData(), pixels[f].data(), pixels[f].size());
      frame.LocalMap().ResetEntries();
      for (const gif::TColor c : tables[f]) frame.LocalMap().AppendEntry(c);
    }
  }
};

// The time this thread ran: other work on the machine does not count.
double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  gif::TGIFImage doc;
  MakeAnimation(doc);
  const Snapshot pristine(doc);
  const double pixels = double(Frames) * Width * Height;

  struct Case {
    const char* name;
    std::function<int()> run;  // tables changed
    bool restores;
  };
  uint64_t sink = 0;
  const std::vector<Case> cases = {
      {"use counts of every table",
       [&] {
         for (const edit::TColorTable& table : edit::ColorTables(doc))
           sink += edit::CountUse(doc, table).Pixels[0];
         return 0;
       },
       false},
      {"sort by hue",
       [&] {
         return edit::SortTables(doc, edit::ColorTables(doc), edit::TSortKey::Hue, false)
             .TablesChanged;
       },
       true},
      {"sort by usage",
       [&] {
         return edit::SortTables(doc, edit::ColorTables(doc), edit::TSortKey::Usage, false)
             .TablesChanged;
       },
       true},
      {"compact", [&] { return edit::CompactTables(doc, edit::ColorTables(doc)).TablesChanged; },
       true},
      {"dedupe", [&] { return edit::DedupeTables(doc, edit::ColorTables(doc)).TablesChanged; },
       true},
  };
  std::printf("%d frames of %d x %d, a table each; median of %d rounds, CPU time of one thread\n", Frames, Width,
              Height, rounds);
  for (const Case& c : cases) {
    std::vector<double> samples;
    int changed = 0;
    for (int r = 0; r < rounds; ++r) {
      if (c.restores) pristine.Restore(doc);
      const double start = CpuSeconds();
      changed = c.run();
      samples.push_back(CpuSeconds() - start);
    }
    const double seconds = bench::Median(samples);
    std::printf("%-28s %8.4f s %6.2f Gpx/s  (%d tables changed)\n", c.name, seconds,
                pixels / seconds / 1e9, changed);
  }
  return sink == 1 ? 1 : 0;
}
