// Loads arbitrary bytes, recolours the global palette, saves to memory, loads
// the result again and checks that the screen, palettes, images, pixels and
// extensions survived. Frame boundaries may differ (an image-less frame's
// extensions join the next frame on reload), so the check compares the
// sequence of blocks rather than the frames.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "color/Common.h"
#include "gif/GIFImage.h"

namespace {

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "round trip broke: %s\n", what);
  std::abort();
}

std::vector<uint8_t> Table(const gif::TGIFColorMap& map) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(map.Data());
  return std::vector<uint8_t>(bytes, bytes + map.EntryCount() * 3);
}

// Every block of the document in file order: each extension as the bytes it
// writes, each image as its position, size, local table and pixels.
std::vector<std::vector<uint8_t>> Blocks(gif::TGIFImage& doc) {
  std::vector<std::vector<uint8_t>> blocks;
  for (int f = 0; f < doc.Frames().Count(); ++f) {
    gif::TGIFSubImage& frame = doc.Frames().Frame(f);
    for (int e = 0; e < frame.Extensions().ItemCount(); ++e) {
      gif::TMemoryStream out;
      frame.Extensions().ItemAt(e).SaveToStream(out);
      blocks.push_back(out.Bytes());
    }
    if (frame.IsEmpty()) continue;
    std::vector<uint8_t> image(9);
    image[0] = frame.Descriptor.Separator;
    gif::PutU16(&image[1], frame.Descriptor.Left);
    gif::PutU16(&image[3], frame.Descriptor.Top);
    gif::PutU16(&image[5], frame.Descriptor.Width);
    gif::PutU16(&image[7], frame.Descriptor.Height);
    const std::vector<uint8_t> table = Table(frame.LocalMap());
    image.insert(image.end(), table.begin(), table.end());
    image.insert(image.end(), frame.PixelData(), frame.PixelData() + frame.PixelDataSize());
    blocks.push_back(std::move(image));
  }
  return blocks;
}

void Recolour(gif::TGIFColorMap& map) {
  for (int i = 0; i < map.EntryCount(); ++i) {
    const gif::TGIFColor c = gif::TGIFColorMap::ColorToTriple(map.ReadEntry(i));
    int h = 0, l = 0, s = 0, r = 0, g = 0, b = 0;
    color::RGBToHueLightSat(c.Red, c.Green, c.Blue, h, l, s);
    color::HueLightSatToRGB((h + 80) % 240, l, s, r, g, b);
    map.WriteEntry(
        i, gif::TGIFColorMap::TripleToColor(gif::TGIFColor{uint8_t(r), uint8_t(g), uint8_t(b)}));
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Every pixel is encoded, decoded and compared: a million per frame and
  // 16 MiB per document (as on a computer of 32) keep the runs short while
  // frames still fill the encoder's string table.
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
  Recolour(doc.GlobalMap());

  gif::TMemoryStream saved;
  try {
    doc.SaveToStream(saved);
  } catch (const gif::GIFException& e) {
    // The two refusals a loaded document can meet: no frames at all, or pixels
    // that point past their colour table.
    const std::string text = e.what();
    Check(text == gif::msg::UnsupportedVersion || text == gif::msg::ColorNotInTable,
          "unexpected save failure");
    return 0;
  }

  // Saving is a pure function of the document.
  gif::TMemoryStream again;
  doc.SaveToStream(again);
  Check(again.Bytes() == saved.Bytes(), "saving twice gave different bytes");

  gif::TGIFImage reloaded;
  saved.SetPosition(0);
  reloaded.LoadFromStream(saved);  // must not throw: we wrote it
  Check(saved.Position() == saved.Size(), "reload stopped before the trailer");
  Check(reloaded.ScreenWidth() == doc.ScreenWidth(), "screen width");
  Check(reloaded.ScreenHeight() == doc.ScreenHeight(), "screen height");
  Check(reloaded.BackgroundIndex() == doc.BackgroundIndex(), "background index");
  Check(reloaded.Header().Screen.AspectRatio == doc.Header().Screen.AspectRatio, "aspect");
  Check(Table(reloaded.GlobalMap()) == Table(doc.GlobalMap()), "global palette");
  Check(Blocks(reloaded) == Blocks(doc), "frames, pixels or extensions");
  return 0;
}
