// The LZW and run-length encoders and the sub-block writer, checked byte for
// byte where the output is fixed and decoded back by giflib everywhere.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "gif/LZWEncoder.h"
#include "tests/gif/GiflibOracle.h"

using namespace gif;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes EncodeWith(TGIFEncoder&& encoder, const Bytes& pixels, int width, int height, int bits,
                 bool interlaced = false) {
  TMemoryStream out;
  encoder.Encode(out, bits, 1 << bits, pixels.empty() ? nullptr : pixels.data(), interlaced, height,
                 width);
  return out.Bytes();
}

Bytes Lzw(const Bytes& pixels, int width, int height, int bits, bool interlaced = false) {
  return EncodeWith(TLZWEncoder(), pixels, width, height, bits, interlaced);
}

Bytes Rle(const Bytes& pixels, int width, int height, int bits, bool interlaced = false) {
  return EncodeWith(TRLEEncoder(), pixels, width, height, bits, interlaced);
}

Bytes Noise(std::size_t count, int bits, unsigned seed) {
  std::mt19937 random(seed);
  Bytes pixels(count);
  for (uint8_t& p : pixels) p = uint8_t(random() & ((1u << bits) - 1));
  return pixels;
}

// The pixels giflib decodes from one frame's image data, rows in the order
// they were written.
Bytes GiflibPixels(const Bytes& imageData, int width, int height, int bits) {
  const GiflibImage image = GiflibDecode(WrapImageData(imageData, width, height, bits));
  EXPECT_TRUE(image.ok) << "giflib error " << image.error;
  if (!image.ok || image.frames.size() != 1) return {};
  return image.frames[0].pixels;
}

// The sub-blocks of image data joined; checks that the terminator ends it.
Bytes JoinSubBlocks(const Bytes& data) {
  Bytes joined;
  std::size_t at = 1;
  while (at < data.size() && data[at] != 0) {
    joined.insert(joined.end(), data.begin() + long(at) + 1,
                  data.begin() + long(at) + 1 + data[at]);
    at += data[at] + 1u;
  }
  EXPECT_EQ(at + 1, data.size()) << "the terminator must be the last byte";
  return joined;
}

// The codes of image data, read with the widths a decoder uses: one entry per
// code after the first following a clear, one bit more when the next entry
// reaches a power of two below 4096.
std::vector<int> ReadCodes(const Bytes& data) {
  const Bytes bytes = JoinSubBlocks(data);
  const int minCodeSize = data[0];
  const int clear = 1 << minCodeSize;
  int width = minCodeSize + 1, next = clear + 2;
  bool first = true;
  std::vector<int> codes;
  std::size_t bit = 0;
  while (bit + std::size_t(width) <= bytes.size() * 8) {
    int code = 0;
    for (int i = 0; i < width; ++i, ++bit) code |= ((bytes[bit / 8] >> (bit % 8)) & 1) << i;
    codes.push_back(code);
    if (code == clear) {
      width = minCodeSize + 1;
      next = clear + 2;
      first = true;
      continue;
    }
    if (code == clear + 1) break;
    if (!first && next < 4096 && ++next == (1 << width) && width < 12) ++width;
    first = false;
  }
  return codes;
}

}  // namespace

TEST(LZWEncoder, TwoPixelFrameIsTheKnownByteSequence) {
  // Codes 4 (clear), 0, 1, 5 (end) of 3 bits, lowest bit first.
  TGIFImage doc;
  auto frame = std::make_unique<TGIFSubImage>(&doc);
  frame->Descriptor.Width = 2;
  frame->Descriptor.Height = 1;
  frame->AllocatePixels();
  frame->PixelData()[1] = 1;
  frame->LocalMap().AppendEntry(0x000000);
  frame->LocalMap().AppendEntry(0xFFFFFF);
  TMemoryStream out;
  EncodeImageData(*frame, out);
  EXPECT_EQ(out.Bytes(), (Bytes{0x02, 0x02, 0x44, 0x0A, 0x00}));
}

