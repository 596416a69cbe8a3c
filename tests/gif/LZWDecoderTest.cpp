#include "gif/LZWDecoder.h"

#include <gtest/gtest.h>

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

// A plain transcription of the decoder's documented behaviour, one pixel at a
// time through the pixel stack, against which the block-copying decoder is
// compared on arbitrary data.
class ReferenceDecoder {
 public:
  ReferenceDecoder(const Bytes& data, int width, int height, bool interlaced, int fill = 0)
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
    if (pos_ >= data_.size()) return;
    const int min = data_[pos_++];
    if (min >= 12) throw std::string(msg::BadCodeSize);
    clear_ = 1 << min;
    end_ = clear_ + 1;
    width_bits_ = min + 1;
    limit_ = 2 * clear_;
    next_ = clear_ + 2;
    const std::size_t total = out.pixels.size();
    bool complete = true;
    if (!interlaced_) {
      for (std::size_t i = 0; i < total && complete; ++i) {
        const int p = NextPixel();
        if (p < 0)
          complete = false;
        else
          out.pixels[i] = static_cast<uint8_t>(p);
      }
    } else {
      int row = 0, step = 8, pass = 1;
      for (int visit = 0; visit < height_ && complete; ++visit) {
        for (int x = 0; x < width_ && complete; ++x) {
          const int p = NextPixel();
          if (p < 0)
            complete = false;
          else
            out.pixels[static_cast<std::size_t>(row) * width_ + x] = static_cast<uint8_t>(p);
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
      width_bits_ = min_width();
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

  int min_width() const {
    int w = 1;
    while ((1 << (w - 1)) < clear_) ++w;
    return w;
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
  int clear_ = 0, end_ = 0, width_bits_ = 0, limit_ = 0, next_ = 0, old_ = 0, first_ = 0;
  int prefix_[4096] = {}, suffix_[4096] = {}, stack_[8192] = {};
  int top_ = 0;
  uint8_t buffer_[260] = {};
  int valid_ = 2, bitPos_ = 0, bitLimit_ = 0;
  bool terminator_ = false, startPending_ = true;
};

}  // namespace

TEST(LZWDecoder, DecodesTheTwoSmallExamples) {
  // Codes 4, 0, 1, 5 at 3 bits.
  EXPECT_EQ(Decode({0x02, 0x02, 0x44, 0x0A, 0x00}, 2, 1), (Outcome{{0, 1}, 5, {}, ""}));
  // Codes 4, 0, 6, 5: 6 is the code being defined, 0 followed by its first pixel.
  EXPECT_EQ(Decode({0x02, 0x02, 0x84, 0x0B, 0x00}, 3, 1), (Outcome{{0, 0, 0}, 5, {}, ""}));
}

TEST(LZWDecoder, ExpandsStringsOfTheTableAndTheCodeBeingDefined) {
  // 1, 2, then 6 = "1 2", then 8, the code being defined: "1 2" and its first pixel.
  const Bytes data = Concat({ImageData(2, {4, 1, 2, 6, 8, 5}), Bytes{0x3B}});
  EXPECT_EQ(Decode(data, 7, 1), (Outcome{{1, 2, 1, 2, 1, 2, 1}, int64_t(data.size()) - 1, {}, ""}));
}

TEST(LZWDecoder, LeadingClearCodeMakesNoDifference) {
  std::vector<int> codes;
  for (int i = 0; i < 300; ++i) codes.push_back((i * 7) % 256);
  codes.push_back(257);
  std::vector<int> withClear{256};
  withClear.insert(withClear.end(), codes.begin(), codes.end());
  const Outcome without = Decode(ImageData(8, codes), 20, 15);
  EXPECT_EQ(without.pixels, Decode(ImageData(8, withClear), 20, 15).pixels);
  EXPECT_EQ(without.pixels[299], (299 * 7) % 256);
}

TEST(LZWDecoder, EndCodeAfterTheLastPixelSkipsToTheTerminator) {
  // More data sub-blocks follow the end code; a trailer byte follows the chain.
  Bytes data = Concat({Bytes{2}, PackCodes(2, {4, 1, 0, 5})});
  data.insert(data.begin() + 1, static_cast<uint8_t>(data.size() - 1));
  data = Concat({data, Bytes{3, 9, 9, 9, 1, 9, 0, 0x3B}});
  const Outcome out = Decode(data, 2, 1);
  EXPECT_EQ(out.pixels, (Bytes{1, 0}));
  EXPECT_EQ(out.position, int64_t(data.size()) - 1);
  EXPECT_TRUE(out.warnings.empty());
}

TEST(LZWDecoder, InterlacedRowsArriveInPassOrder) {
  const std::vector<std::vector<int>> orders{{0}, {0, 1}, {0, 2, 1}, {0, 2, 1, 3}, {0, 4, 2, 1, 3}};
  for (int height = 1; height <= 5; ++height) {
    // Rows of two pixels; the k-th row decoded holds k, k.
    std::vector<int> codes{8};
    for (int k = 0; k < height; ++k) codes.insert(codes.end(), {k, k});
    codes.push_back(9);
    const Outcome out = Decode(ImageData(3, codes), 2, height, true);
    Bytes expected(2 * static_cast<std::size_t>(height));
    for (int k = 0; k < height; ++k) {
      const auto row = static_cast<std::size_t>(orders[static_cast<std::size_t>(height - 1)][k]);
      expected[2 * row] = expected[2 * row + 1] = static_cast<uint8_t>(k);
    }
    EXPECT_EQ(out.pixels, expected) << "height " << height;
  }
  // A tall frame with long strings crossing rows.
  std::vector<int> codes{256};
  for (int i = 0; i < 2000; ++i) codes.push_back(i % 3 == 0 ? (i * 13) % 256 : 258 + i / 2);
  codes.push_back(257);
  const Bytes data = ImageData(8, codes);
  EXPECT_EQ(Decode(data, 7, 41, true), ReferenceDecoder(data, 7, 41, true).Run());
}

TEST(LZWDecoder, DataEndingEarlyLeavesTheRestAtTheFillValue) {
  // The end code after two of four pixels: nothing past the terminator is read.
  const Bytes early = Concat({ImageData(2, {4, 3, 2, 5}), Bytes{2, 7, 7, 0}});
  EXPECT_EQ(Decode(early, 2, 2), (Outcome{{3, 2, 0, 0}, int64_t(early.size()) - 4, {}, ""}));
  EXPECT_EQ(Decode(early, 2, 2, false, 9).pixels, (Bytes{3, 2, 9, 9}));
  // No end code: the terminator comes after two pixels. It is read with the
  // last code, which ends with the sub-block, so the next request finds no bits.
  const Bytes noEnd = Concat({ImageData(7, {128, 10, 20}), Bytes{0x3B}});
  EXPECT_EQ(Decode(noEnd, 2, 2, false, 200),
            (Outcome{{10, 20, 200, 200}, int64_t(noEnd.size()) - 1, {msg::BitBufferUnderrun}, ""}));
  // Strings copied as blocks near the end of the data leave no stray pixels
  // behind them.
  std::vector<int> codes{256, 1, 2, 258, 259, 260, 261, 262};
  const Bytes blocks = ImageData(8, codes);
  const Outcome out = Decode(blocks, 40, 1, false, 5);
  EXPECT_EQ(out, ReferenceDecoder(blocks, 40, 1, false, 5).Run());
  EXPECT_EQ(Bytes(out.pixels.begin() + 12, out.pixels.begin() + 20),
            (Bytes{1, 2, 2, 2, 5, 5, 5, 5}));
  // No minimum code size at all.
  EXPECT_EQ(Decode({}, 2, 1, false, 3), (Outcome{{3, 3}, 0, {}, ""}));
}

TEST(LZWDecoder, SubBlockLongerThanTheDataIsDecodedAsFarAsItGoes) {
  Bytes data = ImageData(2, {4, 1, 2, 3, 1, 5});
  data.resize(data.size() - 2);  // the last data byte and the terminator are gone
  data[1] = 50;
  const Outcome out = Decode(data, 5, 1);
  // The fifth code ends exactly at the last byte there is, so the length byte
  // read before it finds nothing.
  EXPECT_EQ(out.pixels, (Bytes{1, 2, 3, 0, 0}));
  EXPECT_EQ(out.warnings, std::vector<std::string>{msg::PrematureEnd});
  EXPECT_EQ(out.position, int64_t(data.size()));
  EXPECT_EQ(out.error, "");
}

TEST(LZWDecoder, StreamDeliveringLessThanItHoldsFails) {
  // A stream whose size promises more than its reads deliver.
  class ShortStream : public TMemoryStream {
   public:
    using TMemoryStream::TMemoryStream;
    int64_t Size() override { return TMemoryStream::Size() + 100; }
  };
  const Bytes data = ImageData(2, {4, 1, 2, 3, 5});
  ShortStream stream(Bytes(data.begin(), data.end() - 3));
  EXPECT_EQ(Decode({}, 4, 1, false, -1, &stream).error, msg::PrematureEnd);
}

TEST(LZWDecoder, LastCodeFillingTheLastSubBlockConsumesTheTerminator) {
  // Four 8-bit codes fill the sub-block exactly; there is no end code.
  const Bytes data = {7, 4, 128, 10, 20, 30, 0, 0x3B};
  const Outcome out = Decode(data, 3, 1);
  EXPECT_EQ(out.pixels, (Bytes{10, 20, 30}));
  EXPECT_EQ(out.warnings, std::vector<std::string>{msg::BitBufferUnderrun});
  EXPECT_EQ(out.position, 7);
}

TEST(LZWDecoder, FullTableKeepsDecodingTwelveBitCodes) {
  std::vector<int> codes{4};
  for (int i = 0; i < 4091; ++i) codes.push_back(i % 4);  // defines entries 6..4095
  codes.insert(codes.end(), {3, 4095, 2, 5});
  const Bytes data = ImageData(2, codes);
  const Outcome out = Decode(data, 4091 + 1 + 2 + 1, 1);
  EXPECT_EQ(out, ReferenceDecoder(data, 4095, 1, false).Run());
  // 4095 was defined by the last two roots before the table filled: 1 then 2.
  const Bytes tail(out.pixels.end() - 5, out.pixels.end());
  EXPECT_EQ(tail, (Bytes{2, 3, 1, 2, 2}));
  EXPECT_EQ(out.position, int64_t(data.size()));
}

TEST(LZWDecoder, EndCodeRightAfterAClearIsAPixel) {
  // 8-bit roots: 257 after the clear is stored as 257 & 0xFF and decoding goes on.
  // The end code that follows is the end: it skips the sub-block after it.
  const Bytes data =
      Concat({Bytes{8}, SubBlocks(PackCodes(8, {256, 7, 256, 257, 2, 257}), 255, false),
              Bytes{1, 9, 0, 0x3B}});
  const Outcome out = Decode(data, 3, 1);
  EXPECT_EQ(out.pixels, (Bytes{7, 1, 2}));
  EXPECT_EQ(out.position, int64_t(data.size()) - 1);

  // As the last thing in the frame's data it is only read, nothing is skipped:
  // the stream stays after the sub-block that held it.
  const Bytes last =
      Concat({Bytes{8}, SubBlocks(PackCodes(8, {256, 7, 256, 257}), 255, false), Bytes{1, 9, 0}});
  EXPECT_EQ(Decode(last, 1, 1), (Outcome{{7}, 7, {}, ""}));
}

TEST(LZWDecoder, SurplusPixelsAreDroppedWithoutReadingOn) {
  // 6 is "1 1"; the frame has room for three pixels.
  const Bytes data = ImageData(2, {4, 1, 1, 6, 5});
  const Outcome out = Decode(data, 3, 1);
  EXPECT_EQ(out.pixels, (Bytes{1, 1, 1}));
  EXPECT_EQ(out.position, int64_t(data.size()) - 1);  // the terminator is still ahead
}

TEST(LZWDecoder, WideRootsKeepTheirLowByte) {
  const Bytes data = ImageData(11, {2048, 300, 1000, 2049});
  EXPECT_EQ(Decode(data, 2, 1).pixels, (Bytes{300 & 0xFF, 1000 & 0xFF}));
  EXPECT_EQ(Decode(Bytes{12, 1, 0, 0}, 2, 1).error, msg::BadCodeSize);
  EXPECT_EQ(Decode(Bytes{200, 1, 0, 0}, 2, 1).error, msg::BadCodeSize);
}

TEST(LZWDecoder, CodesSpanningOneByteSubBlocksAreAssembled) {
  std::vector<int> codes{2048};
  for (int i = 0; i < 40; ++i) codes.push_back((i * 37) % 2048);
  codes.push_back(2049);
  const Bytes oneByte = ImageData(11, codes, 1);
  const Outcome out = Decode(oneByte, 40, 1);
  EXPECT_EQ(out.pixels, Decode(ImageData(11, codes), 40, 1).pixels);
  EXPECT_EQ(out.pixels[39], ((39 * 37) % 2048) & 0xFF);
  EXPECT_EQ(out.position, int64_t(oneByte.size()));
  EXPECT_TRUE(out.warnings.empty());
}

TEST(LZWDecoder, LoopingPrefixChainsFail) {
  // 7 lies beyond the table and becomes the prefix of entry 7 itself.
  EXPECT_EQ(Decode(ImageData(2, {4, 1, 7, 0, 7, 5}), 10, 1).error, msg::CircularTableEntry);
  // 12 lies beyond the table; 11 = 12 + x, then 12 = 11 + y: a loop of two.
  EXPECT_EQ(Decode(ImageData(3, {8, 1, 12, 11, 0, 11, 9}), 20, 1).error, msg::CircularTableEntry);
}

TEST(LZWDecoder, IrregularDataDecodesLikeTheReference) {
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
      const int count = pick(1, 3000);
      for (int i = 0; i < count; ++i) {
        const int top = (1 << width) - 1;
        int code;
        const int dice = pick(0, 999);
        if (dice < 4)
          code = clear;
        else if (dice < 6)
          code = clear + 1;
        else if (dice < 9)
          code = pick(std::min(next, top), top);
        else if (afterClear)
          code = pick(0, clear - 1);
        else
          code = pick(0, std::min(next, top));
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
    Bytes data = Concat(
        {Bytes{static_cast<uint8_t>(min)},
         SubBlocks(packed, static_cast<std::size_t>(pick(0, 3) == 0 ? pick(1, 3) : pick(1, 255)))});
    if (pick(0, 4) == 0)
      data.resize(static_cast<std::size_t>(pick(0, static_cast<int>(data.size()))));
    if (pick(0, 2) == 0) data.insert(data.end(), {3, 1, 2, 3, 0, 0x3B});
    const int w = pick(0, 60), h = pick(1, 60);
    const bool interlaced = pick(0, 3) == 0;
    const int fill = pick(0, 1) == 0 ? -1 : pick(0, 255);
    Outcome ours = Decode(data, w, h, interlaced, fill);
    Outcome reference = ReferenceDecoder(data, w, h, interlaced, std::max(fill, 0)).Run();
    // After an error the pixels are of no interest: the frame is discarded.
    if (!ours.error.empty()) ours.pixels = reference.pixels;
    ASSERT_EQ(ours, reference) << "round " << round;
  }
}
