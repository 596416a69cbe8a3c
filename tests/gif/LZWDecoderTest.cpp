#include "gif/LZWDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "GifBytes.h"
#include "gif/GIFImage.h"

using namespace gif;
using namespace giftest;

namespace {

struct Outcome {
  Bytes pixels;
  int64_t position = 0;
  std::vector<std::string> warnings;
  std::string error;

  bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Outcome& o) {
  os << "pixels";
  for (uint8_t p : o.pixels) os << ' ' << int{p};
  os << "; position " << o.position << "; warnings";
  for (const auto& w : o.warnings) os << " [" << w << ']';
  return os << "; error [" << o.error << ']';
}

// Decodes data as the image data of a width x height frame of a document that
// records its warnings. transparentIndex >= 0 gives the frame a graphic
// control extension with that transparent index.
Outcome Decode(const Bytes& data, int width, int height, bool interlaced = false,
               int transparentIndex = -1, TStream* stream = nullptr) {
  TGIFImage doc;
  Outcome out;
  doc.WarningHandler = [&out](TPersistent*, int severity, const std::string& message) {
    EXPECT_EQ(severity, 1);
    out.warnings.push_back(message);
  };
  TGIFSubImage frame(&doc);
  frame.Descriptor.Width = static_cast<uint16_t>(width);
  frame.Descriptor.Height = static_cast<uint16_t>(height);
  frame.Descriptor.PackedFields = interlaced ? 0x40 : 0;
  if (transparentIndex >= 0) {
    std::unique_ptr<TGIFExtension> control = TGIFGraphicControlExtension::ConstructForFrame(frame);
    auto& gce = static_cast<TGIFGraphicControlExtension&>(*control);
    gce.SetTransparentColorFlag(true);
    gce.SetTransparentColorIndex(static_cast<uint8_t>(transparentIndex));
    frame.Extensions().Append(std::move(control));
  }
  TMemoryStream memory(data);
  TStream& in = stream != nullptr ? *stream : memory;
  try {
    DecodeImageData(frame, in);
  } catch (const GIFException& e) {
    out.error = e.what();
  }
  if (frame.PixelData() != nullptr)
    out.pixels.assign(frame.PixelData(), frame.PixelData() + frame.PixelDataSize());
  out.position = in.Position();
  return out;
}

// A decoder of the plainest kind, one pixel at a time through a pixel stack,
// against which the block-copying decoder is compared on arbitrary data.
class PixelStackDecoder {
 public:
  PixelStackDecoder(const Bytes& data, int width, int height, bool interlaced, int fill = 0)
      : data_(data), width_(width), height_(height), interlaced_(interlaced), fill_(fill) {}

  Outcome Run() {
    Outcome out;
    out.pixels.assign(static_cast<std::size_t>(width_) * height_, static_cast<uint8_t>(fill_));
    try {
      Decode(out);
    } catch (const std::string& e) {
      out.error = e;
    }
    out.position = static_cast<int64_t>(pos_);
    out.warnings = warnings_;
    return out;
  }

 private:
  void Decode(Outcome& out) {
    if (pos_ >= data_.size()) return Missing(out.pixels.size(), out.pixels.size());
    min_ = data_[pos_++];
    if (min_ >= 12) throw std::string(msg::BadCodeSize);
    clear_ = 1 << min_;
    end_ = clear_ + 1;
    width_bits_ = min_ + 1;
    limit_ = 2 * clear_;
    next_ = clear_ + 2;
    const std::size_t total = out.pixels.size();
    bool complete = true;
    std::size_t decoded = 0;
    if (!interlaced_) {
      for (std::size_t i = 0; i < total && complete; ++i) {
        const int p = NextPixel();
        if (p < 0) {
          complete = false;
        } else {
          out.pixels[i] = static_cast<uint8_t>(p);
          ++decoded;
        }
      }
    } else {
      int row = 0, step = 8, pass = 1;
      for (int visit = 0; visit < height_ && complete; ++visit) {
        for (int x = 0; x < width_ && complete; ++x) {
          const int p = NextPixel();
          if (p < 0) {
            complete = false;
          } else {
            out.pixels[static_cast<std::size_t>(row) * width_ + x] = static_cast<uint8_t>(p);
            ++decoded;
          }
        }
        row += step;
        while (row >= height_) {
          if (pass > 1) step /= 2;
          ++pass;
          row = step / 2;
        }
      }
    }
    if (complete) NextPixel();
    if (!complete) Missing(total - decoded, total);
  }