TEST(LZWEncoder, EmptyFrameIsTheEndCodeAlone) {
  // No clear code: 3-bit end code 5, and the 9-bit end code 257 for 8 bits.
  EXPECT_EQ(Lzw({}, 0, 0, 1), (Bytes{0x02, 0x01, 0x05, 0x00}));
  EXPECT_EQ(Lzw({}, 5, 0, 8), (Bytes{0x08, 0x02, 0x01, 0x01, 0x00}));
  const Bytes pixels(4, 0);
  EXPECT_EQ(Lzw(pixels, 0, 4, 8), (Bytes{0x08, 0x02, 0x01, 0x01, 0x00}));
}

TEST(LZWEncoder, SameBytesAsGiflibsEncoder) {
  // Greedy LZW with the clear code first, growth after the code emitted past
  // the width's last code and a reset before code 4095 fixes every byte;
  // giflib's encoder follows the same rules. Noise, runs and mixtures of both
  // at every code size, large enough for several resets.
  std::mt19937 random(3);
  for (int trial = 0; trial < 300; ++trial) {
    const int bits = trial % 9;
    const int width = 1 + int(random() % 400), height = 1 + int(random() % 120);
    const uint32_t mask = (1u << bits) - 1;
    Bytes pixels(std::size_t(width) * std::size_t(height));
    const unsigned runLength = 1 + random() % 40;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
      switch (trial % 3) {
        case 0:
          pixels[i] = uint8_t(random() & mask);
          break;
        case 1:
          pixels[i] = uint8_t((i / runLength) & mask);
          break;
        default:
          pixels[i] = random() % 6 == 0 || i == 0 ? uint8_t(random() & mask) : pixels[i - 1];
      }
    }
    ASSERT_EQ(Lzw(pixels, width, height, bits), GiflibImageData(pixels, width, height, bits))
        << "trial " << trial << ": " << width << "x" << height << ", " << bits << " bits";
  }
}

TEST(LZWEncoder, EveryCodeSizeDecodesBack) {
  for (int bits = 0; bits <= 8; ++bits) {
    SCOPED_TRACE("bits " + std::to_string(bits));
    const int colors = 1 << bits;
    // Noise, runs and a ramp: short strings, long strings and everything between.
    Bytes pixels = Noise(120 * 90, bits, unsigned(bits));
    for (std::size_t i = 3000; i < 7000; ++i) pixels[i] = uint8_t((i / 300) % colors);
    for (std::size_t i = 7000; i < 9000; ++i) pixels[i] = uint8_t(i % colors);
    const Bytes data = Lzw(pixels, 120, 90, bits);
    EXPECT_EQ(data[0], std::max(bits, 2));
    EXPECT_EQ(GiflibPixels(data, 120, 90, bits), pixels);
  }
}

TEST(LZWEncoder, LongUniformFrameDecodesBack) {
  // One colour over a million pixels: strings up to the 12-bit limit and resets.
  const Bytes pixels(1000 * 1000, 3);
  const Bytes data = Lzw(pixels, 1000, 1000, 2);
  EXPECT_EQ(GiflibPixels(data, 1000, 1000, 2), pixels);
}

TEST(LZWEncoder, ResetsWhenTheNextCodeWouldBe4095) {
  const Bytes pixels = Noise(200 * 200, 8, 42);
  const Bytes data = Lzw(pixels, 200, 200, 8);
  const std::vector<int> codes = ReadCodes(data);
  ASSERT_FALSE(codes.empty());
  EXPECT_EQ(codes.front(), 256);
  EXPECT_EQ(codes.back(), 257);
  // Between two clears the codes define entries 258..4094 and the one code
  // after the last entry ends the run: 4094 - 258 + 2 codes.
  std::vector<std::size_t> clears;
  for (std::size_t i = 0; i < codes.size(); ++i) {
    EXPECT_LT(codes[i], 4095);
    if (codes[i] == 256) clears.push_back(i);
  }
  ASSERT_GE(clears.size(), 3u);
  for (std::size_t c = 1; c < clears.size(); ++c)
    EXPECT_EQ(clears[c] - clears[c - 1] - 1, 3838u) << "clear " << c;
  EXPECT_EQ(GiflibPixels(data, 200, 200, 8), pixels);
}

