// tintwell-cli palette, run as its users run it: export each format from a
// chosen table, import into one table leaving every other byte of meaning
// alone, and failures that write nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../gif/GifBytes.h"
#include "CliRun.h"
#include "edit/PaletteFile.h"
#include "gif/GIFImage.h"

namespace {

using cli_test::ReadBytes;
using cli_test::RunCli;
using cli_test::Snapshot;
using cli_test::TScratch;
using edit::TPalette;

// Two frames: the first draws with the 4-entry global table, the second with
// its own 2-entry table and a transparent index; a loop and a comment beside.
std::string TwoTableGif() {
  using namespace giftest;
  const Bytes loop{0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P',
                   'E',  '2',  '.',  '0', 3,   1,   5,   0,   0};
  const Bytes file =
      Concat({Header(4, 2, true, 1), loop, Comment("keep me"), PlainImage(4, 2), GraphicControl(1),
              Descriptor(1, 0, 3, 2, 0x80), Bytes{200, 0, 0, 0, 0, 200},
              ImageData(2, {4, 1, 0, 1, 1, 0, 1, 5}), Bytes{0x3B}});
  return std::string(file.begin(), file.end());
}

void WriteBytes(const std::string& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

TPalette Colors(const gif::TGIFColorMap& map) {
  return edit::PaletteOf(map);
}

bool Same(const TPalette& a, const TPalette& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](auto x, auto y) {
           return x.Red == y.Red && x.Green == y.Green && x.Blue == y.Blue;
         });
}

