// Shell completion for bash, zsh and fish, made from the table of commands and
// their option tables, the same ones the parser reads: an option added to a
// table completes without further work. The build runs
// "tintwell-cli --completion SHELL" and installs what it prints.
#pragma once

#include <span>
#include <string>

#include "cli/Options.h"

namespace cli {

// The script for shell "bash", "zsh" or "fish"; empty for any other name.
std::string CompletionScript(const std::string& shell, std::span<const TCommandSpec> commands);

}  // namespace cli
