// An adjustment shown while its values are still being chosen: the entries
// it may change are remembered as they were, so every new setting starts from
// the same colours and the end can put them all back.
#pragma once

#include <array>
#include <memory>
#include <unordered_map>
#include <vector>

#include "edit/Adjust.h"
#include "edit/Selection.h"
#include "gif/ColorMap.h"

namespace edit {

class TAdjustSession {
 public:
  TAdjustSession();
  ~TAdjustSession();
  TAdjustSession(const TAdjustSession&) = delete;
  TAdjustSession& operator=(const TAdjustSession&) = delete;

  // Adds a table and the entries of it to adjust. The map must outlive the
  // session and keep its entry count while the session is used, and is added
  // once (tables are written side by side).
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
    // How many colours were numbered before this table was added, and the
    // lowest number it uses: a table whose colours were all new is written by
    // the thread that converts them.
    uint32_t FirstNew = 0, Lowest = 0;
  };
  struct TCounts {
    int Changed = 0, Tables = 0;
  };
  // Converts the colours that tables [first, last) brought in and writes back
  // those of the tables whose colours all came in with them.
  TCounts Share(std::size_t first, std::size_t last, const TAdjustment& adjustment);
  void WriteBack(const TTable& table, TCounts& counts) const;
  // The first colour table t brought in (past the last table: all of them).
  std::size_t FirstNewOf(std::size_t t) const {
    return t < tables_.size() ? tables_[t].FirstNew : colours_.size();
  }

  std::vector<TTable> tables_;
  std::vector<gif::TGIFColor> colours_;  // each remembered colour once
  // colours_ converted from for each mode (HLS, perceptual), when an Apply
  // first needs it; converted_ says how many of them each mode has.
  std::vector<TAdjustSource> sources_;
  std::array<std::size_t, 2> converted_{};
  std::unordered_map<gif::TColor, uint32_t> numbers_;  // a colour's place in colours_
  std::vector<gif::TGIFColor> adjusted_;               // colours_ adjusted, one Apply's worth
  int tablesChanged_ = 0;
  // Threads kept for the session's life: each Apply hands them their shares
  // instead of starting threads, and each finds its share's colours still in
  // its processor's cache. Last, so they are stopped before the rest goes.
  class THelper;
  std::vector<std::unique_ptr<THelper>> helpers_;
};

// The entries of map whose colour is one of those chosen in source: the
// entries of other tables that an adjustment of source's chosen entries
// follows into them.
TEntryMask SameColours(const gif::TGIFColorMap& map, const gif::TGIFColorMap& source,
                       const TEntryMask& chosen);

}  // namespace edit
