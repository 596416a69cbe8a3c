// What every command that changes a file's colour tables shares: which tables
// it works on (all, --global-only or --table), where its results go, and the
// run over the files with a report line each ("FILE: 12 entries in 3 tables
// changed"), the editing library's warnings among the file's notes.
#pragma once

#include <algorithm>
#include <array>
#include <functional>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/InputOutput.h"
#include "cli/Options.h"
#include "cli/PaletteCommand.h"
#include "edit/ColorTables.h"
#include "gif/GIFImage.h"

namespace cli {

// The options every command that changes tables takes, after its own.
inline constexpr TOptionSpec EditOptions[] = {
    {"--global-only", 0, "", "change the global colour table only"},
    {"--table", 0, "global|N", "only the global table or frame N's own (from 1)"},
    {"--dry-run", 0, "", "write nothing; say what would change"},
    {"--output", 'o', "OUT", "write the result to OUT (one FILE only)"},
    {"--out-dir", 0, "DIR", "write each result under DIR with its input's name"},
    {"--in-place", 0, "", "replace each FILE with its result"},
    JobsOption,
    StrictOption,
    QuietOption,
};

// A command's table: its own options, then EditOptions.
template <std::size_t N>
constexpr std::array<TOptionSpec, N + std::size(EditOptions)> WithEditOptions(
    const TOptionSpec (&own)[N]) {
  std::array<TOptionSpec, N + std::size(EditOptions)> options{};
  std::copy(std::begin(own), std::end(own), options.begin());
  std::copy(std::begin(EditOptions), std::end(EditOptions), options.begin() + N);
  return options;
}

// What the edit of one document did. Changed counts entries (moved, removed
// or given another colour), or frames for a command that changes frames.
struct TEditCount {
  int Changed = 0;
  int Tables = 0;
};
enum class TEditUnit { Entries, Frames };

// Runs change on the map of each table; it returns how many entries changed.
TEditCount EachTable(std::span<const edit::TColorTable> tables,
                     const std::function<int(gif::TGIFColorMap& map)>& change);

// Everything a run needs, checked before any file is touched.
struct TEditPlan {
  std::optional<TTableChoice> Table;  // one table; nullopt: every table
  bool GlobalOnly = false;
  TOutputPlan Outputs;
  TWarningPolicy Warnings;
  std::vector<std::string> Files;
  int Jobs = 1;
};

// From the shared options, with the files from args.Files[firstFile] on.
// Raises TUsageError.
TEditPlan PlanEdit(const TParsedArgs& args, std::size_t firstFile = 0);

// The edit of one document over the tables the plan chose; it adds to
// warnings what the editing library warned about (a table left as it is).
using TTableEdit =
    std::function<TEditCount(gif::TGIFImage& image, std::span<const edit::TColorTable> tables,
                             std::vector<std::string>& warnings)>;

// Runs edit over every file of the plan on plan.Jobs threads and writes each
// result as planned; 0, 1 or 128 + a signal as RunBatch.
int RunEdit(const TEditPlan& plan, TEditUnit unit, const TTableEdit& edit);

// Raises TUsageError for an option of options that was given but is neither
// among takes nor (withShared) among EditOptions. command
// names the command in the message ("palette sort").
void CheckOptionsApply(const TParsedArgs& args, std::span<const TOptionSpec> options,
                       std::span<const std::string_view> takes, const std::string& command,
                       bool withShared = true);

}  // namespace cli
