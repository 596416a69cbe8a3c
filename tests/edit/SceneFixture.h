// Small documents built in memory for the palette operation tests: a screen,
// a global table, frames given pixel by pixel.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "gif/GIFImage.h"

namespace edittest {

struct Scene {
  gif::TGIFImage doc;
  explicit Scene(std::initializer_list<gif::TColor> global, int width = 4, int height = 1) {
    doc.Header().Screen.ScreenWidth = uint16_t(width);
    doc.Header().Screen.ScreenHeight = uint16_t(height);
    for (gif::TColor c : global) doc.GlobalMap().AppendEntry(c);
  }
  // A frame of one row at the screen's top left, with its own table when
  // local is given.
  gif::TGIFSubImage& Frame(std::vector<uint8_t> pixels,
                           std::initializer_list<gif::TColor> local = {}) {
    auto frame = std::make_unique<gif::TGIFSubImage>(&doc);
    frame->Descriptor = gif::TImageDescriptor{0x2C, 0, 0, uint16_t(pixels.size()), 1, 0};
    for (gif::TColor c : local) frame->LocalMap().AppendEntry(c);
    frame->AllocatePixels();
    std::copy(pixels.begin(), pixels.end(), frame->PixelData());
    gif::TGIFSubImage& ref = *frame;
    doc.Frames().Append(std::move(frame));
    return ref;
  }
  gif::TGIFGraphicControlExtension& Control(gif::TGIFSubImage& frame, int transparent = -1) {
    auto control = std::make_unique<gif::TGIFGraphicControlExtension>(frame);
    gif::TGIFGraphicControlExtension& ref = *control;
    frame.Extensions().Append(std::move(control));
    if (transparent >= 0) {
      ref.SetTransparentColorIndex(uint8_t(transparent));
      ref.SetTransparentColorFlag(true);
    }
    return ref;
  }
  std::vector<uint8_t> Pixels(int frame) const {
    const gif::TGIFSubImage& f = doc.Frames().Frame(frame);
    return std::vector<uint8_t>(f.PixelData(), f.PixelData() + f.PixelDataSize());
  }
  static std::vector<gif::TColor> Entries(const gif::TGIFColorMap& map) {
    std::vector<gif::TColor> entries;
    for (int i = 0; i < map.EntryCount(); ++i)
      entries.push_back(gif::TGIFColorMap::TripleToColor(map.Data()[i]));
    return entries;
  }
};

}  // namespace edittest
