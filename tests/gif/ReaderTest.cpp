#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "GifBytes.h"
#include "gif/GIFImage.h"
#include "tests/gif/GiflibOracle.h"

using namespace gif;
using namespace giftest;

namespace {

class Reader : public ::testing::Test {
 protected:
  Reader() {
    doc.WarningHandler = [this](TPersistent*, int severity, const std::string& message) {
      EXPECT_EQ(severity, 1);
      warnings.push_back(message);
    };
  }

  // Loads bytes from offset start of a stream; returns the error text, empty
  // when the load succeeded.
  std::string Load(const Bytes& bytes, int64_t start = 0) {
    TMemoryStream stream(bytes);
    stream.SetPosition(start);
    std::string error;
    try {
      doc.LoadFromStream(stream);
    } catch (const GIFException& e) {
      error = e.what();
    }
    position = stream.Position();
    return error;
  }

  Bytes Pixels(int frame) const {
    const TGIFSubImage& f = doc.Frames().Frame(frame);
    return Bytes(f.PixelData(), f.PixelData() + f.PixelDataSize());
  }

  TGIFImage doc;
  std::vector<std::string> warnings;
  int64_t position = 0;
};

const Bytes kTrailerByte{0x3B};

}  // namespace

TEST_F(Reader, LoadsHeaderPalettesAndFrames) {
  // Screen 5 x 4 with a sorted 4-entry global table, background 3, aspect 49;
  // a 2 x 2 frame at (1, 2), then a 1 x 1 frame with a 2-entry local table.
  Bytes header = Header(5, 4, true, 1, "GIF89a", 3, 49);
  header[10] |= 0x08;
  const Bytes local{0x80 | 0x20, 10, 20, 30, 40, 50, 60};
  const Bytes file =
      Concat({header, PlainImage(2, 2, 1, 2), Descriptor(0, 0, 1, 1, local[0]),
              Bytes(local.begin() + 1, local.end()), ImageData(2, {4, 1, 5}), kTrailerByte});
  ASSERT_EQ(Load(file), "");
  EXPECT_TRUE(warnings.empty());
  EXPECT_EQ(position, int64_t(file.size()));

  EXPECT_EQ(doc.ScreenWidth(), 5);
  EXPECT_EQ(doc.ScreenHeight(), 4);
  EXPECT_EQ(doc.Header().Screen.PackedFields, 0xF9);
  EXPECT_EQ(doc.BackgroundIndex(), 3);
  EXPECT_EQ(doc.Header().Screen.AspectRatio, 49);
  ASSERT_EQ(doc.GlobalMap().EntryCount(), 4);
  EXPECT_EQ(doc.GlobalMap().ReadEntry(3), 0x030303u);
  // Neither the sort flag nor the version bytes make the document 89a.
  EXPECT_EQ(doc.FormatVersion(), fv87a);
  EXPECT_EQ(doc.PixelBits(), 2);

  ASSERT_EQ(doc.Frames().Count(), 2);
  const TImageDescriptor& d = doc.Frames().Frame(0).Descriptor;
  EXPECT_EQ(d.Separator, 0x2C);
  EXPECT_EQ(d.Left, 1);
  EXPECT_EQ(d.Top, 2);
  EXPECT_EQ(d.Width, 2);
  EXPECT_EQ(d.Height, 2);
  EXPECT_EQ(Pixels(0), (Bytes{0, 1, 0, 1}));
  TGIFSubImage& second = doc.Frames().Frame(1);
  EXPECT_EQ(second.Descriptor.PackedFields, 0xA0);
  ASSERT_EQ(second.LocalMap().EntryCount(), 2);
  EXPECT_EQ(second.LocalMap().ReadEntry(1), 0x3C3228u);
  EXPECT_EQ(Pixels(1), (Bytes{1}));
}

