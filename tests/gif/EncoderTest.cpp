// The LZW encoder and the sub-block writer: bytes where they are fixed, giflib
// as the reference encoder and decoder everywhere else.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "gif/LZWEncoder.h"
#include "gif/LZWEncoderDetail.h"
#include "tests/gif/GiflibOracle.h"

using namespace gif;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Lzw(const Bytes& pixels, int width, int height, int bits, bool interlaced = false) {
  TMemoryStream out;
  TLZWEncoder().Encode(out, bits, 1 << bits, pixels.empty() ? nullptr : pixels.data(), interlaced,
                       height, width);
  return out.Bytes();
}

Bytes Noise(std::size_t count, int bits, unsigned seed) {
  std::mt19937 random(seed);
  Bytes pixels(count);
  for (uint8_t& p : pixels) p = uint8_t(random() & ((1u << bits) - 1));
  return pixels;
}

// The pixels giflib decodes from image data, rows in the order written.
Bytes GiflibPixels(const Bytes& imageData, int width, int height, int bits) {
  const GiflibImage image = GiflibDecode(WrapImageData(imageData, width, height, bits));
  EXPECT_TRUE(image.ok) << "giflib error " << image.error;
  return image.ok ? image.frames.at(0).pixels : Bytes();
}

// The codes of image data, read with the widths a decoder uses: one entry per
// code but the first after a clear, one bit more when the next entry reaches
// a power of two below 4096.
std::vector<int> ReadCodes(const Bytes& data) {
  Bytes bytes;
  std::size_t at = 1;
  for (; data.at(at) != 0; at += data[at] + 1u)
    bytes.insert(bytes.end(), &data[at + 1], &data[at + 1] + data[at]);
  EXPECT_EQ(at + 1, data.size()) << "the terminator ends the data";
  const int clear = 1 << data[0];
  int width = data[0] + 1, next = clear + 2;
  bool first = true;
  std::vector<int> codes;
  for (std::size_t bit = 0; bit + std::size_t(width) <= bytes.size() * 8;) {
    int code = 0;
    for (int i = 0; i < width; ++i, ++bit) code |= ((bytes[bit / 8] >> (bit % 8)) & 1) << i;
    codes.push_back(code);
    if (code == clear + 1) break;
    if (code == clear) {
      width = data[0] + 1;
      next = clear + 2;
    } else if (!first && next < 4096 && ++next == (1 << width) && width < 12) {
      ++width;
    }
    first = code == clear;
  }
  return codes;
}

}  // namespace

TEST(LZWEncoder, KnownByteSequences) {
  // Pixels 0, 1 with a 2-entry local map: 3-bit codes 4 (clear), 0, 1, 5 (end).
  TGIFImage doc;
  TGIFSubImage frame(&doc);
  frame.Descriptor.Width = 2;
  frame.Descriptor.Height = 1;
  frame.AllocatePixels();
  frame.PixelData()[1] = 1;
  frame.LocalMap().AppendEntry(0x000000);
  frame.LocalMap().AppendEntry(0xFFFFFF);
  TMemoryStream out;
  EncodeImageData(frame, out);
  EXPECT_EQ(out.Bytes(), (Bytes{0x02, 0x02, 0x44, 0x0A, 0x00}));

  // An empty frame is the end code alone, without a clear code.
  EXPECT_EQ(Lzw({}, 0, 0, 1), (Bytes{0x02, 0x01, 0x05, 0x00}));
  EXPECT_EQ(Lzw(Bytes(4), 0, 4, 8), (Bytes{0x08, 0x02, 0x01, 0x01, 0x00}));
}

