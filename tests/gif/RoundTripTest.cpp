// Saving and loading again: every frame the encoders write decodes to the same
// pixels with the stream left just after its terminator, and every file of
// the corpus that loads survives a save and a reload.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "gif/LZWDecoder.h"
#include "gif/LZWEncoder.h"
#include "tests/gif/GiflibOracle.h"

using namespace gif;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Save(TGIFImage& doc) {
  TMemoryStream out;
  doc.SaveToStream(out);
  return out.Bytes();
}

void Load(TGIFImage& doc, const Bytes& bytes) {
  TMemoryStream in(bytes);
  doc.LoadFromStream(in);
}

Bytes Table(const TGIFColorMap& map) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(map.Data());
  return Bytes(bytes, bytes + map.EntryCount() * 3);
}

// The document as a sequence of blocks: each extension as the bytes it
// writes, each image as its position, size, local table and pixels. Frames
// may regroup on reload (an image-less frame's extensions join the frame
// that follows), the blocks may not.
std::vector<Bytes> Blocks(TGIFImage& doc) {
  std::vector<Bytes> blocks;
  for (int f = 0; f < doc.Frames().Count(); ++f) {
    TGIFSubImage& frame = doc.Frames().Frame(f);
    for (int e = 0; e < frame.Extensions().ItemCount(); ++e) {
      TMemoryStream out;
      frame.Extensions().ItemAt(e).SaveToStream(out);
      blocks.push_back(out.Bytes());
    }
    if (frame.IsEmpty()) continue;
    Bytes image(9);
    image[0] = frame.Descriptor.Separator;
    PutU16(&image[1], frame.Descriptor.Left);
    PutU16(&image[3], frame.Descriptor.Top);
    PutU16(&image[5], frame.Descriptor.Width);
    PutU16(&image[7], frame.Descriptor.Height);
    const Bytes table = Table(frame.LocalMap());
    image.insert(image.end(), table.begin(), table.end());
    image.insert(image.end(), frame.PixelData(), frame.PixelData() + frame.PixelDataSize());
    blocks.push_back(image);
  }
  return blocks;
}

// Whether some frame holds a pixel its colour limit refuses.
bool HasPixelOutsideItsTable(TGIFImage& doc) {
  for (int f = 0; f < doc.Frames().Count(); ++f) {
    const TGIFSubImage& frame = doc.Frames().Frame(f);
    if (frame.IsEmpty()) continue;
    const int limit =
        frame.LocalMap().EntryCount() > 0 ? frame.LocalMap().EntryCount() : 1 << doc.PixelBits();
    const uint8_t* pixels = frame.PixelData();
    if (std::any_of(pixels, pixels + frame.PixelDataSize(),
                    [limit](uint8_t p) { return p >= limit; }))
      return true;
  }
  return false;
}

}  // namespace

TEST(RoundTrip, DecoderReadsBackEveryFrameAndStopsAfterTheTerminator) {
  // Noise, short runs and long ones, interlaced or not, down to single rows
  // and columns; last, noise and then a run of ten million pixels, which
  // takes the run-length encoder through full decoder tables.
  std::mt19937 random(17);
  for (int compression : {gcLZW, gcRLE}) {
    for (int trial = 0; trial <= 120; ++trial) {
      const bool large = trial == 120;
      TGIFImage doc;
      doc.Compression = compression;
      TGIFSubImage frame(&doc);
      const int bits = 1 + trial % 8;
      int width = 1 + int(random() % 300), height = 1 + int(random() % 90);
      if (trial % 5 == 0) width = 1;
      if (trial % 7 == 0) height = 1 + trial % 5;
      if (large) width = 4000, height = 2500;
      frame.Descriptor.Width = uint16_t(width);
      frame.Descriptor.Height = uint16_t(height);
      frame.Descriptor.PackedFields = trial % 3 == 0 ? 0x40 : 0;
      frame.AllocatePixels();
      const unsigned run = 1 + random() % (trial % 4 == 1 ? 5000 : 30);
      for (std::size_t i = 0; i < frame.PixelDataSize(); ++i) {
        const bool noise = large ? i < 1000 : trial % 2 == 0;
        frame.PixelData()[i] = uint8_t((noise ? random() : large ? 5 : i / run) % (1u << bits));
      }
      for (int i = 0; i < 1 << bits; ++i) frame.LocalMap().AppendEntry(TColor(i));

      TMemoryStream data;
      EncodeImageData(frame, data);
      const int64_t end = data.Size();
      data.Write("\x3B\x21", 2);  // what follows image data in a file
      data.SetPosition(0);
      TGIFSubImage decoded(&doc);
      decoded.Descriptor = frame.Descriptor;
      DecodeImageData(decoded, data);
      SCOPED_TRACE("compression " + std::to_string(compression) + ", trial " +
                   std::to_string(trial));
      ASSERT_EQ(decoded.PixelDataSize(), frame.PixelDataSize());
      EXPECT_TRUE(std::equal(frame.PixelData(), frame.PixelData() + frame.PixelDataSize(),
                             decoded.PixelData()));
      EXPECT_EQ(data.Position(), end);
    }
  }
}

