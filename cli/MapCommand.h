// The map command: every entry of a FROM colour, in every colour table,
// becomes its TO colour (edit/ColorMapping), the pairs from repeated --change
// options or from a map file.
#pragma once

#include <array>

#include "cli/Options.h"

namespace cli {

extern const std::array<TOptionSpec, 11> MapOptions;
int RunMap(const TParsedArgs& args);

}  // namespace cli
