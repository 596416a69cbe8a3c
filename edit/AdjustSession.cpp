#include "edit/AdjustSession.h"

#include <algorithm>
#include <system_error>
#include <thread>

namespace edit {

namespace {

// Fewer colours than this a thread are converted faster than a thread starts.
constexpr std::size_t kColoursAThread = 2048;

}  // namespace

void TAdjustSession::Add(gif::TGIFColorMap& map, const TEntryMask& entries) {
  // Tables of one animation share most of their colours: numbering each
  // colour once lets Apply convert it once however many tables hold it.
  TTable table;
  table.Map = &map;
  for (int i = 0; i < map.EntryCount(); ++i) {
    if (!entries.test(static_cast<std::size_t>(i))) continue;
    const gif::TGIFColor colour = map.Data()[i];
    const auto [at, added] = numbers_.emplace(gif::TGIFColorMap::TripleToColor(colour),
                                              static_cast<uint32_t>(colours_.size()));
    if (added) colours_.push_back(colour);
    table.Entries.push_back(static_cast<uint8_t>(i));
    table.Colours.push_back(at->second);
  }
  tables_.push_back(std::move(table));
}

int TAdjustSession::Apply(const TAdjustment& adjustment) {
  adjusted_.resize(colours_.size());
  // Colours added since the last Apply are converted from once; then each is
  // converted back. They are apart from each other: a long animation's
  // thousands of them are split over the processors, so a slider keeps up.
  const std::size_t known = sources_.size();
  sources_.resize(colours_.size());
  const auto convert = [&](std::size_t begin, std::size_t end) {
    for (std::size_t n = std::max(begin, known); n < end; ++n)
      sources_[n] = AdjustSourceOf(colours_[n]);
    AdjustColors(std::span(sources_).subspan(begin, end - begin), adjustment,
                 std::span(adjusted_).subspan(begin, end - begin));
  };
  const std::size_t size = colours_.size();
  const std::size_t workers = std::clamp<std::size_t>(
      size / kColoursAThread, 1, std::max(1u, std::thread::hardware_concurrency()));
  {
    std::vector<std::jthread> helpers;
    for (std::size_t w = 1; w < workers; ++w) {
      const std::size_t begin = size * w / workers, end = size * (w + 1) / workers;
      try {
        helpers.emplace_back(convert, begin, end);
      } catch (const std::system_error&) {
        convert(begin, end);  // no thread to be had: this one does that share too
      }
    }
    convert(0, size / workers);
  }
  int changed = 0;
  tablesChanged_ = 0;
  for (const TTable& table : tables_) {
    int changedHere = 0;
    for (std::size_t k = 0; k < table.Entries.size(); ++k) {
      const gif::TGIFColor& to = adjusted_[table.Colours[k]];
      changedHere += to != colours_[table.Colours[k]];
      if (to != table.Map->Data()[table.Entries[k]])
        table.Map->WriteEntry(table.Entries[k], gif::TGIFColorMap::TripleToColor(to));
    }
    changed += changedHere;
    tablesChanged_ += changedHere > 0;
  }
  return changed;
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
