#include "cli/InputOutput.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <system_error>

#include "cli/Messages.h"

namespace cli {

namespace {

// Two targets are the same file when their paths resolve alike; a file that
// does not exist yet resolves as far as its folders do.
std::string Identity(const std::string& path) {
  std::error_code error;
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
  return error ? std::filesystem::absolute(path).lexically_normal().string() : resolved.string();
}

std::vector<std::vector<gif::TColor>> TablesOf(const gif::TGIFImage& image) {
  auto colours = [](const gif::TGIFColorMap& map) {
    std::vector<gif::TColor> entries;
    for (int i = 0; i < map.EntryCount(); ++i)
      entries.push_back(gif::TGIFColorMap::TripleToColor(map.Data()[i]));
    return entries;
  };
  std::vector<std::vector<gif::TColor>> tables{colours(image.GlobalMap())};
  for (int i = 0; i < image.Frames().Count(); ++i)
    tables.push_back(colours(image.Frames().Frame(i).LocalMap()));
  return tables;
}

// The frame, counted from 1, that a warning's sender belongs to; 0 for none.
// A frame joins the list once it is read, so one being read is the next.
int FrameOf(const gif::TGIFImage& image, const gif::TPersistent* sender) {
  const gif::TGIFSubImage* frame = dynamic_cast<const gif::TGIFSubImage*>(sender);
  if (const auto* extension = dynamic_cast<const gif::TGIFExtension*>(sender))
    frame = &extension->OwnerFrame();
  if (const auto* map = dynamic_cast<const gif::TGIFLocalColorMap*>(sender))
    frame = map->OwnerFrame();
  if (frame == nullptr) return 0;
  const gif::TGIFImageList& frames = image.Frames();
  for (int i = 0; i < frames.Count(); ++i)
    if (&frames.Frame(i) == frame) return i + 1;
  return frames.Count() + 1;
}

}  // namespace

std::string DisplayName(const std::string& file) {
  return file == StandardStream ? std::string(msg::StandardInputName) : file;
}

std::vector<uint8_t> ReadStandardInput() {
  std::vector<uint8_t> bytes;
  uint8_t chunk[65536];
  for (std::size_t count; (count = std::fread(chunk, 1, sizeof chunk, stdin)) > 0;)
    bytes.insert(bytes.end(), chunk, chunk + count);
  if (std::ferror(stdin)) throw std::runtime_error(msg::CannotReadInput);
  return bytes;
}

void WriteStandardOutput(std::span<const uint8_t> bytes) {
  if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() ||
      std::fflush(stdout) != 0)
    throw std::runtime_error(msg::CannotWriteOutput);
}

void CheckStandardStreams(const std::vector<std::string>& inputs, const std::string& output) {
  if (std::count(inputs.begin(), inputs.end(), StandardStream) > 1)
    throw TUsageError(msg::StandardInputTwice);
  if (output == StandardStream && ::isatty(STDOUT_FILENO) != 0)
    throw TUsageError(msg::OutputIsTerminal);
}

std::FILE* ReportStream(const std::string& output) {
  return output == StandardStream ? stderr : stdout;
}

TWarningPolicy WarningPolicyOf(const TParsedArgs& args) {
  return {args.Has("--strict"), args.Has("--quiet")};
}

TOutputPlan PlanOutputs(const TParsedArgs& args, const std::vector<std::string>& files) {
  TOutputPlan plan;
  CheckStandardStreams(files, "");
  const int outputs =
      int{args.Has("--output")} + int{args.Has("--out-dir")} + int{args.Has("--in-place")};
  if (outputs > 1) throw TUsageError(msg::TwoOutputs);
  if (args.Has("--dry-run")) return plan;
  if (outputs == 0) throw TUsageError(msg::NoOutput);
  if (args.Has("--output")) {
    if (files.size() != 1) throw TUsageError(msg::OutputTakesOneFile);
    plan.Mode = TOutputMode::OutputFile;
    plan.Output = *args.Value("--output");
    plan.Targets = {plan.Output};
    CheckStandardStreams(files, plan.Output);
    return plan;
  }
  // Standard input has no name to write under.
  if (std::count(files.begin(), files.end(), StandardStream) != 0)
    throw TUsageError(msg::StandardInputNeedsOutput);
  if (args.Has("--out-dir")) {
    plan.Mode = TOutputMode::OutDir;
    plan.Output = *args.Value("--out-dir");
    if (plan.Output == StandardStream) throw TUsageError(msg::OutDirNotStandard);
    for (const std::string& file : files)
      plan.Targets.push_back(
          (std::filesystem::path(plan.Output) / std::filesystem::path(file).filename()).string());
  } else {
    plan.Mode = TOutputMode::InPlace;
    plan.Targets = files;
  }
  // Two files written to one target would have one result lost, or a file
  // changed twice.
  std::map<std::string, std::size_t> seen;
  for (std::size_t i = 0; i < plan.Targets.size(); ++i) {
    const auto [it, added] = seen.emplace(Identity(plan.Targets[i]), i);
    if (!added)
      throw TUsageError(Format(msg::SameTarget, {files[it->second], files[i], plan.Targets[i]}));
  }
  return plan;
}

bool PrepareOutputs(const TOutputPlan& plan) {
  if (plan.Mode != TOutputMode::OutDir) return true;
  std::error_code error;
  std::filesystem::create_directories(plan.Output, error);
  if (!error) return true;
  std::fprintf(stderr, "%s\n",
               Format(msg::CannotCreateFolder, {plan.Output, error.message()}).c_str());
  return false;
}

TGifInput::TGifInput(const std::string& file, const TWarningPolicy& policy, std::string& notes) {
  Image.WarningHandler = [this](gif::TPersistent* sender, int, const std::string& message) {
    const int frame = FrameOf(Image, sender);
    Warnings.push_back(frame == 0 ? message
                                  : Format(msg::InFrame, {std::to_string(frame), message}));
  };
  if (file == StandardStream) {
    gif::TMemoryStream stream(ReadStandardInput());
    Image.LoadFromStream(stream);
  } else {
    Image.LoadFile(file);
  }
  // What a command does later to the tables is not the file's fault.
  Image.WarningHandler = nullptr;
  if (!policy.Quiet)
    for (const std::string& warning : Warnings)
      notes += Format(msg::Warning, {DisplayName(file), warning}) + "\n";
  if (policy.Strict && !Warnings.empty()) throw std::runtime_error(msg::StrictFailure);
  tables_ = TablesOf(Image);
}

bool TGifInput::TablesChanged() const {
  return TablesOf(Image) != tables_;
}

bool WriteResult(TGifInput& input, const TOutputPlan& plan, std::size_t index) {
  return WriteResult(input, plan, index,
                     plan.Mode != TOutputMode::InPlace || input.TablesChanged());
}

bool WriteResult(TGifInput& input, const TOutputPlan& plan, std::size_t index, bool changed) {
  if (plan.Mode == TOutputMode::DryRun) return false;
  if (plan.Mode == TOutputMode::InPlace && !changed) return false;
  const std::string& target = plan.Targets[index];
  if (target != StandardStream) {
    input.Image.SaveFile(target);
    return true;
  }
  gif::TMemoryStream bytes;
  input.Image.SaveToStream(bytes);
  WriteStandardOutput(bytes.Bytes());
  return true;
}

}  // namespace cli
