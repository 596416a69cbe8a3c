// tintwell-cli's commands that change colour tables, run as their users run
// them: each changes what the editing library's own call changes on the same
// file, a remap keeps every frame's picture, a batch goes on past a broken
// file, a table with an index past its end is left with a warning, and usage
// errors write nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "../edit/RemapChecks.h"
#include "../gif/GifBytes.h"
#include "CliRun.h"
#include "edit/Adjust.h"
#include "edit/ColorMapping.h"
#include "edit/ColorTables.h"
#include "edit/Ramp.h"
#include "edit/Remap.h"
#include "edit/TableUse.h"
#include "edit/Transparency.h"
#include "gif/GIFImage.h"

namespace {

using cli_test::CorpusFile;
using cli_test::RunCli;
using cli_test::Snapshot;
using cli_test::TScratch;

// What a viewer and a later save see: tables, pixels, background and each
// frame's transparent index.
std::vector<std::vector<uint8_t>> Meaning(const gif::TGIFImage& image) {
  std::vector<std::vector<uint8_t>> parts = remaptest::TablesAndPixels(image);
  std::vector<uint8_t> indices{image.BackgroundIndex()};
  for (int f = 0; f < image.Frames().Count(); ++f)
    indices.push_back(static_cast<uint8_t>(edit::TransparentIndexOf(image.Frames().Frame(f)) + 1));
  parts.push_back(indices);
  return parts;
}

// The same of a file, with its change (if any) made through edit/ first.
std::vector<std::vector<uint8_t>> Meaning(const std::string& file,
                                          const std::function<void(gif::TGIFImage&)>& change = {}) {
  gif::TGIFImage image;
  image.LoadFile(file);
  if (change) change(image);
  return Meaning(image);
}

std::vector<std::size_t> Composed(const std::string& file) {
  gif::TGIFImage image;
  image.LoadFile(file);
  return remaptest::ComposeAll(image);
}

struct TRow {
  std::vector<std::string> Args;                  // the command, then its options
  const char* File;                               // in the corpus
  std::function<void(gif::TGIFImage&)> Expected;  // the same change through edit/
  bool KeepsPicture;
};

std::vector<edit::TColorTable> All(gif::TGIFImage& image) {
  return edit::ColorTables(image);
}

// Through edit/ on every table.
void AdjustAll(gif::TGIFImage& d, const edit::TSelection& selection,
               const edit::TAdjustment& adjustment) {
  for (const edit::TColorTable& t : All(d))
    edit::Adjust(*t.Map, edit::Select(*t.Map, selection), adjustment);
}

void SwapRedAndBlue(gif::TGIFImage& d) {
  edit::ApplyColorMapping(edit::MapsOf(All(d)), {{0x0000FF, 0xFF0000}, {0xFF0000, 0x0000FF}});
}

TEST(TableEditCli, EachCommandChangesWhatTheLibraryChangesAndRemapsKeepThePicture) {
  const TRow rows[] = {
      {{"palette", "sort", "--by", "hue"},
       "deb-gdkpixbuf-suite/high-color.gif",
       [](gif::TGIFImage& d) { edit::SortTables(d, All(d), edit::TSortKey::Hue, false); },
       true},
      {{"palette", "sort", "--by", "usage", "--reverse", "--global-only"},
       "wuffs/animated-red-blue.gif",
       [](gif::TGIFImage& d) {
         edit::SortTables(d, edit::ColorTables(d, true), edit::TSortKey::Usage, true);
       },
       true},
      {{"palette", "sort", "--by", "luminance", "--table", "global"},
       "libnsgif/waves.gif",
       [](gif::TGIFImage& d) {
         const edit::TColorTable global{-1, &d.GlobalMap()};
         edit::SortTables(d, {&global, 1}, edit::TSortKey::Luminance, false);
       },
       true},
      {{"palette", "compact"},
       "wuffs/muybridge.gif",
       [](gif::TGIFImage& d) { edit::CompactTables(d, All(d)); },
       true},
      {{"palette", "dedupe"},
       "wuffs-artificial/transparent-index.gif",
       [](gif::TGIFImage& d) { edit::DedupeTables(d, All(d)); },
       true},
      {{"adjust", "--hue", "40", "--entries", "0-7"},
       "deb-gdkpixbuf-suite/high-color.gif",
       [](gif::TGIFImage& d) {
         edit::TSelection selection;
         selection.Entries = edit::TEntryMask(0xFF);
         edit::TAdjustment adjustment;
         adjustment.Hue = 40;
         AdjustAll(d, selection, adjustment);
       },
       false},
      {{"adjust", "--perceptual", "--light", "-10", "--sat", "+20", "--match-hue", "0",
        "--tolerance", "30"},
       "wuffs/animated-red-blue.gif",
       [](gif::TGIFImage& d) {
         edit::TSelection selection;
         selection.MatchHue = 0;
         selection.Tolerance = 30;
         edit::TAdjustment adjustment;
         adjustment.Perceptual = true;
         adjustment.Saturation = 20;
         adjustment.Lightness = -10;
         AdjustAll(d, selection, adjustment);
       },
       false},
      {{"map", "--change", "ff0000=0000ff", "--change", "#0000FF=#ff0000"},
       "wuffs/animated-red-blue.gif",
       SwapRedAndBlue,
       false},
      {{"palette", "ramp", "--entries", "0-15", "--hls"},
       "libnsgif/waves.gif",
       [](gif::TGIFImage& d) {
         for (const edit::TColorTable& t : All(d))
           edit::MakeRamp(*t.Map, 0, 15, edit::TRampSpace::HLS);
       },
       false},
      {{"palette", "transparent", "--index", "2", "--frames", "2"},
       "wuffs-artificial/transparent-index.gif",
       [](gif::TGIFImage& d) { edit::SetTransparency(d, std::vector<int>{1}, 2); },
       false},
      {{"palette", "transparent", "--none"},
       "wuffs-artificial/transparent-index.gif",
       [](gif::TGIFImage& d) { edit::SetTransparency(d, {}, std::nullopt); },
       false},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Args[0] + " " + row.Args[1] + " " + row.File);
    const TScratch scratch;
    const std::string input = CorpusFile(row.File), output = scratch / "out.gif";
    std::vector<std::string> args = row.Args;
    args.insert(args.end(), {"-o", output, input});
    const cli_test::TRun run = RunCli(args);
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find(" changed\n"), std::string::npos) << run.Out;