TEST(RoundTrip, CorpusFilesSurviveASaveAndAReload) {
  ASSERT_TRUE(fs::is_directory(TINTWELL_CORPUS_DIR)) << "no test corpus at " << TINTWELL_CORPUS_DIR;
  int saved = 0;
  for (const auto& entry : fs::recursive_directory_iterator(TINTWELL_CORPUS_DIR)) {
    if (!entry.is_regular_file() || entry.path().extension() != ".gif") continue;
    SCOPED_TRACE(entry.path().string());
    TMemoryStream file;
    file.LoadFromFile(entry.path().string());
    TGIFImage doc;
    try {
      Load(doc, file.Bytes());
    } catch (const Exception&) {
      continue;  // files the reader refuses are the reader's tests
    }
    Bytes first;
    try {
      first = Save(doc);
    } catch (const GIFException& e) {
      // A document without frames has no version; indices beyond a frame's
      // table cannot be written back.
      if (doc.IsEmpty()) {
        EXPECT_STREQ(e.what(), "Unsupported GIF version");
      } else {
        EXPECT_STREQ(e.what(), "Color not in color table");
        EXPECT_TRUE(HasPixelOutsideItsTable(doc));
      }
      continue;
    }
    ++saved;
    EXPECT_EQ(Save(doc), first);

    TGIFImage again;
    Load(again, first);
    EXPECT_EQ(again.ScreenWidth(), doc.ScreenWidth());
    EXPECT_EQ(again.ScreenHeight(), doc.ScreenHeight());
    EXPECT_EQ(again.BackgroundIndex(), doc.BackgroundIndex());
    EXPECT_EQ(again.Header().Screen.AspectRatio, doc.Header().Screen.AspectRatio);
    EXPECT_EQ(Table(again.GlobalMap()), Table(doc.GlobalMap()));
    EXPECT_EQ(again.FormatVersion(), doc.FormatVersion());
    EXPECT_EQ(Blocks(again), Blocks(doc));
    EXPECT_EQ(Save(again), first);

    // An independent decoder sees the same images.
    const GiflibImage image = GiflibDecode(first);
    ASSERT_TRUE(image.ok) << "giflib error " << image.error;
    std::size_t next = 0;
    for (int f = 0; f < doc.Frames().Count(); ++f) {
      const TGIFSubImage& frame = doc.Frames().Frame(f);
      if (frame.IsEmpty()) continue;
      ASSERT_LT(next, image.frames.size());
      const GiflibFrame& theirs = image.frames[next++];
      EXPECT_EQ(theirs.width, frame.Descriptor.Width);
      EXPECT_EQ(theirs.height, frame.Descriptor.Height);
      EXPECT_TRUE(std::equal(theirs.pixels.begin(), theirs.pixels.end(), frame.PixelData()));
    }
    EXPECT_EQ(next, image.frames.size());
  }
  EXPECT_GT(saved, 40);
}

