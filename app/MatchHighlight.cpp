#include "app/MatchHighlight.h"

namespace app {

std::optional<std::vector<int>> EntriesStartWouldChange(const gif::TGIFColorMap& map,
                                                        TRecolourRequest request) {
  // A local map without a frame: no owner to report to, no document touched.
  gif::TGIFLocalColorMap copy(nullptr);
  copy.CopyFrom(&map);
  bool refused = false;
  request.ShowError = [&refused](const std::string&) { refused = true; };
  Recolour(copy, request);
  if (refused) return std::nullopt;
  std::vector<int> changed;
  const gif::TGIFColor* before = map.Data();
  const gif::TGIFColor* after = copy.Data();
  for (int i = 0; i < map.EntryCount(); ++i) {
    if (before[i].Red != after[i].Red || before[i].Green != after[i].Green ||
        before[i].Blue != after[i].Blue)
      changed.push_back(i);
  }
  return changed;
}

}  // namespace app
