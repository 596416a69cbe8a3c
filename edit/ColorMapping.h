// A colour mapping: pairs of colours, every entry of a From colour in every
// table becoming its To colour. Pairs apply all at once, so a mapping may swap
// two colours. Read from the command line's --change or from a map file.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "gif/Basics.h"
#include "gif/ColorMap.h"

namespace edit {

struct TColorChange {
  gif::TColor From = 0, To = 0;
};
using TColorMapping = std::vector<TColorChange>;

// A map file: one pair a line, "rrggbb rrggbb" or "#rrggbb -> #rrggbb" (hex in
// either case, spaces or tabs around the parts); "#" followed by a space or a
// tab, or at the end of a line, starts a comment; blank lines are ignored.
// A malformed line, or a From colour a line before already maps, throws
// edit::EEditError "FILE, line N: ..." (the palette files' form).
TColorMapping ParseColorMapping(std::string_view text, const std::string& fileName);

// One pair as the command line gives it, "FROM=TO", each colour rrggbb or
// #rrggbb; nullopt when malformed.
std::optional<TColorChange> ParseColorChange(std::string_view text);

// What a mapping changed over a list of tables.
struct TChangeCount {
  int EntriesChanged = 0;
  int TablesChanged = 0;
  int EntriesTotal = 0;
  int TablesTotal = 0;
};

// Every entry whose colour is the From of a pair gets that pair's To; an
// entry is looked up by its colour before the mapping, never after, and when
// two pairs share a From the first holds. Null maps are skipped.
TChangeCount ApplyColorMapping(std::span<gif::TGIFColorMap* const> maps,
                               const TColorMapping& mapping);

}  // namespace edit