TEST_F(Reader, AcceptsLenientSignaturesAndEndings) {
  const Bytes image = Concat({Header(2, 1), PlainImage(2, 1)});
  // Lower case, any version bytes.
  EXPECT_EQ(Load(Concat({Bytes{'g', 'i', 'f', '8', '9', 'a'}, Bytes(image.begin() + 6, image.end()),
                         kTrailerByte})),
            "");
  EXPECT_EQ(Load(Concat({Bytes{'G', 'I', 'F', 'x', 'y', 'z'}, Bytes(image.begin() + 6, image.end()),
                         kTrailerByte})),
            "");
  EXPECT_EQ(doc.Frames().Count(), 1);
  // Four bytes of something else in front of the header.
  EXPECT_EQ(Load(Concat({Bytes{'M', 'A', 'C', 0}, image, kTrailerByte})), "");
  EXPECT_EQ(Pixels(0), (Bytes{0, 1}));
  // No trailer at all, and bytes after the trailer, pass without a word.
  EXPECT_EQ(Load(image), "");
  EXPECT_EQ(position, int64_t(image.size()));
  const Bytes tail = Concat({image, kTrailerByte, Bytes{0x55, 0x66}});
  EXPECT_EQ(Load(tail), "");
  EXPECT_EQ(position, int64_t(tail.size()) - 2);
  EXPECT_TRUE(warnings.empty());
  EXPECT_EQ(doc.Frames().Count(), 1);
  // The data ends after the header: a document without frames.
  EXPECT_EQ(Load(Header(2, 1)), "");
  EXPECT_TRUE(doc.IsEmpty());
}

TEST_F(Reader, RejectsBadSignaturesAndShortStructures) {
  const Bytes image = Concat({Header(2, 1), PlainImage(2, 1), kTrailerByte});
  EXPECT_EQ(Load(Concat({Bytes{'G', 'I', 'X'}, Bytes(image.begin() + 3, image.end())})),
            msg::BadSignature);
  // Five bytes in front are one too many.
  EXPECT_EQ(Load(Concat({Bytes{1, 2, 3, 4, 5}, image})), msg::BadSignature);
  EXPECT_EQ(Load(Bytes{'G', 'I', 'F', '8', '9'}), msg::PrematureEnd);
  EXPECT_EQ(Load(Bytes(image.begin(), image.begin() + 12)), msg::PrematureEnd);
  // The global table ends early: the map stays empty.
  EXPECT_EQ(Load(Bytes(image.begin(), image.begin() + 15)), msg::PrematureEnd);
  EXPECT_EQ(doc.GlobalMap().EntryCount(), 0);
  EXPECT_EQ(doc.ScreenWidth(), 2);
  // The image descriptor ends early.
  EXPECT_EQ(Load(Bytes(image.begin(), image.begin() + 25)), msg::PrematureEnd);
  EXPECT_TRUE(doc.IsEmpty());
}

TEST_F(Reader, FailedLoadKeepsWhatWasReadAndRewindsTheStream) {
  // Two frames, then an extension with an unregistered label.
  const Bytes file =
      Concat({Header(3, 1, true, 0, "GIF89a", 7), PlainImage(3, 1), Comment("x"), PlainImage(1, 1),
              Bytes{0x21, 0x02, 0x00}, PlainImage(1, 1), kTrailerByte});
  EXPECT_EQ(Load(Concat({Bytes{9, 9}, file}), 2), msg::UnknownExtension);
  EXPECT_EQ(position, 2);
  ASSERT_EQ(doc.Frames().Count(), 2);
  EXPECT_EQ(doc.Frames().Frame(1).Extensions().ItemCount(), 1);
  EXPECT_EQ(doc.ScreenWidth(), 3);
  EXPECT_EQ(doc.GlobalMap().EntryCount(), 2);

  // A failure before the logical screen keeps the previous background index.
  EXPECT_EQ(Load(Bytes{'G', 'I', 'F', '8', '9', 'a', 1}), msg::PrematureEnd);
  EXPECT_EQ(doc.BackgroundIndex(), 7);
  EXPECT_EQ(doc.ScreenWidth(), 0);
  EXPECT_TRUE(doc.IsEmpty());
  EXPECT_EQ(doc.GlobalMap().EntryCount(), 0);

  // A frame whose data loops is dropped with the load.
  EXPECT_EQ(Load(Concat({Header(3, 1), PlainImage(3, 1), Descriptor(0, 0, 10, 1),
                         ImageData(2, {4, 1, 7, 0, 7, 5})})),
            msg::CircularTableEntry);
  EXPECT_EQ(doc.Frames().Count(), 1);
}