  void Missing(std::size_t missing, std::size_t total) {
    if (missing == 0) return;
    warnings_.push_back(
        FormatMessage(msg::PixelsMissing, {std::to_string(missing), std::to_string(total)}));
  }

  int NextPixel() {
    if (top_ > 0) return stack_[--top_];
    return DecodeNextCode();
  }

  int DecodeNextCode() {
    int code = ReadCode(width_bits_);
    if (code < 0) return code;
    if (code == clear_) {
      for (int i = 0; i < 4096; ++i) {
        prefix_[i] = 0;
        suffix_[i] = i < clear_ ? i : 0;
      }
      width_bits_ = min_ + 1;
      limit_ = 2 * clear_;
      next_ = clear_ + 2;
      top_ = 0;
      do code = ReadCode(width_bits_);
      while (code == clear_);
      if (code < 0) return code;
      old_ = code;
      first_ = code;
      return code;
    }
    if (code == end_) {
      if (!terminator_) {
        while (pos_ < data_.size()) {
          const int length = data_[pos_++];
          if (length == 0) break;
          pos_ += static_cast<std::size_t>(length);
        }
      }
      return -2;
    }
    int current = code;
    if (current >= next_) {
      stack_[top_++] = first_;
      current = old_;
    }
    while (current >= clear_) {
      stack_[top_++] = suffix_[current];
      if (prefix_[current] == current || top_ >= 8190) throw std::string(msg::CircularTableEntry);
      current = prefix_[current];
    }
    first_ = suffix_[current];
    stack_[top_++] = first_;
    if (next_ <= 4095) {
      prefix_[next_] = old_;
      suffix_[next_] = first_;
      ++next_;
      if (next_ >= limit_ && limit_ <= 4095) {
        limit_ *= 2;
        ++width_bits_;
      }
    }
    old_ = code;
    return stack_[--top_];
  }

  int ReadCode(int n) {
    if (startPending_) {
      startPending_ = false;
      return clear_;
    }
    if (bitPos_ + n >= bitLimit_) {
      if (terminator_) {
        if (bitPos_ >= bitLimit_) warnings_.push_back(msg::BitBufferUnderrun);
        return -1;
      }
      for (;;) {
        buffer_[0] = buffer_[valid_ - 2];
        buffer_[1] = buffer_[valid_ - 1];
        if (pos_ >= data_.size()) return -1;
        int length = data_[pos_++];
        bool cut = false;
        if (length == 0) {
          terminator_ = true;
        } else {
          const int remaining = pos_ >= data_.size() ? 0 : static_cast<int>(data_.size() - pos_);
          if (remaining < length) {
            warnings_.push_back(msg::PrematureEnd);
            length = remaining;
            cut = true;
          }
          std::memcpy(buffer_ + 2, data_.data() + pos_, static_cast<std::size_t>(length));
          pos_ += static_cast<std::size_t>(length);
        }
        valid_ = length + 2;
        bitPos_ = bitPos_ - bitLimit_ + 16;
        bitLimit_ = 8 * length + 16;
        if (bitPos_ + n <= bitLimit_) break;
        if (terminator_ || cut) return -1;
      }
    }
    int code = 0;
    for (int i = 0; i < n; ++i) {
      const int bit = bitPos_ + i;
      code |= ((buffer_[bit / 8] >> (bit % 8)) & 1) << i;
    }
    bitPos_ += n;
    return code;
  }

