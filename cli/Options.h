// Command-line parsing shared by every sub-command: each command declares its
// options in a table, and the parser turns the arguments into values, flags
// and files, or a usage error.
#pragma once

#include <map>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "gif/GIFImage.h"

namespace cli {

// A mistake in the command line; main prints it with a short usage text and
// exits with status 2. Raised before any file is read or written.
class TUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TOptionSpec {
  std::string_view Long;       // "--from-hue"
  char Short = 0;              // 'o', or 0 for none
  std::string_view ValueName;  // "N"; empty for a flag
  std::string_view Help;
  // May be given more than once; every value is kept, in order.
  bool Repeatable = false;

  bool TakesValue() const { return !ValueName.empty(); }
};

// Options several commands declare, spelt once.
inline constexpr TOptionSpec JobsOption{"--jobs", 'j', "N",
                                        "work on N files at once (default: the number of cores)"};
inline constexpr TOptionSpec StrictOption{
    "--strict", 0, "", "fail a file the library warns about, writing nothing for it"};
inline constexpr TOptionSpec QuietOption{"--quiet", 'q', "", "print no warnings"};

// A sub-command: one row of main's table. Help, parsing and shell completion
// are all made from it.
struct TParsedArgs;
struct TCommandSpec {
  std::string_view Name;
  std::string_view Alias;  // another name it answers to, or empty
  const char* Summary;
  const char* Synopsis;
  const char* Description;
  std::span<const TOptionSpec> Options;
  // Words the first FILE may be ("export import"), or empty.
  std::string_view Actions;
  int (*Run)(const TParsedArgs& args);
};

struct TParsedArgs {
  // Keyed by the long name, as in the command's table of options; a
  // repeatable option's first value.
  std::map<std::string_view, std::string> Values;
  // Every value of each repeatable option given, in order.
  std::map<std::string_view, std::vector<std::string>> Repeated;
  std::vector<std::string> Files;
  bool HelpWanted = false;

  bool Has(std::string_view longName) const { return Values.count(longName) != 0; }
  std::optional<std::string> Value(std::string_view longName) const;
  // Every value of a repeatable option; none when it was not given.
  std::vector<std::string> AllValues(std::string_view longName) const;
};

// Accepts "--name value", "--name=value", "-x value", "-xvalue" and "--" to
// end the options; every other argument is a file. "--help" and "-h" are
// understood by every command. An option given twice is a usage error unless
// it is repeatable.
TParsedArgs ParseArguments(std::span<const std::string> args, std::span<const TOptionSpec> specs);

// The option lines of a command's help, aligned.
std::string OptionsHelp(std::span<const TOptionSpec> specs);

// A whole number of decimal digits (no sign) up to 10^9, for the option named.
int WholeNumber(std::string_view optionName, const std::string& text);

// A whole number from low to high for the option named; a value outside says
// the range, a negative one that it is negative. With low below 0 the number
// may carry a sign ("-30", "+30").
int NumberInRange(std::string_view optionName, const std::string& text, int low, int high);

// The value of -j: 1..1024.
int ParseJobs(const std::string& text);

// A colour as rrggbb or #rrggbb (hex digits in either case), for the option
// named.
gif::TGIFColor ParseColour(std::string_view optionName, const std::string& text);

// "%s" substitution for the texts of cli::msg.
std::string Format(const char* pattern, const std::vector<std::string>& args);

}  // namespace cli
