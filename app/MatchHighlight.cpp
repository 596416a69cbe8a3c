#include "app/MatchHighlight.h"

namespace app {

std::optional<std::vector<int>> EntriesStartWouldChange(const gif::TGIFColorMap& map,
                                                        edit::TRecolourRequest request) {
  const gif::TGIFColorMap* const maps[] = {&map};
  std::vector<int> changed;
  if (!edit::CountChanges(maps, std::move(request), &map, &changed)) return std::nullopt;
  return changed;
}

}  // namespace app
