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

  bool TakesValue() const { return !ValueName.empty(); }
};

struct TParsedArgs {
  // Keyed by the long name, as in the command's table of options.
  std::map<std::string_view, std::string> Values;
  std::vector<std::string> Files;
  bool HelpWanted = false;

  bool Has(std::string_view longName) const { return Values.count(longName) != 0; }
  std::optional<std::string> Value(std::string_view longName) const;
};

// Accepts "--name value", "--name=value", "-x value", "-xvalue" and "--" to
// end the options; every other argument is a file. "--help" and "-h" are
// understood by every command. An option given twice is a usage error.
TParsedArgs ParseArguments(std::span<const std::string> args, std::span<const TOptionSpec> specs);

// The option lines of a command's help, aligned.
std::string OptionsHelp(std::span<const TOptionSpec> specs);

// A whole number of decimal digits (no sign) up to 10^9, for the option named.
int WholeNumber(std::string_view optionName, const std::string& text);

// The value of -j: 1..1024.
int ParseJobs(const std::string& text);

// "%s" substitution for the texts of cli::msg.
std::string Format(const char* pattern, const std::vector<std::string>& args);

}  // namespace cli
