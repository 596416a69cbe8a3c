// Writing whole documents: signature version, logical screen, colour tables,
// descriptors, extension placement and progress, read back with giflib.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "gif/LZWEncoder.h"
#include "gif/WriteBuffer.h"
#include "tests/gif/GiflibOracle.h"

using namespace gif;

namespace {

using Bytes = std::vector<uint8_t>;

TGIFSubImage& AddFrame(TGIFImage& doc, int width, int height, uint8_t seed = 0) {
  auto frame = std::make_unique<TGIFSubImage>(&doc);
  frame->Descriptor.Width = uint16_t(width);
  frame->Descriptor.Height = uint16_t(height);
  frame->AllocatePixels();
  for (std::size_t i = 0; i < frame->PixelDataSize(); ++i)
    frame->PixelData()[i] = uint8_t((i * 7 + seed) % 4);
  TGIFSubImage& ref = *frame;
  doc.Frames().Append(std::move(frame));
  return ref;
}

void FillMap(TGIFColorMap& map, int count) {
  for (int i = 0; i < count; ++i) map.AppendEntry(TColor(0x030201 * (i + 1)));
}

TGIFCommentExtension& AddComment(TGIFSubImage& frame, const std::string& text) {
  auto comment = std::make_unique<TGIFCommentExtension>(frame);
  comment->Lines.push_back(text);
  TGIFCommentExtension& ref = *comment;
  frame.Extensions().Append(std::move(comment));
  return ref;
}

Bytes Save(TGIFImage& doc) {
  TMemoryStream out;
  doc.SaveToStream(out);
  return out.Bytes();
}

Bytes Pixels(const TGIFSubImage& frame) {
  return Bytes(frame.PixelData(), frame.PixelData() + frame.PixelDataSize());
}

// A document of two 5x4 frames on a 4-entry global table.
struct TwoFrames {
  TGIFImage doc;
  TwoFrames() {
    doc.Header().Screen.ScreenWidth = 8;
    doc.Header().Screen.ScreenHeight = 6;
    FillMap(doc.GlobalMap(), 4);
    AddFrame(doc, 5, 4, 1);
    AddFrame(doc, 5, 4, 2).Descriptor.Left = 3;
  }
};

// Keeps what is written to it and the size of each write; refuses the write
// numbered failAt (from 0) outright.
class TRecordingStream : public TStream {
 public:
  explicit TRecordingStream(int failAt = -1) : failAt_(failAt) {}
  std::size_t Read(void*, std::size_t) override { return 0; }
  std::size_t Write(const void* buffer, std::size_t count) override {
    if (int(sizes.size()) == failAt_) {
      failAt_ = -1;
      return 0;
    }
    sizes.push_back(count);
    bytes.insert(bytes.end(), static_cast<const uint8_t*>(buffer),
                 static_cast<const uint8_t*>(buffer) + count);
    return count;
  }
  int64_t Seek(int64_t, TSeekOrigin) override { return int64_t(bytes.size()); }

  Bytes bytes;
  std::vector<std::size_t> sizes;

 private:
  int failAt_;
};

}  // namespace

TEST(Writer, WritesReachTheTargetGathered) {
  // A small document reaches its target in one write.
  TwoFrames two;
  TRecordingStream target;
  two.doc.SaveToStream(target);
  EXPECT_EQ(target.bytes, Save(two.doc));
  EXPECT_EQ(target.sizes, std::vector<std::size_t>{target.bytes.size()});

  // Small pieces are gathered into writes of nearly a full buffer; a large
  // one goes on whole, after what is held. The same bytes, in order.
  constexpr std::size_t capacity = TWriteBuffer::Capacity, direct = TWriteBuffer::DirectFrom;
  std::vector<std::size_t> sizes = {0, direct - 1, 5, direct, capacity + 1, 1};
  for (int i = 0; i < 500; ++i) sizes.push_back(std::size_t(i * 37 % 300));
  Bytes expected;
  TRecordingStream gathered;
  {
    TWriteBuffer buffer(gathered);
    for (const std::size_t size : sizes) {
      const Bytes piece(size, uint8_t(expected.size() * 7 + size));
      buffer.Write(piece.data(), piece.size());
      expected.insert(expected.end(), piece.begin(), piece.end());
    }
  }
  EXPECT_EQ(gathered.bytes, expected);
  ASSERT_GE(gathered.sizes.size(), 5u);
  EXPECT_EQ(std::vector<std::size_t>(gathered.sizes.begin(), gathered.sizes.begin() + 3),
            (std::vector<std::size_t>{direct + 4, direct, capacity + 1}));
  for (std::size_t i = 3; i + 1 < gathered.sizes.size(); ++i)
    EXPECT_GE(gathered.sizes[i], capacity - 300) << "write " << i;

  // A target that fails is not handed the same bytes again, and the failure
  // reaches the caller of the save.
  TRecordingStream failing(0);
  TWriteBuffer buffer(failing);
  buffer.Write(expected.data(), 10);
  EXPECT_THROW(buffer.Flush(), EWriteError);
  buffer.Flush();
  EXPECT_TRUE(failing.bytes.empty());
  TRecordingStream refusing(0);
  EXPECT_THROW(two.doc.SaveToStream(refusing), EWriteError);
}

