#include "cli/PaletteOperations.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "cli/Messages.h"
#include "cli/TableEdit.h"
#include "edit/Ramp.h"
#include "edit/Remap.h"
#include "edit/Transparency.h"

namespace cli {

namespace {

TEditCount CountOf(const edit::TRemapReport& report, std::vector<std::string>& warnings) {
  warnings.insert(warnings.end(), report.Warnings.begin(), report.Warnings.end());
  return {report.EntriesChanged, report.TablesChanged};
}

// "A-B" with 0 <= A < B <= 255.
std::pair<int, int> ParseRampEntries(const std::string& text) {
  const std::size_t dash = text.find('-');
  auto number = [&](const std::string& part) {
    if (part.empty() || part.size() > 3 ||
        part.find_first_not_of("0123456789") != std::string::npos)
      throw TUsageError(Format(msg::RampEntriesValue, {text}));
    return std::stoi(part);
  };
  if (dash == std::string::npos) throw TUsageError(Format(msg::RampEntriesValue, {text}));
  const int first = number(text.substr(0, dash));
  const int last = number(text.substr(dash + 1));
  if (first >= last || last > 255) throw TUsageError(Format(msg::RampEntriesValue, {text}));
  return {first, last};
}

// "1-3,5": frames counted from 1, as 0-based indices in the order given.
std::vector<int> ParseFrameList(const std::string& text) {
  std::vector<int> frames;
  auto fail = [&] { return TUsageError(Format(msg::FrameListValue, {text})); };
  auto number = [&](std::string_view part) {
    if (part.empty() || part.size() > 9 ||
        part.find_first_not_of("0123456789") != std::string::npos)
      throw fail();
    const int value = std::stoi(std::string(part));
    if (value == 0) throw fail();
    return value;
  };
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find(',', start), text.size());
    const std::string_view item = std::string_view(text).substr(start, end - start);
    const std::size_t dash = item.find('-');
    const int first = number(item.substr(0, dash));
    const int last = dash == std::string_view::npos ? first : number(item.substr(dash + 1));
    // A range is a few frames of an animation, not a way to allocate much.
    if (first > last || last - first > 1'000'000) throw fail();
    for (int frame = first; frame <= last; ++frame) frames.push_back(frame - 1);
    start = end + 1;
  }
  return frames;
}

TTableEdit PlanRamp(const TParsedArgs& args) {
  const std::optional<std::string> entries = args.Value("--entries");
  if (!entries) throw TUsageError(msg::RampNeedsEntries);
  const auto [first, last] = ParseRampEntries(*entries);
  if (args.Has("--hls") && args.Has("--rgb")) throw TUsageError(msg::RampTwoSpaces);
  const edit::TRampSpace space = args.Has("--hls")   ? edit::TRampSpace::HLS
                                 : args.Has("--rgb") ? edit::TRampSpace::RGB
                                                     : edit::TRampSpace::OKLab;
  return [first, last, space](gif::TGIFImage&, std::span<const edit::TColorTable> tables,
                              std::vector<std::string>&) {
    return EachTable(
        tables, [&](gif::TGIFColorMap& map) { return edit::MakeRamp(map, first, last, space); });
  };
}

TTableEdit PlanSort(const TParsedArgs& args) {
  const std::optional<std::string> by = args.Value("--by");
  if (!by) throw TUsageError(msg::SortNeedsKey);
  const struct {
    std::string_view Name;
    edit::TSortKey Key;
  } keys[] = {{"hue", edit::TSortKey::Hue},
              {"saturation", edit::TSortKey::Saturation},
              {"lightness", edit::TSortKey::Lightness},
              {"luminance", edit::TSortKey::Luminance},
              {"usage", edit::TSortKey::Usage}};
  const auto key = std::find_if(std::begin(keys), std::end(keys),
                                [&](const auto& row) { return row.Name == *by; });
  if (key == std::end(keys)) throw TUsageError(Format(msg::SortKeyValue, {*by}));
  const bool reverse = args.Has("--reverse");
  return [sortKey = key->Key, reverse](gif::TGIFImage& image,
                                       std::span<const edit::TColorTable> tables,
                                       std::vector<std::string>& warnings) {
    return CountOf(edit::SortTables(image, tables, sortKey, reverse), warnings);
  };
}

