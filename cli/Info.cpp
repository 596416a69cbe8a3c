#include "cli/Info.h"

#include <unistd.h>

#include <cstdio>

#include "cli/Batch.h"
#include "cli/InputOutput.h"
#include "cli/Messages.h"
#include "color/Common.h"
#include "edit/TableUse.h"
#include "gif/AppExtensions.h"
#include "gif/Extensions.h"
#include "gif/Format.h"

namespace cli {

const TOptionSpec InfoOptions[5] = {
    {"--json", 0, "", "one JSON object per file, one per line"},
    {"--colors", 0, "", "list each table's entries: index, #rrggbb, H L S and use count"},
    JobsOption,
    StrictOption,
    QuietOption,
};

namespace {

// Printable ASCII stays, other bytes show as \xNN: an identifier is 11 raw
// bytes that need not be text.
std::string Printable(const std::string& bytes) {
  std::string text;
  for (const char byte : bytes) {
    const auto c = static_cast<unsigned char>(byte);
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      text += byte;
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      text += escaped;
    }
  }
  return text;
}

std::string ExtensionName(const gif::TGIFExtension& extension) {
  if (const auto* app = dynamic_cast<const gif::TGIFApplicationExtension*>(&extension)) {
    const std::string identifier(app->Identifier.begin(), app->Identifier.end());
    return "application " + Printable(identifier);
  }
  switch (extension.ExtensionLabel()) {
    case gif::fmt::GraphicControlLabel:
      return "graphic control";
    case gif::fmt::CommentLabel:
      return "comment";
    case gif::fmt::PlainTextLabel:
      return "plain text";
  }
  return "label " + Printable(std::string(1, static_cast<char>(extension.ExtensionLabel())));
}

// A comment's lines as one, its control characters as spaces.
std::string CommentText(const gif::TGIFCommentExtension& comment) {
  std::string text;
  for (const std::string& line : comment.Lines) text += (text.empty() ? "" : " ") + line;
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return text;
}

const char* DisposalName(int disposal) {
  static constexpr const char* kNames[] = {"none", "keep", "background", "previous"};
  return disposal >= 0 && disposal < 4 ? kNames[disposal] : nullptr;
}

TJson TableFacts(const gif::TGIFImage& image, const gif::TGIFColorMap& map, int frame) {
  if (map.EntryCount() == 0) return nullptr;
  // Only the table's entry count is read through the link, never written.
  const edit::TTableUse use =
      edit::CountUse(image, edit::TColorTable{frame, const_cast<gif::TGIFColorMap*>(&map)});
  const std::vector<uint64_t> uses(use.Pixels.begin(), use.Pixels.begin() + map.EntryCount());
  TJson colours = TJson::array(), hls = TJson::array();
  for (int i = 0; i < map.EntryCount(); ++i) {
    const gif::TGIFColor c = map.Data()[i];
    char hex[8];
    std::snprintf(hex, sizeof hex, "#%02x%02x%02x", c.Red, c.Green, c.Blue);
    colours.push_back(hex);
    int h = 0, l = 0, s = 0;
    color::RGBToHueLightSat(c.Red, c.Green, c.Blue, h, l, s);
    hls.push_back({h, l, s});
  }
  return {{"size", map.EntryCount()}, {"colors", colours}, {"hls", hls}, {"useCounts", uses}};
}

std::string Plural(uint64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string TableText(const TJson& table, const std::string& indent) {
  std::string text;
  for (std::size_t i = 0; i < table["colors"].size(); ++i) {
    const TJson& hls = table["hls"][i];
    char line[96];
    std::snprintf(line, sizeof line, "%s%3zu: %s  H %3d L %3d S %3d  used by %s\n", indent.c_str(),
                  i, table["colors"][i].get<std::string>().c_str(), hls[0].get<int>(),
                  hls[1].get<int>(), hls[2].get<int>(),
                  Plural(table["useCounts"][i].get<uint64_t>(), "pixel", "pixels").c_str());
    text += line;
  }
  return text;
}

// One line at most this long, so that a long comment does not swamp the rest.
std::string Shortened(const std::string& text) {
  constexpr std::size_t kWidth = 60;
  return text.size() <= kWidth ? text : text.substr(0, kWidth - 3) + "...";
}

}  // namespace

TJson FactsOf(const gif::TGIFImage& image, const std::string& file,
              const std::vector<std::string>& warnings) {
  TJson facts;
  facts["file"] = file;
  // The version the document needs, as the window shows it and as a save
  // writes it.
  switch (image.FormatVersion()) {
    case gif::fv87a:
      facts["signature"] = "GIF87a";
      break;
    case gif::fv89a:
      facts["signature"] = "GIF89a";
      break;
    case gif::fvNone:
      facts["signature"] = nullptr;
      break;
  }
  facts["screenWidth"] = image.ScreenWidth();
  facts["screenHeight"] = image.ScreenHeight();
  facts["colorResolution"] = image.ColorRes();
  facts["backgroundIndex"] = image.BackgroundIndex();
  facts["aspectRatio"] = image.Header().Screen.AspectRatio;
  facts["globalTableSize"] = image.GlobalMap().EntryCount();
  facts["globalTable"] = TableFacts(image, image.GlobalMap(), -1);
  facts["loopCount"] = nullptr;
  const gif::TGIFImageList& frames = image.Frames();
  facts["frameCount"] = frames.Count();
  TJson list = TJson::array();
  for (int i = 0; i < frames.Count(); ++i) {
    const gif::TGIFSubImage& frame = frames.Frame(i);
    TJson f;
    f["left"] = frame.Descriptor.Left;
    f["top"] = frame.Descriptor.Top;
    f["width"] = frame.Descriptor.Width;
    f["height"] = frame.Descriptor.Height;
    f["interlaced"] = frame.IsInterlaced();
    f["localTableSize"] = frame.LocalMap().EntryCount();
    f["localTable"] = TableFacts(image, frame.LocalMap(), i);
    const gif::TGIFGraphicControlExtension* control = frame.GraphicControl();
    f["delay"] = control != nullptr ? control->DelayTime() : 0;
    const int disposal = control != nullptr ? control->DisposalMethod() : 0;
    f["disposal"] = disposal;
    f["disposalName"] = DisposalName(disposal) != nullptr ? TJson(DisposalName(disposal)) : nullptr;
    f["userInput"] = control != nullptr && control->UserInputFlag();
    f["transparentIndex"] = control != nullptr && control->TransparentColorFlag()
                                ? TJson(control->TransparentColorIndex())
                                : nullptr;
    TJson extensions = TJson::array(), comments = TJson::array();
    const gif::TGIFExtensionList& blocks = frame.Extensions();
    for (int e = 0; e < blocks.ItemCount(); ++e) {
      const gif::TGIFExtension& extension = blocks.Extension(e);
      extensions.push_back(ExtensionName(extension));
      if (const auto* comment = dynamic_cast<const gif::TGIFCommentExtension*>(&extension))
        comments.push_back(CommentText(*comment));
      const auto* loop = dynamic_cast<const gif::TGIFAppExtNSLoop*>(&extension);
      if (loop != nullptr && facts["loopCount"].is_null()) facts["loopCount"] = loop->LoopCount;
    }
    f["extensions"] = extensions;
    f["comments"] = comments;
    list.push_back(f);
  }
  facts["frames"] = list;
  facts["warnings"] = warnings;
  return facts;
}

std::string FactsText(const TJson& facts, bool colours) {
  auto number = [&](const TJson& value) { return std::to_string(value.get<int64_t>()); };
  std::string text = facts["file"].get<std::string>() + "\n";
  text +=
      "  signature: " +
      (facts["signature"].is_null() ? std::string("none") : facts["signature"].get<std::string>()) +
      "\n";
  text +=
      "  screen: " + number(facts["screenWidth"]) + " x " + number(facts["screenHeight"]) + "\n";
  text += "  colour resolution: " + number(facts["colorResolution"]) + "\n";
  text += "  background index: " + number(facts["backgroundIndex"]) + "\n";
  const TJson& global = facts["globalTable"];
  text += global.is_null()
              ? std::string("  no global table\n")
              : "  global table: " + Plural(global["size"], "colour", "colours") + "\n";
  if (colours && !global.is_null()) text += TableText(global, "    ");
  if (const TJson& loops = facts["loopCount"]; !loops.is_null())
    text += loops == 0 ? std::string("  loops forever\n")
                       : "  loops " + Plural(loops, "time", "times") + "\n";
  text += "  frames: " + number(facts["frameCount"]) + "\n";
  const TJson& frames = facts["frames"];
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const TJson& f = frames[i];
    const TJson& local = f["localTable"];
    const TJson& transparent = f["transparentIndex"];
    char delay[32];
    std::snprintf(delay, sizeof delay, "%.2f s", f["delay"].get<double>() / 100.0);
    const std::string disposal = f["disposalName"].is_null() ? "(" + number(f["disposal"]) + ")"
                                                             : f["disposalName"].get<std::string>();
    text += "  frame " + std::to_string(i + 1) + ": " + number(f["width"]) + " x " +
            number(f["height"]) + " at " + number(f["left"]) + "," + number(f["top"]) +
            (f["interlaced"].get<bool>() ? ", interlaced" : "") +
            (local.is_null() ? std::string(", no local table")
                             : ", local table " + Plural(local["size"], "colour", "colours")) +
            ", delay " + delay + ", disposal " + disposal + ", transparent " +
            (transparent.is_null() ? std::string("none") : number(transparent)) + "\n";
    if (colours && !local.is_null()) text += TableText(local, "      ");
    if (!f["extensions"].empty()) {
      text += "    extensions:";
      for (std::size_t e = 0; e < f["extensions"].size(); ++e)
        text += (e == 0 ? " " : ", ") + f["extensions"][e].get<std::string>();
      text += "\n";
    }
    for (const TJson& comment : f["comments"])
      text += "    comment: " + Printable(Shortened(comment.get<std::string>())) + "\n";
  }
  for (const TJson& warning : facts["warnings"])
    text += "  warning: " + warning.get<std::string>() + "\n";
  return text;
}

std::string FactsJson(const TJson& facts) {
  // Names and comments are bytes; what is not UTF-8 is replaced rather than
  // refused.
  return facts.dump(-1, ' ', false, TJson::error_handler_t::replace) + "\n";
}

int RunInfo(const TParsedArgs& args) {
  if (args.Files.empty()) throw TUsageError(msg::NoFiles);
  CheckStandardStreams(args.Files, "");
  TBatchOptions batch;
  batch.Jobs = args.Has("--jobs") ? ParseJobs(*args.Value("--jobs")) : DefaultJobs();
  batch.Progress = ::isatty(STDERR_FILENO) != 0;
  const bool json = args.Has("--json");
  const bool colours = args.Has("--colors");
  const TWarningPolicy warnings = WarningPolicyOf(args);
  return RunBatch(
      args.Files,
      [&](std::size_t i, std::string& notes) {
        const TGifInput input(args.Files[i], warnings, notes);
        const TJson facts = FactsOf(input.Image, DisplayName(args.Files[i]), input.Warnings);
        return json ? FactsJson(facts) : FactsText(facts, colours);
      },
      batch, stdout, stderr);
}

}  // namespace cli
