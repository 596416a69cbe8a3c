// The completion scripts tintwell-cli makes name every command and every
// option its help lists: both come from the same tables, so an option missing
// here means the scripts were made some other way.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "CliRun.h"

namespace {

using cli_test::RunCli;

struct TOption {
  std::string Long;
  char Short = 0;
};

// The options of a command's help, "  -j, --jobs N  ..." or "      --json  ...".
std::vector<TOption> HelpOptions(const std::string& command) {
  const cli_test::TRun help = RunCli({command, "--help"});
  EXPECT_EQ(help.Status, 0);
  std::vector<TOption> options;
  const std::regex line(R"(^  (?:-(\w), |    )(--[\w-]+))");
  std::istringstream lines(help.Out);
  for (std::string text; std::getline(lines, text);) {
    std::smatch match;
    if (!std::regex_search(text, match, line)) continue;
    options.push_back({match[2], match[1].matched ? match[1].str()[0] : char{0}});
  }
  return options;
}

TEST(CompletionCli, EveryScriptNamesEveryCommandAndOption) {
  const std::vector<std::string> commands = {"info", "recolour", "recolor", "palette"};
  // How each shell's script spells a long and a short option.
  const struct {
    std::string shell;
    std::string (*spellLong)(const std::string&);
    std::string (*spellShort)(char);
  } shells[] = {
      {"bash", [](const std::string& o) { return " " + o + " "; },
       [](char c) { return std::string(" -") + c + " "; }},
      {"zsh", [](const std::string& o) { return "'" + o; },
       [](char c) { return std::string("'-") + c; }},
      {"fish", [](const std::string& o) { return " -l " + o.substr(2) + " "; },
       [](char c) { return std::string(" -s ") + c + " "; }},
  };
  for (const auto& shell : shells) {
    SCOPED_TRACE(shell.shell);
    cli_test::TRun script = RunCli({"--completion", shell.shell});
    ASSERT_EQ(script.Status, 0) << script.Err;
    // bash lists the options as words of compgen -W '...' and of case patterns.
    if (shell.shell == "bash")
      for (char& c : script.Out)
        if (c == '\'' || c == '|' || c == ')') c = ' ';
    for (const std::string& command : commands) {
      SCOPED_TRACE(command);
      EXPECT_NE(script.Out.find(command), std::string::npos);
      const std::vector<TOption> options = HelpOptions(command);
      EXPECT_GT(options.size(), 3u);
      for (const TOption& option : options) {
        EXPECT_NE(script.Out.find(shell.spellLong(option.Long)), std::string::npos) << option.Long;
        if (option.Short != 0) {
          EXPECT_NE(script.Out.find(shell.spellShort(option.Short)), std::string::npos)
              << option.Short;
        }
      }
    }
  }
  EXPECT_EQ(RunCli({"--completion", "tcsh"}).Status, 2);
}

}  // namespace
