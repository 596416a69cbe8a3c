#include "cli/MapCommand.h"

#include <string_view>
#include <vector>

#include "cli/InputOutput.h"
#include "cli/Messages.h"
#include "cli/TableEdit.h"
#include "edit/ColorMapping.h"

namespace cli {

const std::array<TOptionSpec, 11> MapOptions = WithEditOptions({
    {"--change", 0, "FROM=TO", "turn colour FROM into TO (rrggbb); give it as often as needed",
     true},
    {"--map", 0, "FILE", "the pairs of a map file, one \"rrggbb rrggbb\" a line"},
});

namespace {

// A map file is read whole before any GIF; a malformed line raises, naming
// the file and line, so nothing is written.
edit::TColorMapping ReadMapFile(const std::string& file) {
  std::vector<uint8_t> bytes;
  if (file == StandardStream) {
    bytes = ReadStandardInput();
  } else {
    gif::TFileStream stream(file, gif::TFileStream::Mode::OpenRead);
    bytes.resize(static_cast<std::size_t>(stream.Size()));
    stream.ReadBuffer(bytes.data(), bytes.size());
  }
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return edit::ParseColorMapping(text, DisplayName(file));
}

edit::TColorMapping ParseMapping(const TParsedArgs& args) {
  const std::vector<std::string> changes = args.AllValues("--change");
  if (!changes.empty() && args.Has("--map")) throw TUsageError(msg::MapChangeAndFile);
  if (changes.empty() && !args.Has("--map")) throw TUsageError(msg::MapNoPairs);
  edit::TColorMapping mapping;
  for (const std::string& change : changes) {
    const std::optional<edit::TColorChange> pair = edit::ParseColorChange(change);
    if (!pair) throw TUsageError(Format(msg::MapChangeValue, {change}));
    mapping.push_back(*pair);
  }
  return mapping;
}

}  // namespace

int RunMap(const TParsedArgs& args) {
  edit::TColorMapping mapping = ParseMapping(args);
  const TEditPlan plan = PlanEdit(args);
  if (const std::optional<std::string> file = args.Value("--map")) {
    std::vector<std::string> inputs = plan.Files;
    inputs.push_back(*file);
    CheckStandardStreams(inputs, "");
    mapping = ReadMapFile(*file);
  }
  return RunEdit(
      plan, TEditUnit::Entries,
      [&](gif::TGIFImage&, std::span<const edit::TColorTable> tables, std::vector<std::string>&) {
        const edit::TChangeCount count =
            edit::ApplyColorMapping(edit::MapsOf({tables.begin(), tables.end()}), mapping);
        return TEditCount{count.EntriesChanged, count.TablesChanged};
      });
}

}  // namespace cli
