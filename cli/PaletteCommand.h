// The palette command: one colour table of a GIF out to a palette file of
// another tool, or such a file's colours into the table; its other actions
// (ramp, sort, ...) are in cli/PaletteOperations.
#pragma once

#include <array>
#include <string>

#include "cli/Options.h"
#include "edit/ColorTables.h"

namespace cli {

// Which table --table names: the default (the global table, else the first
// frame's own), the global one, or frame N's own, N counted from 1 as the
// window shows it.
struct TTableChoice {
  enum class TKind { Default, Global, Frame } Kind = TKind::Default;
  int Frame = 0;
};

// "global" or a frame number from 1; anything else raises TUsageError.
TTableChoice ParseTableChoice(const std::string& text);

// The chosen table of a document; one that is not there raises an error.
edit::TColorTable ChooseTable(gif::TGIFImage& image, const TTableChoice& choice);

extern const std::array<TOptionSpec, 19> PaletteOptions;
int RunPalette(const TParsedArgs& args);

}  // namespace cli