  const Bytes& data_;
  std::size_t pos_ = 0;
  const int width_, height_;
  const bool interlaced_;
  const int fill_;
  std::vector<std::string> warnings_;
  int min_ = 0, clear_ = 0, end_ = 0, width_bits_ = 0, limit_ = 0, next_ = 0, old_ = 0, first_ = 0;
  int prefix_[4096] = {}, suffix_[4096] = {}, stack_[8192] = {};
  int top_ = 0;
  uint8_t buffer_[260] = {};
  int valid_ = 2, bitPos_ = 0, bitLimit_ = 0;
  bool terminator_ = false, startPending_ = true;
};

}  // namespace

TEST(LZWDecoder, DecodesAndStopsWhereTheDataSays) {
  struct Case {
    const char* what;
    Bytes data;
    int width, height;
    Bytes pixels;
    int left = 0;  // bytes left unread at the end
    std::vector<std::string> warnings = {};
    int transparent = -1;
  };
  auto cut = [](Bytes bytes, std::size_t n) { return Bytes(bytes.begin(), bytes.begin() + n); };
  auto missing = [](int count, int total) {
    return FormatMessage(msg::PixelsMissing, {std::to_string(count), std::to_string(total)});
  };
  // One case per entry reads better than one field per line.
  // clang-format off
  const std::vector<Case> cases = {
      {"codes 4 0 1 5", {0x02, 0x02, 0x44, 0x0A, 0x00}, 2, 1, {0, 1}},
      {"codes 4 0 6 5, 6 being defined", {0x02, 0x02, 0x84, 0x0B, 0x00}, 3, 1, {0, 0, 0}},
      {"a table string, then 8, the code being defined: 6 and its first pixel",
       Concat({ImageData(2, {4, 1, 2, 6, 8, 5}), {0x3B}}), 7, 1, {1, 2, 1, 2, 1, 2, 1}, 1},
      {"8-bit codes without a leading clear", ImageData(8, {7, 8, 258, 257}), 4, 1, {7, 8, 7, 8}},
      {"the end code after the last pixel skips the sub-blocks after it",
       Concat({{2}, SubBlocks(PackCodes(2, {4, 1, 0, 5}), 255, false), {3, 9, 9, 9, 0, 0x3B}}),
       2, 1, {1, 0}, 1},
      {"an early end code: the rest keeps the fill value, nothing after the chain is read",
       Concat({ImageData(2, {4, 3, 2, 5}), {2, 7, 7, 0}}), 2, 2, {3, 2, 9, 9}, 4, {missing(2, 4)}, 9},
      {"no end code, the last code fills the last sub-block: the terminator comes with it",
       Concat({ImageData(7, {128, 10, 20}), {0x3B}}), 2, 2, {10, 20, 200, 200}, 1,
       {msg::BitBufferUnderrun, missing(2, 4)}, 200},
      {"the same with a full frame", {7, 4, 128, 10, 20, 30, 0, 0x3B}, 3, 1, {10, 20, 30}, 1,
       {msg::BitBufferUnderrun}},
      {"no minimum code size", {}, 2, 1, {3, 3}, 0, {missing(2, 2)}, 3},
      {"a sub-block longer than the file; the fifth code would end at its last bit",
       Concat({{2, 50}, cut(PackCodes(2, {4, 1, 2, 3, 1, 5}), 2)}), 5, 1, {1, 2, 3, 0, 0}, 0,
       {msg::PrematureEnd, missing(2, 5)}},
      {"the end code right after a clear is a pixel; the next end code ends the data",
       Concat({{8}, SubBlocks(PackCodes(8, {256, 7, 256, 257, 2, 257}), 255, false),
               {1, 9, 0, 0x3B}}), 3, 1, {7, 1, 2}, 1},
      {"clear and end code after the last pixel: read, nothing skipped",
       Concat({{8}, SubBlocks(PackCodes(8, {256, 7, 256, 257}), 255, false), {1, 9, 0}}),
       1, 1, {7}, 3},
      {"surplus pixels of the last string: nothing more is read",
       ImageData(2, {4, 1, 1, 6, 5}), 3, 1, {1, 1, 1}, 1},
      {"roots wider than a byte keep their low byte",
       ImageData(11, {2048, 300, 1000, 2049}), 2, 1, {300 & 0xFF, 1000 & 0xFF}},
      {"12-bit codes across one-byte sub-blocks",
       ImageData(11, {2048, 300, 1000, 2047, 2049}, 1), 3, 1, {300 & 0xFF, 1000 & 0xFF, 0xFF}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Decode(c.data, c.width, c.height, false, c.transparent),
              (Outcome{c.pixels, int64_t(c.data.size()) - c.left, c.warnings, ""}));
  }
}

