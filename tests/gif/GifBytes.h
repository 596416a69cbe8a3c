// Building GIF data byte by byte for tests: code streams, sub-block chains,
// headers and image blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace giftest {

using Bytes = std::vector<uint8_t>;

inline Bytes Text(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

// Joins byte pieces: Concat({{0x21, 0xFE}, Text("ab")}).
inline Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// Packs codes least significant bit first, each at the width a decoder reads
// it with: minCodeSize + 1 bits at the start and after a clear code, one more
// whenever the next free entry reaches the width limit. A sequence that starts
// without a clear code is read as if it had one.
inline Bytes PackCodes(int minCodeSize, const std::vector<int>& codes) {
  const int clear = 1 << minCodeSize;
  int width = minCodeSize + 1;
  int limit = 2 * clear;
  int next = clear + 2;
  bool afterClear = true;
  Bytes out;
  uint32_t acc = 0;
  int bits = 0;
  for (int code : codes) {
    acc |= static_cast<uint32_t>(code) << bits;
    bits += width;
    while (bits >= 8) {
      out.push_back(static_cast<uint8_t>(acc));
      acc >>= 8;
      bits -= 8;
    }
    if (code == clear) {
      width = minCodeSize + 1;
      limit = 2 * clear;
      next = clear + 2;
      afterClear = true;
    } else if (afterClear) {
      // The first code after a clear defines nothing, even the end code.
      afterClear = false;
    } else if (code == clear + 1) {
      // Neither does the end code.
    } else if (next < 4096) {
      ++next;
      if (next >= limit && limit < 4096) {
        limit *= 2;
        ++width;
      }
    }
  }
  if (bits > 0) out.push_back(static_cast<uint8_t>(acc));
  return out;
}

// Cuts data into sub-blocks of at most blockSize bytes, then the terminator.
inline Bytes SubBlocks(const Bytes& data, std::size_t blockSize = 255, bool terminator = true) {
  Bytes out;
  for (std::size_t at = 0; at < data.size(); at += blockSize) {
    const std::size_t n = std::min(blockSize, data.size() - at);
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
               data.begin() + static_cast<std::ptrdiff_t>(at + n));
  }
  if (terminator) out.push_back(0);
  return out;
}

// Minimum code size byte and the chain of the packed codes.
inline Bytes ImageData(int minCodeSize, const std::vector<int>& codes,
                       std::size_t blockSize = 255) {
  return Concat({Bytes{static_cast<uint8_t>(minCodeSize)},
                 SubBlocks(PackCodes(minCodeSize, codes), blockSize)});
}

// Signature, version and logical screen descriptor, then a global colour
// table of 2 << sizeField entries (entry i is i, i, i) when globalTable is set.
inline Bytes Header(int width, int height, bool globalTable = true, int sizeField = 0,
                    const std::string& signature = "GIF89a", uint8_t background = 0,
                    uint8_t aspect = 0) {
  Bytes out(signature.begin(), signature.end());
  const uint8_t packed = static_cast<uint8_t>((globalTable ? 0x80 : 0) | 0x70 | sizeField);
  out.insert(out.end(), {static_cast<uint8_t>(width), static_cast<uint8_t>(width >> 8),
                         static_cast<uint8_t>(height), static_cast<uint8_t>(height >> 8), packed,
                         background, aspect});
  if (globalTable) {
    for (int i = 0; i < (2 << sizeField); ++i) {
      const auto v = static_cast<uint8_t>(i);
      out.insert(out.end(), {v, v, v});
    }
  }
  return out;
}

inline Bytes Descriptor(int left, int top, int width, int height, uint8_t packed = 0,
                        uint8_t separator = 0x2C) {
  return Bytes{separator,
               static_cast<uint8_t>(left),
               static_cast<uint8_t>(left >> 8),
               static_cast<uint8_t>(top),
               static_cast<uint8_t>(top >> 8),
               static_cast<uint8_t>(width),
               static_cast<uint8_t>(width >> 8),
               static_cast<uint8_t>(height),
               static_cast<uint8_t>(height >> 8),
               packed};
}

// An image of width x height pixels alternating colour indices 0 and 1, with
// minimum code size 2: clear, one root per pixel, the end code.
inline Bytes PlainImage(int width, int height, int left = 0, int top = 0) {
  std::vector<int> codes{4};
  for (int i = 0; i < width * height; ++i) codes.push_back(i % 2);
  codes.push_back(5);
  return Concat({Descriptor(left, top, width, height), ImageData(2, codes)});
}

// A graphic control extension; transparent when transparentIndex >= 0.
inline Bytes GraphicControl(int transparentIndex = -1) {
  const bool transparent = transparentIndex >= 0;
  return Bytes{0x21,
               0xF9,
               4,
               static_cast<uint8_t>(transparent ? 1 : 0),
               0,
               0,
               static_cast<uint8_t>(transparent ? transparentIndex : 0),
               0};
}

inline Bytes Comment(const std::string& text) {
  Bytes out{0x21, 0xFE};
  out.push_back(static_cast<uint8_t>(text.size()));
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
  return out;
}

}  // namespace giftest
