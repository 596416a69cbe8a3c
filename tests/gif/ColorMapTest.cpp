#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gif/GIFImage.h"

using namespace gif;

namespace {

// A document-owned global map, so that warnings reach a handler.
struct WarnedMap {
  TGIFImage doc;
  std::vector<std::string> warnings;
  WarnedMap() {
    doc.WarningHandler = [this](TPersistent*, int severity, const std::string& text) {
      EXPECT_EQ(severity, 1);
      warnings.push_back(text);
    };
  }
  TGIFColorMap& map() { return doc.GlobalMap(); }
};

void Fill(TGIFColorMap& map, int count) {
  for (int i = 0; i < count; ++i)
    map.AppendEntry(
        TGIFColorMap::TripleToColor(TGIFColor{uint8_t(i), uint8_t(i * 3), uint8_t(255 - i)}));
}

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const GIFException& e) {
    return e.what();
  }
  return "<no exception>";
}

}  // namespace

TEST(ColorMap, ConversionsTakeOnlyTheLowThreeBytes) {
  const TGIFColor c = TGIFColorMap::ColorToTriple(0x00FF8040);
  EXPECT_EQ(c.Red, 0x40);
  EXPECT_EQ(c.Green, 0x80);
  EXPECT_EQ(c.Blue, 0xFF);
  EXPECT_EQ(TGIFColorMap::TripleToColor(c), 0x00FF8040u);
  // A system-colour reference is not resolved: its low bytes are taken as they are.
  const TGIFColor sys = TGIFColorMap::ColorToTriple(0x8000000F);
  EXPECT_EQ(sys.Red, 0x0F);
  EXPECT_EQ(sys.Green, 0);
  EXPECT_EQ(sys.Blue, 0);
}

TEST(ColorMap, GrowsInSteps) {
  const std::vector<std::pair<int, int>> cases = {{1, 16},    {16, 16},   {17, 32},  {33, 64},
                                                  {200, 224}, {250, 256}, {300, 256}};
  for (auto [size, capacity] : cases) {
    TGIFGlobalColorMap map(nullptr);
    map.ReserveEntries(size);
    EXPECT_EQ(map.Capacity(), capacity) << "size " << size;
  }
  // Appending one at a time walks the same steps and keeps the entries.
  TGIFGlobalColorMap map(nullptr);
  Fill(map, 17);
  EXPECT_EQ(map.Capacity(), 32);
  EXPECT_EQ(map.ReadEntry(16), TGIFColorMap::TripleToColor(TGIFColor{16, 48, 239}));
  EXPECT_EQ(map.ReadEntry(0), TGIFColorMap::TripleToColor(TGIFColor{0, 0, 255}));
}

TEST(ColorMap, OutOfRangeReadsWarnAndAnswerEntryZero) {
  WarnedMap w;
  Fill(w.map(), 256);
  const TColor first = w.map().ReadEntry(0);
  EXPECT_EQ(w.map().ReadEntry(300), first);
  EXPECT_EQ(w.map().ReadEntry(-1), first);
  EXPECT_EQ(w.map().ReadEntry(256), first);
  EXPECT_EQ(w.warnings, (std::vector<std::string>(3, "Invalid color index")));

  TGIFImage empty;
  EXPECT_EQ(MessageOf([&] { empty.GlobalMap().ReadEntry(0); }), "Color table is empty");

  // A map outside any document warns the sink it was made with, as sender.
  struct Sink : TGIFWarningSink {
    std::vector<TPersistent*> senders;
    void ReportWarning(TPersistent* sender, int, const std::string&) override {
      senders.push_back(sender);
    }
  } sink;
  TGIFLocalColorMap loose(nullptr, &sink);
  Fill(loose, 2);
  EXPECT_EQ(loose.ReadEntry(2), loose.ReadEntry(0));
  EXPECT_EQ(sink.senders, std::vector<TPersistent*>{&loose});
}

TEST(ColorMap, WriteEntryChecksTheIndexAndChangesNothingOnError) {
  TGIFGlobalColorMap map(nullptr);
  Fill(map, 16);
  EXPECT_EQ(MessageOf([&] { map.WriteEntry(16, 0x123456); }), "Invalid color index");
  EXPECT_EQ(MessageOf([&] { map.WriteEntry(-1, 0x123456); }), "Invalid color index");
  for (int i = 0; i < 16; ++i) EXPECT_NE(map.ReadEntry(i), 0x123456u);
  map.WriteEntry(15, 0xFF123456);  // the high byte is dropped
  EXPECT_EQ(map.ReadEntry(15), 0x123456u);
}

