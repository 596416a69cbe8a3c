// Loads the third-party GIF corpus and compares every file that giflib reads
// with what giflib's DGifSlurp makes of it.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gif/GIFImage.h"

using namespace gif;

namespace {

namespace fs = std::filesystem;

// How the corpus files that giflib rejects fare here: the message of the
// failed load, or nullptr when the file loads, and why.
struct Malformed {
  const char* error;
  const char* why;
};

const std::map<std::string, Malformed> kMalformed = {
    {"deb-gdkpixbuf-suite/image-zero-size.gif",
     {msg::PrematureEnd, "the local colour table its descriptor announces is missing"}},
    {"deb-gdkpixbuf-suite/invalid-code.gif",
     {nullptr, "a code beyond the table after the clear is a pixel, the next one a new string"}},
    {"deb-gdkpixbuf-suite/max-codes.gif",
     {nullptr, "minimum code size 11, then 10000 pixels and the end code: complete"}},
    {"libnsgif/lzwof.gif", {msg::CircularTableEntry, "a prefix chain loops"}},
    {"libnsgif/lzwoob.gif", {msg::BadCodeSize, "minimum code size 12"}},
    {"libnsgif-afl/afl01.gif", {msg::PrematureEnd, "two bytes, no header"}},
    {"libnsgif-afl/afl02.gif", {nullptr, "ends after the minimum code size: pixels keep the fill"}},
    {"libnsgif-afl/afl03.gif", {msg::CircularTableEntry, "a prefix chain loops"}},
    {"libnsgif-afl/afl04.gif",
     {nullptr, "its last sub-block is cut short: decoded as far as it goes"}},
    {"libnsgif-afl/afl05.gif", {msg::BadCodeSize, "the third frame's minimum code size is 156"}},
    {"libnsgif-afl/afl06.gif", {msg::UnknownExtension, "extension label 0x1D"}},
    {"libnsgif-afl/afl07.gif", {msg::BadAppExtensionSize, "application block size other than 11"}},
    {"libnsgif-afl/afl08.gif", {msg::CircularTableEntry, "a prefix chain loops"}},
    {"libnsgif-afl/afl09.gif", {msg::CircularTableEntry, "a prefix chain loops"}},
    {"libnsgif-afl/afl10.gif", {msg::CircularTableEntry, "a prefix chain loops"}},
    {"libnsgif-afl/afl11.gif",
     {nullptr,
      "the first frame's codes run past its 128 pixels with no end code, so reading stops inside "
      "its chain, where the next byte is no block: the blocks end there, with a warning"}},
    {"libnsgif-afl/afl12.gif", {msg::CircularTableEntry, "a prefix chain loops"}},
    {"wuffs/hippopotamus.interlaced.truncated.gif",
     {nullptr, "cut inside its sub-block: decoded as far as it goes"}},
    {"wuffs-artificial/no-frames.gif", {nullptr, "the trailer follows the header: no frames"}},
    {"wuffs-artificial/pixel-data-none.gif",
     {nullptr, "the end code right after the clear is a pixel; the data ends early"}},
    {"wuffs-artificial/pixel-data-not-enough.gif",
     {nullptr, "the end code after one of four pixels: the rest keep the fill"}},
    {"wuffs-artificial/zero-width-frame.gif", {nullptr, "a 0 x 0 frame takes the screen size"}},
};

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};
using GifPtr = std::unique_ptr<GifFileType, GifCloser>;

// The file as giflib reads it, or null when giflib rejects it.
GifPtr Slurp(const fs::path& path) {
  int error = 0;
  GifPtr gif(DGifOpenFileName(path.c_str(), &error));
  if (!gif || DGifSlurp(gif.get()) != GIF_OK) return nullptr;
  return gif;
}

std::vector<fs::path> CorpusFiles() {
  std::vector<fs::path> files;
  if (!fs::is_directory(TINTWELL_CORPUS_DIR)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(TINTWELL_CORPUS_DIR))
    if (entry.is_regular_file() && entry.path().extension() == ".gif")
      files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

std::string Name(const fs::path& path) {
  return path.lexically_relative(TINTWELL_CORPUS_DIR).generic_string();
}

void ExpectSameMap(const TGIFColorMap& ours, const ColorMapObject* theirs) {
  if (theirs == nullptr) {
    EXPECT_EQ(ours.EntryCount(), 0);
    return;
  }
  ASSERT_EQ(ours.EntryCount(), theirs->ColorCount);
  for (int i = 0; i < theirs->ColorCount; ++i) {
    const TGIFColor& c = ours.Data()[i];
    const GifColorType& t = theirs->Colors[i];
    EXPECT_TRUE(c.Red == t.Red && c.Green == t.Green && c.Blue == t.Blue) << "entry " << i;
  }
}

// Frames made of extensions alone (those before the trailer) have no
// counterpart among giflib's images.
bool HasImage(const TGIFSubImage& frame) {
  return frame.PixelData() != nullptr || frame.Descriptor.Width != 0 ||
         frame.Descriptor.Height != 0;
}

}  // namespace