TTableEdit PlanCompact(const TParsedArgs&) {
  return [](gif::TGIFImage& image, std::span<const edit::TColorTable> tables,
            std::vector<std::string>& warnings) {
    return CountOf(edit::CompactTables(image, tables), warnings);
  };
}

TTableEdit PlanDedupe(const TParsedArgs&) {
  return [](gif::TGIFImage& image, std::span<const edit::TColorTable> tables,
            std::vector<std::string>& warnings) {
    return CountOf(edit::DedupeTables(image, tables), warnings);
  };
}

TTableEdit PlanTransparent(const TParsedArgs& args) {
  // Frames, not tables, are what this one chooses.
  for (const char* option : {"--table", "--global-only"})
    if (args.Has(option))
      throw TUsageError(Format(msg::OptionDoesNotApply, {option, "palette transparent"}));
  const int choices =
      int{args.Has("--index")} + int{args.Has("--match-color")} + int{args.Has("--none")};
  if (choices != 1) throw TUsageError(msg::TransparentChoice);
  const std::vector<int> frames =
      args.Has("--frames") ? ParseFrameList(*args.Value("--frames")) : std::vector<int>();
  if (const std::optional<std::string> colour = args.Value("--match-color")) {
    const gif::TColor match =
        gif::TGIFColorMap::TripleToColor(ParseColour("--match-color", *colour));
    return [frames, match](gif::TGIFImage& image, std::span<const edit::TColorTable>,
                           std::vector<std::string>&) {
      return TEditCount{edit::SetTransparentColor(image, frames, match), 0};
    };
  }
  std::optional<int> index;
  if (const std::optional<std::string> value = args.Value("--index"))
    index = NumberInRange("--index", *value, 0, 255);
  return [frames, index](gif::TGIFImage& image, std::span<const edit::TColorTable>,
                         std::vector<std::string>&) {
    return TEditCount{edit::SetTransparency(image, frames, index), 0};
  };
}

constexpr std::string_view kRampTakes[] = {"--entries", "--hls", "--rgb"};
constexpr std::string_view kSortTakes[] = {"--by", "--reverse"};
constexpr std::string_view kTransparentTakes[] = {"--index", "--match-color", "--none", "--frames"};

struct TOperation {
  std::string_view Name;
  std::span<const std::string_view> Takes;  // beyond the options every operation takes
  TEditUnit Unit;
  TTableEdit (*Plan)(const TParsedArgs& args);
};

const TOperation kOperations[] = {
    {"ramp", kRampTakes, TEditUnit::Entries, PlanRamp},
    {"sort", kSortTakes, TEditUnit::Entries, PlanSort},
    {"compact", {}, TEditUnit::Entries, PlanCompact},
    {"dedupe", {}, TEditUnit::Entries, PlanDedupe},
    {"transparent", kTransparentTakes, TEditUnit::Frames, PlanTransparent},
};

const TOperation* FindOperation(std::string_view action) {
  for (const TOperation& operation : kOperations)
    if (operation.Name == action) return &operation;
  return nullptr;
}

}  // namespace

bool IsPaletteOperation(std::string_view action) {
  return FindOperation(action) != nullptr;
}

int RunPaletteOperation(const TParsedArgs& args, std::span<const TOptionSpec> options) {
  const TOperation& operation = *FindOperation(args.Files.at(0));
  CheckOptionsApply(args, options, operation.Takes, "palette " + std::string(operation.Name));
  const TTableEdit edit = operation.Plan(args);
  return RunEdit(PlanEdit(args, 1), operation.Unit, edit);
}

}  // namespace cli
