#include "edit/PaletteFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

#include "edit/Messages.h"
#include "edit/Selection.h"
#include "gif/Document.h"
#include "gif/Extensions.h"
#include "gif/MessageFormat.h"
#include "gif/SafeSave.h"

namespace edit {

namespace {

constexpr int64_t MaxPaletteFileBytes = 1 << 20;
constexpr std::size_t ActTableBytes = 768;
constexpr std::size_t ActTrailerBytes = 4;
constexpr uint16_t ActNoTransparency = 0xFFFF;
constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view GimpMagic = "GIMP Palette";
constexpr std::string_view JascMagic = "JASC-PAL";
constexpr std::string_view JascVersion = "0100";

std::string Format(const char* pattern, const std::vector<std::string>& args) {
  return gif::FormatMessage(pattern, args);
}

[[noreturn]] void FailAtLine(const std::string& fileName, int line, const std::string& reason) {
  throw EPaletteFileError(Format(msg::PaletteAtLine, {fileName, std::to_string(line), reason}));
}

[[noreturn]] void FailAtByte(const std::string& fileName, std::size_t offset,
                             const std::string& reason) {
  throw EPaletteFileError(Format(msg::PaletteAtByte, {fileName, std::to_string(offset), reason}));
}

[[noreturn]] void FailInFile(const std::string& fileName, const std::string& reason) {
  throw EPaletteFileError(Format(msg::PaletteInFile, {fileName, reason}));
}

std::string_view AsText(std::span<const uint8_t> bytes) {
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (text.starts_with(Utf8Bom)) text.remove_prefix(Utf8Bom.size());
  return text;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The next whitespace-separated word of s, removed from it; empty at the end.
std::string_view NextWord(std::string_view& s) {
  s = Trim(s);
  std::size_t end = 0;
  while (end < s.size() && !IsBlank(s[end])) ++end;
  const std::string_view word = s.substr(0, end);
  s.remove_prefix(end);
  return word;
}

// Walks a text's lines, numbered from 1, each without its line break. LF,
// CRLF and a lone CR all end a line.
class TLineReader {
 public:
  explicit TLineReader(std::string_view text) : rest_(text) {}

  bool Next(std::string_view& line) {
    if (rest_.empty()) {
      // Past the end, the number is that of the line the text lacks.
      if (!ended_) ++number_;
      ended_ = true;
      return false;
    }
    std::size_t end = 0;
    while (end < rest_.size() && rest_[end] != '\n' && rest_[end] != '\r') ++end;
    line = rest_.substr(0, end);
    if (end < rest_.size()) {
      const bool crlf = rest_[end] == '\r' && end + 1 < rest_.size() && rest_[end + 1] == '\n';
      end += crlf ? 2 : 1;
    }
    rest_.remove_prefix(end);
    ++number_;
    return true;
  }
  int Number() const { return number_; }

 private:
  std::string_view rest_;
  int number_ = 0;
  bool ended_ = false;
};

// A decimal number of digits only; larger values stop growing past 99999 so
// that no digit string overflows.
std::optional<int> ParseNumber(std::string_view word) {
  if (word.empty()) return std::nullopt;
  int value = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return std::nullopt;
    value = std::min(value * 10 + (c - '0'), 99999);
  }
  return value;
}

// A text format's lines with the checks the formats share; each failure
// names the line the reader is on.
class TTextReader {
 public:
  TTextReader(std::string_view text, const std::string& fileName)
      : lines_(text), fileName_(fileName) {}

  bool Next(std::string_view& line) { return lines_.Next(line); }

  [[noreturn]] void Fail(const std::string& reason) const {
    FailAtLine(fileName_, lines_.Number(), reason);
  }

  // The next line must be expected, give or take blanks around it.
  void Expect(std::string_view expected, const char* reason) {
    std::string_view line;
    if (!Next(line) || Trim(line) != expected) Fail(reason);
  }

  int Number(std::string_view word) const {
    const std::optional<int> value = ParseNumber(word);
    if (!value) Fail(Format(msg::PaletteNotANumber, {std::string(word)}));
    return *value;
  }

