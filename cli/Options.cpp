#include "cli/Options.h"

#include <algorithm>
#include <utility>

#include "cli/Messages.h"
#include "edit/Selection.h"
#include "gif/MessageFormat.h"

namespace cli {

std::optional<std::string> TParsedArgs::Value(std::string_view longName) const {
  const auto it = Values.find(longName);
  if (it == Values.end()) return std::nullopt;
  return it->second;
}

std::vector<std::string> TParsedArgs::AllValues(std::string_view longName) const {
  const auto it = Repeated.find(longName);
  return it == Repeated.end() ? std::vector<std::string>() : it->second;
}

std::string Format(const char* pattern, const std::vector<std::string>& args) {
  return gif::FormatMessage(pattern, args);
}

namespace {

const TOptionSpec* FindLong(std::span<const TOptionSpec> specs, std::string_view name) {
  for (const TOptionSpec& spec : specs)
    if (spec.Long == name) return &spec;
  return nullptr;
}

const TOptionSpec* FindShort(std::span<const TOptionSpec> specs, char name) {
  for (const TOptionSpec& spec : specs)
    if (spec.Short != 0 && spec.Short == name) return &spec;
  return nullptr;
}

void Store(TParsedArgs& parsed, const TOptionSpec& spec, std::string value) {
  if (spec.Repeatable) {
    parsed.Repeated[spec.Long].push_back(value);
    parsed.Values.emplace(spec.Long, std::move(value));
    return;
  }
  if (!parsed.Values.emplace(spec.Long, std::move(value)).second)
    throw TUsageError(Format(msg::RepeatedOption, {std::string(spec.Long)}));
}

}  // namespace

TParsedArgs ParseArguments(std::span<const std::string> args, std::span<const TOptionSpec> specs) {
  TParsedArgs parsed;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    // A lone "-" is a file name by convention, as is anything after "--".
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      parsed.Files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      parsed.HelpWanted = true;
      continue;
    }
    const TOptionSpec* spec = nullptr;
    std::optional<std::string> attached;
    std::string shown;
    if (arg[1] == '-') {
      const std::size_t equals = arg.find('=');
      shown = arg.substr(0, equals);
      spec = FindLong(specs, shown);
      if (equals != std::string::npos) attached = arg.substr(equals + 1);
    } else {
      shown = arg.substr(0, 2);
      spec = FindShort(specs, arg[1]);
      if (arg.size() > 2) attached = arg.substr(2);
    }
    if (spec == nullptr) throw TUsageError(Format(msg::UnknownOption, {shown}));
    if (!spec->TakesValue()) {
      if (attached) throw TUsageError(Format(msg::UnexpectedValue, {shown}));
      Store(parsed, *spec, std::string());
      continue;
    }
    if (!attached) {
      if (i + 1 == args.size()) throw TUsageError(Format(msg::MissingValue, {shown}));
      attached = args[++i];
    }
    Store(parsed, *spec, std::move(*attached));
  }
  return parsed;
}

std::string OptionsHelp(std::span<const TOptionSpec> specs) {
  std::vector<std::pair<std::string, std::string_view>> lines;
  std::size_t width = 0;
  for (const TOptionSpec& spec : specs) {
    std::string name = spec.Short != 0 ? std::string("-") + spec.Short + ", " : "    ";
    name += spec.Long;
    if (spec.TakesValue()) name += " " + std::string(spec.ValueName);
    width = std::max(width, name.size());
    lines.emplace_back(std::move(name), spec.Help);
  }
  lines.emplace_back("-h, --help", "show this help");
  std::string text = "Options:\n";
  for (const auto& [name, help] : lines)
    text += "  " + name + std::string(width + 2 - std::min(width, name.size()), ' ') +
            std::string(help) + "\n";
  return text;
}

int WholeNumber(std::string_view optionName, const std::string& text) {
  // Digits only, as the window's fields accept when typed into: a typo such as
  // "8O" must not quietly count as 0.
  const bool digits = !text.empty() && text.size() <= 9 &&
                      text.find_first_not_of("0123456789") == std::string::npos;
  if (!digits) throw TUsageError(Format(msg::NotANumber, {std::string(optionName), text}));
  return std::stoi(text);
}

int NumberInRange(std::string_view optionName, const std::string& text, int low, int high) {
  const std::string name(optionName);
  const std::string range[] = {std::to_string(low), std::to_string(high)};
  // A signed range reads the sign, then the digits as a whole number would.
  if (low < 0 && text.size() > 1 && (text[0] == '-' || text[0] == '+')) {
    const bool digits = text.find_first_not_of("0123456789", 1) == std::string::npos;
    const int magnitude = digits && text.size() <= 10 ? std::stoi(text.substr(1)) : -1;
    if (magnitude < 0) throw TUsageError(Format(msg::NotANumber, {name, text}));
    const int value = text[0] == '-' ? -magnitude : magnitude;
    if (value < low || value > high)
      throw TUsageError(Format(msg::OutOfRange, {name, text, range[0], range[1]}));
    return value;
  }
  // "-5" would otherwise read as a typo; it is a value outside the range.
  if (text.size() > 1 && text[0] == '-' &&
      text.find_first_not_of("0123456789", 1) == std::string::npos)
    throw TUsageError(Format(msg::NegativeValue, {name, text, range[0], range[1]}));
  const int value = WholeNumber(optionName, text);
  if (value < low || value > high)
    throw TUsageError(Format(msg::OutOfRange, {name, text, range[0], range[1]}));
  return value;
}

int ParseJobs(const std::string& text) {
  return NumberInRange("-j", text, 1, 1024);
}

gif::TGIFColor ParseColour(std::string_view optionName, const std::string& text) {
  const std::optional<gif::TColor> colour = edit::ParseHexColor(text);
  if (!colour) throw TUsageError(Format(msg::NotAColour, {std::string(optionName), text}));
  return gif::TGIFColorMap::ColorToTriple(*colour);
}

}  // namespace cli
