#include "cli/PaletteCommand.h"

#include <optional>
#include <stdexcept>

#include "cli/Batch.h"
#include "cli/InputOutput.h"
#include "cli/Messages.h"
#include "cli/PaletteOperations.h"
#include "cli/TableEdit.h"
#include "edit/Messages.h"
#include "edit/PaletteFile.h"
#include "gif/Document.h"
#include "gif/SafeSave.h"

namespace cli {

const std::array<TOptionSpec, 19> PaletteOptions = WithEditOptions({
    {"--format", 0, "gpl|pal|act|hex", "export: the palette format, instead of OUT's extension"},
    {"--by", 0, "hue|saturation|lightness|luminance|usage", "sort: the key"},
    {"--reverse", 0, "", "sort: the other way round, ties still in order"},
    {"--entries", 0, "A-B", "ramp: the first and last entry, which stay"},
    {"--hls", 0, "", "ramp: in HLS instead of OKLab"},
    {"--rgb", 0, "", "ramp: in RGB instead of OKLab"},
    {"--index", 0, "N", "transparent: make entry N transparent"},
    {"--match-color", 0, "RRGGBB", "transparent: make the first entry of this colour transparent"},
    {"--none", 0, "", "transparent: make no colour transparent"},
    {"--frames", 0, "LIST", "transparent: only these frames, counted from 1 (1-3,5)"},
});

namespace {

enum class TAction { Export, Import };

// Everything a run needs, checked before any file is read.
struct TPalettePlan {
  TAction Action = TAction::Export;
  std::string File;
  std::string Palette;  // import only
  std::string Target;   // the palette written (export) or the GIF written (import)
  TOutputPlan Outputs;  // import only
  edit::TPaletteFormat Format = edit::TPaletteFormat::Gimp;  // export only
  TTableChoice Table;
  TWarningPolicy Warnings;
};

TPalettePlan PlanPalette(const TParsedArgs& args) {
  if (args.Files.empty()) throw TUsageError(msg::PaletteNoAction);
  TPalettePlan plan;
  const std::string& action = args.Files[0];
  // The options of the table's first rows.
  static constexpr std::string_view kTakes[] = {"--table",  "--output", "--in-place",
                                                "--format", "--strict", "--quiet"};
  CheckOptionsApply(args, PaletteOptions, kTakes, "palette " + action, false);
  if (action == "export") {
    plan.Action = TAction::Export;
    if (args.Files.size() != 2) throw TUsageError(msg::PaletteExportFiles);
    if (args.Has("--in-place")) throw TUsageError(msg::PaletteExportInPlace);
    if (!args.Has("--output")) throw TUsageError(msg::PaletteExportOutput);
    plan.Target = *args.Value("--output");
    // "x.gpl" names the format as an extension would.
    const std::optional<std::string> format = args.Value("--format");
    const std::optional<edit::TPaletteFormat> chosen =
        edit::PaletteFormatOfName(format ? "." + *format : plan.Target);
    if (format && !chosen) throw TUsageError(Format(msg::PaletteFormatValue, {*format}));
    if (!chosen && plan.Target == StandardStream) throw TUsageError(msg::PaletteExportFormat);
    if (!chosen)
      throw TUsageError(
          Format(edit::msg::PaletteInFile, {plan.Target, edit::msg::PaletteUnknownExtension}));
    plan.Format = *chosen;
  } else if (action == "import") {
    plan.Action = TAction::Import;
    if (args.Files.size() != 3) throw TUsageError(msg::PaletteImportFiles);
    plan.Palette = args.Files[2];
    if (args.Has("--format")) throw TUsageError(msg::PaletteImportFormat);
    if (args.Has("--output") && args.Has("--in-place")) throw TUsageError(msg::TwoOutputs);
    if (args.Has("--output")) {
      plan.Target = *args.Value("--output");
      plan.Outputs.Mode = TOutputMode::OutputFile;
    } else if (args.Has("--in-place")) {
      plan.Target = args.Files[1];
      if (plan.Target == StandardStream) throw TUsageError(msg::StandardInputNeedsOutput);
      plan.Outputs.Mode = TOutputMode::InPlace;
    } else {
      throw TUsageError(msg::PaletteImportOutput);
    }
    plan.Outputs.Targets = {plan.Target};
  } else {
    throw TUsageError(Format(msg::PaletteUnknownAction, {action}));
  }
  plan.File = args.Files[1];
  CheckStandardStreams({plan.File, plan.Palette}, plan.Target);
  plan.Warnings = WarningPolicyOf(args);
  if (const std::optional<std::string> table = args.Value("--table"))
    plan.Table = ParseTableChoice(*table);
  return plan;
}

std::string RunPlan(const TPalettePlan& plan, std::string& notes) {
  TGifInput input(plan.File, plan.Warnings, notes);
  gif::TGIFImage& image = input.Image;
  const std::string file = DisplayName(plan.File);
  if (plan.Action == TAction::Export) {
    const edit::TColorTable table = ChooseTable(image, plan.Table);
    const std::vector<uint8_t> bytes = edit::WritePalette(
        plan.Format, edit::PaletteOf(*table.Map), edit::PaletteInfoOf(table, image, plan.File));
    if (plan.Target == StandardStream)
      WriteStandardOutput(bytes);
    else
      gif::WriteFileSafely(plan.Target, [&bytes](gif::TStream& out) {
        out.WriteBuffer(bytes.data(), bytes.size());
      });
    return Format(msg::PaletteExported, {file, table.Caption(), plan.Target}) + "\n";
  }
  const std::string paletteName = DisplayName(plan.Palette);
  const edit::TPalette palette = plan.Palette == StandardStream
                                     ? edit::ReadPalette(ReadStandardInput(), paletteName)
                                     : edit::ReadPaletteFile(plan.Palette);
  const edit::TColorTable table = ChooseTable(image, plan.Table);
  edit::ApplyPalette(*table.Map, palette);
  if (!WriteResult(input, plan.Outputs, 0)) return Format(msg::Unchanged, {file}) + "\n";
  return Format(msg::PaletteImported,
                {file, std::to_string(palette.size()), paletteName, table.Caption(), plan.Target}) +
         "\n";
}

}  // namespace

TTableChoice ParseTableChoice(const std::string& text) {
  if (text == "global") return {TTableChoice::TKind::Global, 0};
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
    throw TUsageError(Format(msg::PaletteTableValue, {text}));
  const int frame = WholeNumber("--table", text);
  if (frame == 0) throw TUsageError(Format(msg::PaletteTableValue, {text}));
  return {TTableChoice::TKind::Frame, frame};
}

edit::TColorTable ChooseTable(gif::TGIFImage& image, const TTableChoice& choice) {
  switch (choice.Kind) {
    case TTableChoice::TKind::Default: {
      const std::vector<edit::TColorTable> tables = edit::ColorTables(image);
      if (tables.empty()) throw std::runtime_error(msg::PaletteNoTable);
      return tables.front();
    }
    case TTableChoice::TKind::Global:
      if (image.GlobalMap().EntryCount() == 0) throw std::runtime_error(msg::PaletteNoGlobalTable);
      return {-1, &image.GlobalMap()};
    case TTableChoice::TKind::Frame:
      break;
  }
  const int count = image.Frames().Count();
  if (choice.Frame > count)
    throw std::runtime_error(
        Format(msg::PaletteNoFrame, {std::to_string(choice.Frame), std::to_string(count)}));
  gif::TGIFColorMap& local = image.Frames().Frame(choice.Frame - 1).LocalMap();
  if (local.EntryCount() == 0)
    throw std::runtime_error(Format(msg::PaletteNoFrameTable, {std::to_string(choice.Frame)}));
  return {choice.Frame - 1, &local};
}

int RunPalette(const TParsedArgs& args) {
  if (!args.Files.empty() && IsPaletteOperation(args.Files[0]))
    return RunPaletteOperation(args, PaletteOptions);
  const TPalettePlan plan = PlanPalette(args);
  const std::vector<std::string> files{plan.File};
  return RunBatch(
      files, [&plan](std::size_t, std::string& notes) { return RunPlan(plan, notes); },
      TBatchOptions{}, ReportStream(plan.Target), stderr);
}

}  // namespace cli