TEST(LZWEncoder, SameBytesAsGiflibsEncoder) {
  // Greedy LZW with the clear code first, growth after the code emitted past
  // the width's last code and a reset before code 4095 fixes every byte, and
  // giflib's encoder follows the same rules. Noise, runs and mixtures at every
  // code size, from a few pixels to enough for several resets, one long
  // uniform run, and 8-bit frames of about 65536 pixels. One encoder also
  // takes every trial in turn, code sizes up and down between frames, and
  // writes each one as a fresh encoder does.
  std::mt19937 random(3);
  const auto reused = std::make_unique_for_overwrite<TLZWEncoder>();
  for (int trial = 0; trial <= 306; ++trial) {
    const bool large = trial > 300;
    const int bits = large ? 8 : trial % 9;
    const int kind = large ? trial % 3 : trial / 9 % 3;
    const bool tiny = trial % 4 == 0;  // where the last codes meet the first widths
    int width = trial == 300 ? 1000 : 1 + int(random() % (tiny ? 8 : 400));
    int height = trial == 300 ? 1000 : 1 + int(random() % (tiny ? 3 : 120));
    if (large) {
      width = 256;
      height = trial < 304 ? 255 : 256;
    }
    const uint32_t mask = (1u << bits) - 1;
    const unsigned run = 1 + random() % 40;
    Bytes pixels(std::size_t(width) * std::size_t(height));
    for (std::size_t i = 0; i < pixels.size() && trial != 300; ++i) {
      if (kind == 0) pixels[i] = uint8_t(random() & mask);
      if (kind == 1) pixels[i] = uint8_t((i / run) & mask);
      if (kind == 2)
        pixels[i] = i == 0 || random() % 6 == 0 ? uint8_t(random() & mask) : pixels[i - 1];
    }
    const Bytes expected = GiflibImageData(pixels, width, height, bits);
    ASSERT_EQ(Lzw(pixels, width, height, bits), expected)
        << "trial " << trial << ": " << width << "x" << height << ", " << bits << " bits";
    TMemoryStream out;
    reused->Encode(out, bits, 1 << bits, pixels.data(), false, height, width);
    ASSERT_EQ(out.Bytes(), expected) << "trial " << trial << " on a reused encoder";
  }
}

TEST(LZWEncoder, ReusedEncoderRunsThroughItsGenerations) {
  // A reused encoder tells the entries of its single-pixel strings' table
  // apart by a count of resets, which wraps after 2^20 - 1 of them. A frame
  // of one reset, then enough one-pixel frames to use up the count: the next
  // frame's reset wraps it, and the first frame's entries must not count.
  const auto encoder = std::make_unique_for_overwrite<TLZWEncoder>();
  const Bytes first = Noise(48 * 48, 8, 1), second = Noise(48 * 48, 8, 2);
  TMemoryStream before, after, sink;
  encoder->Encode(before, 8, 256, first.data(), false, 48, 48);
  const uint8_t pixel = 1;
  for (int frame = 2; frame <= 0xFFFFF; ++frame) {
    sink.SetPosition(0);
    encoder->Encode(sink, 2, 4, &pixel, false, 1, 1);
  }
  encoder->Encode(after, 8, 256, second.data(), false, 48, 48);
  EXPECT_EQ(before.Bytes(), GiflibImageData(first, 48, 48, 8));
  EXPECT_EQ(after.Bytes(), GiflibImageData(second, 48, 48, 8));
  EXPECT_EQ(sink.Bytes(), Lzw({pixel}, 1, 1, 2));
}

TEST(LZWEncoder, ResetsWhenTheNextCodeWouldBe4095) {
  const Bytes pixels = Noise(200 * 200, 8, 42);
  const Bytes data = Lzw(pixels, 200, 200, 8);
  const std::vector<int> codes = ReadCodes(data);
  ASSERT_FALSE(codes.empty());
  EXPECT_EQ(codes.front(), 256);
  EXPECT_EQ(codes.back(), 257);
  // Between two clears the codes define entries 258..4094, and one more code
  // ends the last string: 4094 - 258 + 2 codes.
  std::vector<std::size_t> clears;
  for (std::size_t i = 0; i < codes.size(); ++i) {
    EXPECT_LT(codes[i], 4095);
    if (codes[i] == 256) clears.push_back(i);
  }
  ASSERT_GE(clears.size(), 3u);
  for (std::size_t c = 1; c < clears.size(); ++c) EXPECT_EQ(clears[c] - clears[c - 1] - 1, 3838u);
  EXPECT_EQ(GiflibPixels(data, 200, 200, 8), pixels);
}

TEST(LZWEncoder, InterlacedRowsGoOutInPassOrder) {
  // Each row holds its own number; giflib reads the rows in written order.
  const std::vector<std::vector<int>> expected = {
      {0}, {0, 1}, {0, 2, 1}, {0, 2, 1, 3}, {0, 4, 2, 1, 3}};
  for (int height = 1; height <= 5; ++height) {
    Bytes pixels;
    for (int row = 0; row < height; ++row) pixels.insert(pixels.end(), 3, uint8_t(row));
    const Bytes written = GiflibPixels(Lzw(pixels, 3, height, 3, true), 3, height, 3);
    ASSERT_EQ(written.size(), pixels.size());
    for (int i = 0; i < height; ++i)
      EXPECT_EQ(written[std::size_t(i) * 3], expected[height - 1][i]) << "height " << height;
  }
}