TEST(LZWDecoder, FailsOnDataItCannotDecode) {
  EXPECT_EQ(Decode({12, 1, 0, 0}, 2, 1).error, msg::BadCodeSize);
  EXPECT_EQ(Decode({200, 1, 0, 0}, 2, 1).error, msg::BadCodeSize);
  // 7 lies beyond the table and becomes the prefix of entry 7 itself.
  EXPECT_EQ(Decode(ImageData(2, {4, 1, 7, 0, 7, 5}), 10, 1).error, msg::CircularTableEntry);
  // 12 lies beyond the table; 11 = 12 + x, then 12 = 11 + y: a loop of two.
  EXPECT_EQ(Decode(ImageData(3, {8, 1, 12, 11, 0, 11, 9}), 20, 1).error, msg::CircularTableEntry);
  // A stream whose size promises more than its reads deliver.
  class ShortStream : public TMemoryStream {
   public:
    using TMemoryStream::TMemoryStream;
    int64_t Size() override { return TMemoryStream::Size() + 100; }
  };
  ShortStream stream(Bytes{2, 2});
  EXPECT_EQ(Decode({}, 4, 1, false, -1, &stream).error, msg::PrematureEnd);
}

TEST(LZWDecoder, InterlacedRowsArriveInPassOrder) {
  const std::vector<std::vector<int>> orders{{0}, {0, 1}, {0, 2, 1}, {0, 2, 1, 3}, {0, 4, 2, 1, 3}};
  for (int height = 1; height <= 5; ++height) {
    // Rows of two pixels; the k-th row decoded holds k, k.
    std::vector<int> codes{8};
    for (int k = 0; k < height; ++k) codes.insert(codes.end(), {k, k});
    codes.push_back(9);
    Bytes expected(2 * static_cast<std::size_t>(height));
    for (int k = 0; k < height; ++k) {
      const auto row = static_cast<std::size_t>(orders[static_cast<std::size_t>(height - 1)][k]);
      expected[2 * row] = expected[2 * row + 1] = static_cast<uint8_t>(k);
    }
    EXPECT_EQ(Decode(ImageData(3, codes), 2, height, true).pixels, expected) << "height " << height;
  }
}

TEST(LZWDecoder, FullTableKeepsDecodingTwelveBitCodes) {
  std::vector<int> codes{4};
  for (int i = 0; i < 4091; ++i) codes.push_back(i % 4);  // defines entries 6..4095
  codes.insert(codes.end(), {3, 4095, 2, 5});
  const Outcome out = Decode(ImageData(2, codes), 4095, 1);
  // 4095 was defined by the last two roots before the table filled: 1 then 2.
  EXPECT_EQ(Bytes(out.pixels.end() - 5, out.pixels.end()), (Bytes{2, 3, 1, 2, 2}));
  EXPECT_TRUE(out.warnings.empty());
}

