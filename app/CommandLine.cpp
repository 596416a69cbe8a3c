#include "app/CommandLine.h"

#include <string_view>

namespace app {

namespace {

std::string Format(const char* pattern, const std::string& value) {
  std::string text(pattern);
  text.replace(text.find("%s"), 2, value);
  return text;
}

}  // namespace

TCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  TCommandLine result;
  TCommandLine error;
  bool optionsEnded = false;
  std::vector<std::string> files;
  for (const std::string& argument : arguments) {
    const std::string_view a(argument);
    if (!optionsEnded && a == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && (a == "-h" || a == "--help")) {
      result.Action = TCommandLine::TAction::Help;
      return result;
    } else if (!optionsEnded && (a == "-V" || a == "--version")) {
      result.Action = TCommandLine::TAction::Version;
      return result;
    } else if (!optionsEnded && a.size() > 1 && a.front() == '-') {
      // Kept until the end: a later --help still answers.
      if (error.Action != TCommandLine::TAction::Error) {
        error.Action = TCommandLine::TAction::Error;
        error.Message = Format(msg::UnknownOption, argument);
      }
    } else {
      files.push_back(argument);
    }
  }
  if (error.Action == TCommandLine::TAction::Error) return error;
  if (files.size() > 1) {
    error.Action = TCommandLine::TAction::Error;
    error.Message = msg::TooManyFiles;
    return error;
  }
  if (!files.empty()) result.FileName = files.front();
  return result;
}

std::string CommandLineAnswer(TCommandLine::TAction action, const std::string& version) {
  if (action == TCommandLine::TAction::Help) return msg::Usage;
  if (action == TCommandLine::TAction::Version) return Format(msg::Version, version);
  return std::string();
}

}  // namespace app