TEST(LZWEncoder, PixelsOutsideTheColorLimitAreRefused) {
  TGIFImage doc;
  TGIFSubImage frame(&doc);
  frame.Descriptor.Width = 40;
  frame.Descriptor.Height = 40;
  frame.AllocatePixels();
  for (int i = 0; i < 3; ++i) frame.LocalMap().AppendEntry(TColor(i));
  for (std::size_t i = 0; i < frame.PixelDataSize(); ++i) frame.PixelData()[i] = uint8_t(i % 3);
  TMemoryStream fine;
  EncodeImageData(frame, fine);

  // Entry 3 would fit the 4-entry table on disk, but the map has 3 entries.
  frame.PixelData()[1000] = 3;
  TMemoryStream out;
  try {
    EncodeImageData(frame, out);
    FAIL() << "pixel 3 was accepted";
  } catch (const GIFException& e) {
    EXPECT_STREQ(e.what(), "Color not in color table");
  }
  // The codes before it went out as one sub-block, without a terminator.
  ASSERT_GE(out.Size(), 3);
  EXPECT_EQ(out.Bytes()[1] + 2u, out.Bytes().size());

  // Without a local map the limit is 2^PixelBits, whatever the global map holds.
  frame.LocalMap().ResetEntries();
  for (int i = 0; i < 3; ++i) doc.GlobalMap().AppendEntry(TColor(i));
  TMemoryStream accepted, refused, mismatched;
  EXPECT_NO_THROW(EncodeImageData(frame, accepted));
  frame.PixelData()[0] = 4;
  EXPECT_THROW(EncodeImageData(frame, refused), GIFException);
  // A buffer smaller than the descriptor's size is never read past its end.
  frame.Descriptor.Height = 41;
  EXPECT_THROW(EncodeImageData(frame, mismatched), GIFException);
  EXPECT_EQ(mismatched.Size(), 0);

  // A limit above the clear code still refuses pixels the codes cannot carry.
  for (const int count : {300 * 300, 4}) {
    Bytes pixels(std::size_t(count), 1);
    pixels.back() = 4;
    TMemoryStream wide;
    EXPECT_THROW(TLZWEncoder().Encode(wide, 2, 256, pixels.data(), false, 1, count), GIFException);
  }
}

TEST(LZWEncoder, FullProbeCycleEndsTheSearch) {
  // NextSlot runs through cycles of 4004 slots. Fill the one of slot 1 with
  // keys that start in it: a further Store there reports failure, a Find of
  // an absent key returns, and the other half of the table still takes keys.
  std::vector<bool> cycle(THashTable::SlotCount, false);
  int length = 0;
  for (int slot = 1; !cycle[std::size_t(slot)]; slot = THashTable::NextSlot(slot), ++length)
    cycle[std::size_t(slot)] = true;
  EXPECT_EQ(length, 4004);
  uint32_t key = 0;
  const auto nextKey = [&](bool inCycle) {
    while (cycle[std::size_t(THashTable::SlotOf(key))] != inCycle) ++key;
    return key++;
  };
  THashTable table;
  for (int i = 0; i < length; ++i) ASSERT_TRUE(table.Store(nextKey(true), uint16_t(i & 0xFFF)));
  EXPECT_EQ(table.Find(key - 1), (length - 1) & 0xFFF);
  const uint32_t absent = nextKey(true);
  EXPECT_FALSE(table.Store(absent, 1));
  EXPECT_EQ(table.Find(absent), THashTable::NotFound);
  const uint32_t other = nextKey(false);
  EXPECT_TRUE(table.Store(other, 7));
  EXPECT_EQ(table.Find(other), 7);
}

