// Application extensions: kind resolution by block size and identifier, the
// looping extension, raw extensions, and the identifier registry.
#include "ExtensionRunFixture.h"

using namespace gif;
using namespace gif::test;

namespace {

using AppExtensionsTest = ExtensionRun;

// Introducer, label, block size and identifier; the data follows.
Bytes AppHeader(std::string_view identifier, uint8_t blockSize = 11) {
  return Concat({{0x21, 0xFF, blockSize}, Text(identifier)});
}

TEST_F(AppExtensionsTest, LoopingExtensionRoundTrips) {
  const Bytes loop = Concat({AppHeader("NETSCAPE2.0"), {0x03, 0x01, 0x05, 0x00, 0x00}});
  ExpectRoundTrip(loop);
  EXPECT_EQ(At<TGIFAppExtNSLoop>(0).LoopCount, 5);

  // A zero buffer length is left out, a non-zero one written back.
  List().DeleteAll();
  Load(Concat({AppHeader("NETSCAPE2.0"), {0x05, 0x02, 0, 0, 0, 0, 0x00}}));
  EXPECT_EQ(Save(), Concat({AppHeader("NETSCAPE2.0"), {0x03, 0x01, 0, 0, 0x00}}));
  List().DeleteAll();
  ExpectRoundTrip(
      Concat({AppHeader("NETSCAPE2.0"), {0x03, 0x01, 0, 0, 0x05, 0x02, 1, 2, 3, 4, 0x00}}));
  EXPECT_EQ(At<TGIFAppExtNSLoop>(0).BufferLength, 0x04030201u);

  List().DeleteAll();
  ExpectRoundTrip(Concat({AppHeader("ANIMEXTS1.0"), {0x03, 0x01, 0x00, 0x01, 0x00}}));
  EXPECT_EQ(At<TGIFAppExtNSLoop>(0).LoopCount, 256);
}

TEST_F(AppExtensionsTest, LoopingSubBlocksAreNormalisedOnSave) {
  // Id 9 counts as 1 and its fourth byte is extra; the id-3 sub-block is
  // skipped. Only the loop sub-block is written back.
  Load(Concat({AppHeader("NETSCAPE2.0"), {0x04, 0x09, 0x07, 0x00, 0xAA, 0x02, 0x03, 0xBB, 0x00}}));
  EXPECT_EQ(At<TGIFAppExtNSLoop>(0).LoopCount, 7);
  EXPECT_EQ(Save(), Concat({AppHeader("NETSCAPE2.0"), {0x03, 0x01, 0x07, 0x00, 0x00}}));

  ExpectLoadFails(Concat({AppHeader("NETSCAPE2.0"), {0x02, 0x01, 0x05, 0x00}}), "Invalid GIF data");
  ExpectLoadFails(Concat({AppHeader("NETSCAPE2.0"), {0x04, 0x02, 1, 2, 3, 0x00}}),
                  "Invalid GIF data");
}

TEST_F(AppExtensionsTest, LoopingDataCutShort) {
  // The data ends where the terminator belongs: the values read so far stand.
  const Bytes noTerminator = Concat({AppHeader("NETSCAPE2.0"), {0x03, 0x01, 0x02, 0x00}});
  EXPECT_EQ(Load(noTerminator), static_cast<int64_t>(noTerminator.size()));
  EXPECT_EQ(At<TGIFAppExtNSLoop>(0).LoopCount, 2);

  ExpectLoadFails(Concat({AppHeader("NETSCAPE2.0"), {0x03, 0x01, 0x02}}), "Premature end of data");
  ExpectLoadFails(Concat({AppHeader("NETSCAPE2.0"), {0x08, 0x03, 0x00}}), "Premature end of data");
  ExpectLoadFails(AppHeader("NETSCAPE2.0"), "Unknown extension type");
}

TEST_F(AppExtensionsTest, OtherApplicationsAreKeptRaw) {
  const Bytes raw = Concat(
      {AppHeader("XMP DataXMP"), {0x03, 'a', 'b', 'c', 0x01, 0x00, 0xFF}, Bytes(255, 7), {0}});
  ExpectRoundTrip(raw);
  const auto& extension = At<TGIFUnknownAppExtension>(0);
  ASSERT_EQ(extension.RawBlocks.size(), 3u);
  EXPECT_EQ(extension.RawBlocks[2].Length(), 255);
  // Identifiers compare byte for byte.
  List().DeleteAll();
  ExpectRoundTrip(Concat({AppHeader("netscape2.0"), {0x03, 0x01, 0x05, 0x00, 0x00}}));
  EXPECT_TRUE(IsA<TGIFUnknownAppExtension>(0));

  ExpectLoadFails(Concat({AppHeader("XMP DataXMP"), {0x03, 'a'}}), "Premature end of data");
  ExpectLoadFails(AppHeader("XMP DataXMP"), "Unknown extension type");
  ExpectLoadFails({0x21, 0xFF}, "Unknown extension type");
}

TEST_F(AppExtensionsTest, BlockSizesOtherThan11) {
  // Ten bytes: held raw, written with block size 11 and a zero eleventh byte.
  Load(Concat({AppHeader("ABCDEFGHIJ", 10), {0x01, 0x42, 0x00}}));
  EXPECT_EQ(Save(), Concat({AppHeader("ABCDEFGHIJ"), {0x00, 0x01, 0x42, 0x00}}));
  // Reloading an extension clears the byte a 10-byte block lacks.
  TGIFUnknownAppExtension reloaded(*frame);
  reloaded.Identifier.fill('?');
  TMemoryStream tenBytes(Concat({AppHeader("ABCDEFGHIJ", 10), {0x00}}));
  reloaded.LoadFromStream(tenBytes);
  EXPECT_EQ(reloaded.Identifier, MakeAppIdentifier(std::string_view("ABCDEFGHIJ\0", 11)));

  // Twelve: the identifier is kept, the extra byte dropped, the data kept raw.
  List().DeleteAll();
  Load(Concat({AppHeader("NETSCAPE2.0", 12), {0xEE, 0x03, 0x01, 0x05, 0x00, 0x00}}));
  EXPECT_TRUE(IsA<TGIFUnknownAppExtension>(0));
  EXPECT_EQ(Save(), Concat({AppHeader("NETSCAPE2.0"), {0x03, 0x01, 0x05, 0x00, 0x00}}));
  ExpectLoadFails(Concat({AppHeader("NETSCAPE2.0", 20), {0xEE}}), "Premature end of data");

  ExpectLoadFails(Concat({AppHeader("ABCDEFGHI", 9), {0x00}}),
                  "Unsupported Application Extension block size");
}

TEST_F(AppExtensionsTest, LargeBlocksAreKeptOnlyWhenTheyReadBackAsWritten) {
  // Written with block size 11, each of these would come back as another
  // kind that reads its data differently, or not at all.
  const std::vector<Bytes> refused = {
      Concat({AppHeader("NETSCAPE2.0", 12), {0xEE, 0x02, 0x01, 0x05, 0x00}}),
      Concat({AppHeader("NETSCAPE2.0", 27), Bytes(16, 0x0C), {0x00}}),
      Concat({AppHeader("XMP DataXMP", 12), {0xEE, 0x0B}, Text("ANIMEXTS1.0"), {0x00}}),
  };
  for (const Bytes& block : refused)
    ExpectLoadFails(block, "Unsupported Application Extension block size");

  // Raw data that no kind refines stays raw.
  Load(Concat({AppHeader("XMP DataXMP", 13), {0xEE, 0xEE, 0x02, 'a', 'b', 0x00}}));
  EXPECT_TRUE(IsA<TGIFUnknownAppExtension>(0));
  EXPECT_EQ(Save(), Concat({AppHeader("XMP DataXMP"), {0x02, 'a', 'b', 0x00}}));
}

TEST_F(AppExtensionsTest, ExtensionsComeBackInFileOrder) {
  const Bytes run = Concat({{0x21, 0xFE, 0x01, 'c', 0x00},
                            AppHeader("NETSCAPE2.0"),
                            {0x03, 0x01, 0x00, 0x00, 0x00},
                            {0x21, 0xF9, 0x04, 0x00, 0x0A, 0x00, 0x00, 0x00}});
  EXPECT_EQ(Load(Concat({run, {0x2C}})), static_cast<int64_t>(run.size()));
  EXPECT_TRUE(IsA<TGIFCommentExtension>(0));
  EXPECT_TRUE(IsA<TGIFAppExtNSLoop>(1));
  EXPECT_TRUE(IsA<TGIFGraphicControlExtension>(2));
  EXPECT_EQ(Save(), run);
}

TEST_F(AppExtensionsTest, IdentRegistryLaterEntryWinsUntilShutdown) {
  TAppExtensionList& registry = IdentRegistry();
  EXPECT_EQ(registry.Count(), 2);
  const Bytes loop = Concat({AppHeader("NETSCAPE2.0"), {0x03, 0x01, 0x05, 0x00, 0x00}});
  registry.RegisterKind(TGIFUnknownAppExtension::Kind, MakeAppIdentifier("NETSCAPE2.0"));
  Load(loop);
  EXPECT_TRUE(IsA<TGIFUnknownAppExtension>(0));

  LibraryShutdown();
  Load(loop);
  EXPECT_TRUE(IsA<TGIFAppExtNSLoop>(1));
}

}  // namespace
