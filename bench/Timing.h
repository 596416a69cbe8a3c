// Timing for the benchmark: contenders measured in turns within one process,
// their order rotating from round to round, and the median of the rounds kept.
#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(const std::function<void()>& action) {
  const auto start = Clock::now();
  action();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

inline double GeoMean(const std::vector<double>& ratios) {
  double sum = 0;
  for (double r : ratios) sum += std::log(r);
  return ratios.empty() ? 0 : std::exp(sum / double(ratios.size()));
}

// Enough repetitions of something that takes `once` seconds to last a few
// milliseconds, so that small files are not lost in the clock's resolution.
inline int RepeatsFor(double once) {
  return std::clamp(int(0.02 / std::max(once, 1e-7)), 1, 10000);
}

// Seconds per operation over `repeats` operations.
using Timer = std::function<double(int repeats)>;

// A timer that runs `action` the given number of times in a row.
inline Timer Repeating(std::function<void()> action) {
  return [action = std::move(action)](int repeats) {
    return Seconds([&] {
             for (int i = 0; i < repeats; ++i) action();
           }) /
           repeats;
  };
}

// The median seconds per operation of each timer over `rounds` rounds. Each
// timer's repetitions are sized from one trial run; round r starts with timer
// r mod n, so that no contender always runs first (or right after another).
inline std::vector<double> Interleaved(const std::vector<Timer>& timers, int rounds) {
  const std::size_t n = timers.size();
  std::vector<int> repeats;
  for (const Timer& timer : timers) repeats.push_back(RepeatsFor(timer(1)));
  std::vector<std::vector<double>> samples(n);
  for (int round = 0; round < rounds; ++round)
    for (std::size_t k = 0; k < n; ++k) {
      const std::size_t i = (k + std::size_t(round)) % n;
      samples[i].push_back(timers[i](repeats[i]));
    }
  std::vector<double> medians;
  for (const auto& s : samples) medians.push_back(Median(s));
  return medians;
}

}  // namespace bench
