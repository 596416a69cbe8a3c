#include "edit/TableUse.h"

#include <cstring>

#include "gif/Extensions.h"

namespace edit {

std::vector<int> FramesUsing(const gif::TGIFImage& image, const TColorTable& table) {
  std::vector<int> frames;
  const gif::TGIFImageList& list = image.Frames();
  if (!table.IsGlobal()) {
    if (table.Frame < list.Count() && !list.Frame(table.Frame).IsEmpty())
      frames.push_back(table.Frame);
    return frames;
  }
  for (int i = 0; i < list.Count(); ++i) {
    const gif::TGIFSubImage& frame = list.Frame(i);
    if (frame.LocalMap().EntryCount() == 0 && !frame.IsEmpty()) frames.push_back(i);
  }
  return frames;
}

void CountIndices(const uint8_t* pixels, std::size_t size, std::array<uint64_t, 256>& counts) {
  // Four histograms taking turns: a run of one index (most of a picture) would
  // otherwise make every increment wait for the store of the one before.
  // 32-bit counters stay in the cache better; a chunk never lets one wrap.
  constexpr std::size_t Chunk = std::size_t{1} << 30;
  uint32_t h[4][256];
  while (size > 0) {
    const std::size_t n = size < Chunk ? size : Chunk;
    std::memset(h, 0, sizeof h);
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
      uint64_t a, b;
      std::memcpy(&a, pixels + i, 8);
      std::memcpy(&b, pixels + i + 8, 8);
      ++h[0][a & 0xFF];
      ++h[1][(a >> 8) & 0xFF];
      ++h[2][(a >> 16) & 0xFF];
      ++h[3][(a >> 24) & 0xFF];
      ++h[0][(a >> 32) & 0xFF];
      ++h[1][(a >> 40) & 0xFF];
      ++h[2][(a >> 48) & 0xFF];
      ++h[3][a >> 56];
      ++h[0][b & 0xFF];
      ++h[1][(b >> 8) & 0xFF];
      ++h[2][(b >> 16) & 0xFF];
      ++h[3][(b >> 24) & 0xFF];
      ++h[0][(b >> 32) & 0xFF];
      ++h[1][(b >> 40) & 0xFF];
      ++h[2][(b >> 48) & 0xFF];
      ++h[3][b >> 56];
    }
    for (; i < n; ++i) ++h[0][pixels[i]];
    for (int v = 0; v < 256; ++v) counts[v] += uint64_t{h[0][v]} + h[1][v] + h[2][v] + h[3][v];
    pixels += n;
    size -= n;
  }
}

int TransparentIndexOf(const gif::TGIFSubImage& frame) {
  const gif::TGIFGraphicControlExtension* control = frame.GraphicControl();
  return frame.HasTransparency() && control != nullptr ? control->TransparentColorIndex() : -1;
}

TTableUse CountUse(const gif::TGIFImage& image, const TColorTable& table) {
  TTableUse use;
  const int count = table.Map != nullptr ? table.Map->EntryCount() : 0;
  std::array<uint64_t, 256> frameCounts;
  for (const int f : FramesUsing(image, table)) {
    const gif::TGIFSubImage& frame = image.Frames().Frame(f);
    frameCounts.fill(0);
    CountIndices(frame.PixelData(), frame.PixelDataSize(), frameCounts);
    for (int v = 0; v < 256; ++v) {
      if (frameCounts[v] == 0) continue;
      use.Pixels[v] += frameCounts[v];
      ++use.Frames[v];
      if (v >= count && use.BadFrame < 0) {
        use.BadFrame = f;
        use.BadIndex = v;
      }
    }
  }
  return use;
}

}  // namespace edit