TEST_F(Reader, AttachesExtensionsToFrames) {
  // A comment and a transparent graphic control before the first image; zero
  // bytes between blocks; a comment ended by a zero byte, which makes a frame
  // of its own (the extension run does not expect the zero and says so); a
  // comment before the trailer, another image-less frame.
  const Bytes file = Concat({Header(2, 2), Comment("a"), GraphicControl(1), Descriptor(0, 0, 2, 2),
                             ImageData(2, {4, 0, 5}), Bytes{0, 0}, Comment("b"), Bytes{0},
                             PlainImage(1, 1), Comment("c"), kTrailerByte});
  ASSERT_EQ(Load(file), "");
  // The first image's data holds one of its four pixels.
  EXPECT_EQ(warnings, (std::vector<std::string>{FormatMessage(msg::PixelsMissing, {"3", "4"}),
                                                msg::BadExtensionIntroducer}));
  ASSERT_EQ(doc.Frames().Count(), 4);
  const TGIFSubImage& first = doc.Frames().Frame(0);
  ASSERT_EQ(first.Extensions().ItemCount(), 2);
  EXPECT_STREQ(first.Extensions().ItemAt(0).ClassName(), "TGIFCommentExtension");
  EXPECT_STREQ(first.Extensions().ItemAt(1).ClassName(), "TGIFGraphicControlExtension");
  EXPECT_TRUE(first.HasTransparency());
  // The data ends after one pixel: the rest is the transparent index.
  EXPECT_EQ(Pixels(0), (Bytes{0, 1, 1, 1}));

  const TGIFSubImage& commentOnly = doc.Frames().Frame(1);
  EXPECT_EQ(commentOnly.Extensions().ItemCount(), 1);
  EXPECT_EQ(commentOnly.PixelData(), nullptr);
  EXPECT_EQ(doc.Frames().Frame(2).Extensions().ItemCount(), 0);
  EXPECT_EQ(Pixels(2), (Bytes{0}));
  EXPECT_EQ(doc.Frames().Frame(3).Extensions().ItemCount(), 1);
  EXPECT_EQ(doc.Frames().Frame(3).PixelData(), nullptr);
  EXPECT_EQ(doc.FormatVersion(), fv89a);
}

TEST_F(Reader, OddBlockBytes) {
  // After an extension run, a byte other than 0x2C introduces the descriptor.
  const Bytes odd = Concat({Header(1, 1), GraphicControl(), Descriptor(0, 0, 1, 1, 0, 0x2D),
                            ImageData(2, {4, 1, 5}), kTrailerByte});
  ASSERT_EQ(Load(odd), "");
  EXPECT_EQ(warnings, std::vector<std::string>{msg::BadExtensionIntroducer});
  ASSERT_EQ(doc.Frames().Count(), 1);
  EXPECT_EQ(doc.Frames().Frame(0).Descriptor.Separator, 0x2D);
  EXPECT_EQ(Pixels(0), (Bytes{1}));

  // An unknown block byte ends the blocks; the load keeps the frames before it.
  // The stream steps back twice, so the trailer check reads the terminator of
  // the frame's data and complains too.
  warnings.clear();
  const Bytes unknown = Concat({Header(2, 1), PlainImage(2, 1), Bytes{0x55}, PlainImage(2, 1)});
  ASSERT_EQ(Load(unknown), "");
  EXPECT_EQ(warnings, (std::vector<std::string>{msg::UnknownBlockType, msg::BadTrailer}));
  EXPECT_EQ(doc.Frames().Count(), 1);

  // The trailer right after the header: no frames.
  warnings.clear();
  ASSERT_EQ(Load(Concat({Header(2, 1), kTrailerByte})), "");
  EXPECT_TRUE(doc.IsEmpty());
  EXPECT_EQ(doc.FormatVersion(), fvNone);
  EXPECT_TRUE(warnings.empty());
}

TEST_F(Reader, FrameSizeAgainstTheScreen) {
  // Width 0: the frame takes the whole screen, height included.
  std::vector<int> codes{4};
  for (int i = 0; i < 12; ++i) codes.push_back(1);
  codes.push_back(5);
  const Bytes zero =
      Concat({Header(4, 3), Descriptor(1, 1, 0, 9), ImageData(2, codes), kTrailerByte});
  ASSERT_EQ(Load(zero), "");
  EXPECT_EQ(warnings, std::vector<std::string>{msg::ImageExceedsScreen});
  const TImageDescriptor& d = doc.Frames().Frame(0).Descriptor;
  EXPECT_EQ(d.Width, 4);
  EXPECT_EQ(d.Height, 3);
  EXPECT_EQ(Pixels(0), Bytes(12, 1));

  // Larger than the screen: taken as it is, silently.
  warnings.clear();
  ASSERT_EQ(Load(Concat({Header(1, 1), PlainImage(3, 2, 5, 5), kTrailerByte})), "");
  EXPECT_TRUE(warnings.empty());
  EXPECT_EQ(doc.Frames().Frame(0).Descriptor.Width, 3);
  EXPECT_EQ(doc.ScreenWidth(), 1);

  // Without the global table flag the size bits mean nothing.
  ASSERT_EQ(Load(Concat({Header(1, 1, false, 7), PlainImage(1, 1), kTrailerByte})), "");
  EXPECT_EQ(doc.GlobalMap().EntryCount(), 0);
}