TEST(ColorMap, AppendFindAndRemove) {
  TGIFGlobalColorMap map(nullptr);
  Fill(map, 256);
  EXPECT_EQ(MessageOf([&] { map.AppendEntry(0); }), "Color table overflow");
  EXPECT_EQ(map.AppendDistinct(map.ReadEntry(7)), 7);

  TGIFGlobalColorMap reds(nullptr);
  for (int i = 0; i < 6; ++i) reds.AppendEntry(i == 0 || i == 5 ? 0x0000FF : 0x00FF00 + i);
  // Without usage ordering the highest match wins.
  EXPECT_EQ(reds.FindEntry(0x0000FF), 5);
  EXPECT_EQ(reds.FindEntry(0x123456), -1);
  reds.RemoveEntry(2);
  EXPECT_EQ(reds.EntryCount(), 5);
  EXPECT_EQ(reds.FindEntry(0x0000FF), 4);
  EXPECT_EQ(reds.ReadEntry(2), 0x00FF03u);
  EXPECT_EQ(reds.Capacity(), 16);
  EXPECT_EQ(MessageOf([&] { reds.RemoveEntry(5); }), "Invalid color index");
}

TEST(ColorMap, CopyFromKeepsCapacityAndZeroesTheSpareTriples) {
  TGIFGlobalColorMap source(nullptr);
  source.ReserveEntries(32);
  Fill(source, 20);
  // A global map keeps its entries in room of its own, which here still
  // holds a larger table from before.
  TGIFLocalColorMap local(nullptr);
  TGIFGlobalColorMap global(nullptr);
  Fill(global, 256);
  global.ResetEntries();
  for (TGIFColorMap* copy :
       {static_cast<TGIFColorMap*>(&local), static_cast<TGIFColorMap*>(&global)}) {
    SCOPED_TRACE(copy->ClassName());
    copy->CopyFrom(&source);
    EXPECT_EQ(copy->Capacity(), 32);
    ASSERT_EQ(copy->EntryCount(), 20);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(copy->ReadEntry(i), source.ReadEntry(i));
    for (int i = 20; i < 32; ++i) {
      const TGIFColor& spare = copy->Data()[i];
      EXPECT_EQ(spare.Red | spare.Green | spare.Blue, 0);
    }
  }
  // Growing works the same way: the new room reads as zeros.
  global.ResetEntries();
  TMemoryStream nines(std::vector<uint8_t>(6, 9));
  global.ReadTable(nines, 2);
  global.ReserveEntries(40);
  EXPECT_EQ(global.Capacity(), 64);
  for (int i = 2; i < 64; ++i) {
    const TGIFColor& spare = global.Data()[i];
    EXPECT_EQ(spare.Red | spare.Green | spare.Blue, 0) << i;
  }
}

TEST(ColorMap, CopyFromAnotherKindOfObjectIsAConversionError) {
  TGIFGlobalColorMap map(nullptr);
  TGIFImage doc;
  try {
    map.CopyFrom(&doc);
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TGIFImage to a TGIFGlobalColorMap");
  }
  try {
    map.CopyFrom(nullptr);
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a nil to a TGIFGlobalColorMap");
  }
}

TEST(ColorMap, WriteTablePadsToAPowerOfTwo) {
  const std::vector<std::pair<int, size_t>> cases = {{0, 0},  {1, 6},   {2, 6},    {3, 12},
                                                     {5, 24}, {17, 96}, {256, 768}};
  for (auto [entries, bytes] : cases) {
    TGIFGlobalColorMap map(nullptr);
    Fill(map, entries);
    TMemoryStream out;
    map.WriteTable(out);
    ASSERT_EQ(out.Bytes().size(), bytes) << entries << " entries";
    for (size_t i = size_t(entries) * 3; i < bytes; ++i) EXPECT_EQ(out.Bytes()[i], 0);
    if (entries > 0) {
      EXPECT_EQ(out.Bytes()[0], 0);
      EXPECT_EQ(out.Bytes()[2], 255);
    }
  }
}

TEST(ColorMap, ReadTable) {
  std::vector<uint8_t> bytes(700);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 7);
  TMemoryStream short_stream(bytes);
  TGIFGlobalColorMap map(nullptr);
  Fill(map, 3);
  EXPECT_EQ(MessageOf([&] { map.ReadTable(short_stream, 256); }), "Premature end of data");
  EXPECT_EQ(map.EntryCount(), 0);

  TMemoryStream stream(bytes);
  map.ReadTable(stream, 4);
  ASSERT_EQ(map.EntryCount(), 4);
  EXPECT_EQ(stream.Position(), 12);
  EXPECT_EQ(map.ReadEntry(1), TGIFColorMap::TripleToColor(TGIFColor{21, 28, 35}));
  EXPECT_FALSE(map.UsageOrdered());
}
