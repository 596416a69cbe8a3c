// Loads arbitrary bytes and runs every remapping palette operation on the
// document in turn (each sort key both ways, compact, dedupe, and a move of
// entries chosen by the input), checking after each that every frame still
// composes to the same screen; then that the result saves and loads back to
// the same tables and pixels whenever the document as loaded could be saved.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "edit/ColorTables.h"
#include "edit/Remap.h"
#include "gif/GIFImage.h"
#include "tests/edit/RemapChecks.h"

namespace {

void Check(bool condition, const std::string& what) {
  if (condition) return;
  std::fprintf(stderr, "remap broke: %s\n", what.c_str());
  std::abort();
}

// Canvases past this are not composed: the remap is still run and saved.
constexpr uint64_t MaxCanvas = uint64_t{1} << 18;

bool Saves(gif::TGIFImage& doc) {
  try {
    gif::TMemoryStream out;
    doc.SaveToStream(out);
    return true;
  } catch (const gif::GIFException&) {
    return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  gif::LibrarySettings().MaxPixels = uint64_t{1} << 20;
  gif::LibrarySettings().PhysicalMemory = uint64_t{1} << 25;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  gif::TGIFImage doc;
  try {
    gif::TMemoryStream in(data, size);
    doc.LoadFromStream(in);
  } catch (const gif::Exception&) {
    return 0;
  }
  const bool saved = Saves(doc);
  const auto screens = remaptest::ComposeAll(doc, MaxCanvas);

  // The input's last bytes pick the entries to move and where to.
  edit::TEntryMask block;
  int destination = 0;
  if (size >= 3) {
    block = edit::TEntryMask(uint64_t{data[size - 1]} << 8 | data[size - 2])
            << (data[size - 3] & 0x7F);
    destination = data[size - 3];
  }
  auto unchanged = [&](const std::string& operation) {
    Check(remaptest::ComposeAll(doc, MaxCanvas) == screens, operation + " changed a frame");
  };
  for (const edit::TSortKey key :
       {edit::TSortKey::Hue, edit::TSortKey::Saturation, edit::TSortKey::Lightness,
        edit::TSortKey::Luminance, edit::TSortKey::Usage})
    for (const bool reverse : {false, true}) {
      edit::SortTables(doc, edit::ColorTables(doc), key, reverse);
      unchanged("sort by key " + std::to_string(int(key)) + (reverse ? " reversed" : ""));
    }
  for (const edit::TColorTable& table : edit::ColorTables(doc))
    edit::MoveEntries(doc, table, block, destination);
  unchanged("move");
  edit::DedupeTables(doc, edit::ColorTables(doc));
  unchanged("dedupe");
  edit::CompactTables(doc, edit::ColorTables(doc));
  unchanged("compact");
  if (saved)
    Check(remaptest::RoundTripDiffers(doc).empty(), "the result did not load back as it was saved");
  return 0;
}
