#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <variant>

#include "CliRun.h"
#include "gif/GIFImage.h"

namespace {

using cli_test::CorpusFile;
using cli_test::RunCli;
using cli_test::TScratch;

// A strict reader of the JSON the command prints: any syntax error fails the
// test. Numbers are integers.
struct TJson {
  std::variant<std::nullptr_t, bool, long, std::string, std::vector<TJson>,
               std::map<std::string, TJson>>
      Value;
  const TJson& operator[](const std::string& key) const {
    return std::get<std::map<std::string, TJson>>(Value).at(key);
  }
  const TJson& operator[](std::size_t i) const { return std::get<std::vector<TJson>>(Value).at(i); }
  long Int() const { return std::get<long>(Value); }
  const std::string& Str() const { return std::get<std::string>(Value); }
  std::size_t Size() const { return std::get<std::vector<TJson>>(Value).size(); }
};

class TJsonReader {
 public:
  explicit TJsonReader(const std::string& text) : text_(text) {}
  TJson Document() {
    TJson value = Read();
    if (pos_ != text_.size()) throw std::runtime_error("text after the value");
    return value;
  }

 private:
  char Next() {
    if (pos_ >= text_.size()) throw std::runtime_error("unexpected end");
    return text_[pos_++];
  }
  void Expect(const std::string& word) {
    if (text_.compare(pos_, word.size(), word) != 0) throw std::runtime_error("expected " + word);
    pos_ += word.size();
  }
  std::string String() {
    Expect("\"");
    std::string s;
    for (char c = Next(); c != '"'; c = Next()) {
      if (static_cast<unsigned char>(c) < 0x20) throw std::runtime_error("raw control character");
      if (c != '\\') {
        s += c;
        continue;
      }
      // \u escapes beyond ASCII stay as written: the test compares them as text.
      c = Next();
      if (c == 'u') {
        const std::string hex = text_.substr(pos_, 4);
        pos_ += 4;
        const unsigned long code = std::stoul(hex, nullptr, 16);
        s += code < 0x80 ? std::string(1, static_cast<char>(code)) : "\\u" + hex;
      } else if (c == '"' || c == '\\' || c == '/') {
        s += c;
      } else {
        throw std::runtime_error("unknown escape");
      }
    }
    return s;
  }
  TJson Read() {
    const char c = pos_ < text_.size() ? text_[pos_] : '\0';
    if (c == '"') return {String()};
    if (c == 'n') return Expect("null"), TJson{nullptr};
    if (c == 't') return Expect("true"), TJson{true};
    if (c == 'f') return Expect("false"), TJson{false};
    if (c == '[') {
      std::vector<TJson> items;
      Expect("[");
      if (text_[pos_] != ']') {
        items.push_back(Read());
        while (text_[pos_] == ',') ++pos_, items.push_back(Read());
      }
      Expect("]");
      return {std::move(items)};
    }
    if (c == '{') {
      std::map<std::string, TJson> members;
      Expect("{");
      while (text_[pos_] != '}') {
        if (!members.empty()) Expect(",");
        std::string key = String();
        Expect(":");
        if (!members.emplace(std::move(key), Read()).second)
          throw std::runtime_error("repeated key");
      }
      Expect("}");
      return {std::move(members)};
    }
    std::size_t used = 0;
    const long number = std::stol(text_.substr(pos_), &used);
    pos_ += used;
    return {number};
  }

  const std::string& text_;
  std::size_t pos_ = 0;
};

std::vector<TJson> ReadLines(const std::string& out) {
  std::vector<TJson> objects;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    try {
      objects.push_back(TJsonReader(line).Document());
    } catch (const std::exception& e) {
      ADD_FAILURE() << e.what() << " in " << line;
    }
  }
  return objects;
}

TEST(InfoCli, JsonParsesAndMatchesTheDocument) {
  const TScratch scratch;
  // A name that needs escaping, and one with a byte that is not UTF-8.
  const std::string quoted = scratch / "say \"hi\"\\\tnow.gif";
  const std::string latin1 = scratch / "caf\xE9.gif";
  std::filesystem::copy_file(CorpusFile("wuffs/animated-red-blue.gif"), quoted);
  std::filesystem::copy_file(CorpusFile("wuffs/hat.gif"), latin1);
  const std::vector<std::string> files = {CorpusFile("deb-gdkpixbuf-suite/high-color.gif"),
                                          CorpusFile("wuffs/hippopotamus.interlaced.gif"),
                                          CorpusFile("wuffs-artificial/empty-palette.gif"), quoted,
                                          latin1};
  std::vector<std::string> args = {"info", "--json", "-j", "2"};
  args.insert(args.end(), files.begin(), files.end());
  const cli_test::TRun run = RunCli(args);
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Err, "");
  const std::vector<TJson> objects = ReadLines(run.Out);
  ASSERT_EQ(objects.size(), files.size());
  for (std::size_t f = 0; f < files.size(); ++f) {
    SCOPED_TRACE(files[f]);
    const TJson& o = objects[f];
    const std::string expectedName = files[f] == latin1 ? scratch / "caf\\uFFFD.gif" : files[f];
    EXPECT_EQ(o["file"].Str(), expectedName);
    gif::TGIFImage image;
    image.LoadFile(files[f]);
    EXPECT_EQ(o["signature"].Str(), image.FormatVersion() == gif::fv89a ? "GIF89a" : "GIF87a");
    EXPECT_EQ(o["screenWidth"].Int(), image.ScreenWidth());
    EXPECT_EQ(o["screenHeight"].Int(), image.ScreenHeight());
    EXPECT_EQ(o["colorResolution"].Int(), image.ColorRes());
    EXPECT_EQ(o["backgroundIndex"].Int(), image.BackgroundIndex());
    EXPECT_EQ(o["globalTableSize"].Int(), image.GlobalMap().EntryCount());
    ASSERT_EQ(o["frameCount"].Int(), image.Frames().Count());
    ASSERT_EQ(o["frames"].Size(), static_cast<std::size_t>(image.Frames().Count()));
    for (int i = 0; i < image.Frames().Count(); ++i) {
      const gif::TGIFSubImage& frame = image.Frames().Frame(i);
      const TJson& j = o["frames"][static_cast<std::size_t>(i)];
      EXPECT_EQ(j["left"].Int(), frame.Descriptor.Left);
      EXPECT_EQ(j["top"].Int(), frame.Descriptor.Top);
      EXPECT_EQ(j["width"].Int(), frame.Descriptor.Width);
      EXPECT_EQ(j["height"].Int(), frame.Descriptor.Height);
      EXPECT_EQ(std::get<bool>(j["interlaced"].Value), frame.IsInterlaced());
      EXPECT_EQ(j["localTableSize"].Int(), frame.LocalMap().EntryCount());
      EXPECT_EQ(j["extensions"].Size(), static_cast<std::size_t>(frame.Extensions().ItemCount()));
      const gif::TGIFGraphicControlExtension* control = frame.GraphicControl();
      EXPECT_EQ(j["delay"].Int(), control ? control->DelayTime() : 0);
      EXPECT_EQ(j["disposal"].Int(), control ? control->DisposalMethod() : 0);
      if (control && control->TransparentColorFlag())
        EXPECT_EQ(j["transparentIndex"].Int(), control->TransparentColorIndex());
      else
        EXPECT_TRUE(std::holds_alternative<std::nullptr_t>(j["transparentIndex"].Value));
    }
  }
}

}  // namespace