TEST(RoundTrip, Gif89aWithoutExtensionsIsWrittenAs87a) {
  TGIFImage doc;
  doc.Header().Screen.ScreenWidth = 3;
  doc.Header().Screen.ScreenHeight = 2;
  for (int i = 0; i < 2; ++i) doc.GlobalMap().AppendEntry(TColor(i * 0xFFFFFF));
  auto frame = std::make_unique<TGIFSubImage>(&doc);
  frame->Descriptor.Width = 3;
  frame->Descriptor.Height = 2;
  frame->AllocatePixels();
  frame->PixelData()[4] = 1;
  doc.Frames().Append(std::move(frame));
  Bytes file = Save(doc);
  file[4] = '9';

  TGIFImage loaded;
  Load(loaded, file);
  const Bytes saved = Save(loaded);
  EXPECT_EQ(std::string(saved.begin(), saved.begin() + 6), "GIF87a");
  EXPECT_TRUE(std::equal(saved.begin() + 6, saved.end(), file.begin() + 6, file.end()));
}

TEST(RoundTrip, TrailingCommentStaysAfterTheLastImage) {
  TGIFImage doc;
  doc.Header().Screen.ScreenWidth = 2;
  doc.Header().Screen.ScreenHeight = 2;
  for (int i = 0; i < 2; ++i) doc.GlobalMap().AppendEntry(TColor(i * 0xFFFFFF));
  auto frame = std::make_unique<TGIFSubImage>(&doc);
  frame->Descriptor.Width = 2;
  frame->Descriptor.Height = 2;
  frame->AllocatePixels();
  doc.Frames().Append(std::move(frame));
  Bytes file = Save(doc);
  // Header and image as written, then a comment and the trailer.
  file.pop_back();
  const Bytes comment = {0x21, 0xFE, 4, 'l', 'a', 's', 't', 0x00};
  file.insert(file.end(), comment.begin(), comment.end());
  file.push_back(0x3B);
  file[4] = '9';

  TGIFImage loaded;
  Load(loaded, file);
  EXPECT_EQ(Save(loaded), file);
}

TEST(RoundTrip, SaveFileWritesWhatSaveToStreamWrites) {
  // Frames large enough for buffers of their own, noise that the run-length
  // encoder writes at more than a byte a pixel, and a comment larger than the
  // room a save sets aside beforehand.
  const fs::path folder =
      fs::temp_directory_path() / ("tintwell-savefile-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const std::string name = (folder / "picture.gif").string();
  struct Case {
    const char* label;
    int width, height, compression, commentBlocks;
  };
  std::mt19937 random(5);
  for (const Case& c :
       {Case{"LZW noise", 2100, 2100, gcLZW, 0}, Case{"run-length noise", 2100, 2100, gcRLE, 0},
        Case{"large comment", 2, 2, gcLZW, 1200}}) {
    SCOPED_TRACE(c.label);
    TGIFImage doc;
    doc.Compression = c.compression;
    doc.Header().Screen.ScreenWidth = uint16_t(c.width);
    doc.Header().Screen.ScreenHeight = uint16_t(c.height);
    for (int i = 0; i < 256; ++i) doc.GlobalMap().AppendEntry(TColor(i * 0x010101));
    auto frame = std::make_unique<TGIFSubImage>(&doc);
    frame->Descriptor.Width = uint16_t(c.width);
    frame->Descriptor.Height = uint16_t(c.height);
    frame->AllocatePixels();
    std::generate_n(frame->PixelData(), frame->PixelDataSize(), [&] { return uint8_t(random()); });
    doc.Frames().Append(std::move(frame));
    if (c.commentBlocks > 0) {
      Bytes file = Save(doc);
      file.pop_back();
      file.insert(file.end(), {0x21, 0xFE});
      for (int b = 0; b < c.commentBlocks; ++b) {
        file.push_back(255);
        file.insert(file.end(), 255, uint8_t('a' + b % 26));
      }
      file.insert(file.end(), {0x00, 0x3B});
      Load(doc, file);
    }
    const Bytes expected = Save(doc);

    doc.SaveFile(name);
    TMemoryStream written;
    written.LoadFromFile(name);
    EXPECT_EQ(written.Bytes(), expected);
    TGIFImage loaded;
    loaded.LoadFile(name);
    EXPECT_EQ(Blocks(loaded), Blocks(doc));
  }
  fs::remove_all(folder);
}
