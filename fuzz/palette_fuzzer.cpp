// Reads arbitrary bytes as a palette file. A read may fail, but only with the
// palette error and never by crashing, hanging or leaking. What it reads
// holds 1 to 256 colours, comes back the same from every format it is
// written in, and fits a colour map.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "edit/PaletteFile.h"

namespace {

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "palette read broken: %s\n", what);
  std::abort();
}

bool Same(const edit::TPalette& a, const edit::TPalette& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * 3) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  edit::TPalette palette;
  try {
    palette = edit::ReadPalette({data, size}, "fuzz");
  } catch (const edit::EPaletteFileError&) {
    return 0;
  }
  Check(!palette.empty() && palette.size() <= edit::MaxPaletteColors, "colour count out of range");

  for (edit::TPaletteFormat format : {edit::TPaletteFormat::Gimp, edit::TPaletteFormat::Jasc,
                                      edit::TPaletteFormat::Act, edit::TPaletteFormat::Hex}) {
    const std::vector<uint8_t> bytes = edit::WritePalette(format, palette, {"fuzz", 0});
    Check(edit::DetectPaletteFormat(bytes) == format, "written file detected as another format");
    Check(Same(edit::ReadPalette(bytes, "again"), palette), "written file reads back different");
  }

  gif::TGIFGlobalColorMap map(nullptr);
  map.AppendEntry(0x123456);
  edit::ApplyPalette(map, palette);
  Check(Same(edit::PaletteOf(map), palette), "map holds other colours than the palette");
  return 0;
}
