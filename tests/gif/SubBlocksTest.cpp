#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "GifBytes.h"
#include "gif/GIFImage.h"
#include "gif/SubBlocks.h"

using namespace gif;
using namespace giftest;

namespace {

TEST(SubBlocks, WriterAndReaderAgreeWithTheLayoutAcrossBufferFills) {
  // Random sub-blocks, some as one piece and some written in parts, enough
  // of them to fill the writer's buffer many times at odd offsets.
  std::mt19937 rng(7);
  std::vector<Bytes> blocks;
  for (int i = 0; i < 600; ++i) {
    Bytes block(std::uniform_int_distribution<std::size_t>(1, 255)(rng));
    for (uint8_t& b : block) b = static_cast<uint8_t>(rng());
    blocks.push_back(std::move(block));
  }
  TMemoryStream out;
  Bytes expected;
  {
    TGIFWriter writer(out);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
      const Bytes& block = blocks[i];
      if (i % 3 == 0) {
        writer.WriteSubBlock(block.data(), block.size());
      } else {
        const std::size_t half = block.size() / 2;
        writer.Write(block.data(), half);
        writer.Write(block.data() + half, block.size() - half);
        writer.CloseSubBlock();
        writer.CloseSubBlock();  // nothing more to close: no empty sub-block
      }
      expected.push_back(static_cast<uint8_t>(block.size()));
      expected.insert(expected.end(), block.begin(), block.end());
    }
    writer.WriteTerminator();
  }
  expected.push_back(0);
  ASSERT_EQ(out.Bytes(), expected);

  out.SetPosition(0);
  TSubBlockReader chain(out);
  uint8_t block[TSubBlockReader::MaxLength];
  for (const Bytes& want : blocks) {
    ASSERT_EQ(chain.Next(block), want.size());
    ASSERT_EQ(Bytes(block, block + want.size()), want);
  }
  EXPECT_EQ(chain.Next(block), 0u);
  EXPECT_TRUE(chain.Terminated());
  EXPECT_EQ(out.Position(), out.Size());

  // A byte stream is cut into full sub-blocks and the rest; an empty chain
  // is the terminator alone.
  TMemoryStream packed;
  TGIFWriter writer(packed);
  writer.Write(Bytes(600, 5).data(), 600);
  writer.WriteTerminator();
  writer.WriteTerminator();
  EXPECT_EQ(packed.Bytes(), Concat({SubBlocks(Bytes(600, 5)), {0}}));
}

TEST(SubBlocks, ReaderStopsWhereTheDataDoes) {
  struct Case {
    const char* what;
    Bytes data;
    std::vector<std::size_t> lengths;  // of the sub-blocks Next hands out
    bool raises;                       // Next ends in "Premature end of data"
    bool skipped;                      // SkipRest from the start finds the terminator
    int64_t skipEnd;                   // where SkipRest leaves the stream
    std::size_t ahead;                 // length bytes CountAhead finds
  };
  const std::vector<Case> cases = {
      {"terminator only", {0, 9}, {}, false, true, 1, 0},
      {"two sub-blocks", {2, 1, 2, 1, 3, 0, 9}, {2, 1}, false, true, 6, 2},
      {"no terminator", {2, 1, 2}, {2}, false, false, 3, 1},
      {"no data at all", {}, {}, false, false, 0, 0},
      {"a sub-block cut short", {1, 4, 3, 5}, {1}, true, false, 6, 2},
  };
  // A stream of a derived class reads through its own Read: the sub-blocks
  // then arrive in the spare room rather than in place.
  class TDerived : public TMemoryStream {
   public:
    using TMemoryStream::TMemoryStream;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TMemoryStream stream(c.data);
    TSubBlockReader chain(stream);
    uint8_t block[TSubBlockReader::MaxLength];
    std::vector<std::size_t> lengths;
    bool raised = false;
    try {
      while (const std::size_t length = chain.Next(block)) lengths.push_back(length);
    } catch (const GIFException& e) {
      EXPECT_STREQ(e.what(), "Premature end of data");
      raised = true;
    }
    EXPECT_EQ(lengths, c.lengths);
    EXPECT_EQ(raised, c.raises);
    EXPECT_EQ(chain.Terminated(), c.skipped);

    stream.SetPosition(0);
    TSubBlockReader skipping(stream);
    EXPECT_EQ(skipping.SkipRest(), c.skipped);
    EXPECT_EQ(stream.Position(), c.skipEnd);
    EXPECT_TRUE(skipping.Done());

    TMemoryStream inPlace(c.data);
    TDerived copied(c.data);
    for (TStream* source : {static_cast<TStream*>(&inPlace), static_cast<TStream*>(&copied)}) {
      EXPECT_EQ(TSubBlockReader::CountAhead(*source), c.ahead);
      EXPECT_EQ(source->Position(), 0);
      TSubBlockReader reader(*source);
      const uint8_t* bytes = nullptr;
      Bytes seen;
      lengths.clear();
      raised = false;
      try {
        while (const std::size_t length = reader.Next(bytes, block)) {
          lengths.push_back(length);
          seen.insert(seen.end(), bytes, bytes + length);
        }
      } catch (const GIFException&) {
        raised = true;
      }
      EXPECT_EQ(lengths, c.lengths);
      EXPECT_EQ(raised, c.raises);
      Bytes expected;
      std::size_t at = 0;
      for (const std::size_t length : c.lengths) {
        expected.insert(expected.end(), c.data.begin() + static_cast<std::ptrdiff_t>(at + 1),
                        c.data.begin() + static_cast<std::ptrdiff_t>(at + 1 + length));
        at += 1 + length;
      }
      EXPECT_EQ(seen, expected);
    }
  }
}

}  // namespace
