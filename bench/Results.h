// What the benchmark measured per input, and the summaries drawn from it:
// geometric means per class of file and the worst input per comparison.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace bench {

// Seconds per operation; empty where the contender was not run or failed.
struct Result {
  std::string name;
  bool corpus = true;  // a real file, not a picture the benchmark made
  double pixels = 0;   // all frames together
  int frames = 0;
  std::optional<double> load, giflibLoad, stbLoad, qtLoad;
  std::optional<double> save, giflibSave;  // to memory
  // Saving to a file, on tmpfs [0] and on the disk [1]: our SaveFile against
  // giflib's EGifSpew to a file in the same folder with and without fsync.
  std::optional<double> fileSave[2], giflibDurable[2], giflibPlain[2];
};

// A peer's time over ours, for one comparison.
struct Comparison {
  const char* label;
  std::function<std::optional<double>(const Result&)> ratio;
};
const std::vector<Comparison>& Comparisons();

// The corpus and synthetic tables of load and save to memory.
void ReportTimes(const char* title, const std::vector<Result>& results);
// The file-save table of the corpus.
void ReportFileSaves(const std::vector<Result>& results);
// Geometric means per set and per class, and the worst input per comparison.
void ReportSummary(const std::vector<Result>& results);

}  // namespace bench