std::string Saved(gif::TGIFItem& item) {
  gif::TMemoryStream stream;
  item.SaveToStream(stream);
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

TEST(PaletteCli, ExportWritesTheChosenTableInTheFormatOfTheExtension) {
  const TScratch scratch;
  const std::string input = scratch / "dusk.gif";
  WriteBytes(input, TwoTableGif());
  gif::TGIFImage image;
  image.LoadFile(input);
  const TPalette global = Colors(image.GlobalMap());
  const TPalette local = Colors(image.Frames().Frame(1).LocalMap());

  const struct {
    std::vector<std::string> table;
    const char* name;
    const TPalette& expected;
    const char* caption;
  } rows[] = {
      {{}, "default.gpl", global, "Global (4 colours)"},
      {{"--table", "global"}, "global.pal", global, "Global (4 colours)"},
      {{"--table", "2"}, "frame2.act", local, "Frame 2 (2 colours)"},
      {{"--table=2"}, "frame2.HEX", local, "Frame 2 (2 colours)"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string out = scratch / row.name;
    std::vector<std::string> args{"palette", "export", input};
    args.insert(args.end(), row.table.begin(), row.table.end());
    args.insert(args.end(), {"-o", out});
    const cli_test::TRun run = RunCli(args);
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, input + ": " + row.caption + " exported to " + out + "\n");
    EXPECT_TRUE(Same(edit::ReadPaletteFile(out), row.expected));
  }
  EXPECT_NE(ReadBytes(scratch / "default.gpl").find("\nName: dusk\n"), std::string::npos);
  // The frame's transparent index travels in the Adobe table's last bytes.
  EXPECT_EQ(ReadBytes(scratch / "frame2.act").substr(768), std::string("\0\2\0\1", 4));
}

TEST(PaletteCli, ImportChangesOnlyTheChosenTable) {
  const TScratch scratch;
  const std::string input = scratch / "in.gif";
  WriteBytes(input, TwoTableGif());
  const std::string five = scratch / "five.hex";
  WriteBytes(five, "#102030\n405060\n708090\na0b0c0\nd0e0f0\n");
  const TPalette fiveColors = edit::ReadPaletteFile(five);

  // Global: 4 entries grow to 5 (8 on disk, the rest black) and the file's
  // bits per pixel with them. Frame 2: 2 entries, one replaced, one kept.
  const std::string one = scratch / "one.pal";
  WriteBytes(one, "JASC-PAL\r\n0100\r\n1\r\n1 2 3\r\n");
  struct TRow {
    std::vector<std::string> args;
    int frame;  // -1 for the global table
    TPalette expected;
  };
  const TRow rows[] = {
      {{"palette", "import", input, five, "-o", scratch / "out.gif"},
       -1,
       [&] {
         TPalette p = fiveColors;
         p.resize(8, gif::TGIFColor{0, 0, 0});
         return p;
       }()},
      {{"palette", "import", "--table", "2", scratch / "copy.gif", one, "--in-place"},
       1,
       TPalette{{1, 2, 3}, {0, 0, 200}}},
  };
  std::filesystem::copy_file(input, scratch / "copy.gif");
  for (const TRow& row : rows) {
    const std::string target = row.frame < 0 ? scratch / "out.gif" : scratch / "copy.gif";
    SCOPED_TRACE(target);
    const cli_test::TRun run = RunCli(row.args);
    ASSERT_EQ(run.Status, 0) << run.Err;

    gif::TGIFImage before, after;
    before.LoadFile(input);
    after.LoadFile(target);
    const TPalette beforeGlobal = Colors(before.GlobalMap());
    EXPECT_TRUE(Same(Colors(after.GlobalMap()), row.frame < 0 ? row.expected : beforeGlobal));
    EXPECT_EQ(after.PixelBits(), row.frame < 0 ? 3 : 2);
    ASSERT_EQ(after.Frames().Count(), 2);
    for (int i = 0; i < 2; ++i) {
      gif::TGIFSubImage& b = before.Frames().Frame(i);
      gif::TGIFSubImage& a = after.Frames().Frame(i);
      EXPECT_TRUE(Same(Colors(a.LocalMap()), i == row.frame ? row.expected : Colors(b.LocalMap())));
      EXPECT_EQ(a.Descriptor.Left, b.Descriptor.Left);
      EXPECT_EQ(a.Descriptor.Top, b.Descriptor.Top);
      EXPECT_EQ(a.Descriptor.Width, b.Descriptor.Width);
      EXPECT_EQ(a.Descriptor.Height, b.Descriptor.Height);
      ASSERT_EQ(a.PixelDataSize(), b.PixelDataSize());
      EXPECT_TRUE(std::equal(a.PixelData(), a.PixelData() + a.PixelDataSize(), b.PixelData()));
      ASSERT_EQ(a.Extensions().ItemCount(), b.Extensions().ItemCount());
      for (int e = 0; e < a.Extensions().ItemCount(); ++e)
        EXPECT_EQ(Saved(a.Extensions().ItemAt(e)), Saved(b.Extensions().ItemAt(e)));
    }
  }
}

TEST(PaletteCli, FailuresWriteNothing) {
  const TScratch scratch;
  const std::string input = scratch / "in.gif";
  WriteBytes(input, TwoTableGif());
  const std::string bad = scratch / "bad.gpl";
  WriteBytes(bad, "GIMP Palette\n0 256 0\n");
  const std::string good = scratch / "good.hex";
  WriteBytes(good, "ffffff\n");
  const std::string out = scratch / "out.gif";

  // A file that fails exits 1; a usage error, 2, its message after the program's name.
  const struct {
    std::vector<std::string> args;  // after "palette"
    int status;
    std::string error;  // the first line of standard error
  } rows[] = {
      {{"import", input, bad, "--in-place"},
       1,
       input + ": " + bad + ", line 2: component 256 is above 255"},
      {{"import", input, good, "--table", "3", "-o", out},
       1,
       input + ": no frame 3: frames run from 1 to 2"},
      {{"export", input, "--table", "1", "-o", scratch / "x.gpl"},
       1,
       input + ": frame 1 has no colour table of its own"},
      {{"import", scratch / "none.gif", good, "-o", out},
       1,
       scratch / "none.gif" + ": Cannot open file \"" + scratch / "none.gif" +
           "\". No such file or directory"},
      {{}, 2, "say export, import, ramp, sort, compact, dedupe or transparent"},
      {{"paint", input}, 2, "unknown palette action \"paint\": use export, import, ramp, sort, compact, dedupe or transparent"},
      {{"export", input}, 2, "export needs -o OUT"},
      {{"export", input, "-o", scratch / "x.txt"},
       2,
       scratch / "x.txt" + ": unknown palette type; use .gpl, .pal, .act or .hex"},
      {{"export", input, "--in-place"}, 2, "export writes no GIF: --in-place does not apply"},
      // Standard output has no extension to name a format, and "-" is no file name.
      {{"export", input, "-o", "-"}, 2, "export to standard output needs --format gpl|pal|act|hex"},
      {{"export", input, "--format", "txt", "-o", "-"},
       2,
       "--format: \"txt\" is none of gpl, pal, act, hex"},
      {{"import", "-", good, "--in-place"},
       2,
       "standard input (-) has no name to write under: use -o OUT or -o -"},
      {{"import", "-", "-", "-o", out}, 2, "standard input (-) can be read only once"},
      {{"import", input, good}, 2, "say where to write: -o OUT or --in-place"},
      {{"import", input, "-o", out}, 2, "import takes exactly one FILE and one PALETTE"},
      {{"import", input, good, "--table", "0", "--in-place"},
       2,
       "--table: \"0\" is neither global nor a frame number from 1"},
      {{"import", input, good, "--table", "all", "--in-place"},
       2,
       "--table: \"all\" is neither global nor a frame number from 1"},
  };
  for (const auto& row : rows) {
    const std::string error = (row.status == 2 ? "tintwell-cli: " : "") + row.error;
    SCOPED_TRACE(error);
    const auto files = Snapshot(scratch.Path());
    std::vector<std::string> args{"palette"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const cli_test::TRun run = RunCli(args);
    EXPECT_EQ(run.Status, row.status);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(run.Err.substr(0, run.Err.find('\n')), error);
    EXPECT_EQ(Snapshot(scratch.Path()), files);
  }
}

}  // namespace
