#include "bench/Synthetic.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "gif/GIFImage.h"

namespace bench {

namespace {

void AddGreyRamp(gif::TGIFColorMap& map) {
  for (int i = 0; i < 256; ++i)
    map.AppendEntry(gif::TGIFColorMap::TripleToColor(
        gif::TGIFColor{uint8_t(i), uint8_t((i * 7) & 255), uint8_t(255 - i)}));
}

void SetScreen(gif::TGIFImage& doc, int width, int height) {
  doc.Header().Screen.ScreenWidth = uint16_t(width);
  doc.Header().Screen.ScreenHeight = uint16_t(height);
  AddGreyRamp(doc.GlobalMap());
}

gif::TGIFSubImage& AddFrame(gif::TGIFImage& doc, int width, int height) {
  auto frame = std::make_unique<gif::TGIFSubImage>(&doc);
  frame->Descriptor.Width = uint16_t(width);
  frame->Descriptor.Height = uint16_t(height);
  frame->AllocatePixels();
  gif::TGIFSubImage& ref = *frame;
  doc.Frames().Append(std::move(frame));
  return ref;
}

std::vector<uint8_t> Save(gif::TGIFImage& doc) {
  gif::TMemoryStream out;
  doc.SaveToStream(out);
  return out.Bytes();
}

}  // namespace

std::vector<uint8_t> MakeStill(int width, int height, Texture texture, bool interlaced) {
  std::mt19937 random(20261208u + unsigned(texture));
  gif::TGIFImage doc;
  SetScreen(doc, width, height);
  gif::TGIFSubImage& frame = AddFrame(doc, width, height);
  if (interlaced) frame.Descriptor.PackedFields |= 0x40;
  uint8_t* p = frame.PixelData();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      // A diagonal ramp with a gentle wave: long runs of equal colour.
      const double v =
          128.0 + 100.0 * std::sin((x + 2.0 * y) / 700.0) + 20.0 * std::cos((3.0 * x - y) / 260.0);
      int index = int(v);
      if (texture == Texture::Dithered) index += int(random() % 5) - 2;
      if (texture == Texture::Noise) index = int(random() & 255);
      *p++ = uint8_t(std::clamp(index, 0, 255));
    }
  }
  return Save(doc);
}

std::vector<uint8_t> MakeAnimation(int frames, int width, int height) {
  gif::TGIFImage doc;
  SetScreen(doc, width, height);
  for (int f = 0; f < frames; ++f) {
    gif::TGIFSubImage& frame = AddFrame(doc, width, height);
    uint8_t* p = frame.PixelData();
    const int phase = f % 50;  // the rings repeat every 50 frames
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const int dx = x - width / 2 - 6 * phase * width / 800, dy = y - height / 2;
        *p++ = uint8_t(((dx * dx + dy * dy) / (200 + 8 * phase) + phase) & 255);
      }
  }
  return Save(doc);
}

std::vector<uint8_t> MakeScalePicture(int megapixels) {
  const int width = int(std::lround(1000.0 * std::sqrt(double(megapixels))));
  const int height = int(std::lround(1e6 * megapixels / width));
  gif::TGIFImage doc;
  SetScreen(doc, width, height);
  gif::TGIFSubImage& frame = AddFrame(doc, width, height);
  // Two waves of fixed wavelength, one per axis, summed from tables: the same
  // run lengths per pixel whatever the size, and cheap to make at 64 Mpx.
  std::vector<int> across(static_cast<std::size_t>(width)), down(static_cast<std::size_t>(height));
  for (int x = 0; x < width; ++x) across[std::size_t(x)] = int(60.0 * std::sin(x / 350.0));
  for (int y = 0; y < height; ++y) down[std::size_t(y)] = int(128.0 + 60.0 * std::sin(y / 290.0));
  uint8_t* p = frame.PixelData();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) *p++ = uint8_t(down[std::size_t(y)] + across[std::size_t(x)]);
  return Save(doc);
}

}  // namespace bench
