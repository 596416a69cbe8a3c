#include "cli/Completion.h"

#include <algorithm>
#include <vector>

namespace cli {

namespace {

// What an option's value completes to, read from its value name: "DIR" a
// folder, "OUT" or "FILE" a file, "a|b|N" the words given (N stands for a
// number, which nothing completes), any other name nothing.
struct TValue {
  enum class TKind { None, Plain, File, Folder, Words } Kind = TKind::None;
  std::string Words;  // space-separated
};

TValue ValueOf(const TOptionSpec& spec) {
  const std::string_view name = spec.ValueName;
  if (name.empty()) return {};
  if (name == "DIR") return {TValue::TKind::Folder, ""};
  if (name == "OUT" || name == "FILE") return {TValue::TKind::File, ""};
  if (name.find('|') == std::string_view::npos) return {TValue::TKind::Plain, ""};
  std::string words;
  for (std::size_t start = 0; start <= name.size();) {
    const std::size_t end = std::min(name.find('|', start), name.size());
    const std::string_view word = name.substr(start, end - start);
    if (!std::all_of(word.begin(), word.end(), [](char c) { return c >= 'A' && c <= 'Z'; }))
      words += (words.empty() ? "" : " ") + std::string(word);
    start = end + 1;
  }
  return {TValue::TKind::Words, words};
}

// Every option a command takes, with the help option the parser adds.
std::vector<TOptionSpec> OptionsOf(const TCommandSpec& command) {
  std::vector<TOptionSpec> options(command.Options.begin(), command.Options.end());
  options.push_back({"--help", 'h', "", "show this help"});
  return options;
}

std::string Names(const TCommandSpec& command, const char* separator) {
  std::string names(command.Name);
  if (!command.Alias.empty()) names += separator + std::string(command.Alias);
  return names;
}

// Inside single quotes, for shells where '\'' closes, quotes and reopens.
std::string Quoted(std::string_view text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string Bash(std::span<const TCommandSpec> commands) {
  std::string words;
  for (const TCommandSpec& command : commands) words += Names(command, " ") + " ";
  std::string script =
      "# bash completion for tintwell-cli, made by tintwell-cli --completion bash\n"
      "_tintwell_cli() {\n"
      "  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
      "  COMPREPLY=()\n"
      "  if ((COMP_CWORD == 1)); then\n"
      "    COMPREPLY=($(compgen -W '" +
      words +
      "--help --version' -- \"$cur\"))\n"
      "    return\n"
      "  fi\n"
      "  case ${COMP_WORDS[1]} in\n";
  for (const TCommandSpec& command : commands) {
    std::string names, valueCases;
    for (const TOptionSpec& option : OptionsOf(command)) {
      std::string spelt(option.Long);
      if (option.Short != 0) spelt += std::string("|-") + option.Short;
      names += (names.empty() ? "" : " ") + std::string(option.Long);
      if (option.Short != 0) names += std::string(" -") + option.Short;
      const TValue value = ValueOf(option);
      static constexpr const char* kReplies[] = {"", "", "COMPREPLY=($(compgen -f -- \"$cur\")); ",
                                                 "COMPREPLY=($(compgen -d -- \"$cur\")); ", ""};
      if (value.Kind == TValue::TKind::None) continue;
      const std::string reply =
          value.Kind == TValue::TKind::Words
              ? "COMPREPLY=($(compgen -W '" + value.Words + "' -- \"$cur\")); "
              : kReplies[static_cast<int>(value.Kind)];
      valueCases += "        " + spelt + ") " + reply + "return ;;\n";
    }
    script += "    " + Names(command, "|") + ")\n";
    if (!valueCases.empty()) script += "      case $prev in\n" + valueCases + "      esac\n";
    script += "      if [[ $cur == -* ]]; then\n        COMPREPLY=($(compgen -W '" + names +
              "' -- \"$cur\"))\n";
    if (!command.Actions.empty())
      script += "      elif ((COMP_CWORD == 2)); then\n        COMPREPLY=($(compgen -W '" +
                std::string(command.Actions) + "' -- \"$cur\"))\n";
    script += "      else\n        COMPREPLY=($(compgen -f -- \"$cur\"))\n      fi\n      ;;\n";
  }
  return script +
         "  esac\n"
         "}\n"
         "complete -o filenames -F _tintwell_cli tintwell-cli\n";
}

std::string Zsh(std::span<const TCommandSpec> commands) {
  std::string script =
      "#compdef tintwell-cli\n"
      "# zsh completion for tintwell-cli, made by tintwell-cli --completion zsh\n"
      "_tintwell_cli() {\n"
      "  local -a commands\n"
      "  commands=(\n";
  for (const TCommandSpec& command : commands) {
    script += "    " + Quoted(std::string(command.Name) + ":" + command.Summary) + "\n";
    if (!command.Alias.empty())
      script +=
          "    " +
          Quoted(std::string(command.Alias) + ":another name of " + std::string(command.Name)) +
          "\n";
  }
  script +=
      "  )\n"
      "  if ((CURRENT == 2)); then\n"
      "    _describe -t commands 'tintwell-cli command' commands\n"
      "    return\n"
      "  fi\n"
      "  local command=${words[2]}\n"
      "  words=(${words[1]} ${words[3,-1]})\n"
      "  ((CURRENT--))\n"
      "  case $command in\n";
  for (const TCommandSpec& command : commands) {
    script += "    " + Names(command, "|") + ")\n      _arguments -s";
    for (const TOptionSpec& option : OptionsOf(command)) {
      const TValue value = ValueOf(option);
      std::string argument;
      static constexpr const char* kActions[] = {"", "", "_files", "_files -/", ""};
      if (value.Kind != TValue::TKind::None)
        argument = ":" + std::string(option.ValueName) + ":" +
                   (value.Kind == TValue::TKind::Words ? "(" + value.Words + ")"
                                                       : kActions[static_cast<int>(value.Kind)]);
      // _arguments reads a backslash before ] and : as the character itself.
      std::string help = "[";
      for (const char c : option.Help)
        help += (c == ']' || c == '[' || c == ':' ? "\\" : "") + std::string(1, c);
      help += "]" + argument;
      const bool takes = value.Kind != TValue::TKind::None;
      script += " \\\n        " + Quoted(std::string(option.Long) + (takes ? "=" : "") + help);
      if (option.Short != 0)
        script += " \\\n        " +
                  Quoted("-" + std::string(1, option.Short) + (takes ? "+" : "") + help);
    }
    if (!command.Actions.empty())
      script += " \\\n        '1:action:(" + std::string(command.Actions) + ")'";
    script += " \\\n        '*:file:_files'\n      ;;\n";
  }
  return script +
         "  esac\n"
         "}\n"
         "_tintwell_cli \"$@\"\n";
}

std::string Fish(std::span<const TCommandSpec> commands) {
  auto quoted = [](std::string_view text) {
    std::string q = "'";
    for (const char c : text)
      q += c == '\'' || c == '\\' ? std::string("\\") + c : std::string(1, c);
    return q + "'";
  };
  std::string script =
      "# fish completion for tintwell-cli, made by tintwell-cli --completion fish\n"
      "complete -c tintwell-cli -f\n"
      "complete -c tintwell-cli -n __fish_use_subcommand -l help -d 'show the help'\n"
      "complete -c tintwell-cli -n __fish_use_subcommand -l version -d 'show the version'\n";
  for (const TCommandSpec& command : commands) {
    script += "complete -c tintwell-cli -n __fish_use_subcommand -a " + std::string(command.Name) +
              " -d " + quoted(command.Summary) + "\n";
    if (!command.Alias.empty())
      script += "complete -c tintwell-cli -n __fish_use_subcommand -a " +
                std::string(command.Alias) + " -d " +
                quoted("another name of " + std::string(command.Name)) + "\n";
    const std::string when =
        "complete -c tintwell-cli -n '__fish_seen_subcommand_from " + Names(command, " ") + "'";
    for (const TOptionSpec& option : OptionsOf(command)) {
      const TValue value = ValueOf(option);
      std::string line = when;
      if (option.Short != 0) line += std::string(" -s ") + option.Short;
      line += " -l " + std::string(option.Long.substr(2));
      switch (value.Kind) {
        case TValue::TKind::None:
          break;
        case TValue::TKind::Plain:
          line += " -x";
          break;
        case TValue::TKind::File:
          line += " -r -F";
          break;
        case TValue::TKind::Folder:
          line += " -x -a '(__fish_complete_directories)'";
          break;
        case TValue::TKind::Words:
          line += " -x -a " + quoted(value.Words);
          break;
      }
      script += line + " -d " + quoted(option.Help) + "\n";
    }
    if (!command.Actions.empty())
      script += "complete -c tintwell-cli -n '__fish_seen_subcommand_from " + Names(command, " ") +
                "; and not __fish_seen_subcommand_from " + std::string(command.Actions) + "' -a " +
                quoted(command.Actions) + "\n";
    script += when + " -F\n";
  }
  return script;
}

}  // namespace

std::string CompletionScript(const std::string& shell, std::span<const TCommandSpec> commands) {
  if (shell == "bash") return Bash(commands);
  if (shell == "zsh") return Zsh(commands);
  if (shell == "fish") return Fish(commands);
  return {};
}

}  // namespace cli