TEST(LZWDecoder, DecodesLikeThePixelStackDecoder) {
  std::mt19937 rng(20240611);
  auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int round = 0; round < 3000; ++round) {
    const int min = pick(0, 11);
    const int clear = 1 << min;
    // Mostly sensible codes, with clears, early ends, codes beyond the table
    // and odd codes after a clear mixed in; or plain noise.
    Bytes packed;
    if (round % 5 == 0) {
      packed.resize(static_cast<std::size_t>(pick(0, 600)));
      for (uint8_t& b : packed) b = static_cast<uint8_t>(pick(0, 255));
    } else {
      std::vector<int> codes;
      int next = clear + 2, width = min + 1;
      bool afterClear = true;
      for (int i = pick(1, 3000); i > 0; --i) {
        const int top = (1 << width) - 1;
        const int dice = pick(0, 999);
        const int code = dice < 4   ? clear
                         : dice < 6 ? clear + 1
                         : dice < 9 ? pick(std::min(next, top), top)
                                    : pick(0, afterClear ? clear - 1 : std::min(next, top));
        codes.push_back(code);
        if (code == clear) {
          next = clear + 2;
          width = min + 1;
          afterClear = true;
        } else if (afterClear) {
          afterClear = false;
        } else if (code != clear + 1 && next < 4096 && ++next >= (1 << width) && width < 12) {
          ++width;
        }
      }
      packed = PackCodes(min, codes);
    }
    const auto blockSize = static_cast<std::size_t>(pick(0, 3) == 0 ? pick(1, 3) : pick(1, 255));
    Bytes data = Concat({{static_cast<uint8_t>(min)}, SubBlocks(packed, blockSize)});
    if (pick(0, 4) == 0) data.resize(static_cast<std::size_t>(pick(0, int(data.size()))));
    if (pick(0, 2) == 0) data.insert(data.end(), {3, 1, 2, 3, 0, 0x3B});
    const int w = pick(0, 60), h = pick(1, 60);
    const bool interlaced = pick(0, 3) == 0;
    const int fill = pick(0, 1) == 0 ? -1 : pick(0, 255);
    Outcome ours = Decode(data, w, h, interlaced, fill);
    const Outcome reference = PixelStackDecoder(data, w, h, interlaced, std::max(fill, 0)).Run();
    // After an error the pixels are of no interest: the frame is discarded.
    if (!ours.error.empty()) ours.pixels = reference.pixels;
    ASSERT_EQ(ours, reference) << "round " << round;
  }
}

TEST(LZWDecoder, LargeFrameReadsZeroWhereItsDataEnds) {
  // A frame of 4 MiB or more may be given the block of one freed before,
  // whose bytes are still there; the pixels its data never reaches must
  // read 0 all the same, interlaced or not.
  constexpr int Side = 2048;
  constexpr std::size_t Size = std::size_t{Side} * Side;
  // An earlier test in this process may have left a block of this size on
  // the shelf; holding it makes the shelf start empty.
  bool fromEarlier = false;
  const TPixelBlock earlier = AllocateForWriting(Size, fromEarlier);
  {
    bool zeroed = false;
    TPixelBlock block = AllocateForWriting(Size, zeroed);
    ASSERT_TRUE(block && zeroed);
    std::memset(block.get(), 1, Size);
  }
  bool zeroed = true;
  TPixelBlock reused = AllocateForWriting(Size, zeroed);
  ASSERT_TRUE(reused);
  EXPECT_FALSE(zeroed);
  EXPECT_EQ(reused[Size - 1], 1);
  EXPECT_TRUE(AllocateForWriting(Size, zeroed) && zeroed);  // the shelf is empty now

  for (const uint8_t packed : {uint8_t{0}, uint8_t{0x40}}) {
    SCOPED_TRACE(packed == 0 ? "progressive" : "interlaced");
    // Three pixels of 1, then the end code.
    const Bytes file = Concat({Header(Side, Side), Descriptor(0, 0, Side, Side, packed),
                               ImageData(2, {4, 1, 1, 1, 5}), Bytes{0x3B}});
    reused.reset();  // the block of ones goes back to the shelf
    {
      TGIFImage doc;
      TMemoryStream stream(file);
      doc.LoadFromStream(stream);
      const TGIFSubImage& frame = doc.Frames().Frame(0);
      ASSERT_EQ(frame.PixelDataSize(), Size);
      EXPECT_EQ(std::count(frame.PixelData(), frame.PixelData() + Size, 0), Size - 3);
      EXPECT_TRUE(std::equal(frame.PixelData(), frame.PixelData() + 3, Bytes{1, 1, 1}.begin()));
    }
    // The next pass gets this frame's block back, ones included.
    reused = AllocateForWriting(Size, zeroed);
    ASSERT_FALSE(zeroed);
    std::memset(reused.get(), 1, Size);
  }
}
