#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "gif/GIFImage.h"

using namespace gif;

namespace {

TGIFSubImage& AddFrame(TGIFImage& doc, int width, int height) {
  auto frame = std::make_unique<TGIFSubImage>(&doc);
  frame->Descriptor.Width = static_cast<uint16_t>(width);
  frame->Descriptor.Height = static_cast<uint16_t>(height);
  TGIFSubImage& ref = *frame;
  doc.Frames().Append(std::move(frame));
  return ref;
}

void FillMap(TGIFColorMap& map, int count) {
  for (int i = 0; i < count; ++i) map.AppendEntry(static_cast<TColor>(i * 0x010101));
}

}  // namespace

TEST(Document, NewDocumentAnswersItsQueries) {
  TGIFImage doc;
  EXPECT_EQ(doc.FormatVersion(), fvNone);
  EXPECT_TRUE(doc.IsEmpty());
  EXPECT_EQ(doc.ScreenWidth(), 0);
  EXPECT_EQ(doc.ScreenHeight(), 0);
  EXPECT_EQ(doc.PixelBits(), 0);
  EXPECT_EQ(doc.ColorRes(), -1);
  EXPECT_EQ(doc.BackgroundIndex(), 0);
  EXPECT_EQ(doc.GlobalMap().EntryCount(), 0);
  EXPECT_EQ(doc.Compression, gcLZW);
  // ColorRes -1 leaves its bits set in the packed byte, as the header computes it.
  EXPECT_EQ(doc.Header().Screen.PackedFields, 0x77);
}

TEST(Document, PixelBitsIsTheLargestTableOverAllMaps) {
  TGIFImage doc;
  FillMap(doc.GlobalMap(), 2);
  EXPECT_EQ(doc.PixelBits(), 1);
  TGIFSubImage& frame = AddFrame(doc, 4, 4);
  FillMap(frame.LocalMap(), 256);
  AddFrame(doc, 1, 1);
  EXPECT_EQ(doc.PixelBits(), 8);
  EXPECT_EQ(doc.ColorRes(), 7);
  EXPECT_EQ(doc.FormatVersion(), fv87a);
}

TEST(Document, HeaderPackedFields) {
  TGIFImage doc;
  FillMap(doc.GlobalMap(), 4);
  TGIFSubImage& frame = AddFrame(doc, 2, 2);
  FillMap(frame.LocalMap(), 256);
  doc.Header().UpdatePackedFields();
  // Global table present, colour resolution 7 from the local map, size 1 (4 entries).
  EXPECT_EQ(doc.Header().Screen.PackedFields, 0x80 | 0x70 | 0x01);

  // Without a global table the size field follows the document's PixelBits.
  doc.GlobalMap().ResetEntries();
  frame.LocalMap().ResetEntries();
  FillMap(frame.LocalMap(), 5);
  doc.Header().UpdatePackedFields();
  EXPECT_EQ(doc.Header().Screen.PackedFields, 0x20 | 0x02);
}

TEST(Document, FramePackedFields) {
  TGIFImage doc;
  TGIFSubImage& frame = AddFrame(doc, 2, 2);
  // No local map: the interlace and reserved bits survive, the rest is cleared.
  frame.Descriptor.PackedFields = 0xFF;
  frame.UpdatePackedFields();
  EXPECT_EQ(frame.Descriptor.PackedFields, 0x58);
  // A local map writes plain row order: the interlace bit goes.
  FillMap(frame.LocalMap(), 17);
  frame.Descriptor.PackedFields = 0x40;
  frame.UpdatePackedFields();
  EXPECT_EQ(frame.Descriptor.PackedFields, 0x80 | 0x04);
  EXPECT_FALSE(frame.IsInterlaced());
}

TEST(Document, ClearAllKeepsBackgroundAndAspect) {
  TGIFImage doc;
  doc.Header().Screen = TLogicalScreenDescriptor{640, 480, 0xF7, 12, 49};
  FillMap(doc.GlobalMap(), 8);
  AddFrame(doc, 700, 500);  // larger than the screen: clearing must not mind
  doc.ClearAll();
  EXPECT_TRUE(doc.IsEmpty());
  EXPECT_EQ(doc.ScreenWidth(), 0);
  EXPECT_EQ(doc.ScreenHeight(), 0);
  EXPECT_EQ(doc.GlobalMap().EntryCount(), 0);
  EXPECT_EQ(doc.BackgroundIndex(), 12);
  EXPECT_EQ(doc.Header().Screen.AspectRatio, 49);
}

