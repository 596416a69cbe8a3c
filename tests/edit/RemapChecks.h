// What a remap must keep, checked the same way by the tests and the remap
// fuzzer: every frame composes to the same screen as before, and the document saves and loads back
// to the same tables and pixels. No test framework: a check answers what differs, or an empty
// string.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "gif/Animator.h"
#include "gif/GIFImage.h"

namespace remaptest {

// A digest of the screen after each frame, every frame; empty when the
// canvas would have more than maxPixels pixels. Digests rather than screens:
// a long animation's screens would not fit in memory, and the library's hash
// runs at memory speed where a loop of our own would be slowed down by the
// fuzzer's instrumentation.
inline std::vector<std::size_t> ComposeAll(
    const gif::TGIFImage& doc, uint64_t maxPixels = gif::TGIFAnimator::MaxCanvasPixels) {
  std::vector<std::size_t> screens;
  try {
    gif::TGIFAnimator animator(doc, maxPixels);
    for (int n = 0; n < animator.FrameCount(); ++n) {
      animator.Seek(n);
      const std::vector<uint32_t>& canvas = animator.Canvas();
      screens.push_back(std::hash<std::string_view>{}(std::string_view(
          reinterpret_cast<const char*>(canvas.data()), canvas.size() * sizeof(uint32_t))));
    }
  } catch (const gif::GIFException&) {
    screens.clear();
  }
  return screens;
}

// A table as a file holds it: padded with black to a power of two.
inline std::vector<uint8_t> SavedTable(const gif::TGIFColorMap& map) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(map.Data());
  std::vector<uint8_t> table(bytes, bytes + map.EntryCount() * 3);
  if (map.EntryCount() > 0) table.resize((std::size_t{1} << map.TableBits()) * 3, 0);
  return table;
}

// The global table, then each image's local table and pixels.
inline std::vector<std::vector<uint8_t>> TablesAndPixels(const gif::TGIFImage& doc) {
  std::vector<std::vector<uint8_t>> parts{SavedTable(doc.GlobalMap())};
  for (int f = 0; f < doc.Frames().Count(); ++f) {
    const gif::TGIFSubImage& frame = doc.Frames().Frame(f);
    if (frame.IsEmpty()) continue;
    parts.push_back(SavedTable(frame.LocalMap()));
    parts.emplace_back(frame.PixelData(), frame.PixelData() + frame.PixelDataSize());
  }
  return parts;
}

// Saves doc to memory and loads it back: what differs, or "".
inline std::string RoundTripDiffers(gif::TGIFImage& doc) {
  gif::TMemoryStream saved;
  doc.SaveToStream(saved);
  gif::TGIFImage reloaded;
  saved.SetPosition(0);
  reloaded.LoadFromStream(saved);
  if (reloaded.BackgroundIndex() != doc.BackgroundIndex()) return "background index";
  if (TablesAndPixels(reloaded) != TablesAndPixels(doc)) return "tables or pixels";
  return {};
}

}  // namespace remaptest
