#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "CliRun.h"
#include "gif/GIFImage.h"

namespace {

using cli_test::CorpusFile;
using cli_test::RunCli;
using cli_test::TScratch;

using TJson = nlohmann::json;

// Every GIF of the corpus, in a fixed order.
std::vector<std::string> CorpusGifs() {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(TINTWELL_CORPUS_DIR))
    if (entry.path().extension() == ".gif") files.push_back(entry.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

// A table's colours as info writes them, and the pixels of the frames that
// draw with it counted by index: for the global table every frame without a
// table of its own, else that one frame.
void ExpectTable(const TJson& table, const gif::TGIFImage& image, int frame) {
  const gif::TGIFColorMap& map = frame < 0
                                     ? static_cast<const gif::TGIFColorMap&>(image.GlobalMap())
                                     : image.Frames().Frame(frame).LocalMap();
  if (map.EntryCount() == 0) {
    EXPECT_TRUE(table.is_null());
    return;
  }
  ASSERT_EQ(table.at("colors").size(), static_cast<std::size_t>(map.EntryCount()));
  std::vector<uint64_t> uses(256);
  for (int i = 0; i < image.Frames().Count(); ++i) {
    const gif::TGIFSubImage& f = image.Frames().Frame(i);
    if (frame < 0 ? f.LocalMap().EntryCount() > 0 : i != frame) continue;
    for (std::size_t p = 0; p < f.PixelDataSize(); ++p) ++uses[f.PixelData()[p]];
  }
  for (int i = 0; i < map.EntryCount(); ++i) {
    char hex[8];
    const gif::TGIFColor c = map.Data()[i];
    std::snprintf(hex, sizeof hex, "#%02x%02x%02x", c.Red, c.Green, c.Blue);
    EXPECT_EQ(table.at("colors")[static_cast<std::size_t>(i)], hex) << i;
    EXPECT_EQ(table.at("useCounts")[static_cast<std::size_t>(i)], uses[static_cast<std::size_t>(i)])
        << i;
  }
}

TEST(InfoCli, JsonParsesAndMatchesTheDocument) {
  const TScratch scratch;
  // A name that needs escaping, and one with a byte that is not UTF-8.
  const std::string quoted = scratch / "say \"hi\"\\\tnow.gif";
  const std::string latin1 = scratch / "caf\xE9.gif";
  std::filesystem::copy_file(CorpusFile("wuffs/animated-red-blue.gif"), quoted);
  std::filesystem::copy_file(CorpusFile("wuffs/hat.gif"), latin1);
  // Every corpus file the library loads, malformed ones with warnings among them.
  std::vector<std::string> files = {quoted, latin1};
  std::vector<std::vector<std::string>> warnings(2);
  for (const std::string& file : CorpusGifs()) {
    gif::TGIFImage image;
    std::vector<std::string> said;
    image.WarningHandler = [&said](gif::TPersistent*, int, const std::string& w) {
      said.push_back(w);
    };
    try {
      image.LoadFile(file);
    } catch (const std::exception&) {
      continue;
    }
    files.push_back(file);
    warnings.push_back(said);
  }
  std::vector<std::string> args = {"info", "--json", "-q", "-j", "2"};
  args.insert(args.end(), files.begin(), files.end());
  const cli_test::TRun run = RunCli(args);
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Err, "");
  // A line that does not parse throws, and the test fails with the parser's complaint.
  std::vector<TJson> objects;
  std::istringstream lines(run.Out);
  for (std::string line; std::getline(lines, line);) objects.push_back(TJson::parse(line));
  ASSERT_EQ(objects.size(), files.size());
  for (std::size_t f = 0; f < files.size(); ++f) {
    SCOPED_TRACE(files[f]);
    const TJson& o = objects[f];
    const std::string expectedName = files[f] == latin1 ? scratch / "caf\uFFFD.gif" : files[f];
    EXPECT_EQ(o.at("file"), expectedName);
    // The warnings in order, each of a frame's with its frame: the text ends alike.
    ASSERT_EQ(o.at("warnings").size(), warnings[f].size());
    for (std::size_t w = 0; w < warnings[f].size(); ++w)
      EXPECT_TRUE(o.at("warnings")[w].get<std::string>().ends_with(warnings[f][w]));
    gif::TGIFImage image;
    image.LoadFile(files[f]);
    EXPECT_EQ(o.at("signature"), image.FormatVersion() == gif::fv89a   ? TJson("GIF89a")
                                 : image.FormatVersion() == gif::fv87a ? TJson("GIF87a")
                                                                       : TJson());
    EXPECT_EQ(o.at("screenWidth"), image.ScreenWidth());
    EXPECT_EQ(o.at("screenHeight"), image.ScreenHeight());
    EXPECT_EQ(o.at("colorResolution"), image.ColorRes());
    EXPECT_EQ(o.at("backgroundIndex"), image.BackgroundIndex());
    EXPECT_EQ(o.at("globalTableSize"), image.GlobalMap().EntryCount());
    ExpectTable(o.at("globalTable"), image, -1);
    EXPECT_EQ(o.at("frameCount"), image.Frames().Count());
    ASSERT_EQ(o.at("frames").size(), static_cast<std::size_t>(image.Frames().Count()));
    for (int i = 0; i < image.Frames().Count(); ++i) {
      SCOPED_TRACE(i);
      const gif::TGIFSubImage& frame = image.Frames().Frame(i);
      const TJson& f = o.at("frames")[static_cast<std::size_t>(i)];
      EXPECT_EQ(f.at("left"), frame.Descriptor.Left);
      EXPECT_EQ(f.at("top"), frame.Descriptor.Top);
      EXPECT_EQ(f.at("width"), frame.Descriptor.Width);
      EXPECT_EQ(f.at("height"), frame.Descriptor.Height);
      EXPECT_EQ(f.at("interlaced"), frame.IsInterlaced());
      EXPECT_EQ(f.at("localTableSize"), frame.LocalMap().EntryCount());
      ExpectTable(f.at("localTable"), image, i);
      EXPECT_EQ(f.at("extensions").size(),
                static_cast<std::size_t>(frame.Extensions().ItemCount()));
      const gif::TGIFGraphicControlExtension* control = frame.GraphicControl();
      EXPECT_EQ(f.at("delay"), control ? control->DelayTime() : 0);
      EXPECT_EQ(f.at("disposal"), control ? control->DisposalMethod() : 0);
      EXPECT_EQ(f.at("transparentIndex"), control && control->TransparentColorFlag()
                                              ? TJson(control->TransparentColorIndex())
                                              : TJson());
    }
  }
}

}  // namespace
