#include "cli/UseCounts.h"

#include <array>

namespace cli {

std::vector<uint64_t> UseCounts(const gif::TGIFImage& image, int frame) {
  // Indices past the table are counted too, then dropped with the rest of
  // the 256.
  std::array<uint64_t, 256> counts{};
  const gif::TGIFImageList& frames = image.Frames();
  for (int i = 0; i < frames.Count(); ++i) {
    const gif::TGIFSubImage& f = frames.Frame(i);
    const bool own = f.LocalMap().EntryCount() > 0;
    if (frame < 0 ? own : i != frame) continue;
    const uint8_t* pixels = f.PixelData();
    if (pixels == nullptr) continue;
    for (std::size_t p = 0; p < f.PixelDataSize(); ++p) ++counts[pixels[p]];
  }
  const gif::TGIFColorMap& map = frame < 0
                                     ? static_cast<const gif::TGIFColorMap&>(image.GlobalMap())
                                     : frames.Frame(frame).LocalMap();
  return std::vector<uint64_t>(counts.begin(), counts.begin() + map.EntryCount());
}

}  // namespace cli