TEST(Document, FramePixelsAndMaps) {
  TGIFImage doc;
  TGIFSubImage& frame = AddFrame(doc, 3, 2);
  EXPECT_TRUE(frame.IsEmpty());
  frame.AllocatePixels();
  ASSERT_EQ(frame.PixelDataSize(), 6u);
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(frame.PixelData()[i], 0);
  EXPECT_FALSE(frame.IsEmpty());

  // The active map falls back from local to global to the empty local map.
  EXPECT_EQ(&frame.ActiveMap(), &frame.LocalMap());
  FillMap(doc.GlobalMap(), 2);
  EXPECT_EQ(&frame.ActiveMap(), &doc.GlobalMap());
  FillMap(frame.LocalMap(), 2);
  EXPECT_EQ(&frame.ActiveMap(), &frame.LocalMap());

  frame.SetHasTransparency(true);
  frame.ResetFrame();
  EXPECT_EQ(frame.PixelData(), nullptr);
  EXPECT_EQ(frame.Descriptor.Width, 0);
  EXPECT_EQ(frame.LocalMap().EntryCount(), 0);
  EXPECT_FALSE(frame.HasTransparency());

  TGIFSubImage& zero = AddFrame(doc, 0, 5);
  zero.AllocatePixels();
  EXPECT_EQ(zero.PixelData(), nullptr);
  EXPECT_TRUE(zero.IsEmpty());
}

TEST(Document, PixelBuffersOfEverySizeComeZeroedAndWritableToTheEnd) {
  // Small buffers and ones of several megabytes come from different places;
  // sizes on either side of whole 2 MiB and 4 KiB steps, and a refill after
  // the buffer was written all over.
  TGIFImage doc;
  const std::pair<int, int> sizes[] = {{1, 1},       {2047, 2049}, {2048, 2048},
                                       {4099, 1025}, {65535, 301}, {1024, 6144}};
  for (const auto& [width, height] : sizes) {
    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
    TGIFSubImage& frame = AddFrame(doc, width, height);
    for (int round = 0; round < 2; ++round) {
      frame.AllocatePixels();
      ASSERT_EQ(frame.PixelDataSize(), std::size_t(width) * std::size_t(height));
      uint8_t* const pixels = frame.PixelData();
      EXPECT_EQ(std::count(pixels, pixels + frame.PixelDataSize(), 0),
                std::ptrdiff_t(frame.PixelDataSize()));
      std::fill(pixels, pixels + frame.PixelDataSize(), uint8_t{0xA5});
      EXPECT_EQ(pixels[frame.PixelDataSize() - 1], 0xA5);
    }
  }
}

TEST(Document, ListsOwnAndDetach) {
  TGIFImage doc;
  TGIFSubImage& a = AddFrame(doc, 1, 1);
  AddFrame(doc, 2, 2);
  std::unique_ptr<TGIFItem> detached = doc.Frames().Detach(&a);
  EXPECT_EQ(detached.get(), &a);
  EXPECT_EQ(doc.Frames().Count(), 1);
  EXPECT_EQ(doc.Frames().Detach(&a), nullptr);
  EXPECT_EQ(doc.Frames().Frame(0).Descriptor.Width, 2);
  // An index outside the list raises and leaves the list alone.
  for (const int index : {-1, 1, 7}) {
    const std::string text = "List index out of bounds (" + std::to_string(index) + ")";
    for (const bool remove : {true, false}) {
      try {
        remove ? doc.Frames().DeleteAt(index) : (void)doc.Frames().ItemAt(index);
        ADD_FAILURE() << (remove ? "DeleteAt " : "ItemAt ") << index;
      } catch (const EListError& e) {
        EXPECT_EQ(e.what(), text);
      }
    }
  }
  EXPECT_EQ(doc.Frames().Count(), 1);
  doc.Frames().DeleteAt(0);
  EXPECT_TRUE(doc.IsEmpty());
}

TEST(Document, WarningsReachTheHandlerWithTheirSender) {
  TGIFImage doc;
  TGIFSubImage& frame = AddFrame(doc, 1, 1);
  TPersistent* seenSender = nullptr;
  std::string seenText;
  doc.WarningHandler = [&](TPersistent* sender, int, const std::string& text) {
    seenSender = sender;
    seenText = text;
  };
  FillMap(frame.LocalMap(), 1);
  frame.LocalMap().ReadEntry(9);
  EXPECT_EQ(seenSender, &frame.LocalMap());
  EXPECT_EQ(seenText, "Invalid color index");
  frame.ReportWarning(1, "x");
  EXPECT_EQ(seenSender, &frame);
  // Without a handler a warning is simply dropped.
  doc.WarningHandler = nullptr;
  EXPECT_NO_THROW(frame.ReportWarning(1, "y"));
}

TEST(Routines, BitsForColorCountAndReadExact) {
  const std::pair<int, int> cases[] = {{0, 0}, {1, 1},  {2, 1},   {3, 2},   {4, 2},
                                       {5, 3}, {17, 5}, {128, 7}, {129, 8}, {256, 8}};
  for (auto [count, bits] : cases) EXPECT_EQ(BitsForColorCount(count), bits) << count;

  TMemoryStream stream(std::vector<uint8_t>{1, 2, 3});
  uint8_t buffer[4] = {};
  EXPECT_THROW(ReadExact(stream, buffer, 4), GIFException);
  stream.SetPosition(0);
  ReadExact(stream, buffer, 3);
  EXPECT_EQ(buffer[2], 3);
}

