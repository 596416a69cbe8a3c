// An adjustment shown while its values are still being chosen: the entries
// it may change are remembered as they were, so every new setting starts from
// the same colours and the end can put them all back.
#pragma once

#include <unordered_map>
#include <vector>

#include "edit/Adjust.h"
#include "edit/Selection.h"
#include "gif/ColorMap.h"

namespace edit {

class TAdjustSession {
 public:
  // Adds a table and the entries of it to adjust. The map must outlive the
  // session and keep its entry count while the session is used.
  void Add(gif::TGIFColorMap& map, const TEntryMask& entries);

  // Each chosen entry becomes its remembered colour adjusted. Returns how many
  // entries now differ from what they were when added.
  int Apply(const TAdjustment& adjustment);
  // Puts every chosen entry back as it was.
  void Restore() { Apply({}); }

  // The tables in which the last Apply left some entry changed.
  int TablesChanged() const { return tablesChanged_; }
  int TableCount() const { return static_cast<int>(tables_.size()); }

 private:
  struct TTable {
    gif::TGIFColorMap* Map = nullptr;
    // The chosen entries and their colours when added, as indices into
    // colours_, so a colour found in many tables is adjusted once.
    std::vector<uint8_t> Entries;
    std::vector<uint32_t> Colours;
  };
  std::vector<TTable> tables_;
  std::vector<gif::TGIFColor> colours_;                // each remembered colour once
  std::vector<TAdjustSource> sources_;                 // colours_ converted, at the first Apply
  std::unordered_map<gif::TColor, uint32_t> numbers_;  // a colour's place in colours_
  std::vector<gif::TGIFColor> adjusted_;               // colours_ adjusted, one Apply's worth
  int tablesChanged_ = 0;
};

// The entries of map whose colour is one of those chosen in source: the
// entries of other tables that an adjustment of source's chosen entries
// follows into them.
TEntryMask SameColours(const gif::TGIFColorMap& map, const gif::TGIFColorMap& source,
                       const TEntryMask& chosen);

}  // namespace edit
