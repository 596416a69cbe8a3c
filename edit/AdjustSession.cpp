#include "edit/AdjustSession.h"

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>

namespace edit {

// A thread that runs one task at a time, handed to it by Start, until the
// session ends.
class TAdjustSession::THelper {
 public:
  THelper() : thread_([this](std::stop_token stop) { Run(stop); }) {}

  void Start(std::function<void()> task) {
    {
      const std::lock_guard lock(mutex_);
      task_ = std::move(task);
    }
    changed_.notify_all();
  }
  void Wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !task_; });
  }

 private:
  void Run(std::stop_token stop) {
    std::unique_lock lock(mutex_);
    while (changed_.wait(lock, stop, [&] { return static_cast<bool>(task_); })) {
      lock.unlock();
      task_();
      lock.lock();
      task_ = nullptr;
      changed_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable_any changed_;
  std::function<void()> task_;  // set from Start until done
  // Last: it starts once the rest is there and is stopped and joined first.
  std::jthread thread_;
};

TAdjustSession::TAdjustSession() = default;
TAdjustSession::~TAdjustSession() = default;

void TAdjustSession::Add(gif::TGIFColorMap& map, const TEntryMask& entries) {
  // Tables of one animation share most of their colours: numbering each
  // colour once lets Apply convert it once however many tables hold it.
  TTable table;
  table.Map = &map;
  table.FirstNew = static_cast<uint32_t>(colours_.size());
  table.Lowest = table.FirstNew;
  for (int i = 0; i < map.EntryCount(); ++i) {
    if (!entries.test(static_cast<std::size_t>(i))) continue;
    const gif::TGIFColor colour = map.Data()[i];
    const auto [at, added] = numbers_.emplace(gif::TGIFColorMap::TripleToColor(colour),
                                              static_cast<uint32_t>(colours_.size()));
    if (added) colours_.push_back(colour);
    table.Entries.push_back(static_cast<uint8_t>(i));
    table.Colours.push_back(at->second);
    table.Lowest = std::min(table.Lowest, at->second);
  }
  tables_.push_back(std::move(table));
}

void TAdjustSession::WriteBack(const TTable& table, TCounts& counts) const {
  int changed = 0;
  for (std::size_t k = 0; k < table.Entries.size(); ++k) {
    const gif::TGIFColor& to = adjusted_[table.Colours[k]];
    changed += to != colours_[table.Colours[k]];
    if (to != table.Map->Data()[table.Entries[k]])
      table.Map->WriteEntry(table.Entries[k], gif::TGIFColorMap::TripleToColor(to));
  }
  counts.Changed += changed;
  counts.Tables += changed > 0;
}

TAdjustSession::TCounts TAdjustSession::Share(std::size_t first, std::size_t last,
                                              const TAdjustment& adjustment) {
  // Colours are numbered in the order their tables were added, so the tables
  // [first, last) brought in the colours [begin, end).
  const std::size_t begin = FirstNewOf(first), end = FirstNewOf(last);
  const std::size_t known = std::clamp(converted_[adjustment.Perceptual], begin, end);
  ConvertForMode(std::span(sources_).subspan(known, end - known), adjustment.Perceptual);
  AdjustColors(std::span(sources_).subspan(begin, end - begin), adjustment,
               std::span(adjusted_).subspan(begin, end - begin));
  TCounts counts;
  for (std::size_t t = first; t < last; ++t)
    if (tables_[t].Lowest >= begin) WriteBack(tables_[t], counts);
  return counts;
}

int TAdjustSession::Apply(const TAdjustment& adjustment) {
  adjusted_.resize(colours_.size());
  // Each colour is converted from once for a mode, the first time an Apply
  // needs it; then each is converted back. They are apart from each other: a
  // long animation's thousands of them are split over the processors by
  // whole tables, so a slider keeps up, and each thread writes back the
  // tables whose colours it converted. A table that shares a colour with one
  // before it waits for all.
  for (std::size_t n = sources_.size(); n < colours_.size(); ++n)
    sources_.emplace_back().Colour = colours_[n];
  const std::size_t size = colours_.size();
  const std::size_t workers = std::clamp<std::size_t>(
      size / kColoursAThread, 1, std::max(1u, std::thread::hardware_concurrency()));
  // Where each share of tables starts: about an equal share of the colours.
  std::vector<std::size_t> starts(workers + 1, tables_.size());
  for (std::size_t w = 0, t = 0; w < workers; ++w) {
    while (t < tables_.size() && tables_[t].FirstNew < size * w / workers) ++t;
    starts[w] = t;
  }
  std::vector<TCounts> counts(workers);
  const auto share = [&](std::size_t w) {
    counts[w] = Share(starts[w], starts[w + 1], adjustment);
  };
  std::size_t started = 0;
  for (; started + 1 < workers; ++started) {
    try {
      if (helpers_.size() <= started) helpers_.push_back(std::make_unique<THelper>());
    } catch (const std::system_error&) {
      break;  // no thread to be had: this one does the shares left
    }
    helpers_[started]->Start([&share, w = started + 1] { share(w); });
  }
  for (std::size_t w = started + 1; w < workers; ++w) share(w);
  share(0);
  for (std::size_t h = 0; h < started; ++h) helpers_[h]->Wait();
  TCounts total;
  for (std::size_t w = 0; w < workers; ++w) {
    total.Changed += counts[w].Changed;
    total.Tables += counts[w].Tables;
    for (std::size_t t = starts[w]; t < starts[w + 1]; ++t)
      if (tables_[t].Lowest < FirstNewOf(starts[w])) WriteBack(tables_[t], total);
  }
  converted_[adjustment.Perceptual] = size;
  tablesChanged_ = total.Tables;
  return total.Changed;
}

TEntryMask SameColours(const gif::TGIFColorMap& map, const gif::TGIFColorMap& source,
                       const TEntryMask& chosen) {
  std::vector<gif::TColor> colours;
  for (int i = 0; i < source.EntryCount(); ++i)
    if (chosen.test(static_cast<std::size_t>(i)))
      colours.push_back(gif::TGIFColorMap::TripleToColor(source.Data()[i]));
  std::sort(colours.begin(), colours.end());
  TEntryMask same;
  for (int i = 0; i < map.EntryCount(); ++i)
    same.set(static_cast<std::size_t>(i),
             std::binary_search(colours.begin(), colours.end(),
                                gif::TGIFColorMap::TripleToColor(map.Data()[i])));
  return same;
}

}  // namespace edit
