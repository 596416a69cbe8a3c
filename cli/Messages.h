// Every text tintwell-cli prints of its own: usage errors, per-file report
// lines and help. The library's and the recolour core's messages come from
// gif/Messages.h and edit/Messages.h.
#pragma once

namespace cli::msg {

inline constexpr const char* Program = "tintwell-cli";

// Usage errors. %s stands for an option name, a value or a file name.
inline constexpr const char* UnknownCommand = "unknown command \"%s\"";
inline constexpr const char* NoCommand = "no command given";
inline constexpr const char* UnknownOption = "unknown option \"%s\"";
inline constexpr const char* MissingValue = "option %s needs a value";
inline constexpr const char* UnexpectedValue = "option %s takes no value";
inline constexpr const char* RepeatedOption = "option %s is given more than once";
inline constexpr const char* NoFiles = "no FILE given";
inline constexpr const char* NotANumber = "%s: \"%s\" is not a whole number";
inline constexpr const char* ToWithoutFrom = "%s needs %s";
// Option, value, lowest and highest value.
inline constexpr const char* OutOfRange = "%s: %s is out of range %s..%s";
inline constexpr const char* NegativeValue = "%s: %s is negative; the range is %s..%s";
inline constexpr const char* NotAColour = "%s: \"%s\" is not a colour: use rrggbb or #rrggbb";
inline constexpr const char* NoPass =
    "no pass given: use --from-hue/--to-hue, --from-sat/--to-sat or --from-light/--to-light";
inline constexpr const char* NoOutput = "say where to write: -o OUT, --out-dir DIR or --in-place";
inline constexpr const char* TwoOutputs = "-o, --out-dir and --in-place exclude each other";
inline constexpr const char* OutputTakesOneFile = "-o takes exactly one FILE";
inline constexpr const char* CannotCreateFolder = "Cannot create folder \"%s\". %s";
inline constexpr const char* SameTarget = "%s and %s would both be written to %s";

// Standard input and output.
inline constexpr const char* StandardInputName = "<stdin>";
inline constexpr const char* StandardInputTwice = "standard input (-) can be read only once";
inline constexpr const char* StandardInputNeedsOutput =
    "standard input (-) has no name to write under: use -o OUT or -o -";
inline constexpr const char* OutDirNotStandard = "--out-dir takes a folder, not -";
inline constexpr const char* OutputIsTerminal =
    "-o -: standard output is a terminal; redirect it to a file or a pipe";
inline constexpr const char* CannotReadInput = "Cannot read standard input";
inline constexpr const char* CannotWriteOutput = "Cannot write to standard output";

// Warnings of the library while a file is read: file and warning; frame
// (counted from 1) and warning.
inline constexpr const char* Warning = "%s: warning: %s";
inline constexpr const char* InFrame = "frame %s: %s";
inline constexpr const char* StrictFailure = "warnings with --strict: nothing written";

// Per-file report lines: file, entries changed, entries in all, tables, table
// or tables.
inline constexpr const char* WouldChange = "%s: %s of %s entries in %s %s would change";
inline constexpr const char* Changed = "%s: %s of %s entries in %s %s changed";
// In place, a file whose tables came out as they were is not written.
inline constexpr const char* Unchanged = "%s: unchanged";

// A batch stopped by a signal or a closed output: files reported, files given.
inline constexpr const char* Stopped = "tintwell-cli: stopped after %s of %s files";

inline constexpr const char* AliasSummary = "another name of %s";
inline constexpr const char* CompletionShell = "--completion takes bash, zsh or fish";

inline constexpr const char* TryHelp = "Try '%s --help'.";

inline constexpr const char* MainUsage =
    "Usage: tintwell-cli COMMAND [OPTION]... FILE...\n"
    "       tintwell-cli --help | --version\n"
    "Recolour the palettes of GIF files, trade them with palette files, or list\n"
    "what the files hold.\n"
    "\n"
    "Commands:\n";

inline constexpr const char* MainHelpTail =
    "\n"
    "'tintwell-cli COMMAND --help' describes a command.\n"
    "A FILE of - reads standard input, -o - writes standard output. Warnings of\n"
    "the library go to the error stream as FILE: warning: ...; --strict fails\n"
    "such a file, -q silences them.\n"
    "Exit status: 0 when every file succeeded, 1 when any file failed,\n"
    "2 for a usage error (then nothing is read or written).\n";

inline constexpr const char* InfoSynopsis =
    "Usage: tintwell-cli info [--json] [--colors] [--strict] [-q] [-j N] FILE...\n";
inline constexpr const char* InfoSummary = "list the header, frames and extensions of each file";
inline constexpr const char* InfoDescription =
    "Prints, per file, the signature, screen size, colour resolution, background\n"
    "index, global table size and frames, and per frame its position, size,\n"
    "interlace flag, local table size, delay, disposal, transparent index and\n"
    "extensions, and the library's warnings. Files are reported in the order\n"
    "given; a FILE of - reads standard input.\n";

inline constexpr const char* RecolourSynopsis =
    "Usage: tintwell-cli recolour [--from-hue N --to-hue N] [--from-sat N --to-sat N]\n"
    "         [--from-light N --to-light N] [--tolerance N] [--global-only] [--strict]\n"
    "         [-q] [-j N] (-o OUT | --out-dir DIR | --in-place | --dry-run) FILE...\n";
inline constexpr const char* RecolourSummary =
    "shift hue, saturation or lightness in every colour table";
inline constexpr const char* RecolourDescription =
    "Every palette entry whose hue lies within the tolerance of the From hue gets\n"
    "the To hue and keeps its own lightness and saturation; then the same for\n"
    "saturation and for lightness. Values run from 0 to 240. Every colour table\n"
    "of each file is changed (only the global one with --global-only); pixels\n"
    "and all other blocks stay as they are. A file that fails leaves its target\n"
    "as it was; in place, a file whose tables come out as they were is not\n"
    "written. A FILE of - reads standard input, -o - writes standard output.\n";

inline constexpr const char* PaletteSynopsis =
    "Usage: tintwell-cli palette export FILE [--table global|N] [--format FORMAT]\n"
    "         -o OUT.{gpl,pal,act,hex}\n"
    "       tintwell-cli palette import FILE PALETTE [--table global|N]\n"
    "         (-o OUT | --in-place)\n"
    "       tintwell-cli palette ramp --entries A-B [--hls | --rgb] OUTPUT FILE...\n"
    "       tintwell-cli palette sort --by hue|saturation|lightness|luminance|usage\n"
    "         [--reverse] OUTPUT FILE...\n"
    "       tintwell-cli palette compact OUTPUT FILE...\n"
    "       tintwell-cli palette dedupe OUTPUT FILE...\n"
    "       tintwell-cli palette transparent (--index N | --match-color RRGGBB | --none)\n"
    "         [--frames LIST] OUTPUT FILE...\n"
    "  where OUTPUT is -o OUT, --out-dir DIR, --in-place or --dry-run, and\n"
    "  ramp, sort, compact and dedupe take --global-only or --table global|N\n";
inline constexpr const char* PaletteSummary =
    "trade colour tables with palette files; sort, compact, dedupe, ramp them";
inline constexpr const char* PaletteDescription =
    "export writes the colours of one colour table of FILE to OUT, in the format\n"
    "its extension names: GIMP (.gpl), JASC (.pal), Adobe (.act) or hex (.hex).\n"
    "import reads PALETTE in any of these formats, known by its content, and puts\n"
    "its n colours into entries 0 to n-1 of the table, which grows when PALETTE\n"
    "holds more colours than it (256 at most); pixels and every other block stay\n"
    "as they are. --table global takes the global table, --table N the table of\n"
    "frame N (counted from 1); by default the global table, or the first frame's\n"
    "own when the file has none.\n"
    "\n"
    "ramp makes the entries strictly between A and B even steps from entry A to\n"
    "entry B, in OKLab (or HLS, or RGB). sort orders each table by a key (ties\n"
    "keep their order); compact removes the entries no pixel uses; dedupe merges\n"
    "each entry into an earlier one of the same colour. These three rewrite the\n"
    "pixels with the table, so every frame looks as before; a table whose frames\n"
    "use an index past its end is left as it is, with a warning. transparent\n"
    "sets (--index, --match-color) or clears (--none) the transparent colour of\n"
    "the frames of --frames (counted from 1, such as 1-3,5; default every frame).\n";
inline constexpr const char* PaletteNoAction =
    "say export, import, ramp, sort, compact, dedupe or transparent";
inline constexpr const char* PaletteUnknownAction =
    "unknown palette action \"%s\": use export, import, ramp, sort, compact, dedupe or transparent";
inline constexpr const char* PaletteExportFiles = "export takes exactly one FILE";
inline constexpr const char* PaletteImportFiles = "import takes exactly one FILE and one PALETTE";
inline constexpr const char* PaletteExportOutput = "export needs -o OUT";
inline constexpr const char* PaletteExportInPlace =
    "export writes no GIF: --in-place does not apply";
inline constexpr const char* PaletteImportOutput = "say where to write: -o OUT or --in-place";
inline constexpr const char* PaletteFormatValue = "--format: \"%s\" is none of gpl, pal, act, hex";
inline constexpr const char* PaletteExportFormat =
    "export to standard output needs --format gpl|pal|act|hex";
inline constexpr const char* PaletteImportFormat =
    "import knows a palette by its content: --format does not apply";
inline constexpr const char* PaletteTableValue =
    "--table: \"%s\" is neither global nor a frame number from 1";
// Failures, shown after the GIF file's name.
inline constexpr const char* PaletteNoTable = "no colour table";
inline constexpr const char* PaletteNoGlobalTable = "no global colour table";
inline constexpr const char* PaletteNoFrame = "no frame %s: frames run from 1 to %s";
inline constexpr const char* PaletteNoFrameTable = "frame %s has no colour table of its own";
// Report lines: file, table caption, palette file.
inline constexpr const char* PaletteExported = "%s: %s exported to %s";
inline constexpr const char* PaletteImported =
    "%s: %s colours of %s imported into %s, written to %s";

// The commands that change colour tables (adjust, map, palette ramp, sort,
// compact, dedupe, transparent). Report lines: file, entries changed, tables
// changed, table or tables; file, frames changed, frame or frames.
inline constexpr const char* EntriesChanged = "%s: %s entries in %s %s changed";
inline constexpr const char* EntriesWouldChange = "%s: %s entries in %s %s would change";
inline constexpr const char* FramesChanged = "%s: transparent colour of %s %s changed";
inline constexpr const char* FramesWouldChange = "%s: transparent colour of %s %s would change";
// An option of the command's table that this action does not take: option,
// command and action.
inline constexpr const char* OptionDoesNotApply = "option %s does not apply to %s";
inline constexpr const char* TableAndGlobalOnly = "--table and --global-only exclude each other";
inline constexpr const char* NotAnEntryList =
    "%s: \"%s\" is not a list of entries 0..255 such as 0-15,32,40-47";
inline constexpr const char* ToleranceWithoutMatch =
    "--tolerance needs --match-hue, --match-sat or --match-light";

inline constexpr const char* AdjustSynopsis =
    "Usage: tintwell-cli adjust [--hue D] [--sat D] [--light D] [--perceptual]\n"
    "         [--entries LIST] [--match-hue N] [--match-sat N] [--match-light N]\n"
    "         [--tolerance T] [--match-color RRGGBB] [--global-only | --table global|N]\n"
    "         [-j N] (-o OUT | --out-dir DIR | --in-place | --dry-run) FILE...\n";
inline constexpr const char* AdjustSummary =
    "shift hue, saturation or lightness of chosen entries by an amount";
inline constexpr const char* AdjustDescription =
    "Adds D to the hue, saturation or lightness of each chosen entry, from the\n"
    "entry's own values, so that shading is kept: on the 0..240 scale of the\n"
    "window (hue round the circle, saturation and lightness held to 0..240; D\n"
    "from -240 to 240), or with --perceptual in OKLCh, where a hue shift keeps\n"
    "the perceived brightness (--hue in degrees, -360..360; --light in points of\n"
    "OKLab lightness and --sat in percent of chroma, -100..100). The entries\n"
    "chosen: those of --entries, those within --tolerance of --match-hue,\n"
    "--match-sat or --match-light (0..240; hue distance goes round the circle),\n"
    "those of exactly --match-color; all given must hold, none given chooses\n"
    "every entry. Every colour table changes (the global one alone with\n"
    "--global-only, one with --table); pixels and every other block stay.\n";
inline constexpr const char* NoAdjustment = "no change given: use --hue, --sat or --light";

inline constexpr const char* MapSynopsis =
    "Usage: tintwell-cli map (--change FROM=TO)... | --map FILE\n"
    "         [--global-only | --table global|N] [-j N]\n"
    "         (-o OUT | --out-dir DIR | --in-place | --dry-run) FILE...\n";
inline constexpr const char* MapSummary = "turn every entry of one colour into another";
inline constexpr const char* MapDescription =
    "Every entry, in every colour table, whose colour is a FROM becomes its TO.\n"
    "All pairs apply at once, so --change ff0000=00ff00 --change 00ff00=ff0000\n"
    "swaps two colours. A map file holds one pair a line, \"rrggbb rrggbb\" or\n"
    "\"#rrggbb -> #rrggbb\"; \"# \" starts a comment and blank lines are ignored.\n"
    "A malformed line fails with the file and line, and nothing is written.\n";
inline constexpr const char* MapNoPairs = "say --change FROM=TO (as often as needed) or --map FILE";
inline constexpr const char* MapChangeAndFile = "--change and --map exclude each other";
inline constexpr const char* MapChangeValue =
    "--change: \"%s\" is not FROM=TO with colours rrggbb or #rrggbb";

// palette ramp, sort, compact, dedupe and transparent.
inline constexpr const char* RampNeedsEntries = "ramp needs --entries A-B";
inline constexpr const char* RampEntriesValue =
    "--entries: \"%s\" is not a range A-B of entries 0..255 with A below B";
inline constexpr const char* RampTwoSpaces = "--hls and --rgb exclude each other";
inline constexpr const char* SortNeedsKey =
    "sort needs --by hue|saturation|lightness|luminance|usage";
inline constexpr const char* SortKeyValue =
    "--by: \"%s\" is none of hue, saturation, lightness, luminance, usage";
inline constexpr const char* TransparentChoice =
    "say one of --index N, --match-color RRGGBB and --none";
inline constexpr const char* FrameListValue =
    "--frames: \"%s\" is not a list of frames from 1 such as 1-3,5";

}  // namespace cli::msg
