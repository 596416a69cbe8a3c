// Palette files: round trips through each format, files as people write them
// by hand, malformed files, and moving palettes into colour maps.
#include "edit/PaletteFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using edit::TPalette;
using edit::TPaletteFormat;

std::vector<uint8_t> Text(const std::string& text) {
  return {text.begin(), text.end()};
}

// Colours whose three components differ from each other and from entry to
// entry, so a swapped component or a shifted entry shows.
TPalette Distinct(int count) {
  TPalette palette;
  for (int i = 0; i < count; ++i)
    palette.push_back(gif::TGIFColor{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                     static_cast<uint8_t>(i * 7 + 3)});
  return palette;
}

std::string Folder() {
  const fs::path folder = fs::path(::testing::TempDir()) / "palette-files";
  fs::create_directories(folder);
  return folder.string();
}

std::vector<uint8_t> FileBytes(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The message the action fails with.
template <typename Action>
std::string ErrorOf(Action action) {
  try {
    action();
  } catch (const edit::EPaletteFileError& error) {
    return error.what();
  }
  return "no error";
}

TEST(PaletteFile, EachFormatRoundTripsTablesOf256And2Entries) {
  const struct {
    const char* extension;
    TPaletteFormat format;
  } formats[] = {{"gpl", TPaletteFormat::Gimp},
                 {"PAL", TPaletteFormat::Jasc},
                 {"act", TPaletteFormat::Act},
                 {"hex", TPaletteFormat::Hex}};
  for (const auto& f : formats) {
    for (int size : {256, 2}) {
      SCOPED_TRACE(std::string(f.extension) + " " + std::to_string(size));
      gif::TGIFGlobalColorMap source(nullptr);
      edit::ApplyPalette(source, Distinct(size));
      const std::string name = Folder() + "/table" + std::to_string(size) + "." + f.extension;
      edit::WritePaletteFile(name, edit::PaletteOf(source));
      EXPECT_EQ(edit::DetectPaletteFormat(FileBytes(name)), f.format);

      gif::TGIFGlobalColorMap copy(nullptr);
      edit::ApplyPalette(copy, edit::ReadPaletteFile(name));
      EXPECT_EQ(edit::WritePalette(TPaletteFormat::Hex, edit::PaletteOf(copy)),
                edit::WritePalette(TPaletteFormat::Hex, Distinct(size)));
      // Written again, the file comes out byte for byte the same.
      EXPECT_EQ(edit::WritePalette(f.format, edit::PaletteOf(copy)), FileBytes(name));
    }
  }
}

TEST(PaletteFile, WrittenFilesHaveEachFormatsLayout) {
  const TPalette two{{255, 0, 16}, {1, 2, 3}};
  EXPECT_EQ(edit::WritePalette(TPaletteFormat::Gimp, two, {"sun\nset", -1}),
            Text("GIMP Palette\nName: sun set\nColumns: 16\n#\n255   0  16\tIndex 0\n"
                 "  1   2   3\tIndex 1\n"));
  EXPECT_EQ(edit::WritePalette(TPaletteFormat::Jasc, two),
            Text("JASC-PAL\r\n0100\r\n2\r\n255 0 16\r\n1 2 3\r\n"));
  EXPECT_EQ(edit::WritePalette(TPaletteFormat::Hex, two), Text("ff0010\n010203\n"));

  // Adobe: 256 triples with black after the colours, then count and
  // transparent index, big-endian; an index outside the colours means none.
  for (int transparent : {1, -1, 2}) {
    const std::vector<uint8_t> act =
        edit::WritePalette(TPaletteFormat::Act, two, {"", transparent});
    ASSERT_EQ(act.size(), 772u);
    EXPECT_EQ(std::vector<uint8_t>(act.begin(), act.begin() + 7),
              (std::vector<uint8_t>{255, 0, 16, 1, 2, 3, 0}));
    EXPECT_EQ(std::count(act.begin() + 6, act.begin() + 768, 0), 762);
    const uint8_t index = transparent == 1 ? 0x00 : 0xFF;
    const uint8_t low = transparent == 1 ? 0x01 : 0xFF;
    EXPECT_EQ(std::vector<uint8_t>(act.begin() + 768, act.end()),
              (std::vector<uint8_t>{0, 2, index, low}))
        << transparent;
  }
}

TEST(PaletteFile, HandWrittenFilesImportAsExpected) {
  std::vector<uint8_t> act768;
  TPalette act256;
  for (int i = 0; i < 256; ++i) {
    act768.insert(act768.end(), {uint8_t(i), 0, uint8_t(255 - i)});
    act256.push_back({uint8_t(i), 0, uint8_t(255 - i)});
  }
  std::vector<uint8_t> act772 = act768;
  act772.insert(act772.end(), {0, 3, 0, 1});
  act772[0] = 0x00;  // bytes not in text range make it binary either way
  std::string hex96;
  for (int i = 0; i < 96; ++i) hex96 += "0a0b0c\r\n";  // 768 bytes, yet text

  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
    TPalette expected;
  } rows[] = {
      {"GIMP with name, columns, comments, colour names, CRLF",
       Text("GIMP Palette\r\nName: Dusk\r\nColumns: 4\r\n# made by hand\r\n"
            "255   0   0\tRed 2\r\n\r\n  # indented comment\r\n 0 128\t255 Sky blue\r\n"),
       {{255, 0, 0}, {0, 128, 255}}},
      {"GIMP, bare colours, no final line break",
       Text("GIMP Palette\n1 2 3\n4 5 6"),
       {{1, 2, 3}, {4, 5, 6}}},
      {"GIMP with a UTF-8 byte order mark", Text("\xEF\xBB\xBFGIMP Palette\n7 8 9\n"), {{7, 8, 9}}},
      {"hex with a UTF-8 byte order mark", Text("\xEF\xBB\xBF#070809\r\n"), {{7, 8, 9}}},
      {"JASC with CRLF",
       Text("JASC-PAL\r\n0100\r\n2\r\n10 20 30\r\n40 50 60\r\n"),
       {{10, 20, 30}, {40, 50, 60}}},
      {"JASC with LF, trailing blank lines",
       Text("JASC-PAL\n0100\n1\n0 0 255\n\n\n"),
       {{0, 0, 255}}},
      {"JASC with lone CR line breaks", Text("JASC-PAL\r0100\r1\r9 9 9"), {{9, 9, 9}}},
      {"hex with and without #, either case, blank lines, CRLF",
       Text("#FF0000\r\nff00aA\n\n  00ff00  \n"),
       {{255, 0, 0}, {255, 0, 170}, {0, 255, 0}}},
      {"hex file of Adobe size", Text(hex96), TPalette(96, gif::TGIFColor{10, 11, 12})},
      {"Adobe, 768 bytes: 256 colours", act768, act256},
      {"Adobe, 772 bytes: the count given", act772, {{0, 0, 255}, {1, 0, 254}, {2, 0, 253}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(edit::WritePalette(TPaletteFormat::Hex, edit::ReadPalette(row.bytes, "hand")),
              edit::WritePalette(TPaletteFormat::Hex, row.expected));
  }
}

TEST(PaletteFile, MalformedFilesFailNamingTheLineOrByte) {
  auto binary = [](std::size_t size, std::vector<uint8_t> tail = {}) {
    std::vector<uint8_t> bytes(size, 0x80);
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
  };
  std::string gimp257 = "GIMP Palette\n";
  for (int i = 0; i < 257; ++i) gimp257 += "1 2 3\n";

  const struct {
    std::vector<uint8_t> bytes;
    const char* message;
  } rows[] = {
      {{}, "p: the palette file is empty"},
      {Text("\n \n"), "p: the palette holds no colours"},
      {Text("GIMP Palette\nName: none\n# nothing\n"), "p: the palette holds no colours"},
      {Text("hello\n"), "p, line 1: not a GIMP, JASC, Adobe or hex palette"},
      {Text("GIMP Palete\n0 0 0\n"), "p, line 1: expected \"GIMP Palette\""},
      {Text("GIMP Palette\n0 256 0\n"), "p, line 2: component 256 is above 255"},
      {Text("GIMP Palette\n\n0 99999999999 0\n"), "p, line 3: component 99999999999 is above 255"},
      {Text("GIMP Palette\n0 x1 0\n"), "p, line 2: \"x1\" is not a number"},
      {Text("GIMP Palette\r\nColumns: many\r\n0 0 0\r\n"), "p, line 2: \"many\" is not a number"},
      {Text("GIMP Palette\n1 2\n"), "p, line 2: expected red, green and blue"},
      {Text("GIMP Palette\n1 2 3\nName: late\n"), "p, line 3: \"Name:\" is not a number"},
      {Text(gimp257), "p, line 258: more than 256 colours"},
      {Text("JASC-PAL\n"), "p, line 2: expected the version \"0100\""},
      {Text("JASC-PALETTE\n0100\n1\n0 0 0\n"), "p, line 1: expected \"JASC-PAL\""},
      {Text("JASC-PAL\n0200\n1\n0 0 0\n"), "p, line 2: expected the version \"0100\""},
      {Text("JASC-PAL\n0100\n"), "p, line 3: expected the number of colours"},
      {Text("JASC-PAL\n0100\nsix\n"), "p, line 3: \"six\" is not a number"},
      {Text("JASC-PAL\n0100\n0\n"), "p, line 3: the palette holds no colours"},
      {Text("JASC-PAL\n0100\n257\n"), "p, line 3: more than 256 colours"},
      {Text("JASC-PAL\r\n0100\r\n3\r\n0 0 0\r\n1 1 1\r\n"),
       "p, line 6: count 3 in the header, but the file holds 2"},
      {Text("JASC-PAL\n0100\n1\n0 0 0\n1 1 1\n"),
       "p, line 5: count 1 in the header, but the file holds more"},
      {Text("JASC-PAL\n0100\n1\n0 0 0 255\n"), "p, line 4: unexpected \"255\" after the colour"},
      {Text("ff0000\n#12345g\n"), "p, line 2: \"#12345g\" is not a colour written rrggbb"},
      {binary(1), "p, byte 1: the Adobe colour table ends after 1 of 768 bytes"},
      {binary(770), "p, byte 768: 2 bytes follow the colours; an Adobe colour table has 4 or none"},
      {binary(800),
       "p, byte 768: 32 bytes follow the colours; an Adobe colour table has 4 or none"},
      {binary(768, {0, 0, 0xFF, 0xFF}),
       "p, byte 768: 0 colours; an Adobe colour table holds 1 to 256"},
      {binary(768, {1, 1, 0xFF, 0xFF}),
       "p, byte 768: 257 colours; an Adobe colour table holds 1 to 256"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(ErrorOf([&] { edit::ReadPalette(row.bytes, "p"); }), row.message);
}

TEST(PaletteFile, RefusedFilesAndPalettesChangeNothing) {
  const std::string txt = Folder() + "/colours.txt";
  EXPECT_EQ(ErrorOf([&] { edit::WritePaletteFile(txt, Distinct(2)); }),
            txt + ": unknown palette type; use .gpl, .pal, .act or .hex");
  EXPECT_FALSE(fs::exists(txt));
  const std::string kept = Folder() + "/kept.hex";
  edit::WritePaletteFile(kept, Distinct(1));
  EXPECT_THROW(edit::WritePaletteFile(kept, TPalette{}), edit::EPaletteFileError);
  EXPECT_THROW(edit::WritePaletteFile(kept, Distinct(257)), edit::EPaletteFileError);
  EXPECT_EQ(FileBytes(kept), Text("00ff03\n"));
  fs::resize_file(kept, (1 << 20) + 1);
  EXPECT_EQ(ErrorOf([&] { edit::ReadPaletteFile(kept); }),
            kept + ": larger than 1 MiB, too large for a palette file");

  gif::TGIFGlobalColorMap map(nullptr);
  edit::ApplyPalette(map, Distinct(3));
  EXPECT_THROW(edit::ApplyPalette(map, Distinct(257)), edit::EPaletteFileError);
  EXPECT_EQ(edit::WritePalette(TPaletteFormat::Hex, edit::PaletteOf(map)),
            edit::WritePalette(TPaletteFormat::Hex, Distinct(3)));
}

}  // namespace
