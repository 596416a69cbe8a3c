// giflib as an independent decoder of what the library writes.
#pragma once

#include <gif_lib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

struct GiflibFrame {
  int width = 0, height = 0;
  bool interlaced = false;
  int localColors = 0;          // 0 without a local colour table
  std::vector<uint8_t> pixels;  // row after row, in display order
};

struct GiflibImage {
  bool ok = false;  // giflib read the whole file
  int error = 0;
  std::vector<GiflibFrame> frames;
};

namespace giflib_oracle {

struct Cursor {
  const std::vector<uint8_t>* bytes;
  std::size_t at;
};

inline int Read(GifFileType* gif, GifByteType* buffer, int count) {
  auto* cursor = static_cast<Cursor*>(gif->UserData);
  const std::size_t n =
      std::min(static_cast<std::size_t>(count), cursor->bytes->size() - cursor->at);
  std::memcpy(buffer, cursor->bytes->data() + cursor->at, n);
  cursor->at += n;
  return static_cast<int>(n);
}

}  // namespace giflib_oracle

// Decodes a whole GIF with giflib's DGifSlurp, which de-interlaces frames.
inline GiflibImage GiflibDecode(const std::vector<uint8_t>& bytes) {
  GiflibImage result;
  giflib_oracle::Cursor cursor{&bytes, 0};
  GifFileType* gif = DGifOpen(&cursor, giflib_oracle::Read, &result.error);
  if (gif == nullptr) return result;
  result.ok = DGifSlurp(gif) == GIF_OK;
  if (!result.ok) result.error = gif->Error;
  for (int i = 0; result.ok && i < gif->ImageCount; ++i) {
    const SavedImage& saved = gif->SavedImages[i];
    GiflibFrame frame;
    frame.width = saved.ImageDesc.Width;
    frame.height = saved.ImageDesc.Height;
    frame.interlaced = saved.ImageDesc.Interlace;
    frame.localColors =
        saved.ImageDesc.ColorMap != nullptr ? saved.ImageDesc.ColorMap->ColorCount : 0;
    frame.pixels.assign(saved.RasterBits,
                        saved.RasterBits + std::size_t(frame.width) * std::size_t(frame.height));
    result.frames.push_back(std::move(frame));
  }
  int closeError = 0;
  DGifCloseFile(gif, &closeError);
  return result;
}

// A minimal GIF around one frame's image data: a global table of 2^bits grey
// entries and a descriptor whose interlace flag is clear, so that giflib hands
// the rows back in the order they were written.
inline std::vector<uint8_t> WrapImageData(const std::vector<uint8_t>& imageData, int width,
                                          int height, int bits) {
  const int tableBits = std::max(bits, 1);
  std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '7', 'a'};
  const auto u16 = [&gif](int v) {
    gif.push_back(uint8_t(v));
    gif.push_back(uint8_t(v >> 8));
  };
  u16(width);
  u16(height);
  gif.push_back(uint8_t(0x80 | ((tableBits - 1) << 4) | (tableBits - 1)));
  gif.push_back(0);
  gif.push_back(0);
  for (int i = 0; i < (1 << tableBits); ++i) gif.insert(gif.end(), 3, uint8_t(i));
  gif.push_back(0x2C);
  u16(0);
  u16(0);
  u16(width);
  u16(height);
  gif.push_back(0);
  gif.insert(gif.end(), imageData.begin(), imageData.end());
  gif.push_back(0x3B);
  return gif;
}

namespace giflib_oracle {

inline int Write(GifFileType* gif, const GifByteType* bytes, int count) {
  auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
  out->insert(out->end(), bytes, bytes + count);
  return count;
}

}  // namespace giflib_oracle

// giflib's image data for one non-interlaced frame: its minimum code size
// byte, sub-blocks and terminator. giflib's encoder is greedy LZW with the
// same clear, growth and reset points, so its bytes are a reference for ours.
inline std::vector<uint8_t> GiflibImageData(const std::vector<uint8_t>& pixels, int width,
                                            int height, int bits) {
  std::vector<uint8_t> out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, giflib_oracle::Write, &error);
  const int tableBits = std::max(bits, 1);
  std::vector<GifColorType> colors(std::size_t(1) << tableBits);
  ColorMapObject* map = GifMakeMapObject(int(colors.size()), colors.data());
  EGifPutScreenDesc(gif, width, height, tableBits, 0, map);
  EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr);
  EGifPutLine(gif, const_cast<GifPixelType*>(pixels.data()), width * height);
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  // Past the header, screen descriptor, global table and image descriptor;
  // without the trailer.
  const std::size_t start = 13 + 3 * colors.size() + 10;
  return std::vector<uint8_t>(out.begin() + long(start), out.end() - 1);
}
