// Times the palette adjustments over every table of a long animation: 100
// frames of 1280x720, each with a table of its own of 256 colours, adjusted
// in HLS mode and in perceptual mode. Prints the median of the rounds, in
// wall time and in the thread's processor time, which a machine busy with
// other work inflates far less.
//
//   tintwell_adjustbench [--rounds N]

#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/Timing.h"
#include "edit/Adjust.h"
#include "edit/AdjustSession.h"
#include "edit/ColorTables.h"
#include "gif/GIFImage.h"

namespace {

constexpr int kFrames = 100, kWidth = 1280, kHeight = 720;

double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

void MakeAnimation(gif::TGIFImage& doc) {
  std::mt19937 random(20261209u);
  doc.Header().Screen.ScreenWidth = kWidth;
  doc.Header().Screen.ScreenHeight = kHeight;
  for (int f = 0; f < kFrames; ++f) {
    auto frame = std::make_unique<gif::TGIFSubImage>(&doc);
    frame->Descriptor.Width = kWidth;
    frame->Descriptor.Height = kHeight;
    frame->AllocatePixels();
    for (int i = 0; i < 256; ++i) frame->LocalMap().AppendEntry(random() & 0xFFFFFF);
    doc.Frames().Append(std::move(frame));
  }
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 15;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::max(7, std::atoi(argv[i + 1]));
  gif::TGIFImage doc;
  MakeAnimation(doc);
  const std::vector<gif::TGIFColorMap*> maps = edit::MapsOf(edit::ColorTables(doc));
  edit::TEntryMask all;
  all.set();
  // Every round starts from the random colours: adjusting what a round before
  // left would drift them towards black or full chroma, which is cheaper.
  std::vector<std::vector<gif::TColor>> original;
  for (gif::TGIFColorMap* map : maps) {
    original.emplace_back();
    for (int i = 0; i < map->EntryCount(); ++i)
      original.back().push_back(gif::TGIFColorMap::TripleToColor(map->Data()[i]));
  }
  const auto restore = [&] {
    for (std::size_t t = 0; t < maps.size(); ++t)
      for (int i = 0; i < maps[t]->EntryCount(); ++i)
        maps[t]->WriteEntry(i, original[t][std::size_t(i)]);
  };

  struct Case {
    const char* name;
    edit::TAdjustment adjustment;
  };
  const Case cases[] = {
      {"HLS hue +40 / -40", {false, 40, 0, 0}},
      {"HLS hue, saturation, lightness", {false, 40, 20, -10}},
      {"perceptual hue +30", {true, 30, 0, 0}},
      {"perceptual hue, chroma, lightness", {true, 30, 20, -5}},
  };
  std::printf("adjust of every table, %d frames of %dx%d, %zu tables of 256 entries\n", kFrames,
              kWidth, kHeight, maps.size());
  std::printf("as the command line does it for a file: tables shared out over %u threads\n",
              std::max(1u, std::thread::hardware_concurrency()));
  for (const Case& c : cases) {
    std::vector<double> wall, processor;
    for (int round = 0; round < rounds; ++round) {
      restore();
      int changed = 0;
      const double start = ThreadSeconds();
      wall.push_back(bench::Seconds([&] {
        std::vector<edit::TTableEntries> tables;
        for (gif::TGIFColorMap* map : maps) tables.push_back({map, all});
        changed = edit::Adjust(tables, c.adjustment).Changed;
      }));
      processor.push_back(ThreadSeconds() - start);
      if (changed == 0) std::printf("  (nothing changed)\n");
    }
    std::printf("  %-34s wall %8.3f ms (this thread's processor time %.3f ms)\n", c.name,
                bench::Median(wall) * 1e3, bench::Median(processor) * 1e3);
  }
  // One table at a time, on one processor, each colour converted from and
  // back: what a caller of edit::Adjust pays a table.
  std::printf("table by table through edit::Adjust, one thread\n");
  for (const Case& c : cases) {
    std::vector<double> wall;
    for (int round = 0; round < rounds; ++round) {
      restore();
      wall.push_back(bench::Seconds([&] {
        for (gif::TGIFColorMap* map : maps) edit::Adjust(*map, all, c.adjustment);
      }));
    }
    const double entries = 256.0 * double(maps.size());
    std::printf("  %-34s wall %8.3f ms (%.0f ns an entry)\n", c.name, bench::Median(wall) * 1e3,
                bench::Median(wall) * 1e9 / entries);
  }

  // What the window's dialog does at each slider step: every table adjusted
  // from the colours it opened with, converted from once, the colours shared
  // out over the processors.
  restore();
  edit::TAdjustSession session;
  for (gif::TGIFColorMap* map : maps) session.Add(*map, all);
  std::printf("the same through the window's live adjustment (converted from once, %u threads)\n",
              std::max(1u, std::thread::hardware_concurrency()));
  for (const Case& c : cases) {
    session.Apply(c.adjustment);
    std::vector<double> wall;
    for (int round = 0; round < rounds; ++round) {
      edit::TAdjustment step = c.adjustment;
      step.Hue += round % 2;  // a new value each time, as a slider gives
      wall.push_back(bench::Seconds([&] { session.Apply(step); }));
    }
    std::printf("  %-34s wall %8.3f ms\n", c.name, bench::Median(wall) * 1e3);
  }
  session.Restore();
  return 0;
}
