// Reads arbitrary bytes as a colour map file. A read may fail, but only with
// the editing error naming the file and a line, and never by crashing,
// hanging or leaking. What it reads maps each colour once, comes back the
// same when written out and read again, and applied to a table of its From
// colours gives exactly its To colours, every pair at once.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "edit/ColorMapping.h"
#include "edit/EditError.h"

namespace {

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "colour map read broken: %s\n", what);
  std::abort();
}

std::string Hex(gif::TColor colour) {
  const gif::TGIFColor c = gif::TGIFColorMap::ColorToTriple(colour);
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", c.Red, c.Green, c.Blue);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  edit::TColorMapping mapping;
  try {
    mapping = edit::ParseColorMapping(text, "fuzz");
  } catch (const edit::EEditError& error) {
    Check(std::strncmp(error.what(), "fuzz, line ", 11) == 0, "error does not name the line");
    return 0;
  }

  std::string written;
  for (const edit::TColorChange& change : mapping)
    written += Hex(change.From) + " -> " + Hex(change.To) + "\n";
  const edit::TColorMapping again = edit::ParseColorMapping(written, "again");
  Check(again.size() == mapping.size(), "written mapping reads back another size");
  for (std::size_t i = 0; i < again.size(); ++i)
    Check(again[i].From == mapping[i].From && again[i].To == mapping[i].To,
          "written mapping reads back different");

  // Each From once, so at most 256 fit a table; the rest in a second run.
  for (std::size_t start = 0; start < mapping.size(); start += 256) {
    gif::TGIFGlobalColorMap map(nullptr);
    const std::size_t end = std::min(mapping.size(), start + 256);
    for (std::size_t i = start; i < end; ++i) map.AppendEntry(mapping[i].From);
    gif::TGIFColorMap* const maps[] = {&map};
    edit::ApplyColorMapping(maps, mapping);
    for (std::size_t i = start; i < end; ++i)
      Check(map.ReadEntry(int(i - start)) == mapping[i].To, "entry not mapped to its To");
  }
  return 0;
}
