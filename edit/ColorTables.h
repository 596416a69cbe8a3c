// The colour tables of a document as an editor lists them: the global table
// when it has entries, then each frame's local table that has entries, in frame
// order.
#pragma once

#include <string>
#include <vector>

#include "gif/Document.h"

namespace edit {

struct TColorTable {
  // -1 for the global table, else the frame's index (0-based) in the document.
  int Frame = -1;
  gif::TGIFColorMap* Map = nullptr;

  bool IsGlobal() const { return Frame < 0; }
  // "Global (N colours)" or "Frame K (N colours)", with K counted from 1.
  std::string Caption() const;
};

// Every table with at least one entry. With globalOnly, the global table alone
// (nothing when it is empty).
std::vector<TColorTable> ColorTables(gif::TGIFImage& image, bool globalOnly = false);

// The maps of a list of tables, in the same order, for the recolour passes.
std::vector<gif::TGIFColorMap*> MapsOf(const std::vector<TColorTable>& tables);

}  // namespace edit
