// Palette files of other tools: GIMP (.gpl), JASC (.pal), Adobe colour tables
// (.act) and hex lists (.hex). Each is read into and written from a plain list
// of RGB triples; two helpers move such a list out of and into a colour map.
// Export picks the format by the file's extension, import by its content.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "edit/ColorTables.h"
#include "gif/ColorMap.h"

namespace edit {

enum class TPaletteFormat { Gimp, Jasc, Act, Hex };

using TPalette = std::vector<gif::TGIFColor>;

// A palette file that cannot be read or written. what() names the file and,
// for a malformed file, the line (text formats) or byte offset (Adobe).
class EPaletteFileError : public gif::Exception {
 public:
  using gif::Exception::Exception;
};

// The most colours a palette may hold: a GIF colour table has at most 256.
inline constexpr std::size_t MaxPaletteColors = gif::TGIFColorMap::MaxEntries;

// What a written file carries besides its colours.
struct TPaletteInfo {
  // GIMP's "Name:" line; omitted when empty.
  std::string Name;
  // The Adobe table's transparent index; none when negative.
  int TransparentIndex = -1;
};

// What an export of one of a document's tables carries: the document's base
// name, and for a frame's table the frame's transparent index.
TPaletteInfo PaletteInfoOf(const TColorTable& table, const gif::TGIFImage& image,
                           const std::string& documentName);

// The format named by a file name's extension (.gpl, .pal, .act, .hex, in any
// case); nullopt for any other.
std::optional<TPaletteFormat> PaletteFormatOfName(std::string_view fileName);

// The format of a file's bytes: the GIMP and JASC magic lines, a text file of
// hex colours, else an Adobe table. Says nothing of whether the rest is sound.
TPaletteFormat DetectPaletteFormat(std::span<const uint8_t> bytes);

// Parses a whole file. fileName only labels the errors. A file that is empty,
// malformed or holds more than MaxPaletteColors colours raises
// EPaletteFileError; the result always holds 1..MaxPaletteColors colours.
TPalette ReadPalette(std::span<const uint8_t> bytes, const std::string& fileName);
TPalette ReadPaletteFile(const std::string& fileName);

// The bytes of a palette file. Adobe tables take at most 256 colours and are
// padded with black to 256; the other formats hold exactly colors.
std::vector<uint8_t> WritePalette(TPaletteFormat format, std::span<const gif::TGIFColor> colors,
                                  const TPaletteInfo& info = {});
// Writes in the format of the file's extension, replacing the file only once
// the whole of it is written. An unknown extension raises EPaletteFileError.
void WritePaletteFile(const std::string& fileName, std::span<const gif::TGIFColor> colors,
                      const TPaletteInfo& info = {});

// The entries in use of a map, in order.
TPalette PaletteOf(const gif::TGIFColorMap& map);

// Replaces entries 0..n-1 of the map with the colours and keeps the rest; a
// longer palette grows the map to n entries. More than MaxPaletteColors
// colours raise EPaletteFileError and leave the map as it was.
void ApplyPalette(gif::TGIFColorMap& map, std::span<const gif::TGIFColor> colors);

}  // namespace edit