TEST(Writer, DocumentWithoutFramesWritesNothing) {
  TGIFImage doc;
  TMemoryStream out;
  try {
    doc.SaveToStream(out);
    FAIL() << "an empty document was written";
  } catch (const GIFException& e) {
    EXPECT_STREQ(e.what(), "Unsupported GIF version");
  }
  EXPECT_EQ(out.Size(), 0);
}

TEST(Writer, VersionAndExtensionPlacement) {
  TwoFrames two;
  const Bytes plain = Save(two.doc);
  EXPECT_EQ(std::string(plain.begin(), plain.begin() + 6), "GIF87a");

  // A comment goes right in front of its frame's image; frames without an
  // image (no size, or no pixels) are their extensions alone, in place.
  AddComment(two.doc.Frames().Frame(1), "hi");
  AddComment(AddFrame(two.doc, 0, 3), "a");
  auto noPixels = std::make_unique<TGIFSubImage>(&two.doc);
  noPixels->Descriptor.Width = 4;
  noPixels->Descriptor.Height = 4;
  AddComment(*noPixels, "b");
  two.doc.Frames().Append(std::move(noPixels));
  const Bytes bytes = Save(two.doc);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF89a");
  const Bytes hi = {0x21, 0xFE, 2, 'h', 'i', 0, 0x2C};
  const auto at = std::search(bytes.begin(), bytes.end(), hi.begin(), hi.end());
  ASSERT_NE(at, bytes.end());
  const Bytes ending = {0x21, 0xFE, 1, 'a', 0, 0x21, 0xFE, 1, 'b', 0, 0x3B};
  ASSERT_EQ(Bytes(bytes.end() - long(ending.size()), bytes.end()), ending);
  // Without the version and the blocks, the bytes are those written before.
  Bytes stripped(bytes.begin(), at);
  stripped.insert(stripped.end(), at + 6, bytes.end() - long(ending.size()));
  stripped.push_back(0x3B);
  stripped[4] = '7';
  EXPECT_EQ(stripped, plain);
}

TEST(Writer, LogicalScreenAndGlobalTable) {
  TGIFImage doc;
  doc.Header().Screen.ScreenWidth = 300;
  doc.Header().Screen.ScreenHeight = 2;
  doc.Header().Screen.BackgroundColorIndex = 2;
  doc.Header().Screen.AspectRatio = 49;
  FillMap(doc.GlobalMap(), 3);
  AddFrame(doc, 2, 2);
  const Bytes bytes = Save(doc);
  // Width, height, packed (table present, resolution 1, size field 1),
  // background and aspect as held; three entries and one zero entry.
  const Bytes expected = {'G', 'I', 'F', '8', '7', 'a', 0x2C, 0x01, 0x02, 0x00, 0x91, 2, 49,
                          1,   2,   3,   2,   4,   6,   3,    6,    9,    0,    0,    0};
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + long(expected.size())), expected);
  EXPECT_EQ(bytes[expected.size()], 0x2C);

  // A 256-entry local table raises the resolution, not the global size field.
  FillMap(doc.Frames().Frame(0).LocalMap(), 256);
  const Bytes wide = Save(doc);
  EXPECT_EQ(wide[10], 0x80 | 0x70 | 0x01);
  EXPECT_EQ(wide[13 + 12 + 9], 0x87);
}