  // Three components from the front of the line; what follows stays in line.
  gif::TGIFColor Components(std::string_view& line) const {
    uint8_t rgb[3];
    for (uint8_t& component : rgb) {
      const std::string_view word = NextWord(line);
      if (word.empty()) Fail(msg::PaletteMissingComponents);
      const int value = Number(word);
      if (value > 255) Fail(Format(msg::PaletteComponentAbove255, {std::string(word)}));
      component = static_cast<uint8_t>(value);
    }
    return gif::TGIFColor{rgb[0], rgb[1], rgb[2]};
  }

  void Add(TPalette& palette, gif::TGIFColor color) const {
    if (palette.size() == MaxPaletteColors) Fail(msg::PaletteTooManyColors);
    palette.push_back(color);
  }

 private:
  TLineReader lines_;
  const std::string& fileName_;
};

// "GIMP Palette", optional "Name:" and "Columns:" lines, "#" comments, then
// one "R G B [name]" per line.
TPalette ReadGimp(std::string_view text, const std::string& fileName) {
  TTextReader reader(text, fileName);
  reader.Expect(GimpMagic, msg::PaletteGimpMagic);
  TPalette palette;
  std::string_view line;
  while (reader.Next(line)) {
    line = Trim(line);
    if (line.empty() || line.front() == '#') continue;
    if (palette.empty() && line.starts_with("Name:")) continue;
    if (palette.empty() && line.starts_with("Columns:")) {
      line.remove_prefix(8);
      reader.Number(Trim(line));
      continue;
    }
    reader.Add(palette, reader.Components(line));
  }
  return palette;
}

// "JASC-PAL", "0100", the number of colours, then exactly that many "R G B".
TPalette ReadJasc(std::string_view text, const std::string& fileName) {
  TTextReader reader(text, fileName);
  reader.Expect(JascMagic, msg::PaletteJascMagic);
  reader.Expect(JascVersion, msg::PaletteJascVersion);
  std::string_view line;
  if (!reader.Next(line) || Trim(line).empty()) reader.Fail(msg::PaletteJascCount);
  const int count = reader.Number(Trim(line));
  if (count == 0) reader.Fail(msg::PaletteNoColors);
  if (count > static_cast<int>(MaxPaletteColors)) reader.Fail(msg::PaletteTooManyColors);
  const std::string countText = std::to_string(count);
  TPalette palette;
  while (reader.Next(line)) {
    if (Trim(line).empty()) continue;
    if (static_cast<int>(palette.size()) == count)
      reader.Fail(Format(msg::PaletteJascExtra, {countText}));
    const gif::TGIFColor color = reader.Components(line);
    if (!Trim(line).empty()) reader.Fail(Format(msg::PaletteExtraText, {std::string(Trim(line))}));
    palette.push_back(color);
  }
  if (static_cast<int>(palette.size()) < count)
    reader.Fail(Format(msg::PaletteJascMissing, {countText, std::to_string(palette.size())}));
  return palette;
}

TPalette ReadHex(std::string_view text, const std::string& fileName) {
  TTextReader reader(text, fileName);
  TPalette palette;
  std::string_view line;
  while (reader.Next(line)) {
    line = Trim(line);
    if (line.empty()) continue;
    const std::optional<gif::TColor> color = ParseHexColor(line);
    if (!color) {
      // A text file whose first line is no colour is no palette at all.
      if (palette.empty()) reader.Fail(msg::PaletteUnknownFormat);
      reader.Fail(Format(msg::PaletteNotHex, {std::string(line)}));
    }
    reader.Add(palette, gif::TGIFColorMap::ColorToTriple(*color));
  }
  return palette;
}

unsigned BigEndian16(const uint8_t* p) {
  return (unsigned{p[0]} << 8) | p[1];
}

// 768 bytes of triples, then optionally the number of colours in use and the
// transparent index, big-endian 16-bit each. The transparent index belongs
// to no colour table of a GIF and is not read.
TPalette ReadAct(std::span<const uint8_t> bytes, const std::string& fileName) {
  const std::size_t size = bytes.size();
  if (size < ActTableBytes)
    FailAtByte(fileName, size, Format(msg::PaletteActShort, {std::to_string(size)}));
  if (size != ActTableBytes && size != ActTableBytes + ActTrailerBytes)
    FailAtByte(fileName, ActTableBytes,
               Format(msg::PaletteActTrailer, {std::to_string(size - ActTableBytes)}));
  std::size_t count = MaxPaletteColors;
  if (size > ActTableBytes) {
    count = BigEndian16(bytes.data() + ActTableBytes);
    if (count == 0 || count > MaxPaletteColors)
      FailAtByte(fileName, ActTableBytes, Format(msg::PaletteActCount, {std::to_string(count)}));
  }
  TPalette palette(count);
  std::copy_n(bytes.data(), count * 3, reinterpret_cast<uint8_t*>(palette.data()));
  return palette;
}

bool IsTextByte(uint8_t b) {
  return b == '\t' || b == '\n' || b == '\r' || (b >= 0x20 && b < 0x7F);
}

// The first non-blank line of a text.
std::string_view FirstLine(std::string_view text) {
  TLineReader lines(text);
  std::string_view line;
  while (lines.Next(line))
    if (!Trim(line).empty()) return Trim(line);
  return {};
}

void Append(std::vector<uint8_t>& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}

const char* CountProblem(std::size_t count) {
  if (count == 0) return msg::PaletteNoColors;
  if (count > MaxPaletteColors) return msg::PaletteTooManyColors;
  return nullptr;
}

}  // namespace

TPaletteInfo PaletteInfoOf(const TColorTable& table, const gif::TGIFImage& image,
                           const std::string& documentName) {
  TPaletteInfo info;
  info.Name = std::filesystem::path(documentName).stem().string();
  if (table.IsGlobal() || table.Frame >= image.Frames().Count()) return info;
  // The global table serves every frame, each with its own transparent
  // index, so only a frame's own table has one to give.
  const gif::TGIFGraphicControlExtension* control =
      image.Frames().Frame(table.Frame).GraphicControl();
  if (control != nullptr && control->TransparentColorFlag())
    info.TransparentIndex = control->TransparentColorIndex();
  return info;
}

std::optional<TPaletteFormat> PaletteFormatOfName(std::string_view fileName) {
  const std::size_t dot = fileName.find_last_of("./");
  if (dot == std::string_view::npos || fileName[dot] != '.') return std::nullopt;
  std::string extension(fileName.substr(dot + 1));
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (extension == "gpl") return TPaletteFormat::Gimp;
  if (extension == "pal") return TPaletteFormat::Jasc;
  if (extension == "act") return TPaletteFormat::Act;
  if (extension == "hex") return TPaletteFormat::Hex;
  return std::nullopt;
}

TPaletteFormat DetectPaletteFormat(std::span<const uint8_t> bytes) {
  const std::string_view text = AsText(bytes);
  if (text.starts_with("GIMP")) return TPaletteFormat::Gimp;
  if (text.starts_with("JASC")) return TPaletteFormat::Jasc;
  if (!std::all_of(text.begin(), text.end(), [](char c) { return IsTextByte(uint8_t(c)); }))
    return TPaletteFormat::Act;
  // An Adobe table may by chance hold text bytes only; one of the two Adobe
  // sizes is read as text only when it begins with a hex colour.
  const bool actSize =
      bytes.size() == ActTableBytes || bytes.size() == ActTableBytes + ActTrailerBytes;
  if (actSize && !ParseHexColor(FirstLine(text))) return TPaletteFormat::Act;
  return TPaletteFormat::Hex;
}

TPalette ReadPalette(std::span<const uint8_t> bytes, const std::string& fileName) {
  if (bytes.empty()) FailInFile(fileName, msg::PaletteEmpty);
  TPalette palette;
  switch (DetectPaletteFormat(bytes)) {
    case TPaletteFormat::Gimp:
      palette = ReadGimp(AsText(bytes), fileName);
      break;
    case TPaletteFormat::Jasc:
      palette = ReadJasc(AsText(bytes), fileName);
      break;
    case TPaletteFormat::Act:
      palette = ReadAct(bytes, fileName);
      break;
    case TPaletteFormat::Hex:
      palette = ReadHex(AsText(bytes), fileName);
      break;
  }
  if (palette.empty()) FailInFile(fileName, msg::PaletteNoColors);
  return palette;
}

TPalette ReadPaletteFile(const std::string& fileName) {
  gif::TFileStream file(fileName, gif::TFileStream::Mode::OpenRead);
  // A file chosen by mistake (a video, a disk image) is refused before it is
  // read into memory; 256 colours with long names fit many times over.
  const int64_t size = file.Size();
  if (size > MaxPaletteFileBytes) FailInFile(fileName, msg::PaletteTooLarge);
  std::vector<uint8_t> bytes(static_cast<std::size_t>(size));
  file.ReadBuffer(bytes.data(), bytes.size());
  return ReadPalette(bytes, fileName);
}

std::vector<uint8_t> WritePalette(TPaletteFormat format, std::span<const gif::TGIFColor> colors,
                                  const TPaletteInfo& info) {
  if (const char* problem = CountProblem(colors.size())) throw EPaletteFileError(problem);
  std::vector<uint8_t> out;
  char line[64];
  switch (format) {
    case TPaletteFormat::Gimp:
      Append(out, GimpMagic);
      Append(out, "\n");
      if (!info.Name.empty()) {
        // A line break in the name would end the header line early.
        std::string name = info.Name;
        std::replace_if(
            name.begin(), name.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
        Append(out, "Name: " + name + "\n");
      }
      Append(out, "Columns: 16\n#\n");
      for (std::size_t i = 0; i < colors.size(); ++i) {
        const gif::TGIFColor& c = colors[i];
        std::snprintf(line, sizeof line, "%3d %3d %3d\tIndex %zu\n", c.Red, c.Green, c.Blue, i);
        Append(out, line);
      }
      break;
    case TPaletteFormat::Jasc:
      Append(out, JascMagic);
      Append(out, "\r\n");
      Append(out, JascVersion);
      Append(out, "\r\n" + std::to_string(colors.size()) + "\r\n");
      for (const gif::TGIFColor& c : colors) {
        std::snprintf(line, sizeof line, "%d %d %d\r\n", c.Red, c.Green, c.Blue);
        Append(out, line);
      }
      break;
    case TPaletteFormat::Act: {
      out.assign(ActTableBytes + ActTrailerBytes, 0);
      std::copy_n(reinterpret_cast<const uint8_t*>(colors.data()), colors.size() * 3, out.begin());
      const std::size_t count = colors.size();
      const bool transparent =
          info.TransparentIndex >= 0 && static_cast<std::size_t>(info.TransparentIndex) < count;
      const unsigned index =
          transparent ? static_cast<unsigned>(info.TransparentIndex) : unsigned{ActNoTransparency};
      out[ActTableBytes] = static_cast<uint8_t>(count >> 8);
      out[ActTableBytes + 1] = static_cast<uint8_t>(count);
      out[ActTableBytes + 2] = static_cast<uint8_t>(index >> 8);
      out[ActTableBytes + 3] = static_cast<uint8_t>(index);
      break;
    }
    case TPaletteFormat::Hex:
      for (const gif::TGIFColor& c : colors) {
        std::snprintf(line, sizeof line, "%02x%02x%02x\n", c.Red, c.Green, c.Blue);
        Append(out, line);
      }
      break;
  }
  return out;
}

void WritePaletteFile(const std::string& fileName, std::span<const gif::TGIFColor> colors,
                      const TPaletteInfo& info) {
  const std::optional<TPaletteFormat> format = PaletteFormatOfName(fileName);
  if (!format) FailInFile(fileName, msg::PaletteUnknownExtension);
  if (const char* problem = CountProblem(colors.size())) FailInFile(fileName, problem);
  const std::vector<uint8_t> bytes = WritePalette(*format, colors, info);
  gif::WriteFileSafely(fileName,
                       [&](gif::TStream& file) { file.WriteBuffer(bytes.data(), bytes.size()); });
}

TPalette PaletteOf(const gif::TGIFColorMap& map) {
  if (map.EntryCount() == 0) return {};
  return TPalette(map.Data(), map.Data() + map.EntryCount());
}

void ApplyPalette(gif::TGIFColorMap& map, std::span<const gif::TGIFColor> colors) {
  if (colors.size() > MaxPaletteColors)
    throw EPaletteFileError(Format(msg::PaletteMapOverflow, {std::to_string(colors.size())}));
  const int count = static_cast<int>(colors.size());
  const int kept = std::min(count, map.EntryCount());
  for (int i = 0; i < kept; ++i) map.WriteEntry(i, gif::TGIFColorMap::TripleToColor(colors[i]));
  for (int i = kept; i < count; ++i) map.AppendEntry(gif::TGIFColorMap::TripleToColor(colors[i]));
}

}  // namespace edit
