#include "cli/PaletteCommand.h"

#include <optional>
#include <stdexcept>

#include "cli/Batch.h"
#include "cli/Messages.h"
#include "edit/Messages.h"
#include "edit/PaletteFile.h"
#include "gif/Document.h"

namespace cli {

const TOptionSpec PaletteOptions[3] = {
    {"--table", 0, "global|N",
     "the global table or frame N's own (default: global, else the first frame's)"},
    {"--output", 'o', "OUT", "write the palette (export) or the GIF (import) to OUT"},
    {"--in-place", 0, "", "import: replace FILE with its result"},
};

namespace {

enum class TAction { Export, Import };

// Everything a run needs, checked before any file is read.
struct TPalettePlan {
  TAction Action = TAction::Export;
  std::string File;
  std::string Palette;  // import only
  std::string Target;   // the palette written (export) or the GIF written (import)
  TTableChoice Table;
};

TPalettePlan PlanPalette(const TParsedArgs& args) {
  if (args.Files.empty()) throw TUsageError(msg::PaletteNoAction);
  TPalettePlan plan;
  const std::string& action = args.Files[0];
  if (action == "export") {
    plan.Action = TAction::Export;
    if (args.Files.size() != 2) throw TUsageError(msg::PaletteExportFiles);
    if (args.Has("--in-place")) throw TUsageError(msg::PaletteExportInPlace);
    if (!args.Has("--output")) throw TUsageError(msg::PaletteExportOutput);
    plan.Target = *args.Value("--output");
    if (!edit::PaletteFormatOfName(plan.Target))
      throw TUsageError(
          Format(edit::msg::PaletteInFile, {plan.Target, edit::msg::PaletteUnknownExtension}));
  } else if (action == "import") {
    plan.Action = TAction::Import;
    if (args.Files.size() != 3) throw TUsageError(msg::PaletteImportFiles);
    plan.Palette = args.Files[2];
    if (args.Has("--output") && args.Has("--in-place")) throw TUsageError(msg::TwoOutputs);
    if (args.Has("--output")) {
      plan.Target = *args.Value("--output");
    } else if (args.Has("--in-place")) {
      plan.Target = args.Files[1];
    } else {
      throw TUsageError(msg::PaletteImportOutput);
    }
  } else {
    throw TUsageError(Format(msg::PaletteUnknownAction, {action}));
  }
  plan.File = args.Files[1];
  if (const std::optional<std::string> table = args.Value("--table"))
    plan.Table = ParseTableChoice(*table);
  return plan;
}

std::string RunPlan(const TPalettePlan& plan) {
  gif::TGIFImage image;
  image.LoadFile(plan.File);
  if (plan.Action == TAction::Export) {
    const edit::TColorTable table = ChooseTable(image, plan.Table);
    edit::WritePaletteFile(plan.Target, edit::PaletteOf(*table.Map),
                           edit::PaletteInfoOf(table, image, plan.File));
    return Format(msg::PaletteExported, {plan.File, table.Caption(), plan.Target}) + "\n";
  }
  const edit::TPalette palette = edit::ReadPaletteFile(plan.Palette);
  const edit::TColorTable table = ChooseTable(image, plan.Table);
  edit::ApplyPalette(*table.Map, palette);
  image.SaveFile(plan.Target);
  return Format(msg::PaletteImported, {plan.File, std::to_string(palette.size()), plan.Palette,
                                       table.Caption(), plan.Target}) +
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
  const TPalettePlan plan = PlanPalette(args);
  const std::vector<std::string> files{plan.File};
  return RunBatch(
      files, [&plan](std::size_t) { return RunPlan(plan); }, TBatchOptions{}, stdout, stderr);
}

}  // namespace cli
