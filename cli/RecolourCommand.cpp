#include "cli/RecolourCommand.h"

#include "cli/Batch.h"
#include "cli/Messages.h"
#include "edit/ColorTables.h"
#include "gif/Document.h"

namespace cli {

const TOptionSpec RecolourOptions[15] = {
    {"--from-hue", 0, "N", "change entries whose hue lies within the tolerance of N"},
    {"--to-hue", 0, "N", "... to hue N, keeping their lightness and saturation"},
    {"--from-sat", 0, "N", "change entries whose saturation lies within the tolerance of N"},
    {"--to-sat", 0, "N", "... to saturation N"},
    {"--from-light", 0, "N", "change entries whose lightness lies within the tolerance of N"},
    {"--to-light", 0, "N", "... to lightness N"},
    {"--tolerance", 0, "N", "how far from a From value an entry may lie, 0..100 (default 0)"},
    {"--global-only", 0, "", "change the global colour table only, not the frames' own"},
    {"--dry-run", 0, "", "write nothing; say how many entries would change"},
    {"--output", 'o', "OUT", "write the result to OUT (one FILE only)"},
    {"--out-dir", 0, "DIR", "write each result under DIR with its input's name"},
    {"--in-place", 0, "", "replace each FILE with its result"},
    JobsOption,
    StrictOption,
    QuietOption,
};

namespace {

struct TPassOptions {
  const char* From;
  const char* To;
  std::string edit::TRecolourFields::*FromField;
  std::string edit::TRecolourFields::*ToField;
};

// In the order the passes run.
constexpr TPassOptions kPasses[] = {
    {"--from-hue", "--to-hue", &edit::TRecolourFields::FromH, &edit::TRecolourFields::ToH},
    {"--from-sat", "--to-sat", &edit::TRecolourFields::FromS, &edit::TRecolourFields::ToS},
    {"--from-light", "--to-light", &edit::TRecolourFields::FromL, &edit::TRecolourFields::ToL},
};

}  // namespace

TRecolourPlan PlanRecolour(const TParsedArgs& args) {
  TRecolourPlan plan;
  if (args.Files.empty()) throw TUsageError(msg::NoFiles);

  edit::TRecolourFields fields;
  bool anyPass = false;
  for (const TPassOptions& pass : kPasses) {
    const std::optional<std::string> from = args.Value(pass.From);
    const std::optional<std::string> to = args.Value(pass.To);
    // The window's fields hold 0..240 on every scale.
    if (from) NumberInRange(pass.From, *from, 0, 240);
    if (to) NumberInRange(pass.To, *to, 0, 240);
    if (to && !from) throw TUsageError(Format(msg::ToWithoutFrom, {pass.To, pass.From}));
    fields.*pass.FromField = from.value_or("");
    fields.*pass.ToField = to.value_or("");
    anyPass = anyPass || from.has_value();
  }
  if (!anyPass) throw TUsageError(msg::NoPass);
  if (const std::optional<std::string> tolerance = args.Value("--tolerance")) {
    plan.Tolerance = NumberInRange("--tolerance", *tolerance, 0, 100);
  }
  // The window's plan of the same fields: the first box it would show
  // ("Please enter new Hue") is the usage error, and nothing runs.
  plan.Passes = edit::MakeRecolourPlan(fields, plan.Tolerance);
  const std::vector<std::string> messages = plan.Passes.Messages();
  if (!messages.empty()) throw TUsageError(messages.front());

  plan.GlobalOnly = args.Has("--global-only");
  plan.Jobs = args.Has("--jobs") ? ParseJobs(*args.Value("--jobs")) : DefaultJobs();
  plan.Files = args.Files;

  plan.Outputs = PlanOutputs(args, plan.Files);
  plan.Warnings = WarningPolicyOf(args);
  return plan;
}

std::string RecolourFile(const TRecolourPlan& plan, std::size_t index, std::string& notes) {
  const std::string file = DisplayName(plan.Files[index]);
  TGifInput input(plan.Files[index], plan.Warnings, notes);
  const std::vector<gif::TGIFColorMap*> maps =
      edit::MapsOf(edit::ColorTables(input.Image, plan.GlobalOnly));
  edit::TRecolourCount count;
  edit::Recolour(maps, plan.Passes, &count);
  const bool dryRun = plan.Outputs.Mode == TOutputMode::DryRun;
  if (!WriteResult(input, plan.Outputs, index) && !dryRun)
    return Format(msg::Unchanged, {file}) + "\n";
  return Format(dryRun ? msg::WouldChange : msg::Changed,
                {file, std::to_string(count.EntriesChanged), std::to_string(count.EntriesTotal),
                 std::to_string(count.TablesTotal), count.TablesTotal == 1 ? "table" : "tables"}) +
         "\n";
}

int RunRecolour(const TParsedArgs& args) {
  const TRecolourPlan plan = PlanRecolour(args);
  return RunWritingBatch(
      plan.Files, plan.Outputs, plan.Jobs,
      [&plan](std::size_t i, std::string& notes) { return RecolourFile(plan, i, notes); });
}

}  // namespace cli