TEST(LZWEncoder, InterlacedRowsGoOutInPassOrder) {
  // Rows 0, 8, 16, ...; 4, 12, ...; 2, 6, ...; 1, 3, 5, ... with empty passes
  // skipped. Each row holds its own number, so the order is readable.
  const std::vector<std::vector<int>> expected = {
      {0}, {0, 1}, {0, 2, 1}, {0, 2, 1, 3}, {0, 4, 2, 1, 3}};
  for (int height = 1; height <= 5; ++height) {
    SCOPED_TRACE("height " + std::to_string(height));
    Bytes pixels;
    for (int row = 0; row < height; ++row) pixels.insert(pixels.end(), 3, uint8_t(row));
    const Bytes written = GiflibPixels(Lzw(pixels, 3, height, 3, true), 3, height, 3);
    ASSERT_EQ(written.size(), pixels.size());
    for (int i = 0; i < height; ++i)
      EXPECT_EQ(written[std::size_t(i) * 3], expected[height - 1][i]);
  }
  // A taller frame: giflib de-interlaces it back into the same pixels.
  const Bytes pixels = Noise(37 * 29, 4, 3);
  TMemoryStream out;
  TLZWEncoder().Encode(out, 4, 16, pixels.data(), true, 29, 37);
  Bytes gif = WrapImageData(out.Bytes(), 37, 29, 4);
  gif[13 + 48 + 9] = 0x40;  // the descriptor's interlace flag
  const GiflibImage image = GiflibDecode(gif);
  ASSERT_TRUE(image.ok);
  EXPECT_EQ(image.frames.at(0).pixels, pixels);
}

TEST(LZWEncoder, PixelOutsideTheColorLimitIsRefused) {
  TGIFImage doc;
  auto frame = std::make_unique<TGIFSubImage>(&doc);
  frame->Descriptor.Width = 40;
  frame->Descriptor.Height = 40;
  frame->AllocatePixels();
  for (int i = 0; i < 3; ++i) frame->LocalMap().AppendEntry(TColor(i));
  for (std::size_t i = 0; i < frame->PixelDataSize(); ++i) frame->PixelData()[i] = uint8_t(i % 3);
  TMemoryStream fine;
  EncodeImageData(*frame, fine);

  // Entry 3 would fit the 4-entry table on disk but the map has 3 entries.
  frame->PixelData()[1000] = 3;
  TMemoryStream out;
  try {
    EncodeImageData(*frame, out);
    FAIL() << "pixel 3 was accepted";
  } catch (const GIFException& e) {
    EXPECT_STREQ(e.what(), "Color not in color table");
  }
  // What was encoded so far is written as one sub-block, without a terminator.
  const Bytes& bytes = out.Bytes();
  ASSERT_GE(bytes.size(), 3u);
  EXPECT_EQ(bytes[0], 2);
  EXPECT_EQ(bytes[1] + 2u, bytes.size());

  // Without a local map the limit is 2^PixelBits, whatever the global map holds.
  frame->LocalMap().ResetEntries();
  for (int i = 0; i < 3; ++i) doc.GlobalMap().AppendEntry(TColor(i));
  frame->PixelData()[1000] = 3;
  TMemoryStream accepted;
  EXPECT_NO_THROW(EncodeImageData(*frame, accepted));
  frame->PixelData()[0] = 4;
  TMemoryStream refused;
  EXPECT_THROW(EncodeImageData(*frame, refused), GIFException);
}

TEST(LZWEncoder, PixelBufferSmallerThanTheFrameIsRefused) {
  TGIFImage doc;
  auto frame = std::make_unique<TGIFSubImage>(&doc);
  frame->Descriptor.Width = 4;
  frame->Descriptor.Height = 4;
  frame->AllocatePixels();
  frame->Descriptor.Height = 5;
  TMemoryStream out;
  EXPECT_THROW(EncodeImageData(*frame, out), GIFException);
  EXPECT_EQ(out.Size(), 0);
}

