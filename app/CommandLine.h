// What tintwell makes of its command line: --help and --version answer on the
// terminal without a display, a single file name opens at start-up.
#pragma once

#include <string>
#include <vector>

namespace app {

namespace msg {
inline constexpr const char* Usage =
    "Usage: tintwell [FILE]\n"
    "Edit the colour palette of a GIF image.\n"
    "\n"
    "  FILE           the GIF file to open at start\n"
    "  -h, --help     show this help and exit\n"
    "  -V, --version  show the version and exit\n"
    "\n"
    "The usual Qt options (-platform, -style, ...) are accepted as well.\n";
// %s: the version number.
inline constexpr const char* Version = "tintwell %s\n";
// %s: the argument.
inline constexpr const char* UnknownOption =
    "tintwell: unknown option '%s'\nTry 'tintwell --help' for more information.\n";
inline constexpr const char* TooManyFiles =
    "tintwell: only one file can be opened\nTry 'tintwell --help' for more information.\n";
}  // namespace msg

struct TCommandLine {
  enum class TAction { Run, Help, Version, Error };
  TAction Action = TAction::Run;
  // The file to open at start; empty for none.
  std::string FileName;
  // For Error: the message for standard error.
  std::string Message;
};

// Reads the arguments after the program name. "--" ends the options, so a file
// whose name starts with a dash can be given. The first --help or --version
// wins over everything after it, even over arguments that are errors, so the
// raw arguments can be asked before Qt has taken its own options out of them.
TCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The text --help or --version prints.
std::string CommandLineAnswer(TCommandLine::TAction action, const std::string& version);

}  // namespace app
