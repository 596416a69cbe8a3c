#include "bench/Results.h"

#include <cstdio>

#include "bench/Peers.h"
#include "bench/Timing.h"

namespace bench {

namespace {

std::optional<double> Over(const std::optional<double>& theirs, const std::optional<double>& ours) {
  if (!theirs || !ours) return std::nullopt;
  return *theirs / *ours;
}

// Classes of input. Tiny files are their own class since a document's fixed
// costs dominate there.
constexpr double kTinyPixels = 16000;
constexpr double kLargePixels = 4e6;

struct Class {
  const char* label;
  std::function<bool(const Result&)> holds;
};

const std::vector<Class>& Classes() {
  static const std::vector<Class> classes = {
      {"corpus", [](const Result& r) { return r.corpus; }},
      {"synthetic", [](const Result& r) { return !r.corpus; }},
      {"tiny (< 16 kpx)", [](const Result& r) { return r.pixels < kTinyPixels; }},
      {"still 16 kpx - 4 Mpx",
       [](const Result& r) {
         return r.frames == 1 && r.pixels >= kTinyPixels && r.pixels < kLargePixels;
       }},
      {"still >= 4 Mpx", [](const Result& r) { return r.frames == 1 && r.pixels >= kLargePixels; }},
      {"animated (>= 16 kpx)",
       [](const Result& r) { return r.frames > 1 && r.pixels >= kTinyPixels; }},
  };
  return classes;
}

void PrintTime(const std::optional<double>& seconds) {
  if (seconds)
    std::printf(" %8.3f", *seconds * 1e3);
  else
    std::printf(" %8s", "-");
}

void PrintRatio(const std::optional<double>& ratio) {
  if (ratio)
    std::printf(" %6.2f", *ratio);
  else
    std::printf(" %6s", "-");
}

}  // namespace

const std::vector<Comparison>& Comparisons() {
  static const std::vector<Comparison> comparisons = {
      {"load vs giflib", [](const Result& r) { return Over(r.giflibLoad, r.load); }},
      {"load vs stb_image", [](const Result& r) { return Over(r.stbLoad, r.load); }},
      {"load vs Qt", [](const Result& r) { return Over(r.qtLoad, r.load); }},
      {"save to memory vs giflib", [](const Result& r) { return Over(r.giflibSave, r.save); }},
      {"SaveFile vs giflib+fsync, tmpfs",
       [](const Result& r) { return Over(r.giflibDurable[0], r.fileSave[0]); }},
      {"SaveFile vs giflib, tmpfs",
       [](const Result& r) { return Over(r.giflibPlain[0], r.fileSave[0]); }},
      {"SaveFile vs giflib+fsync, disk",
       [](const Result& r) { return Over(r.giflibDurable[1], r.fileSave[1]); }},
      {"SaveFile vs giflib, disk",
       [](const Result& r) { return Over(r.giflibPlain[1], r.fileSave[1]); }},
  };
  return comparisons;
}

void ReportTimes(const char* title, const std::vector<Result>& results) {
  if (results.empty()) return;
  std::printf("\n%s: milliseconds (median); ratios are the peer's time / ours\n", title);
  std::printf("%-40s %7s %4s | %8s %8s %6s %8s %6s %8s %6s %7s | %8s %8s %6s %7s\n", "", "Mpx",
              "frm", "load", "giflib", "ratio", "stb", "ratio", "Qt", "ratio", "Mpx/s", "save",
              "giflib", "ratio", "Mpx/s");
  for (const Result& r : results) {
    std::printf("%-40.40s %7.3f %4d |", r.name.c_str(), r.pixels / 1e6, r.frames);
    PrintTime(r.load);
    PrintTime(r.giflibLoad);
    PrintRatio(Over(r.giflibLoad, r.load));
    PrintTime(r.stbLoad);
    PrintRatio(Over(r.stbLoad, r.load));
    PrintTime(r.qtLoad);
    PrintRatio(Over(r.qtLoad, r.load));
    std::printf(" %7.1f |", r.load ? r.pixels / 1e6 / *r.load : 0.0);
    PrintTime(r.save);
    PrintTime(r.giflibSave);
    PrintRatio(Over(r.giflibSave, r.save));
    std::printf(" %7.1f\n", r.save ? r.pixels / 1e6 / *r.save : 0.0);
  }
  if (HaveStb() || HaveQt())
    std::printf("(stb_image and Qt compose every frame into RGBA pixels; we keep indices)\n");
}

void ReportFileSaves(const std::vector<Result>& results) {
  bool any = false;
  for (const Result& r : results) any = any || r.fileSave[0] || r.fileSave[1];
  if (!any) return;
  std::printf(
      "\nsaving a loaded document to a file (ours: SaveFile; giflib: EGifSpew to a file in the\n"
      "same folder, +fsync made durable), milliseconds; ratios are giflib's time / ours\n");
  std::printf("%-40s | %8s %8s %6s %8s %6s | %8s %8s %6s %8s %6s\n", "", "tmpfs", "+fsync", "ratio",
              "giflib", "ratio", "disk", "+fsync", "ratio", "giflib", "ratio");
  for (const Result& r : results) {
    if (!r.fileSave[0] && !r.fileSave[1]) continue;
    std::printf("%-40.40s |", r.name.c_str());
    for (int fs = 0; fs < 2; ++fs) {
      PrintTime(r.fileSave[fs]);
      PrintTime(r.giflibDurable[fs]);
      PrintRatio(Over(r.giflibDurable[fs], r.fileSave[fs]));
      PrintTime(r.giflibPlain[fs]);
      PrintRatio(Over(r.giflibPlain[fs], r.fileSave[fs]));
      std::printf(fs == 0 ? " |" : "\n");
    }
  }
}

void ReportSummary(const std::vector<Result>& results) {
  std::printf("\nsummary: geometric mean of the peer's time / ours (inputs)\n");
  std::printf("%-32s", "");
  for (const Class& c : Classes()) std::printf(" %22s", c.label);
  std::printf("\n");
  for (const Comparison& comparison : Comparisons()) {
    std::printf("%-32s", comparison.label);
    for (const Class& c : Classes()) {
      std::vector<double> ratios;
      for (const Result& r : results)
        if (c.holds(r))
          if (const auto ratio = comparison.ratio(r)) ratios.push_back(*ratio);
      if (ratios.empty())
        std::printf(" %22s", "-");
      else
        std::printf(" %16.2fx (%2zu)", GeoMean(ratios), ratios.size());
    }
    std::printf("\n");
  }

  std::printf("\nworst input per comparison\n");
  for (const Comparison& comparison : Comparisons()) {
    const Result* worst = nullptr;
    double lowest = 0;
    for (const Result& r : results)
      if (const auto ratio = comparison.ratio(r); ratio && (worst == nullptr || *ratio < lowest)) {
        worst = &r;
        lowest = *ratio;
      }
    if (worst != nullptr)
      std::printf("  %-32s %6.2fx  %s\n", comparison.label, lowest, worst->name.c_str());
  }
}

}  // namespace bench
