// Colour maps for the palette operations' tests: made from a list of triples
// and read back as one, so a row states a whole table.
#pragma once

#include <ostream>
#include <vector>

#include "gif/ColorMap.h"

namespace test {

using Colours = std::vector<gif::TGIFColor>;

struct TestMap {
  gif::TGIFGlobalColorMap map{nullptr};
  explicit TestMap(const Colours& colours) {
    for (const gif::TGIFColor& c : colours) map.AppendEntry(gif::TGIFColorMap::TripleToColor(c));
  }
  Colours Entries() const { return Colours(map.Data(), map.Data() + map.EntryCount()); }
};

}  // namespace test

namespace gif {

inline std::ostream& operator<<(std::ostream& out, const TGIFColor& c) {
  return out << '(' << int{c.Red} << ',' << int{c.Green} << ',' << int{c.Blue} << ')';
}

}  // namespace gif