TEST(GIFWriter, CodeStreamOfOneFullSubBlock) {
  // Exactly 255 code bytes: one full sub-block, then the terminator, with no
  // empty block between. Codes of 9 bits and more skip some lengths, so the
  // search runs over small code sizes and frame sizes. (Longer streams, whose
  // sub-blocks the giflib comparison checks, cover the rest of the packing.)
  bool found = false;
  for (unsigned trial = 0; trial < 4000 && !found; ++trial) {
    const int bits = 1 + int(trial % 4);
    const Bytes pixels = Noise(200 + trial % 800, bits, trial);
    const Bytes data = Lzw(pixels, int(pixels.size()), 1, bits);
    if (data.size() != 1 + 1 + 255 + 1) continue;
    found = true;
    EXPECT_EQ(data[1], 255);
    EXPECT_EQ(GiflibPixels(data, int(pixels.size()), 1, bits), pixels);
  }
  EXPECT_TRUE(found);

  // The writer is a stream for writing only.
  TMemoryStream target;
  TGIFWriter writer(target);
  uint8_t byte = 0;
  EXPECT_THROW(writer.Read(&byte, 1), Exception);
  EXPECT_THROW(writer.Seek(0, TSeekOrigin::soBeginning), Exception);
  try {
    TGIFStream(target).Write(&byte, 1);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Invalid stream operation");
  }

  // What is still held goes out when the writer is destroyed, once.
  TMemoryStream held;
  {
    TGIFWriter pending(held);
    pending.Write("abc", 3);
  }
  EXPECT_EQ(held.Bytes(), (Bytes{3, 'a', 'b', 'c'}));
  {
    TGIFWriter flushed(held);
    flushed.Write("d", 1);
    flushed.FlushBlock();
  }
  EXPECT_EQ(held.Bytes(), (Bytes{3, 'a', 'b', 'c', 1, 'd'}));
  // A target that refuses the bytes then does not make the destructor throw.
  class TRefusing : public TMemoryStream {
   public:
    std::size_t Write(const void*, std::size_t) override { return 0; }
  } refusing;
  EXPECT_NO_THROW({
    TGIFWriter failing(refusing);
    failing.Write("e", 1);
  });
}

TEST(RLEEncoder, ClearsWhenTheCodeCountReachesItsLimit) {
  // Literal codes are cleared before the decoder would widen them (after
  // clear code - 2 codes; after 9, one bit wider, for the smallest code
  // sizes); run codes go on up to 4095 - first free code.
  const auto masked = [](int bits) {  // no two neighbours alike: literals only
    Bytes pixels(3000);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i % (1u << bits));
    return pixels;
  };
  struct Case {
    int bits;
    Bytes pixels;
    int limit;  // data codes between two clears: exactly for literals, at most for runs
    bool runs;  // one run long enough to take its codes to the limit
  };
  // A run of 1 + 2 + ... + k pixels takes k codes: 9 million pixels pass
  // either limit of run codes.
  const std::size_t runLength = 3000 * 3000;
  const std::vector<Case> cases = {
      {8, masked(8), 254, false},
      {5, masked(5), 30, false},
      {4, masked(4), 14, false},
      {3, masked(3), 9, false},
      {2, masked(2), 9, false},
      {8, Bytes(runLength, 5), 4095 - 258, true},
      {2, Bytes(runLength, 1), 4095 - 6, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("bits " + std::to_string(c.bits) + (c.runs ? ", one long run" : ", literals"));
    const int width = c.runs ? 3000 : int(c.pixels.size());
    const int height = int(c.pixels.size()) / width;
    TMemoryStream out;
    TRLEEncoder().Encode(out, c.bits, 1 << c.bits, c.pixels.data(), false, height, width);
    const Bytes data = out.Bytes();
    EXPECT_EQ(GiflibPixels(data, width, height, c.bits), c.pixels);

    const std::vector<int> codes = ReadCodes(data);
    const int clear = 1 << std::max(c.bits, 2);
    ASSERT_EQ(codes.front(), clear);
    ASSERT_EQ(codes.back(), clear + 1);
    std::vector<int> segments = {0};  // data codes after each clear
    for (std::size_t i = 1; i + 1 < codes.size(); ++i) {
      if (codes[i] == clear)
        segments.push_back(0);
      else
        ++segments.back();
    }
    ASSERT_GT(segments.size(), 1u);
    EXPECT_EQ(*std::max_element(segments.begin(), segments.end()), c.limit);
    for (std::size_t i = 0; i + 1 < segments.size() && !c.runs; ++i)
      EXPECT_EQ(segments[i], c.limit) << "segment " << i;
  }
}