    const auto expected = Meaning(input, row.Expected);
    EXPECT_NE(expected, Meaning(input)) << "a row that changes nothing";
    EXPECT_EQ(Meaning(output), expected);
    if (row.KeepsPicture) {
      EXPECT_EQ(Composed(output), Composed(input));
    }
  }
}

TEST(TableEditCli, ABatchGoesOnPastABrokenFile) {
  const TScratch scratch;
  const std::string good = CorpusFile("libnsgif/waves.gif");
  const std::string broken = CorpusFile("libnsgif-afl/afl03.gif");
  const cli_test::TRun run = RunCli({"palette", "sort", "--by", "hue", "-q", "-j", "2", "--out-dir",
                                     scratch / "out", broken, good});
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Err, broken + ": Circular decoder table entry\n");
  EXPECT_EQ(run.Out, good + ": 254 entries in 1 table changed\n");
  EXPECT_FALSE(std::filesystem::exists(scratch / "out/afl03.gif"));
  EXPECT_NE(Meaning(scratch / "out/waves.gif"), Meaning(good));
}

TEST(TableEditCli, ATableWithAnIndexPastItsEndIsLeftWithAWarningAndTheOthersAreDone) {
  // Frame 1 draws index 3 through the global table of 2; frame 2 has its own
  // table, red then blue.
  using namespace giftest;
  const Bytes bytes =
      Concat({Header(2, 1, true, 0), Descriptor(0, 0, 2, 1), ImageData(2, {4, 3, 0, 5}),
              Descriptor(0, 0, 2, 1, 0x80), Bytes{200, 0, 0, 0, 0, 200}, ImageData(2, {4, 1, 0, 5}),
              Bytes{0x3B}});
  const TScratch scratch;
  const std::string file = scratch / "bad.gif";
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  const cli_test::TRun run =
      RunCli({"palette", "sort", "--by", "hue", "--reverse", "--dry-run", file});
  EXPECT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Out, file + ": 2 entries in 1 table would change\n");
  EXPECT_EQ(run.Err, file +
                         ": warning: Global (2 colours): Frame 1 uses colour index 3, past the "
                         "end of its table of 2 colours; the table is left as it is\n");
}