TEST_F(Reader, ReportsProgress) {
  std::vector<std::tuple<TPersistent*, TProgressStage, int, bool>> calls;
  doc.OnProgress = [&calls](TPersistent* sender, TProgressStage stage, int percent, bool redraw,
                            const TRect&, const std::string& message) {
    EXPECT_EQ(message, msg::Loading);
    calls.emplace_back(sender, stage, percent, redraw);
  };
  // Frames of 15 and 34 bytes after a 19-byte header, then the trailer: 34
  // and 68 of 69 bytes are read after each frame.
  const Bytes file = Concat({Header(2, 1), PlainImage(2, 1), Comment(std::string(15, 'x')),
                             PlainImage(2, 1), kTrailerByte});
  ASSERT_EQ(Load(file), "");
  using S = TProgressStage;
  EXPECT_EQ(calls, (decltype(calls){{&doc, S::psStarting, 0, false},
                                    {&doc.Frames(), S::psRunning, 49, false},
                                    {&doc.Frames(), S::psRunning, 99, false},
                                    {&doc, S::psEnding, 100, true}}));
  calls.clear();
  ASSERT_NE(Load(Bytes{'x'}), "");
  EXPECT_EQ(calls,
            (decltype(calls){{&doc, S::psStarting, 0, false}, {&doc, S::psEnding, 0, true}}));
}

TEST_F(Reader, LoadsFiles) {
  char name[] = "/tmp/tintwell-reader-XXXXXX";
  const int fd = mkstemp(name);
  ASSERT_GE(fd, 0);
  close(fd);
  const Bytes file = Concat({Header(2, 1, true, 0, "GIF87a", 1), PlainImage(2, 1), kTrailerByte});
  TMemoryStream(file).SaveToFile(name);
  doc.LoadFile(name);
  EXPECT_EQ(doc.Frames().Count(), 1);
  EXPECT_EQ(Pixels(0), (Bytes{0, 1}));
  std::remove(name);

  // A file that cannot be opened leaves the document as it was.
  try {
    doc.LoadFile(name);
    FAIL() << "loading a missing file succeeded";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(std::string(e.what()),
              std::string("Cannot open file \"") + name + "\". No such file or directory");
  }
  EXPECT_EQ(doc.Frames().Count(), 1);
  EXPECT_EQ(doc.BackgroundIndex(), 1);
}

