// tintwell-cli: sub-commands over the GIF library and the recolour core, one
// file in and one file out, for scripts and build pipelines.
#include <cstdio>
#include <exception>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/AdjustCommand.h"
#include "cli/Completion.h"
#include "cli/Info.h"
#include "cli/MapCommand.h"
#include "cli/Messages.h"
#include "cli/Options.h"
#include "cli/PaletteCommand.h"
#include "cli/RecolourCommand.h"

namespace {

// A new sub-command is one row here and its own file pair.
constexpr cli::TCommandSpec kCommands[] = {
    {"info", "", cli::msg::InfoSummary, cli::msg::InfoSynopsis, cli::msg::InfoDescription,
     cli::InfoOptions, "", cli::RunInfo},
    {"recolour", "recolor", cli::msg::RecolourSummary, cli::msg::RecolourSynopsis,
     cli::msg::RecolourDescription, cli::RecolourOptions, "", cli::RunRecolour},
    {"palette", "", cli::msg::PaletteSummary, cli::msg::PaletteSynopsis,
     cli::msg::PaletteDescription, cli::PaletteOptions,
     "export import ramp sort compact dedupe transparent", cli::RunPalette},
    {"adjust", "", cli::msg::AdjustSummary, cli::msg::AdjustSynopsis, cli::msg::AdjustDescription,
     cli::AdjustOptions, "", cli::RunAdjust},
    {"map", "", cli::msg::MapSummary, cli::msg::MapSynopsis, cli::msg::MapDescription,
     cli::MapOptions, "", cli::RunMap},
};

void PrintMainHelp() {
  std::fputs(cli::msg::MainUsage, stdout);
  for (const cli::TCommandSpec& command : kCommands) {
    std::printf("  %-10.*s %s\n", static_cast<int>(command.Name.size()), command.Name.data(),
                command.Summary);
    if (!command.Alias.empty())
      std::printf("  %-10.*s %s\n", static_cast<int>(command.Alias.size()), command.Alias.data(),
                  cli::Format(cli::msg::AliasSummary, {std::string(command.Name)}).c_str());
  }
  std::fputs(cli::msg::MainHelpTail, stdout);
}

int UsageError(const std::string& message, const char* synopsis, const std::string& helpFor) {
  std::fprintf(stderr, "%s: %s\n%s%s\n", cli::msg::Program, message.c_str(), synopsis,
               cli::Format(cli::msg::TryHelp, {helpFor}).c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : argc), argv + argc);
  const std::string program = cli::msg::Program;
  if (args.empty()) return UsageError(cli::msg::NoCommand, cli::msg::MainUsage, program);
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    PrintMainHelp();
    return 0;
  }
  if (args[0] == "--version") {
    std::printf("%s %s\n", cli::msg::Program, TINTWELL_VERSION);
    return 0;
  }
  // Not in the help: the build runs it to make the completion scripts.
  if (args[0] == "--completion") {
    const std::string script =
        args.size() == 2 ? cli::CompletionScript(args[1], kCommands) : std::string();
    if (script.empty()) return UsageError(cli::msg::CompletionShell, cli::msg::MainUsage, program);
    std::fputs(script.c_str(), stdout);
    return 0;
  }
  for (const cli::TCommandSpec& command : kCommands) {
    if (command.Name != args[0] && (command.Alias.empty() || command.Alias != args[0])) continue;
    const std::string helpFor = program + " " + std::string(command.Name);
    try {
      const cli::TParsedArgs parsed =
          cli::ParseArguments(std::span(args).subspan(1), command.Options);
      if (parsed.HelpWanted) {
        std::printf("%s%s\n%s", command.Synopsis, command.Description,
                    cli::OptionsHelp(command.Options).c_str());
        return 0;
      }
      return command.Run(parsed);
    } catch (const cli::TUsageError& e) {
      return UsageError(e.what(), command.Synopsis, helpFor);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "%s: %s\n", cli::msg::Program, e.what());
      return 1;
    }
  }
  return UsageError(cli::Format(cli::msg::UnknownCommand, {args[0]}), cli::msg::MainUsage, program);
}
