#include "edit/ColorMapping.h"

#include <algorithm>
#include <unordered_map>

#include "edit/EditError.h"
#include "edit/Messages.h"
#include "edit/Selection.h"
#include "gif/MessageFormat.h"

namespace edit {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

// The line without its comment: "#" followed by a blank or the end of the
// line, so that "#ff0000" stays a colour.
std::string_view WithoutComment(std::string_view line) {
  for (std::size_t i = 0; i < line.size(); ++i)
    if (line[i] == '#' && (i + 1 == line.size() || IsBlank(line[i + 1]))) return line.substr(0, i);
  return line;
}

// The words of a line, separated by blanks; at most four are kept, which is
// one more than a pair has.
std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size() && words.size() < 4) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    const std::size_t start = i;
    while (i < line.size() && !IsBlank(line[i])) ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

[[noreturn]] void Fail(const std::string& fileName, int line, const std::string& reason) {
  throw EEditError(
      gif::FormatMessage(msg::PaletteAtLine, {fileName, std::to_string(line), reason}));
}

}  // namespace

TColorMapping ParseColorMapping(std::string_view text, const std::string& fileName) {
  TColorMapping mapping;
  std::unordered_map<gif::TColor, int> lineOf;  // the line each From came from
  int lineNumber = 0;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    ++lineNumber;
    const std::vector<std::string_view> words = Words(WithoutComment(line));
    if (words.empty()) continue;
    const bool arrow = words.size() == 3 && words[1] == "->";
    if (words.size() != 2 && !arrow) Fail(fileName, lineNumber, msg::MappingNotAPair);
    const auto colourOf = [&](std::string_view word) {
      const std::optional<gif::TColor> colour = ParseHexColor(word);
      if (!colour)
        Fail(fileName, lineNumber, gif::FormatMessage(msg::PaletteNotHex, {std::string(word)}));
      return *colour;
    };
    const TColorChange change{colourOf(words.front()), colourOf(words.back())};
    const auto [first, added] = lineOf.emplace(change.From, lineNumber);
    if (!added)
      Fail(fileName, lineNumber,
           gif::FormatMessage(msg::MappingTwice,
                              {std::string(words.front()), std::to_string(first->second)}));
    mapping.push_back(change);
  }
  return mapping;
}

std::optional<TColorChange> ParseColorChange(std::string_view text) {
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  const std::optional<gif::TColor> from = ParseHexColor(text.substr(0, equals));
  const std::optional<gif::TColor> to = ParseHexColor(text.substr(equals + 1));
  if (!from || !to) return std::nullopt;
  return TColorChange{*from, *to};
}

TChangeCount ApplyColorMapping(std::span<gif::TGIFColorMap* const> maps,
                               const TColorMapping& mapping) {
  // Sorted by From, the first pair of a colour first, so a lookup finds the
  // pair that holds; every entry is looked up by the colour it had before.
  TColorMapping byFrom = mapping;
  std::stable_sort(byFrom.begin(), byFrom.end(),
                   [](const TColorChange& x, const TColorChange& y) { return x.From < y.From; });
  TChangeCount count;
  for (gif::TGIFColorMap* map : maps) {
    if (map == nullptr) continue;
    int changed = 0;
    for (int i = 0; i < map->EntryCount(); ++i) {
      const gif::TColor colour = gif::TGIFColorMap::TripleToColor(map->Data()[i]);
      const auto pair = std::lower_bound(
          byFrom.begin(), byFrom.end(), colour,
          [](const TColorChange& change, gif::TColor c) { return change.From < c; });
      if (pair == byFrom.end() || pair->From != colour || pair->To == colour) continue;
      map->WriteEntry(i, pair->To);
      ++changed;
    }
    count.EntriesChanged += changed;
    count.TablesChanged += changed > 0 ? 1 : 0;
    count.EntriesTotal += map->EntryCount();
    ++count.TablesTotal;
  }
  return count;
}

}  // namespace edit
