#include "cli/TableEdit.h"

#include <algorithm>
#include <stdexcept>

#include "cli/Batch.h"
#include "cli/Messages.h"

namespace cli {

namespace {

std::vector<edit::TColorTable> ChosenTables(gif::TGIFImage& image, const TEditPlan& plan) {
  if (plan.Table) return {ChooseTable(image, *plan.Table)};
  return edit::ColorTables(image, plan.GlobalOnly);
}

std::string Report(const std::string& file, TEditUnit unit, const TEditCount& count, bool dryRun) {
  if (count.Changed == 0) return Format(msg::Unchanged, {file}) + "\n";
  if (unit == TEditUnit::Frames)
    return Format(dryRun ? msg::FramesWouldChange : msg::FramesChanged,
                  {file, std::to_string(count.Changed), count.Changed == 1 ? "frame" : "frames"}) +
           "\n";
  return Format(dryRun ? msg::EntriesWouldChange : msg::EntriesChanged,
                {file, std::to_string(count.Changed), std::to_string(count.Tables),
                 count.Tables == 1 ? "table" : "tables"}) +
         "\n";
}

std::string EditFile(const TEditPlan& plan, TEditUnit unit, const TTableEdit& edit,
                     std::size_t index, std::string& notes) {
  const std::string file = DisplayName(plan.Files[index]);
  TGifInput input(plan.Files[index], plan.Warnings, notes);
  const std::vector<edit::TColorTable> tables = ChosenTables(input.Image, plan);
  std::vector<std::string> warnings;
  const TEditCount count = edit(input.Image, tables, warnings);
  if (!plan.Warnings.Quiet)
    for (const std::string& warning : warnings)
      notes += Format(msg::Warning, {file, warning}) + "\n";
  if (plan.Warnings.Strict && !warnings.empty()) throw std::runtime_error(msg::StrictFailure);
  WriteResult(input, plan.Outputs, index, count.Changed != 0);
  return Report(file, unit, count, plan.Outputs.Mode == TOutputMode::DryRun);
}

}  // namespace

TEditCount EachTable(std::span<const edit::TColorTable> tables,
                     const std::function<int(gif::TGIFColorMap& map)>& change) {
  TEditCount count;
  for (const edit::TColorTable& table : tables) {
    const int changed = change(*table.Map);
    count.Changed += changed;
    count.Tables += changed != 0;
  }
  return count;
}

TEditPlan PlanEdit(const TParsedArgs& args, std::size_t firstFile) {
  TEditPlan plan;
  plan.Files.assign(
      args.Files.begin() + static_cast<std::ptrdiff_t>(std::min(firstFile, args.Files.size())),
      args.Files.end());
  if (plan.Files.empty()) throw TUsageError(msg::NoFiles);
  if (args.Has("--table") && args.Has("--global-only")) throw TUsageError(msg::TableAndGlobalOnly);
  if (const std::optional<std::string> table = args.Value("--table"))
    plan.Table = ParseTableChoice(*table);
  plan.GlobalOnly = args.Has("--global-only");
  plan.Jobs = args.Has("--jobs") ? ParseJobs(*args.Value("--jobs")) : DefaultJobs();
  plan.Outputs = PlanOutputs(args, plan.Files);
  plan.Warnings = WarningPolicyOf(args);
  return plan;
}

int RunEdit(const TEditPlan& plan, TEditUnit unit, const TTableEdit& edit) {
  return RunWritingBatch(
      plan.Files, plan.Outputs, plan.Jobs,
      [&](std::size_t i, std::string& notes) { return EditFile(plan, unit, edit, i, notes); });
}

void CheckOptionsApply(const TParsedArgs& args, std::span<const TOptionSpec> options,
                       std::span<const std::string_view> takes, const std::string& command,
                       bool withShared) {
  auto among = [](std::span<const std::string_view> names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  auto shared = [](std::string_view name) {
    return std::any_of(std::begin(EditOptions), std::end(EditOptions),
                       [&](const TOptionSpec& option) { return option.Long == name; });
  };
  // In the order of the table, so that the message does not depend on the
  // order of the arguments.
  for (const TOptionSpec& option : options)
    if (args.Has(option.Long) && !among(takes, option.Long) && !(withShared && shared(option.Long)))
      throw TUsageError(Format(msg::OptionDoesNotApply, {std::string(option.Long), command}));
}

}  // namespace cli