TEST_F(Reader, PixelBudgetFailsFramesBeforeTheirDataIsRead) {
  // Remembers how far the reader got, to show where a load stopped.
  class FurthestRead : public TMemoryStream {
   public:
    using TMemoryStream::TMemoryStream;
    std::size_t Read(void* buffer, std::size_t count) override {
      const std::size_t n = TMemoryStream::Read(buffer, count);
      furthest = std::max(furthest, Position());
      return n;
    }
    int64_t furthest = 0;
  };
  const Bytes tiny = ImageData(2, {4, 0, 5});
  const Bytes twoByTwo = PlainImage(2, 2);
  struct Case {
    const char* what;
    Bytes file;
    uint64_t limit;
    std::string error;
    int framesKept;
    int64_t furthest;  // 0: the whole file is read
    std::vector<std::string> warnings = {};
  };
  const std::string defaultLimit = std::to_string(uint64_t{1} << 28);
  const std::vector<Case> cases = {
      {"35 bytes declaring a 65535 x 65535 frame with a local table: nothing after the "
       "descriptor is read, so nothing is allocated",
       Concat({Header(65535, 65535), Descriptor(0, 0, 65535, 65535, 0x80), tiny, kTrailerByte}),
       LibrarySettings().MaxPixels,
       "Image of 65535 x 65535 pixels exceeds the limit of " + defaultLimit +
           " pixels for one image",
       0, 29},
      {"a zero-size frame on a 65535 x 65535 screen counts as that screen",
       Concat({Header(65535, 65535), Descriptor(0, 0, 0, 0), tiny, kTrailerByte}),
       LibrarySettings().MaxPixels,
       "Image of 65535 x 65535 pixels exceeds the limit of " + defaultLimit +
           " pixels for one image",
       0,
       29,
       {msg::ImageExceedsScreen}},
      {"the zero-size frame of a small screen, against a smaller limit",
       Concat({Header(4, 3), Descriptor(0, 0, 5, 0), tiny, kTrailerByte}),
       11,
       "Image of 4 x 3 pixels exceeds the limit of 11 pixels for one image",
       0,
       29,
       {msg::ImageExceedsScreen}},
      {"a 4 x 3 frame after two 2 x 2 frames passes 10 pixels; the two before it stay",
       Concat({Header(2, 2), twoByTwo, twoByTwo, PlainImage(4, 3), kTrailerByte}), 10,
       "Image of 4 x 3 pixels exceeds the limit of 10 pixels for one image", 2,
       19 + 2 * int64_t(twoByTwo.size()) + 10},
      {"frames that reach the limit exactly load",
       Concat({Header(2, 2), twoByTwo, twoByTwo, kTrailerByte}), 4, "", 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    warnings.clear();
    doc.MaxPixels = c.limit;
    FurthestRead stream(c.file);
    std::string error;
    try {
      doc.LoadFromStream(stream);
    } catch (const GIFException& e) {
      error = e.what();
    }
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(doc.Frames().Count(), c.framesKept);
    EXPECT_EQ(stream.furthest, c.furthest != 0 ? c.furthest : int64_t(c.file.size()));
    EXPECT_EQ(warnings, c.warnings);
  }
  // Each load counts afresh.
  doc.MaxPixels = 8;
  const Bytes eight = Concat({Header(2, 2), twoByTwo, twoByTwo, kTrailerByte});
  EXPECT_EQ(Load(eight), "");
  EXPECT_EQ(Load(eight), "");
}

namespace {

// A GIF of `frames` copies of one 1000 x 1000 frame that the library's own
// writer made with every pixel coded, each copy preceded by `before`.
Bytes MegapixelFrames(int frames, const Bytes& before = {}) {
  TGIFImage source;
  source.Header().Screen.ScreenWidth = 1000;
  source.Header().Screen.ScreenHeight = 1000;
  for (TColor c : {0x000000u, 0x0000FFu, 0x00FF00u, 0xFF0000u}) source.GlobalMap().AppendEntry(c);
  auto frame = std::make_unique<TGIFSubImage>(&source);
  frame->Descriptor.Width = 1000;
  frame->Descriptor.Height = 1000;
  frame->AllocatePixels();
  for (std::size_t i = 0; i < frame->PixelDataSize(); ++i)
    frame->PixelData()[i] = uint8_t(i / 100000 % 4);  // bands of 100 rows
  source.Frames().Append(std::move(frame));
  TMemoryStream saved;
  source.SaveToStream(saved);
  // Header and a table of 4 entries, then the frame, then the trailer.
  const Bytes& bytes = saved.Bytes();
  const std::size_t headerSize = 13 + 4 * 3;
  Bytes file(bytes.begin(), bytes.begin() + headerSize);
  const Bytes block(bytes.begin() + headerSize, bytes.end() - 1);
  for (int i = 0; i < frames; ++i) file = Concat({file, before, block});
  return Concat({file, kTrailerByte});
}

}  // namespace

TEST_F(Reader, RealAnimationsLoadWithinTheComputersMemory) {
  // 270 complete frames of a megapixel: more than 2^28 pixels, and about
  // 2 MB of file.
  const Bytes file = MegapixelFrames(270);
  EXPECT_LT(file.size(), 4000000u);
  EXPECT_EQ(Load(file), "");
  EXPECT_EQ(doc.Frames().Count(), 270);
  EXPECT_EQ(Pixels(269), Pixels(0));
  doc.ClearAll();
}

TEST_F(Reader, MemoryBudgetCountsThePixelsTheDataReaches) {
  // The computer stated as 64 MiB: documents may take 32 MiB.
  struct RestoreSettings {
    ~RestoreSettings() { LibrarySettings().PhysicalMemory = 0; }
  } restore;
  LibrarySettings().PhysicalMemory = uint64_t{64} << 20;
  EXPECT_EQ(DocumentMemoryBudget(), uint64_t{32} << 20);
  TGIFImage small;
  EXPECT_EQ(small.MemoryBudget, uint64_t{32} << 20);
  EXPECT_EQ(small.MaxPixels, uint64_t{1} << 28);

  // A megapixel frame whose data stops after two pixels.
  const Bytes cutShort = Concat({Descriptor(0, 0, 1000, 1000), ImageData(2, {4, 1, 2, 5})});
  const std::string pastBudget =
      "Image of 1000 x 1000 pixels would take the document's pixels to 33 MiB of memory, more "
      "than the 32 MiB a document may use (half the computer's memory)";
  struct Case {
    const char* what;
    Bytes file;
    std::string error;
    int framesKept;
  };
  Bytes untouched = Header(1000, 1000), transparent = Header(1000, 1000);
  for (int i = 0; i < 100; ++i) {
    untouched = Concat({untouched, cutShort});
    transparent = Concat({transparent, GraphicControl(1), cutShort});
  }
  const std::vector<Case> cases = {
      {"33 complete frames fit in 32 MiB", MegapixelFrames(33), "", 33},
      {"the 34th complete frame would take 33 MiB", MegapixelFrames(40), pastBudget, 33},
      {"frames the data hardly reaches leave their zeros untouched, and do not count",
       Concat({untouched, kTrailerByte}), "", 100},
      {"a transparent index other than 0 fills every pixel, which then counts",
       Concat({transparent, kTrailerByte}), pastBudget, 33},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string error;
    // Loaded twice: each load counts afresh.
    for (int load = 0; load < 2; ++load) {
      TMemoryStream stream(c.file);
      try {
        small.LoadFromStream(stream);
      } catch (const GIFException& e) {
        error = e.what();
      }
      EXPECT_EQ(error, c.error);
      EXPECT_EQ(small.Frames().Count(), c.framesKept);
    }
  }
}

TEST_F(Reader, MalformedFiles) {
  struct Case {
    const char* what;
    Bytes file;
    std::string error;
    std::vector<std::string> warnings;
    int frames;
    Bytes firstPixels;           // of frame 0; empty when it has none
    std::string saveError = "";  // of saving what was loaded
  };
  // Neither has its terminator.
  const Bytes comment{0x21, 0xFE, 0x01, 'a'};
  const Bytes control{0x21, 0xF9, 0x04, 0, 0, 0, 0};
  // clang-format off
  const std::vector<Case> cases = {
      {"minimum code size 0: root 0, clear 1, end 2; 3 is 0 0; the rest keeps the transparent 1",
       Concat({Header(5, 1), GraphicControl(1), Descriptor(0, 0, 5, 1),
               ImageData(0, {1, 0, 0, 3, 2}), kTrailerByte}),
       "", {FormatMessage(msg::PixelsMissing, {"1", "5"})}, 1, {0, 0, 0, 0, 1}},
      {"a code beyond the table is taken as the one being defined",
       Concat({Header(3, 1), Descriptor(0, 0, 3, 1), ImageData(2, {4, 1, 7, 5}), kTrailerByte}),
       "", {}, 1, {1, 1, 1}},
      {"pixel indices past the colour table are kept",
       Concat({Header(2, 1), Descriptor(0, 0, 2, 1), ImageData(2, {4, 3, 2, 5}), kTrailerByte}),
       "", {}, 1, {3, 2}, msg::ColorNotInTable},
      {"no colour table anywhere: loads, but bits per pixel 0 leave index 0 alone savable",
       Concat({Header(2, 1, false), PlainImage(2, 1), kTrailerByte}), "", {}, 1, {0, 1},
       msg::ColorNotInTable},
      {"a comment without terminator where the data ends: kept as an image-less frame",
       Concat({Header(1, 1), PlainImage(1, 1), comment}), "", {}, 2, {0}},
      {"a comment without terminator before an image: the separator 0x2C is taken as the "
       "length of a sub-block longer than the rest",
       Concat({Header(2, 1), comment, PlainImage(2, 1), kTrailerByte}), msg::PrematureEnd, {}, 0,
       {}},
      {"a graphic control without terminator: the separator is read as the length of a "
       "second sub-block longer than the rest, which the chain runs out in",
       Concat({Header(2, 1), control, PlainImage(2, 1), kTrailerByte}),
       "", {msg::PrematureEnd}, 1, {}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    warnings.clear();
    EXPECT_EQ(Load(c.file), c.error);
    EXPECT_EQ(warnings, c.warnings);
    ASSERT_EQ(doc.Frames().Count(), c.frames);
    if (c.frames == 0) continue;
    if (c.firstPixels.empty())
      EXPECT_EQ(doc.Frames().Frame(0).PixelData(), nullptr);
    else
      EXPECT_EQ(Pixels(0), c.firstPixels);
    TMemoryStream saved;
    std::string saveError;
    try {
      doc.SaveToStream(saved);
    } catch (const GIFException& e) {
      saveError = e.what();
    }
    EXPECT_EQ(saveError, c.saveError);
  }
}

TEST_F(Reader, GraphicControlBlockSizeIsHonoured) {
  // Each block size with that many record bytes, the terminator, then a
  // 3 x 1 image. The record takes the first four bytes, missing ones 0; the
  // save writes the well-formed block.
  struct Case {
    uint8_t blockSize;
    Bytes data;
    Bytes savedRecord;  // packed, delay (2), transparent index
  };
  const std::vector<Case> cases = {
      {0, {}, {0, 0, 0, 0}},
      {2, {0x09, 0x30}, {0x09, 0x30, 0, 0}},
      {3, {0x08, 0x10, 0x27}, {0x08, 0x10, 0x27, 0}},
      {4, {0x05, 0x64, 0x00, 0x01}, {0x05, 0x64, 0x00, 0x01}},
      {5, {0x04, 0x02, 0x01, 0x03, 0xEE}, {0x04, 0x02, 0x01, 0x03}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.blockSize));
    const Bytes image = Concat({Descriptor(0, 0, 3, 1), ImageData(2, {4, 1, 3, 0, 5})});
    // A block size of 0 is the terminator itself.
    const Bytes terminator = c.blockSize > 0 ? Bytes{0x00} : Bytes{};
    const Bytes file = Concat({Header(3, 1, true, 1), Bytes{0x21, 0xF9, c.blockSize}, c.data,
                               terminator, image, kTrailerByte});
    // giflib refuses an empty first sub-block; where it reads the file, its
    // pixels are the reference.
    const GiflibImage theirs = GiflibDecode(file);
    const Bytes pixels = theirs.ok ? theirs.frames.at(0).pixels : Bytes{1, 3, 0};
    EXPECT_EQ(theirs.ok, c.blockSize != 0);

    warnings.clear();
    ASSERT_EQ(Load(file), "");
    EXPECT_EQ(warnings, std::vector<std::string>{});
    ASSERT_EQ(doc.Frames().Count(), 1);
    EXPECT_EQ(Pixels(0), pixels);
    const TGIFSubImage& frame = doc.Frames().Frame(0);
    ASSERT_NE(frame.GraphicControl(), nullptr);
    EXPECT_EQ(frame.GraphicControl()->TransparentColorIndex(), c.savedRecord[3]);
    EXPECT_EQ(frame.HasTransparency(), (c.savedRecord[0] & 1) != 0);

    TMemoryStream out;
    doc.SaveToStream(out);
    const Bytes saved = out.Bytes();
    const Bytes control = Concat({Bytes{0x21, 0xF9, 0x04}, c.savedRecord, Bytes{0x00}});
    EXPECT_NE(std::search(saved.begin(), saved.end(), control.begin(), control.end()), saved.end());
    if (c.blockSize == 4) {
      // Byte for byte, but for the colour resolution, which the writer
      // recomputes from the tables (1 bit here).
      Bytes expected = file;
      expected[10] = 0x91;
      EXPECT_EQ(saved, expected);
    }
    const GiflibImage reread = GiflibDecode(saved);
    ASSERT_TRUE(reread.ok);
    ASSERT_EQ(reread.frames.size(), 1u);
    EXPECT_EQ(reread.frames[0].pixels, pixels);
  }

  // The data ends inside the rest of the chain: the record is kept, the frame
  // is not marked transparent, and the load goes on.
  warnings.clear();
  EXPECT_EQ(Load(Concat({Header(3, 1), Bytes{0x21, 0xF9, 0x04, 0x01, 0, 0, 2, 0x09, 1}})), "");
  EXPECT_EQ(warnings, std::vector<std::string>{msg::PrematureEnd});
  ASSERT_EQ(doc.Frames().Count(), 1);
  EXPECT_EQ(doc.Frames().Frame(0).GraphicControl()->TransparentColorIndex(), 2);
  EXPECT_FALSE(doc.Frames().Frame(0).HasTransparency());
}