TEST(Corpus, FilesGiflibReadsLoadAlike) {
  const std::vector<fs::path> files = CorpusFiles();
  ASSERT_FALSE(files.empty()) << "no test corpus at " << TINTWELL_CORPUS_DIR;
  int compared = 0;
  for (const fs::path& path : files) {
    GifPtr gif = Slurp(path);
    if (!gif) continue;
    SCOPED_TRACE(Name(path));
    TGIFImage doc;
    ASSERT_NO_THROW(doc.LoadFile(path.string()));
    ++compared;

    EXPECT_EQ(doc.ScreenWidth(), gif->SWidth);
    EXPECT_EQ(doc.ScreenHeight(), gif->SHeight);
    EXPECT_EQ(doc.BackgroundIndex(), gif->SBackGroundColor);
    ExpectSameMap(doc.GlobalMap(), gif->SColorMap);

    std::vector<const TGIFSubImage*> images;
    for (int i = 0; i < doc.Frames().Count(); ++i) {
      const TGIFSubImage& frame = doc.Frames().Frame(i);
      if (HasImage(frame))
        images.push_back(&frame);
      else
        EXPECT_GT(frame.Extensions().ItemCount(), 0) << "frame " << i;
    }
    ASSERT_EQ(static_cast<int>(images.size()), gif->ImageCount);
    for (int i = 0; i < gif->ImageCount; ++i) {
      SCOPED_TRACE("image " + std::to_string(i));
      const TGIFSubImage& ours = *images[static_cast<std::size_t>(i)];
      const SavedImage& theirs = gif->SavedImages[i];
      EXPECT_EQ(ours.Descriptor.Left, theirs.ImageDesc.Left);
      EXPECT_EQ(ours.Descriptor.Top, theirs.ImageDesc.Top);
      ASSERT_EQ(ours.Descriptor.Width, theirs.ImageDesc.Width);
      ASSERT_EQ(ours.Descriptor.Height, theirs.ImageDesc.Height);
      EXPECT_EQ(ours.IsInterlaced(), theirs.ImageDesc.Interlace);
      ExpectSameMap(ours.LocalMap(), theirs.ImageDesc.ColorMap);
      const std::size_t size = std::size_t{ours.Descriptor.Width} * ours.Descriptor.Height;
      ASSERT_EQ(ours.PixelDataSize(), size);
      const auto mismatch =
          std::mismatch(ours.PixelData(), ours.PixelData() + size, theirs.RasterBits);
      EXPECT_EQ(mismatch.first, ours.PixelData() + size)
          << "first different pixel at " << (mismatch.first - ours.PixelData());
    }
  }
  EXPECT_GT(compared, 0);
}

TEST(Corpus, OtherFilesLoadOrFailWithAMessage) {
  const std::vector<fs::path> files = CorpusFiles();
  ASSERT_FALSE(files.empty()) << "no test corpus at " << TINTWELL_CORPUS_DIR;
  for (const fs::path& path : files) {
    if (Slurp(path)) continue;
    const std::string name = Name(path);
    SCOPED_TRACE(name);
    const auto known = kMalformed.find(name);
    ASSERT_NE(known, kMalformed.end()) << "not yet recorded as loading or failing";
    TGIFImage doc;
    std::string error;
    try {
      doc.LoadFile(path.string());
    } catch (const GIFException& e) {
      error = e.what();
    }
    const Malformed& expected = known->second;
    EXPECT_EQ(error, expected.error != nullptr ? expected.error : "") << expected.why;
  }
}

// Inputs on which the fuzz targets once crashed, hung or broke a round trip,
// kept as fixtures. Each must load or fail with its message, and what loads
// must save, reload and save again to the same bytes.
TEST(Corpus, FuzzFindings) {
  const std::map<std::string, Malformed> findings = {
      {"app-block-size-27.gif",
       {msg::BadAppExtensionSize,
        "a NETSCAPE2.0 block of 27 bytes would be saved as an 11-byte looping extension, which "
        "reads its data differently"}},
  };
  const fs::path folder = fs::path(TINTWELL_TEST_DATA_DIR) / "fuzz";
  int seen = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    const auto known = findings.find(name);
    ASSERT_NE(known, findings.end()) << "not yet recorded as loading or failing";
    ++seen;
    TGIFImage doc;
    std::string error;
    try {
      doc.LoadFile(entry.path().string());
    } catch (const GIFException& e) {
      error = e.what();
    }
    EXPECT_EQ(error, known->second.error != nullptr ? known->second.error : "")
        << known->second.why;
    if (!error.empty() || doc.IsEmpty()) continue;
    TMemoryStream saved, again;
    try {
      doc.SaveToStream(saved);
    } catch (const GIFException& e) {
      EXPECT_STREQ(e.what(), msg::ColorNotInTable);
      continue;
    }
    TGIFImage reloaded;
    saved.SetPosition(0);
    reloaded.LoadFromStream(saved);
    reloaded.SaveToStream(again);
    EXPECT_EQ(again.Bytes(), saved.Bytes());
  }
  EXPECT_EQ(seen, static_cast<int>(findings.size()));
}