TEST(TableEditCli, AMapFileSwapsAtOnceAndAMalformedLineNamesFileAndLineAndWritesNothing) {
  const TScratch scratch;
  const std::string input = CorpusFile("wuffs/animated-red-blue.gif");
  const struct {
    const char* text;
    int status;
    const char* error;  // after the map file's name
  } rows[] = {
      {"# red and blue swap\nff0000 0000ff\n\n#0000ff -> #FF0000  # back\n", 0, nullptr},
      {"ff0000 0000ff\nff0000 00ff00 00ff00\n", 1, ", line 2: "},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    const std::string map = scratch / "colours.map", output = scratch / "out.gif";
    std::filesystem::remove(output);
    std::ofstream(map) << row.text;
    const cli_test::TRun run = RunCli({"map", "--map", map, "-o", output, input});
    EXPECT_EQ(run.Status, row.status) << run.Err;
    if (row.error == nullptr) {
      EXPECT_EQ(Meaning(output), Meaning(input, SwapRedAndBlue));
    } else {
      EXPECT_EQ(run.Err.rfind("tintwell-cli: " + map + row.error, 0), 0u) << run.Err;
      EXPECT_FALSE(std::filesystem::exists(output));
    }
  }
}

TEST(TableEditCli, UsageErrorsExitWith2AndWriteNothing) {
  const TScratch scratch;
  const std::string file = scratch / "a.gif";
  std::filesystem::copy_file(CorpusFile("wuffs/muybridge.gif"), file);
  const struct {
    std::vector<std::string> args;
    const char* message;
  } rows[] = {
      {{"adjust", "--in-place", file}, "no change given"},
      {{"adjust", "--hue", "241", "--in-place", file}, "--hue: 241 is out of range -240..240"},
      {{"adjust", "--perceptual", "--sat", "-101", "--in-place", file},
       "--sat: -101 is out of range -100..100"},
      {{"adjust", "--hue", "5", "--tolerance", "3", "--in-place", file}, "--tolerance needs"},
      {{"adjust", "--hue", "5", "--match-sat", "9", "--tolerance", "121", "--in-place", file},
       "--tolerance: 121 is out of range 0..120"},
      {{"adjust", "--hue", "5", "--entries", "3-1", "--in-place", file},
       "--entries: \"3-1\" is not a list"},
      {{"map", "--in-place", file}, "say --change FROM=TO"},
      {{"map", "--change", "red=blue", "--in-place", file}, "--change: \"red=blue\" is not"},
      {{"palette", "ramp", "--entries", "5-5", "--in-place", file}, "--entries: \"5-5\" is not"},
      {{"palette", "ramp", "--entries", "0-9", "--hls", "--rgb", "--in-place", file},
       "--hls and --rgb exclude each other"},
      {{"palette", "sort", "--in-place", file}, "sort needs --by"},
      {{"palette", "sort", "--by", "red", "--in-place", file}, "--by: \"red\" is none of"},
      {{"palette", "sort", "--by", "hue", file}, "say where to write"},
      {{"palette", "compact", "--in-place"}, "no FILE given"},
      {{"palette", "compact", "--reverse", "--in-place", file},
       "option --reverse does not apply to palette compact"},
      {{"palette", "dedupe", "--table", "0", "--in-place", file}, "--table: \"0\" is neither"},
      {{"palette", "dedupe", "--table", "1", "--global-only", "--in-place", file},
       "--table and --global-only exclude each other"},
      {{"palette", "transparent", "--index", "1", "--none", "--in-place", file},
       "say one of --index N"},
      {{"palette", "transparent", "--index", "256", "--in-place", file},
       "--index: 256 is out of range 0..255"},
      {{"palette", "transparent", "--none", "--frames", "2-1", "--in-place", file},
       "--frames: \"2-1\" is not a list"},
      {{"palette", "transparent", "--none", "--global-only", "--in-place", file},
       "option --global-only does not apply to palette transparent"},
      {{"palette", "export", file, "--by", "hue", "-o", scratch / "x.gpl"},
       "option --by does not apply to palette export"},
  };
  const auto before = Snapshot(scratch.Path());
  for (const auto& row : rows) {
    SCOPED_TRACE(row.message);
    const cli_test::TRun run = RunCli(row.args);
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(run.Err.rfind(std::string("tintwell-cli: ") + row.message, 0), 0u) << run.Err;
    EXPECT_EQ(Snapshot(scratch.Path()), before);
  }
}

}  // namespace