TEST(HashTable, FindsWhatWasStoredAndNothingElse) {
  THashTable table;
  for (uint32_t code = 258; code < 4095; ++code)
    ASSERT_TRUE(table.Store(((code - 1) << 8) | (code & 0xFF), uint16_t(code)));
  for (uint32_t code = 258; code < 4095; ++code)
    EXPECT_EQ(table.Find(((code - 1) << 8) | (code & 0xFF)), code);
  EXPECT_EQ(table.Find((4094u << 8) | 1), THashTable::NotFound);
  table.Reset();
  EXPECT_EQ(table.Find((300u << 8) | 45), THashTable::NotFound);
}

TEST(HashTable, FullProbeCycleEndsTheSearch) {
  // Store keys that all start in the probe cycle of slot 1 until none fits:
  // Store then reports failure and Find of an absent key still returns.
  THashTable table;
  std::vector<uint32_t> stored;
  uint32_t key = 0;
  int inCycle = 0;
  std::vector<bool> cycle(THashTable::SlotCount, false);
  for (int slot = 1; !cycle[std::size_t(slot)]; slot = THashTable::NextSlot(slot)) {
    cycle[std::size_t(slot)] = true;
    ++inCycle;
  }
  EXPECT_EQ(inCycle, 4004);
  const auto nextKeyInCycle = [&] {
    while (!cycle[std::size_t(THashTable::SlotOf(key))]) ++key;
    return key++;
  };
  for (int i = 0; i < inCycle; ++i) {
    const uint32_t k = nextKeyInCycle();
    ASSERT_TRUE(table.Store(k, uint16_t(i & 0xFFF)));
    stored.push_back(k);
  }
  const uint32_t absent = nextKeyInCycle();
  EXPECT_FALSE(table.Store(absent, 1));
  EXPECT_EQ(table.Find(absent), THashTable::NotFound);
  EXPECT_EQ(table.Find(stored.back()), (inCycle - 1) & 0xFFF);
  // The other half of the table is untouched and still usable.
  uint32_t other = 0;
  while (cycle[std::size_t(THashTable::SlotOf(other))]) ++other;
  EXPECT_TRUE(table.Store(other, 7));
  EXPECT_EQ(table.Find(other), 7);
}

TEST(GIFWriter, PacksBytesIntoSubBlocks) {
  const auto write = [](std::size_t count, bool bytewise) {
    TMemoryStream out;
    {
      TGIFWriter writer(out);
      Bytes data(count);
      for (std::size_t i = 0; i < count; ++i) data[i] = uint8_t(i * 7);
      if (bytewise) {
        for (uint8_t& b : data) EXPECT_EQ(writer.Write(&b, 1), 1u);
      } else {
        EXPECT_EQ(writer.Write(data.data(), count), count);
      }
      writer.FlushBlock();
    }
    return out.Bytes();
  };
  EXPECT_TRUE(write(0, false).empty());
  for (std::size_t count : {1u, 254u, 255u, 256u, 510u, 16320u, 16575u, 100000u}) {
    SCOPED_TRACE("count " + std::to_string(count));
    for (bool bytewise : {false, true}) {
      const Bytes out = write(count, bytewise);
      // Full blocks of 255, then the rest; never an empty block.
      std::size_t at = 0, data = 0;
      while (at < out.size()) {
        const std::size_t length = out[at];
        ASSERT_GT(length, 0u);
        if (at + length + 1 < out.size()) {
          EXPECT_EQ(length, 255u);
        }
        for (std::size_t i = 0; i < length; ++i, ++data)
          ASSERT_EQ(out[at + 1 + i], uint8_t(data * 7));
        at += length + 1;
      }
      EXPECT_EQ(at, out.size());
      EXPECT_EQ(data, count);
    }
  }
}

