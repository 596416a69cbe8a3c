// The extension run reader, the comment, plain text and graphic control kinds,
// and the label registry.
#include "ExtensionRunFixture.h"

using namespace gif;
using namespace gif::test;

namespace {

using ExtensionsTest = ExtensionRun;

// Graphic control block: introducer, label, then the 6-byte record.
Bytes GraphicControl(uint8_t packed, uint8_t delayLow, uint8_t index) {
  return {0x21, 0xF9, 0x04, packed, delayLow, 0x00, index, 0x00};
}

TEST_F(ExtensionsTest, RunEndsAtTheByteThatIsNoIntroducer) {
  // Image separator, trailer, end of data: nothing read, stream left in place.
  EXPECT_EQ(Load({0x2C, 0x00}), 0);
  EXPECT_EQ(Load({0x3B}), 0);
  EXPECT_EQ(Load({}), 0);
  EXPECT_EQ(List().ItemCount(), 0);
  EXPECT_TRUE(warnings.empty());

  // A comment, then a stray 0x00: warned about, the comment kept, the stream
  // at the stray byte for the caller.
  EXPECT_EQ(Load({0x21, 0xFE, 0x00, 0x00, 0x2C}), 3);
  EXPECT_EQ(List().ItemCount(), 1);
  EXPECT_EQ(warnings, std::vector<std::string>{"Invalid extension introducer"});
}

TEST_F(ExtensionsTest, CommentSubBlocksBecomeLines) {
  const Bytes two = Concat({{0x21, 0xFE, 0x02}, Text("ab"), {0x02}, Text("cd"), {0x00}});
  ExpectRoundTrip(two);
  EXPECT_EQ(At<TGIFCommentExtension>(0).Lines, (std::vector<std::string>{"ab", "cd"}));

  List().DeleteAll();
  ExpectRoundTrip({0x21, 0xFE, 0x00});
  EXPECT_TRUE(At<TGIFCommentExtension>(0).Lines.empty());

  // A zero byte ends the line early; the shorter line is what is written.
  List().DeleteAll();
  Load(Concat({{0x21, 0xFE, 0x03}, Text("x"), {0x00}, Text("y"), {0x00}}));
  EXPECT_EQ(Save(), Concat({{0x21, 0xFE, 0x01}, Text("x"), {0x00}}));
}

TEST_F(ExtensionsTest, LongLinesAreCutInto255ByteSubBlocks) {
  auto comment = std::make_unique<TGIFCommentExtension>(*frame);
  comment->Lines = {std::string(600, 'q'), "", "z"};
  List().Append(std::move(comment));
  const Bytes saved = Save();
  ASSERT_EQ(saved.size(), 2u + (1 + 255) + (1 + 255) + (1 + 90) + (1 + 1) + 1);
  EXPECT_EQ(saved[2], 255);
  EXPECT_EQ(saved[2 + 256], 255);
  EXPECT_EQ(saved[2 + 512], 90);
  EXPECT_EQ(saved[2 + 603], 1);  // the empty line wrote nothing
  EXPECT_EQ(saved.back(), 0);

  List().DeleteAll();
  Load(saved);
  EXPECT_EQ(At<TGIFCommentExtension>(0).Lines,
            (std::vector<std::string>{std::string(255, 'q'), std::string(255, 'q'),
                                      std::string(90, 'q'), "z"}));

  // A chain of several kilobytes goes out in several writes and comes back the same.
  std::vector<std::string> lines;
  for (int i = 0; i < 60; ++i)
    lines.emplace_back(std::size_t(1 + i * 37 % 255), char('A' + i % 26));
  comment = std::make_unique<TGIFCommentExtension>(*frame);
  comment->Lines = lines;
  List().DeleteAll();
  List().Append(std::move(comment));
  const Bytes longChain = Save();
  List().DeleteAll();
  Load(longChain);
  EXPECT_GT(longChain.size(), 4096u);
  EXPECT_EQ(At<TGIFCommentExtension>(0).Lines, lines);
}

TEST_F(ExtensionsTest, PlainTextKeepsItsGridRecordAndLines) {
  const Bytes text = Concat(
      {{0x21, 0x01, 0x0C, 1, 0, 2, 0, 0x40, 0x01, 8, 0, 8, 16, 3, 4, 0x02}, Text("hi"), {0x00}});
  ExpectRoundTrip(text);
  const auto& extension = At<TGIFTextExtension>(0);
  EXPECT_EQ(GetU16(extension.TextGrid.Width), 0x140);
  EXPECT_EQ(extension.TextGrid.ForegroundColorIndex, 3);
  EXPECT_EQ(extension.Lines, std::vector<std::string>{"hi"});

  ExpectLoadFails({0x21, 0x01, 0x0C, 1, 2, 3}, "Premature end of data");
}

TEST_F(ExtensionsTest, GraphicControlRecordIsKeptVerbatim) {
  // Reserved bits and the whole disposal field set: every bit stays.
  const Bytes odd = {0x21, 0xF9, 0x04, 0xFD, 0x34, 0x12, 0x09, 0x00};
  ExpectRoundTrip(odd);
  const auto& control = At<TGIFGraphicControlExtension>(0);
  EXPECT_TRUE(control.TransparentColorFlag());
  EXPECT_FALSE(control.UserInputFlag());
  EXPECT_EQ(control.DisposalMethod(), 7);
  EXPECT_EQ(control.DelayTime(), 0x1234);
  EXPECT_EQ(control.TransparentColorIndex(), 9);
  EXPECT_TRUE(frame->HasTransparency());
  EXPECT_EQ(frame->GraphicControl(), &control);
}

TEST_F(ExtensionsTest, ShortGraphicControlIsKeptAsFarAsItArrived) {
  EXPECT_EQ(Load({0x21, 0xF9, 0x04, 0x01, 0x20}), 5);
  EXPECT_EQ(warnings, std::vector<std::string>{"Premature end of data"});
  ASSERT_EQ(List().ItemCount(), 1);
  // The flag arrived but the record is incomplete: the frame is not marked.
  EXPECT_FALSE(frame->HasTransparency());
  EXPECT_EQ(Save(), (Bytes{0x21, 0xF9, 0x04, 0x01, 0x20, 0x00, 0x00, 0x00}));
}

TEST_F(ExtensionsTest, TwoGraphicControlsInOneFrame) {
  Load(Concat({GraphicControl(0x00, 1, 0), GraphicControl(0x01, 2, 5), {0x2C}}));
  ASSERT_EQ(List().ItemCount(), 2);
  auto& first = At<TGIFGraphicControlExtension>(0);
  EXPECT_EQ(frame->GraphicControl(), &first);
  EXPECT_TRUE(frame->HasTransparency());

  // Freeing the transparent one clears the frame's flag; freeing the linked
  // one clears the link.
  List().DeleteAt(1);
  EXPECT_FALSE(frame->HasTransparency());
  EXPECT_EQ(frame->GraphicControl(), &first);
  List().DeleteAt(0);
  EXPECT_EQ(frame->GraphicControl(), nullptr);
}

TEST_F(ExtensionsTest, GraphicControlSetters) {
  TGIFGraphicControlExtension control(*frame);
  control.SetTransparentColorFlag(true);
  EXPECT_TRUE(frame->HasTransparency());
  control.SetDisposalMethod(10);  // only the low three bits are stored
  EXPECT_EQ(control.DisposalMethod(), 2);
  EXPECT_TRUE(control.TransparentColorFlag());
  control.SetDelayTime(0xBEEF);

  // No active colour map: any index goes.
  control.SetTransparentColorIndex(200);
  EXPECT_EQ(control.TransparentColorIndex(), 200);
  for (int i = 0; i < 4; ++i) doc.GlobalMap().AppendEntry(0);
  control.SetTransparentColorIndex(3);
  EXPECT_EQ(control.TransparentColorIndex(), 3);
  control.SetTransparentColorIndex(4);
  EXPECT_EQ(control.TransparentColorIndex(), 0);
  EXPECT_EQ(warnings, std::vector<std::string>{"Invalid color index"});

  TMemoryStream out;
  control.SaveToStream(out);
  EXPECT_EQ(out.Bytes(), (Bytes{0x21, 0xF9, 0x04, 0x09, 0xEF, 0xBE, 0x00, 0x00}));
  control.SetTransparentColorFlag(false);
  EXPECT_FALSE(frame->HasTransparency());
}

TEST_F(ExtensionsTest, BadBlocksFailTheLoadAndAreNotListed) {
  Load({0x21, 0xFE, 0x00});
  ExpectLoadFails({0x21, 0x02, 0x00}, "Unknown extension type");
  ExpectLoadFails({0x21}, "Unknown extension type");
  ExpectLoadFails({0x21, 0xFE, 0x05, 'a', 'b'}, "Premature end of data");

  // Called on data that is not the block it is meant for.
  TGIFCommentExtension comment(*frame);
  TMemoryStream notIntroducer(Bytes{0x22, 0xFE, 0x00});
  ExpectGIFError([&] { comment.LoadFromStream(notIntroducer); }, "Invalid extension introducer");
}

TEST_F(ExtensionsTest, LaterRegistrationWinsUntilShutdown) {
  TExtensionList& registry = LabelRegistry();
  EXPECT_EQ(registry.Count(), 4);
  EXPECT_EQ(registry.FindKind(0x01), &TGIFTextExtension::Kind);
  EXPECT_EQ(registry.FindKind(0xFF), &TGIFApplicationExtension::Kind);

  // A kind that builds graphic controls for comment labels: the instance
  // rejects the label, and the half-made extension is freed, link included.
  const TGIFExtensionKind mismatched{0xFE, "Mismatched", &TGIFExtension::ResolveClass,
                                     &TGIFGraphicControlExtension::ConstructForFrame};
  registry.RegisterKind(mismatched, 0xFE);
  const Bytes comment = {0x21, 0xFE, 0x00};
  ExpectLoadFails(comment, "Internal error: Extension Instance does not match Extension Label");
  EXPECT_EQ(frame->GraphicControl(), nullptr);

  LibraryShutdown();
  ExpectRoundTrip(comment);
}

TEST_F(ExtensionsTest, AnyExtensionMakesTheDocument89a) {
  EXPECT_EQ(doc.FormatVersion(), fv87a);
  Load({0x21, 0xFE, 0x00});
  EXPECT_EQ(doc.FormatVersion(), fv89a);
}

}  // namespace