TEST(Writer, DescriptorPackedByteAndInterlace) {
  TGIFImage doc;
  doc.Header().Screen.ScreenWidth = 20;
  doc.Header().Screen.ScreenHeight = 20;
  FillMap(doc.GlobalMap(), 4);
  TGIFSubImage& kept = AddFrame(doc, 9, 7, 1);
  kept.Descriptor.Left = 0x0102;
  kept.Descriptor.Top = 0x0304;
  kept.Descriptor.PackedFields = 0x40 | 0x18 | 0x07;  // interlaced, reserved bits, stale size
  TGIFSubImage& local = AddFrame(doc, 9, 7, 2);
  local.Descriptor.PackedFields = 0x40;
  FillMap(local.LocalMap(), 5);
  const Bytes bytes = Save(doc);

  // Without a local table the interlace and reserved bits stay; with one the
  // frame goes out in row order with its own table size.
  const std::size_t first = 13 + 12;
  EXPECT_EQ(Bytes(bytes.begin() + long(first), bytes.begin() + long(first) + 10),
            (Bytes{0x2C, 0x02, 0x01, 0x04, 0x03, 9, 0, 7, 0, 0x58}));
  const GiflibImage image = GiflibDecode(bytes);
  ASSERT_TRUE(image.ok);
  ASSERT_EQ(image.frames.size(), 2u);
  EXPECT_TRUE(image.frames[0].interlaced);
  EXPECT_EQ(image.frames[0].pixels, Pixels(kept));
  EXPECT_FALSE(image.frames[1].interlaced);
  EXPECT_EQ(image.frames[1].localColors, 8);
  EXPECT_EQ(image.frames[1].pixels, Pixels(local));
  EXPECT_EQ(local.Descriptor.PackedFields, 0x82);
}

TEST(Writer, RefusedPixelLeavesWhatWasWritten) {
  TwoFrames intact;
  const Bytes good = Save(intact.doc);
  TMemoryStream firstImage;
  EncodeImageData(intact.doc.Frames().Frame(0), firstImage);

  TwoFrames two;
  two.doc.Frames().Frame(1).PixelData()[7] = 4;
  TMemoryStream out;
  EXPECT_THROW(two.doc.SaveToStream(out), GIFException);
  // Header, table, the whole first frame, the second descriptor and its code
  // size went out as they would have; no terminator and no trailer follow.
  const std::size_t prefix = 13 + 12 + 10 + std::size_t(firstImage.Size()) + 10 + 1;
  ASSERT_GT(out.Bytes().size(), prefix);
  EXPECT_TRUE(std::equal(good.begin(), good.begin() + long(prefix), out.Bytes().begin()));
  EXPECT_EQ(out.Bytes()[prefix] + prefix + 1, out.Bytes().size());
}

TEST(Writer, ProgressReportsEachFrame) {
  TGIFImage doc;
  FillMap(doc.GlobalMap(), 4);
  for (int f = 0; f < 8; ++f) AddFrame(doc, 2, 2);
  struct Call {
    TPersistent* sender;
    TProgressStage stage;
    int percent;
    bool redraw;
  };
  std::vector<Call> calls;
  doc.OnProgress = [&calls](TPersistent* sender, TProgressStage stage, int percent, bool redraw,
                            const TRect&, const std::string& message) {
    EXPECT_EQ(message, "Saving...");
    calls.push_back({sender, stage, percent, redraw});
  };
  Save(doc);
  ASSERT_EQ(calls.size(), 10u);
  EXPECT_EQ(calls.front().stage, TProgressStage::psStarting);
  EXPECT_EQ(calls.front().sender, &doc);
  EXPECT_FALSE(calls.front().redraw);
  // 12.5 and 62.5 round to even; 37.5 and 87.5 too.
  const int percents[8] = {12, 25, 38, 50, 62, 75, 88, 100};
  for (int f = 0; f < 8; ++f) {
    EXPECT_EQ(calls[f + 1].stage, TProgressStage::psRunning);
    EXPECT_EQ(calls[f + 1].sender, &doc.Frames());
    EXPECT_EQ(calls[f + 1].percent, percents[f]);
  }
  EXPECT_EQ(calls.back().stage, TProgressStage::psEnding);
  EXPECT_EQ(calls.back().percent, 100);
  EXPECT_TRUE(calls.back().redraw);

  calls.clear();
  doc.Frames().Frame(3).PixelData()[0] = 9;
  TMemoryStream out;
  EXPECT_THROW(doc.SaveToStream(out), GIFException);
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(calls.back().stage, TProgressStage::psEnding);
  EXPECT_EQ(calls.back().percent, 0);
}
