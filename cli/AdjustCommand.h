// The adjust command: hue, saturation or lightness of the chosen entries of
// every colour table shifted by an amount, on the window's HLS scale or
// perceptually (edit/Adjust), over many files.
#pragma once

#include <array>

#include "cli/Options.h"

namespace cli {

extern const std::array<TOptionSpec, 19> AdjustOptions;
int RunAdjust(const TParsedArgs& args);

}  // namespace cli
