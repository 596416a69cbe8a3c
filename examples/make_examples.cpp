// Writes the example pictures in examples/ with Tintwell's own GIF library:
//   tintwell_make_examples <folder>
// Each picture has a palette worth recolouring and a picture that shows it.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <functional>
#include <memory>
#include <numbers>
#include <string>

#include "color/Common.h"
#include "gif/GIFImage.h"

namespace {

gif::TColor Rgb(int red, int green, int blue) {
  return gif::TGIFColorMap::TripleToColor(gif::TGIFColor{
      static_cast<uint8_t>(red), static_cast<uint8_t>(green), static_cast<uint8_t>(blue)});
}

gif::TColor Hls(int hue, int lightness, int saturation) {
  int r = 0, g = 0, b = 0;
  color::HueLightSatToRGB(hue, lightness, saturation, r, g, b);
  return Rgb(r, g, b);
}

// A one-frame document of the given size; pixel(x, y) gives each colour index.
void Write(const std::string& path, int width, int height,
           const std::function<void(gif::TGIFColorMap&)>& palette,
           const std::function<uint8_t(int, int)>& pixel) {
  gif::TGIFImage doc;
  doc.Header().Screen.ScreenWidth = static_cast<uint16_t>(width);
  doc.Header().Screen.ScreenHeight = static_cast<uint16_t>(height);
  palette(doc.GlobalMap());
  auto frame = std::make_unique<gif::TGIFSubImage>(&doc);
  frame->Descriptor.Width = static_cast<uint16_t>(width);
  frame->Descriptor.Height = static_cast<uint16_t>(height);
  frame->AllocatePixels();
  uint8_t* p = frame->PixelData();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) *p++ = pixel(x, y);
  doc.Frames().Append(std::move(frame));
  doc.SaveFile(path);
}

// 256 colours: sixteen hues down the rows, sixteen lightness steps across, so
// the palette grid reads as a colour chart. The picture is a hue wheel.
void ColourWheel(const std::string& folder) {
  Write(
      folder + "/colour-wheel.gif", 128, 128,
      [](gif::TGIFColorMap& map) {
        for (int hue = 0; hue < 16; ++hue)
          for (int step = 0; step < 16; ++step) map.AppendEntry(Hls(hue * 15, 16 + step * 13, 240));
      },
      [](int x, int y) {
        const double dx = x - 63.5, dy = y - 63.5;
        const double radius = std::sqrt(dx * dx + dy * dy);
        if (radius > 62) return uint8_t{15};  // the lightest step of red: a pale ground
        const double turn = (std::atan2(dy, dx) + std::numbers::pi) / (2 * std::numbers::pi);
        const int hue = std::min(15, static_cast<int>(turn * 16));
        const int step = std::min(15, static_cast<int>(radius / 62 * 12) + 2);
        return static_cast<uint8_t>(hue * 16 + step);
      });
}

// 16 colours of a sunset over the sea: sky bands, the sun, water and a hill.
void Sunset(const std::string& folder) {
  const gif::TColor colours[16] = {
      Rgb(24, 20, 64),   Rgb(52, 32, 96),   Rgb(96, 44, 120),  Rgb(150, 60, 120),
      Rgb(210, 90, 100), Rgb(245, 140, 80), Rgb(255, 190, 90), Rgb(255, 236, 160),
      Rgb(20, 40, 80),   Rgb(30, 60, 110),  Rgb(60, 90, 140),  Rgb(230, 150, 90),
      Rgb(20, 60, 30),   Rgb(40, 90, 40),   Rgb(10, 10, 20),   Rgb(255, 255, 255)};
  Write(
      folder + "/sunset.gif", 160, 96,
      [&](gif::TGIFColorMap& map) {
        for (gif::TColor c : colours) map.AppendEntry(c);
      },
      [](int x, int y) -> uint8_t {
        const int horizon = 60;
        const double sun = std::hypot(x - 100.0, y - 52.0);
        const double hill = 70 - 18 * std::exp(-std::pow((x - 30) / 28.0, 2));
        if (y >= hill && x < 75) return y > hill + 6 ? 12 : 13;
        if (y < horizon) {
          if (sun < 14) return sun < 9 ? 7 : 6;
          return static_cast<uint8_t>(std::clamp(y * 7 / horizon, 0, 6));
        }
        // Water: darker with depth, a glitter path under the sun.
        if (std::abs(x - 100) < 16 - (y - horizon) / 3 && (x + y) % 5 == 0) return 11;
        return static_cast<uint8_t>(std::clamp(10 - (y - horizon) / 12, 8, 10));
      });
}

// Four greys as a GIF87a chequerboard: the smallest palette, for trying the
// tolerance on hue 160.
void Greys(const std::string& folder) {
  Write(
      folder + "/greys.gif", 32, 32,
      [](gif::TGIFColorMap& map) {
        for (int v : {32, 96, 160, 224}) map.AppendEntry(Rgb(v, v, v));
      },
      [](int x, int y) { return static_cast<uint8_t>(((x / 8) + (y / 8)) % 4); });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  try {
    ColourWheel(argv[1]);
    Sunset(argv[1]);
    Greys(argv[1]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