TEST(GIFWriter, CodeStreamOfOneFullSubBlock) {
  // Search frames for one whose code bytes fill exactly one sub-block: one
  // length byte 255, the data, the terminator, and no empty block between.
  // (With codes of 9 bits or more some lengths cannot occur, so the search
  // runs over code sizes and frame sizes.)
  bool found = false;
  for (unsigned trial = 0; trial < 4000 && !found; ++trial) {
    const int bits = 1 + int(trial % 4);
    const std::size_t count = 200 + trial % 800;
    const Bytes pixels = Noise(count, bits, trial);
    const Bytes data = Lzw(pixels, int(count), 1, bits);
    if (data.size() != 1 + 1 + 255 + 1) continue;
    found = true;
    EXPECT_EQ(data[1], 255);
    EXPECT_EQ(data.back(), 0);
    EXPECT_EQ(GiflibPixels(data, int(count), 1, bits), pixels);
  }
  EXPECT_TRUE(found);
}

TEST(GIFWriter, RefusesReadingAndSeeking) {
  TMemoryStream target;
  TGIFWriter writer(target);
  uint8_t byte = 0;
  try {
    writer.Read(&byte, 1);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Invalid stream operation");
  }
  EXPECT_THROW(writer.Seek(0, TSeekOrigin::soBeginning), Exception);
  TGIFStream bare(target);
  EXPECT_THROW(bare.Write(&byte, 1), Exception);
}

TEST(RLEEncoder, DecodesToTheSamePixels) {
  std::mt19937 random(5);
  for (int bits = 0; bits <= 8; ++bits) {
    SCOPED_TRACE("bits " + std::to_string(bits));
    const int colors = 1 << bits;
    // Runs of every length from 1 to a few thousand, some of them adjacent
    // runs of the same value split only by the walk.
    Bytes pixels;
    while (pixels.size() < 60000) {
      const std::size_t length = random() % 4 == 0 ? random() % 3000 + 1 : random() % 12 + 1;
      pixels.insert(pixels.end(), length, uint8_t(random() % unsigned(colors)));
    }
    pixels.resize(60000);
    for (bool interlaced : {false, true}) {
      const Bytes data = Rle(pixels, 300, 200, bits, interlaced);
      Bytes gif = WrapImageData(data, 300, 200, bits);
      if (interlaced) gif[13 + 3 * (1 << std::max(bits, 1)) + 9] = 0x40;
      const GiflibImage image = GiflibDecode(gif);
      ASSERT_TRUE(image.ok);
      EXPECT_EQ(image.frames.at(0).pixels, pixels);
    }
  }
}

TEST(RLEEncoder, LongRunsAndNoise) {
  // A run far longer than one table's worth of growing runs, then noise that
  // goes out as literals with the decoder's widths followed.
  Bytes pixels(2000 * 1000, 9);
  const Bytes noise = Noise(300000, 8, 9);
  std::copy(noise.begin(), noise.end(), pixels.begin() + 1500000);
  const Bytes data = Rle(pixels, 2000, 1000, 8);
  EXPECT_EQ(GiflibPixels(data, 2000, 1000, 8), pixels);
  // Long runs cost far fewer codes than pixels.
  EXPECT_LT(data.size(), noise.size() * 2);
}

TEST(RLEEncoder, ChosenByTheDocumentsCompressionSetting) {
  TGIFImage doc;
  doc.Compression = gcRLE;
  auto frame = std::make_unique<TGIFSubImage>(&doc);
  frame->Descriptor.Width = 64;
  frame->Descriptor.Height = 64;
  frame->AllocatePixels();
  for (std::size_t i = 0; i < frame->PixelDataSize(); ++i) frame->PixelData()[i] = uint8_t(i / 700);
  for (int i = 0; i < 8; ++i) frame->LocalMap().AppendEntry(TColor(i));
  TMemoryStream rle;
  EncodeImageData(*frame, rle);
  doc.Compression = gcLZW;
  TMemoryStream lzw;
  EncodeImageData(*frame, lzw);
  EXPECT_NE(rle.Bytes(), lzw.Bytes());
  const Bytes pixels(frame->PixelData(), frame->PixelData() + frame->PixelDataSize());
  EXPECT_EQ(GiflibPixels(rle.Bytes(), 64, 64, 3), pixels);

  frame->PixelData()[100] = 8;
  doc.Compression = gcRLE;
  TMemoryStream refused;
  EXPECT_THROW(EncodeImageData(*frame, refused), GIFException);
}
