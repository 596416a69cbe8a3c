// Every message text of the editing library, in one place. The window and the
// command-line tool show them as they are; tests compare them.
#pragma once

namespace edit::msg {

// The recolour command.
inline constexpr const char* EnterNewHue = "Please enter new Hue";
inline constexpr const char* EnterNewSaturation = "Please enter new Saturation";
inline constexpr const char* EnterNewLight = "Please enter new Light";
inline constexpr const char* HueLimit = "Hue must be less than 240";
inline constexpr const char* SaturationLimit = "Saturation must be less than 240";
inline constexpr const char* LightnessLimit = "Lightness must be less than 240";

// Palette files. A problem with the whole file, one at a line of a text
// format and one at a byte offset of an Adobe table.
inline constexpr const char* PaletteInFile = "%s: %s";
inline constexpr const char* PaletteAtLine = "%s, line %s: %s";
inline constexpr const char* PaletteAtByte = "%s, byte %s: %s";
inline constexpr const char* PaletteEmpty = "the palette file is empty";
inline constexpr const char* PaletteTooLarge = "larger than 1 MiB, too large for a palette file";
inline constexpr const char* PaletteNoColors = "the palette holds no colours";
inline constexpr const char* PaletteTooManyColors = "more than 256 colours";
inline constexpr const char* PaletteUnknownFormat = "not a GIMP, JASC, Adobe or hex palette";
inline constexpr const char* PaletteUnknownExtension =
    "unknown palette type; use .gpl, .pal, .act or .hex";
inline constexpr const char* PaletteNotANumber = "\"%s\" is not a number";
inline constexpr const char* PaletteComponentAbove255 = "component %s is above 255";
inline constexpr const char* PaletteMissingComponents = "expected red, green and blue";
inline constexpr const char* PaletteExtraText = "unexpected \"%s\" after the colour";
inline constexpr const char* PaletteGimpMagic = "expected \"GIMP Palette\"";
inline constexpr const char* PaletteJascMagic = "expected \"JASC-PAL\"";
inline constexpr const char* PaletteJascVersion = "expected the version \"0100\"";
inline constexpr const char* PaletteJascCount = "expected the number of colours";
inline constexpr const char* PaletteJascMissing = "count %s in the header, but the file holds %s";
inline constexpr const char* PaletteJascExtra = "count %s in the header, but the file holds more";
inline constexpr const char* PaletteNotHex = "\"%s\" is not a colour written rrggbb";
inline constexpr const char* PaletteActShort = "the Adobe colour table ends after %s of 768 bytes";
inline constexpr const char* PaletteActTrailer =
    "%s bytes follow the colours; an Adobe colour table has 4 or none";
inline constexpr const char* PaletteActCount = "%s colours; an Adobe colour table holds 1 to 256";
inline constexpr const char* PaletteMapOverflow = "%s colours do not fit a colour table of 256";

// Remaps (sort, compact, dedupe, move). The warning for a table left as it
// is: the frame counted from 1, the index, the table's entry count.
inline constexpr const char* RemapBadIndex =
    "Frame %s uses colour index %s, past the end of its table of %s colours; the table is left "
    "as it is";

// A table whose removals would leave too narrow a frame that has no colour
// table at all (such frames are written as wide as the widest table).
inline constexpr const char* RemapTablelessFrame =
    "Frame %s has no colour table and uses index %s, which needs this table's width; the table is "
    "left as it is";

// Transparency. The frame counted from 1.
inline constexpr const char* NoSuchFrame = "Frame %s does not exist; the file has %s frames";
inline constexpr const char* TransparentIndexOutside =
    "Frame %s: index %s is outside its colour table of %s colours";
inline constexpr const char* TransparentColorMissing =
    "Frame %s: no entry of its colour table is #%s";

// Colour map files (at a line, in the palette files' form).
inline constexpr const char* MappingNotAPair =
    "expected two colours, \"rrggbb rrggbb\" or \"#rrggbb -> #rrggbb\"";
inline constexpr const char* MappingTwice = "%s is already mapped on line %s";

}  // namespace edit::msg
