// The palette command's operations on every colour table of many files:
// ramp, sort, compact, dedupe (the last three rewrite the pixels with the
// table, so the picture stays) and transparent, each a thin layer over edit/.
#pragma once

#include <string_view>

#include "cli/Options.h"

namespace cli {

// Whether action (the first FILE of palette) names one of these operations.
bool IsPaletteOperation(std::string_view action);

// Runs the operation args.Files[0] names over args.Files[1...]; options is
// the palette command's table, for the options an operation does not take.
int RunPaletteOperation(const TParsedArgs& args, std::span<const TOptionSpec> options);

}  // namespace cli
