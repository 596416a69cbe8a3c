#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <stdexcept>

#include "CliRun.h"
#include "gif/GIFImage.h"

namespace {

using cli_test::CorpusFile;
using cli_test::RunCli;
using cli_test::TScratch;

// A strict reader of the JSON the command prints, flattened: every scalar
// under its path ("frames.0.delay" -> "10", strings unescaped, null as
// "null"), every array's length under "path.#". A syntax error throws.
using TFlatJson = std::map<std::string, std::string>;

class TJsonReader {
 public:
  explicit TJsonReader(const std::string& text) : text_(text) {}
  TFlatJson Document() {
    Read("");
    if (pos_ != text_.size()) throw std::runtime_error("text after the value");
    return flat_;
  }

 private:
  char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
  void Expect(const std::string& word) {
    if (text_.compare(pos_, word.size(), word) != 0) throw std::runtime_error("expected " + word);
    pos_ += word.size();
  }
  std::string String() {
    Expect("\"");
    std::string s;
    for (char c; (c = Peek()) != '"'; ++pos_) {
      if (static_cast<unsigned char>(c) < 0x20) throw std::runtime_error("bad string");
      if (c != '\\') {
        s += c;
      } else if (text_[++pos_] == 'u') {
        // Escapes beyond ASCII stay as written: the test compares them as text.
        const std::string hex = text_.substr(pos_ + 1, 4);
        const unsigned long code = std::stoul(hex, nullptr, 16);
        s += code < 0x80 ? std::string(1, static_cast<char>(code)) : "\\u" + hex;
        pos_ += 4;
      } else if (std::string("\"\\/").find(Peek()) != std::string::npos) {
        s += Peek();
      } else {
        throw std::runtime_error("unknown escape");
      }
    }
    ++pos_;
    return s;
  }
  void Read(const std::string& path) {
    const std::string prefix = path.empty() ? "" : path + ".";
    std::size_t count = 0;
    if (Peek() == '[') {
      for (Expect("["); Peek() != ']'; ++count) {
        if (count > 0) Expect(",");
        Read(prefix + std::to_string(count));
      }
      flat_[prefix + "#"] = std::to_string(count);
      return Expect("]");
    }
    if (Peek() == '{') {
      for (Expect("{"); Peek() != '}'; ++count) {
        if (count > 0) Expect(",");
        const std::string key = String();
        Expect(":");
        if (flat_.count(prefix + key) != 0) throw std::runtime_error("repeated key " + key);
        Read(prefix + key);
      }
      return Expect("}");
    }
    if (Peek() == '"') {
      flat_[path] = String();
      return;
    }
    const std::size_t end = text_.find_first_of(",]}", pos_);
    flat_[path] = text_.substr(pos_, end - pos_);
    pos_ = end;
    const std::string& word = flat_[path];
    if (word != "null" && word != "true" && word != "false" &&
        word.find_first_not_of("-0123456789") != std::string::npos)
      throw std::runtime_error("bad value " + word);
  }

  const std::string& text_;
  std::size_t pos_ = 0;
  TFlatJson flat_;
};

std::vector<TFlatJson> ReadLines(const std::string& out) {
  std::vector<TFlatJson> objects;
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
  const std::vector<TFlatJson> objects = ReadLines(run.Out);
  ASSERT_EQ(objects.size(), files.size());
  auto text = [](auto value) { return std::to_string(value); };
  for (std::size_t f = 0; f < files.size(); ++f) {
    SCOPED_TRACE(files[f]);
    const TFlatJson& o = objects[f];
    const std::string expectedName = files[f] == latin1 ? scratch / "caf\\uFFFD.gif" : files[f];
    EXPECT_EQ(o.at("file"), expectedName);
    gif::TGIFImage image;
    image.LoadFile(files[f]);
    EXPECT_EQ(o.at("signature"), image.FormatVersion() == gif::fv89a ? "GIF89a" : "GIF87a");
    EXPECT_EQ(o.at("screenWidth"), text(image.ScreenWidth()));
    EXPECT_EQ(o.at("screenHeight"), text(image.ScreenHeight()));
    EXPECT_EQ(o.at("colorResolution"), text(image.ColorRes()));
    EXPECT_EQ(o.at("backgroundIndex"), text(image.BackgroundIndex()));
    EXPECT_EQ(o.at("globalTableSize"), text(image.GlobalMap().EntryCount()));
    EXPECT_EQ(o.at("frameCount"), text(image.Frames().Count()));
    ASSERT_EQ(o.at("frames.#"), text(image.Frames().Count()));
    for (int i = 0; i < image.Frames().Count(); ++i) {
      const gif::TGIFSubImage& frame = image.Frames().Frame(i);
      const std::string at = "frames." + text(i) + ".";
      EXPECT_EQ(o.at(at + "left"), text(frame.Descriptor.Left));
      EXPECT_EQ(o.at(at + "top"), text(frame.Descriptor.Top));
      EXPECT_EQ(o.at(at + "width"), text(frame.Descriptor.Width));
      EXPECT_EQ(o.at(at + "height"), text(frame.Descriptor.Height));
      EXPECT_EQ(o.at(at + "interlaced"), frame.IsInterlaced() ? "true" : "false");
      EXPECT_EQ(o.at(at + "localTableSize"), text(frame.LocalMap().EntryCount()));
      EXPECT_EQ(o.at(at + "extensions.#"), text(frame.Extensions().ItemCount()));
      const gif::TGIFGraphicControlExtension* control = frame.GraphicControl();
      EXPECT_EQ(o.at(at + "delay"), text(control ? control->DelayTime() : 0));
      EXPECT_EQ(o.at(at + "disposal"), text(control ? control->DisposalMethod() : 0));
      EXPECT_EQ(o.at(at + "transparentIndex"), control && control->TransparentColorFlag()
                                                   ? text(control->TransparentColorIndex())
                                                   : "null");
    }
  }
}

}  // namespace
