#include "cli/AdjustCommand.h"

#include "cli/Messages.h"
#include "cli/TableEdit.h"
#include "edit/Adjust.h"
#include "edit/Selection.h"

namespace cli {

const std::array<TOptionSpec, 19> AdjustOptions = WithEditOptions({
    {"--hue", 0, "D", "add D to the hue: -240..240, or degrees -360..360 with --perceptual"},
    {"--sat", 0, "D", "add D to the saturation: -240..240, or percent of chroma -100..100"},
    {"--light", 0, "D", "add D to the lightness: -240..240, or points of OKLab L -100..100"},
    {"--perceptual", 0, "", "shift in OKLCh, keeping the perceived brightness"},
    {"--entries", 0, "LIST", "only the entries of LIST, such as 0-15,32,40-47"},
    {"--match-hue", 0, "N", "only entries whose hue lies within the tolerance of N (0..240)"},
    {"--match-sat", 0, "N", "only entries whose saturation lies within the tolerance of N"},
    {"--match-light", 0, "N", "only entries whose lightness lies within the tolerance of N"},
    {"--tolerance", 0, "T", "how far a matched value may lie, 0..120 (default 0)"},
    {"--match-color", 0, "RRGGBB", "only entries of exactly this colour"},
});

namespace {

edit::TSelection ParseSelection(const TParsedArgs& args) {
  edit::TSelection selection;
  if (const std::optional<std::string> list = args.Value("--entries")) {
    selection.Entries = edit::ParseEntryList(*list);
    if (!selection.Entries) throw TUsageError(Format(msg::NotAnEntryList, {"--entries", *list}));
  }
  const struct {
    const char* Option;
    std::optional<int> edit::TSelection::*Field;
  } matches[] = {{"--match-hue", &edit::TSelection::MatchHue},
                 {"--match-sat", &edit::TSelection::MatchSat},
                 {"--match-light", &edit::TSelection::MatchLight}};
  for (const auto& match : matches)
    if (const std::optional<std::string> value = args.Value(match.Option))
      selection.*match.Field = NumberInRange(match.Option, *value, 0, 240);
  if (const std::optional<std::string> tolerance = args.Value("--tolerance")) {
    if (!selection.MatchHue && !selection.MatchSat && !selection.MatchLight)
      throw TUsageError(msg::ToleranceWithoutMatch);
    selection.Tolerance = NumberInRange("--tolerance", *tolerance, 0, 120);
  }
  if (const std::optional<std::string> colour = args.Value("--match-color"))
    selection.MatchColor = gif::TGIFColorMap::TripleToColor(ParseColour("--match-color", *colour));
  return selection;
}

edit::TAdjustment ParseAdjustment(const TParsedArgs& args) {
  edit::TAdjustment adjustment;
  adjustment.Perceptual = args.Has("--perceptual");
  const int hueRange = adjustment.Perceptual ? 360 : 240;
  const int otherRange = adjustment.Perceptual ? 100 : 240;
  const struct {
    const char* Option;
    int Range;
    double edit::TAdjustment::*Field;
  } amounts[] = {{"--hue", hueRange, &edit::TAdjustment::Hue},
                 {"--sat", otherRange, &edit::TAdjustment::Saturation},
                 {"--light", otherRange, &edit::TAdjustment::Lightness}};
  bool any = false;
  for (const auto& amount : amounts)
    if (const std::optional<std::string> value = args.Value(amount.Option)) {
      adjustment.*amount.Field = NumberInRange(amount.Option, *value, -amount.Range, amount.Range);
      any = true;
    }
  if (!any) throw TUsageError(msg::NoAdjustment);
  return adjustment;
}

}  // namespace

int RunAdjust(const TParsedArgs& args) {
  const edit::TAdjustment adjustment = ParseAdjustment(args);
  const edit::TSelection selection = ParseSelection(args);
  const TEditPlan plan = PlanEdit(args);
  // A file's tables are shared out over the processors, unless the batch
  // keeps them busy with a file each already.
  const unsigned threads = plan.Jobs > 1 && plan.Files.size() > 1 ? 1 : 0;
  return RunEdit(
      plan, TEditUnit::Entries,
      [&](gif::TGIFImage&, std::span<const edit::TColorTable> tables, std::vector<std::string>&) {
        std::vector<edit::TTableEntries> chosen;
        for (const edit::TColorTable& table : tables)
          chosen.push_back({table.Map, edit::Select(*table.Map, selection)});
        const edit::TAdjustCount count = edit::Adjust(chosen, adjustment, threads);
        return TEditCount{count.Changed, count.Tables};
      });
}

}  // namespace cli
