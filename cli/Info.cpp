#include "cli/Info.h"

#include <unistd.h>

#include <cstdio>

#include "cli/Batch.h"
#include "cli/Messages.h"
#include "gif/AppExtensions.h"
#include "gif/Extensions.h"

namespace cli {

const TOptionSpec InfoOptions[2] = {
    {"--json", 0, "", "one JSON object per file, one per line"},
    {"--jobs", 'j', "N", "work on N files at once (default: the number of cores)"},
};

namespace {

// Printable ASCII stays, other bytes show as \xNN: an identifier is 11 raw
// bytes that need not be text.
std::string Printable(const uint8_t* bytes, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    const uint8_t c = bytes[i];
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      text += static_cast<char>(c);
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
    std::string name = "application " + Printable(app->Identifier.data(), app->Identifier.size());
    if (const auto* loop = dynamic_cast<const gif::TGIFAppExtNSLoop*>(app))
      name += " (loop count " + std::to_string(loop->LoopCount) + ")";
    return name;
  }
  switch (extension.ExtensionLabel()) {
    case 0xF9:
      return "graphic control";
    case 0xFE:
      return "comment";
    case 0x01:
      return "plain text";
  }
  const uint8_t label = extension.ExtensionLabel();
  return "label " + Printable(&label, 1);
}

std::string Plural(int count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

TFileFacts FactsOf(const gif::TGIFImage& image) {
  TFileFacts facts;
  // The version the document needs, as the window shows it and as a save
  // writes it.
  switch (image.FormatVersion()) {
    case gif::fv87a:
      facts.Signature = "GIF87a";
      break;
    case gif::fv89a:
      facts.Signature = "GIF89a";
      break;
    case gif::fvNone:
      break;
  }
  facts.ScreenWidth = image.ScreenWidth();
  facts.ScreenHeight = image.ScreenHeight();
  facts.ColorResolution = image.ColorRes();
  facts.BackgroundIndex = image.BackgroundIndex();
  facts.GlobalTableSize = image.GlobalMap().EntryCount();
  const gif::TGIFImageList& frames = image.Frames();
  for (int i = 0; i < frames.Count(); ++i) {
    const gif::TGIFSubImage& frame = frames.Frame(i);
    TFrameFacts f;
    f.Left = frame.Descriptor.Left;
    f.Top = frame.Descriptor.Top;
    f.Width = frame.Descriptor.Width;
    f.Height = frame.Descriptor.Height;
    f.Interlaced = frame.IsInterlaced();
    f.LocalTableSize = frame.LocalMap().EntryCount();
    if (const gif::TGIFGraphicControlExtension* control = frame.GraphicControl()) {
      f.Delay = control->DelayTime();
      f.Disposal = control->DisposalMethod();
      if (control->TransparentColorFlag()) f.TransparentIndex = control->TransparentColorIndex();
    }
    const gif::TGIFExtensionList& extensions = frame.Extensions();
    for (int e = 0; e < extensions.ItemCount(); ++e)
      f.Extensions.push_back(ExtensionName(extensions.Extension(e)));
    facts.Frames.push_back(std::move(f));
  }
  return facts;
}

std::string FactsText(const std::string& file, const TFileFacts& facts) {
  std::string text = file + "\n";
  text +=
      "  signature: " + (facts.Signature.empty() ? std::string("none") : facts.Signature) + "\n";
  text += "  screen: " + std::to_string(facts.ScreenWidth) + " x " +
          std::to_string(facts.ScreenHeight) + "\n";
  text += "  colour resolution: " + std::to_string(facts.ColorResolution) + "\n";
  text += "  background index: " + std::to_string(facts.BackgroundIndex) + "\n";
  text += "  global table: " + Plural(facts.GlobalTableSize, "colour", "colours") + "\n";
  text += "  frames: " + std::to_string(facts.Frames.size()) + "\n";
  for (std::size_t i = 0; i < facts.Frames.size(); ++i) {
    const TFrameFacts& f = facts.Frames[i];
    text += "  frame " + std::to_string(i + 1) + ": " + std::to_string(f.Width) + " x " +
            std::to_string(f.Height) + " at " + std::to_string(f.Left) + "," +
            std::to_string(f.Top) + (f.Interlaced ? ", interlaced" : "") + ", local table " +
            Plural(f.LocalTableSize, "colour", "colours") + ", delay " + std::to_string(f.Delay) +
            ", disposal " + std::to_string(f.Disposal) + ", transparent " +
            (f.TransparentIndex < 0 ? std::string("none") : std::to_string(f.TransparentIndex)) +
            "\n";
    if (f.Extensions.empty()) continue;
    text += "    extensions:";
    for (std::size_t e = 0; e < f.Extensions.size(); ++e)
      text += (e == 0 ? " " : ", ") + f.Extensions[e];
    text += "\n";
  }
  return text;
}

std::string JsonString(const std::string& text) {
  std::string json = "\"";
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  for (std::size_t i = 0; i < size;) {
    const unsigned char c = bytes[i];
    if (c == '"' || c == '\\') {
      json += '\\';
      json += static_cast<char>(c);
      ++i;
    } else if (c < 0x20) {
      char escaped[7];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", c);
      json += escaped;
      ++i;
    } else if (c < 0x80) {
      json += static_cast<char>(c);
      ++i;
    } else {
      // A well-formed UTF-8 sequence (no overlong forms, no surrogates,
      // nothing past U+10FFFF) is copied; any other byte is replaced.
      const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
      bool valid = length != 0 && c <= 0xF4 && i + length <= size;
      for (std::size_t k = 1; valid && k < length; ++k) valid = (bytes[i + k] & 0xC0) == 0x80;
      if (valid && length == 3)
        valid = !(c == 0xE0 && bytes[i + 1] < 0xA0) && !(c == 0xED && bytes[i + 1] >= 0xA0);
      if (valid && length == 4)
        valid = !(c == 0xF0 && bytes[i + 1] < 0x90) && !(c == 0xF4 && bytes[i + 1] >= 0x90);
      if (valid) {
        json.append(text, i, length);
        i += length;
      } else {
        json += "\\uFFFD";
        ++i;
      }
    }
  }
  return json + "\"";
}

std::string FactsJson(const std::string& file, const TFileFacts& facts) {
  auto field = [](const char* name, const std::string& value) {
    return "\"" + std::string(name) + "\":" + value;
  };
  auto number = [&](const char* name, int value) { return field(name, std::to_string(value)); };
  std::string json =
      "{" + field("file", JsonString(file)) + "," +
      field("signature", facts.Signature.empty() ? "null" : JsonString(facts.Signature)) + "," +
      number("screenWidth", facts.ScreenWidth) + "," + number("screenHeight", facts.ScreenHeight) +
      "," + number("colorResolution", facts.ColorResolution) + "," +
      number("backgroundIndex", facts.BackgroundIndex) + "," +
      number("globalTableSize", facts.GlobalTableSize) + "," +
      number("frameCount", static_cast<int>(facts.Frames.size())) + ",\"frames\":[";
  for (std::size_t i = 0; i < facts.Frames.size(); ++i) {
    const TFrameFacts& f = facts.Frames[i];
    std::string extensions;
    for (const std::string& name : f.Extensions)
      extensions += (extensions.empty() ? "" : ",") + JsonString(name);
    json += (i == 0 ? "{" : ",{") + number("left", f.Left) + "," + number("top", f.Top) + "," +
            number("width", f.Width) + "," + number("height", f.Height) + "," +
            field("interlaced", f.Interlaced ? "true" : "false") + "," +
            number("localTableSize", f.LocalTableSize) + "," + number("delay", f.Delay) + "," +
            number("disposal", f.Disposal) + "," +
            field("transparentIndex",
                  f.TransparentIndex < 0 ? "null" : std::to_string(f.TransparentIndex)) +
            "," + field("extensions", "[" + extensions + "]") + "}";
  }
  return json + "]}\n";
}

int RunInfo(const TParsedArgs& args) {
  if (args.Files.empty()) throw TUsageError(msg::NoFiles);
  TBatchOptions batch;
  batch.Jobs = args.Has("--jobs") ? ParseJobs(*args.Value("--jobs")) : DefaultJobs();
  batch.Progress = ::isatty(STDERR_FILENO) != 0;
  const bool json = args.Has("--json");
  return RunBatch(
      args.Files,
      [&args, json](std::size_t i) {
        const std::string& file = args.Files[i];
        gif::TGIFImage image;
        image.LoadFile(file);
        const TFileFacts facts = FactsOf(image);
        return json ? FactsJson(file, facts) : FactsText(file, facts);
      },
      batch, stdout, stderr);
}

}  // namespace cli
