#include "cli/RecolourCommand.h"

#include <unistd.h>

#include <filesystem>
#include <map>
#include <system_error>

#include "cli/Batch.h"
#include "cli/Messages.h"
#include "edit/ColorTables.h"
#include "gif/Document.h"

namespace cli {

const TOptionSpec RecolourOptions[13] = {
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
    {"--jobs", 'j', "N", "work on N files at once (default: the number of cores)"},
};

namespace {

struct TPassOptions {
  const char* From;
  const char* To;
  std::string edit::TRecolourRequest::*FromField;
  std::string edit::TRecolourRequest::*ToField;
};

// In the order the passes run.
constexpr TPassOptions kPasses[] = {
    {"--from-hue", "--to-hue", &edit::TRecolourRequest::FromH, &edit::TRecolourRequest::ToH},
    {"--from-sat", "--to-sat", &edit::TRecolourRequest::FromS, &edit::TRecolourRequest::ToS},
    {"--from-light", "--to-light", &edit::TRecolourRequest::FromL, &edit::TRecolourRequest::ToL},
};

// Two targets are the same file when their paths resolve alike; a file that
// does not exist yet resolves as far as its folders do.
std::string Identity(const std::string& path) {
  std::error_code error;
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
  return error ? std::filesystem::absolute(path).lexically_normal().string() : resolved.string();
}

}  // namespace

TRecolourPlan PlanRecolour(const TParsedArgs& args) {
  TRecolourPlan plan;
  if (args.Files.empty()) throw TUsageError(msg::NoFiles);

  bool anyPass = false;
  for (const TPassOptions& pass : kPasses) {
    const std::optional<std::string> from = args.Value(pass.From);
    const std::optional<std::string> to = args.Value(pass.To);
    if (from) WholeNumber(pass.From, *from);
    if (to) WholeNumber(pass.To, *to);
    if (to && !from) throw TUsageError(Format(msg::ToWithoutFrom, {pass.To, pass.From}));
    plan.Request.*pass.FromField = from.value_or("");
    plan.Request.*pass.ToField = to.value_or("");
    anyPass = anyPass || from.has_value();
  }
  if (!anyPass) throw TUsageError(msg::NoPass);
  if (const std::optional<std::string> tolerance = args.Value("--tolerance")) {
    plan.Tolerance = WholeNumber("--tolerance", *tolerance);
    if (plan.Tolerance > 100) throw TUsageError(msg::ToleranceRange);
  }
  const int tolerance = plan.Tolerance;
  plan.Request.Tolerance = [tolerance] { return tolerance; };

  // The recolour core's own checks, run over no maps, give the window's
  // messages in the window's order ("Please enter new Hue", "Hue must be less
  // than 240").
  std::optional<std::string> refusal;
  plan.Request.ShowError = [&refusal](const std::string& message) {
    if (!refusal) refusal = message;
  };
  edit::Recolour(std::span<gif::TGIFColorMap* const>{}, plan.Request);
  if (refusal) throw TUsageError(*refusal);
  // Every check has passed, so a message now would be a fault of this tool.
  plan.Request.ShowError = [](const std::string& message) { throw std::logic_error(message); };

  plan.GlobalOnly = args.Has("--global-only");
  plan.Jobs = args.Has("--jobs") ? ParseJobs(*args.Value("--jobs")) : DefaultJobs();
  plan.Files = args.Files;

  const int outputs =
      int{args.Has("--output")} + int{args.Has("--out-dir")} + int{args.Has("--in-place")};
  if (outputs > 1) throw TUsageError(msg::TwoOutputs);
  if (args.Has("--dry-run")) return plan;
  if (outputs == 0) throw TUsageError(msg::NoOutput);
  if (args.Has("--output")) {
    if (plan.Files.size() != 1) throw TUsageError(msg::OutputTakesOneFile);
    plan.Mode = TOutputMode::OutputFile;
    plan.Output = *args.Value("--output");
    plan.Targets = {plan.Output};
    return plan;
  }
  if (args.Has("--out-dir")) {
    plan.Mode = TOutputMode::OutDir;
    plan.Output = *args.Value("--out-dir");
    for (const std::string& file : plan.Files)
      plan.Targets.push_back(
          (std::filesystem::path(plan.Output) / std::filesystem::path(file).filename()).string());
  } else {
    plan.Mode = TOutputMode::InPlace;
    plan.Targets = plan.Files;
  }
  // Two files written to one target would have one result lost, or a file
  // recoloured twice.
  std::map<std::string, std::size_t> seen;
  for (std::size_t i = 0; i < plan.Targets.size(); ++i) {
    const auto [it, added] = seen.emplace(Identity(plan.Targets[i]), i);
    if (!added)
      throw TUsageError(
          Format(msg::SameTarget, {plan.Files[it->second], plan.Files[i], plan.Targets[i]}));
  }
  return plan;
}

std::string RecolourFile(const TRecolourPlan& plan, const std::string& file,
                         const std::string& target) {
  gif::TGIFImage image;
  image.LoadFile(file);
  const std::vector<gif::TGIFColorMap*> maps =
      edit::MapsOf(edit::ColorTables(image, plan.GlobalOnly));
  edit::TRecolourCount count;
  edit::Recolour(maps, plan.Request, &count);
  const bool dryRun = plan.Mode == TOutputMode::DryRun;
  if (!dryRun) image.SaveFile(target);
  return Format(dryRun ? msg::WouldChange : msg::Changed,
                {file, std::to_string(count.EntriesChanged), std::to_string(count.EntriesTotal),
                 std::to_string(count.TablesTotal), count.TablesTotal == 1 ? "table" : "tables"}) +
         "\n";
}

int RunRecolour(const TParsedArgs& args) {
  const TRecolourPlan plan = PlanRecolour(args);
  if (plan.Mode == TOutputMode::OutDir) {
    std::error_code error;
    std::filesystem::create_directories(plan.Output, error);
    if (error) {
      std::fprintf(stderr, "%s\n",
                   Format(msg::CannotCreateFolder, {plan.Output, error.message()}).c_str());
      return 1;
    }
  }
  TBatchOptions batch;
  batch.Jobs = plan.Jobs;
  batch.Progress = ::isatty(STDERR_FILENO) != 0;
  return RunBatch(
      plan.Files,
      [&plan](std::size_t i) {
        return RecolourFile(plan, plan.Files[i],
                            plan.Targets.empty() ? std::string() : plan.Targets[i]);
      },
      batch, stdout, stderr);
}

}  // namespace cli