TEST(Platform, FileErrorsNameTheAbsoluteFileAndTheReason) {
  const std::string missing = "no-such-folder-tintwell/x.gif";
  try {
    TFileStream stream(missing, TFileStream::Mode::OpenRead);
    FAIL() << "opened";
  } catch (const EFOpenError& e) {
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + std::string(cwd) + "/" + missing +
                                         "\". No such file or directory");
  }
  try {
    TFileStream stream("/no-such-folder-tintwell/x.gif", TFileStream::Mode::Create);
    FAIL() << "created";
  } catch (const EFCreateError& e) {
    EXPECT_STREQ(
        e.what(),
        "Cannot create file \"/no-such-folder-tintwell/x.gif\". No such file or directory");
  }
}

TEST(Platform, FileStreamReadsWritesAndSeeks) {
  char name[] = "/tmp/tintwell-stream-XXXXXX";
  const int fd = mkstemp(name);
  ASSERT_GE(fd, 0);
  close(fd);
  {
    TFileStream out(name, TFileStream::Mode::Create);
    out.WriteBuffer("GIF89a", 6);
    EXPECT_EQ(out.Size(), 6);
  }
  {
    TFileStream in(name, TFileStream::Mode::OpenRead);
    char buffer[8] = {};
    EXPECT_EQ(in.Read(buffer, 8), 6u);  // the count actually read
    EXPECT_EQ(in.Seek(-2, TSeekOrigin::soEnd), 4);
    EXPECT_EQ(in.Read(buffer, 8), 2u);
    EXPECT_EQ(std::string(buffer, 2), "9a");
    EXPECT_EQ(in.Write("x", 1), 0u);  // opened for reading only
  }
  std::remove(name);
}

TEST(Platform, MemoryStreamOverwritesAppendsAndFillsGaps) {
  TMemoryStream stream;
  stream.WriteBuffer("GIF87a", 6);
  stream.SetPosition(3);
  stream.WriteBuffer("89a;", 4);  // overwrites three bytes, appends one
  stream.Seek(2, TSeekOrigin::soEnd);
  stream.WriteBuffer("!", 1);  // the skipped bytes read as zeros
  EXPECT_EQ(stream.Bytes(), (std::vector<uint8_t>{'G', 'I', 'F', '8', '9', 'a', ';', 0, 0, '!'}));

  stream.SetPosition(9);
  uint8_t byte = 0;
  EXPECT_EQ(stream.Read(&byte, 1), 1u);
  EXPECT_EQ(byte, '!');
  EXPECT_EQ(stream.Read(&byte, 1), 0u);
  stream.SetPosition(4);
  char rest[8] = {};
  EXPECT_EQ(stream.Read(rest, sizeof rest), 6u);
  EXPECT_EQ(std::string(rest, 3), "9a;");
}

TEST(Platform, MemoryStreamInlineReadsFollowThePosition) {
  TMemoryStream stream(std::vector<uint8_t>{'G', 'I', 'F', '8', '9', 'a', ';'});
  char three[3] = {};
  uint8_t byte = 0;
  EXPECT_EQ(stream.ReadSome(three, 3), 3u);
  EXPECT_TRUE(stream.ReadByte(byte));
  EXPECT_EQ(byte, '8');
  stream.Skip(-2);
  EXPECT_EQ(stream.Position(), 2);
  EXPECT_EQ(stream.Read(three, 3), 3u);  // the virtual read goes on from there
  EXPECT_EQ(std::string(three, 3), "F89");
  // Growing the storage moves the bytes; reads follow them.
  stream.Reserve(1 << 20);
  EXPECT_TRUE(stream.ReadByte(byte));
  EXPECT_EQ(byte, 'a');
  stream.Skip(10);  // past the end: nothing to read, writes fill the gap
  EXPECT_EQ(stream.Position(), 16);
  EXPECT_FALSE(stream.ReadByte(byte));
  EXPECT_EQ(stream.ReadSome(three, 3), 0u);
  stream.WriteBuffer("!", 1);
  EXPECT_EQ(stream.Size(), 17);
  stream.SetPosition(6);
  EXPECT_EQ(stream.ReadSome(three, 2), 2u);
  EXPECT_EQ(std::string(three, 2), std::string(";\0", 2));

  // A derived stream sees every read in its own Read.
  class TCounting : public TMemoryStream {
   public:
    using TMemoryStream::TMemoryStream;
    std::size_t Read(void* buffer, std::size_t count) override {
      ++reads;
      return TMemoryStream::Read(buffer, count);
    }
    int reads = 0;
  } counting(std::vector<uint8_t>{1, 2, 3, 4});
  EXPECT_TRUE(counting.ReadByte(byte));
  EXPECT_EQ(counting.ReadSome(three, 2), 2u);
  counting.SetPosition(0);
  EXPECT_TRUE(counting.ReadByte(byte));
  EXPECT_EQ(counting.reads, 3);
}
