// Which palette entries a Start would change, found by running the command's
// passes on a copy of the palette, so the grid can outline them before the
// user commits. Qt-free.
#pragma once

#include <optional>
#include <vector>

#include "edit/Recolour.h"
#include "gif/ColorMap.h"

namespace app {

// The indices whose colour the command would change, ascending; nullopt when
// the command would show one of its messages (an empty To field, a value above
// the limit), since then the user has to fix the fields first. The request's
// ShowError is not called.
std::optional<std::vector<int>> EntriesStartWouldChange(const gif::TGIFColorMap& map,
                                                        edit::TRecolourRequest request);

}  // namespace app
