#include "AppTestSupport.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "app/Application.h"
#include "color/Common.h"
#include "gif/ColorMap.h"

namespace apptest {

namespace {

// One application object for the whole test program, made before the first
// test and gone before the program ends.
class TApplicationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "tintwell_app_tests";
    static char* argv[] = {name, nullptr};
    application_ = std::make_unique<app::TApplication>(argc, argv);
  }
  void TearDown() override { application_.reset(); }

 private:
  std::unique_ptr<app::TApplication> application_;
};

// GoogleTest takes ownership of the environment.
[[maybe_unused]] const auto* const registered =
    ::testing::AddGlobalTestEnvironment(std::make_unique<TApplicationEnvironment>().release());

void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

}  // namespace

std::vector<uint8_t> SinglePixelGif(const std::vector<Rgb>& colours, bool graphicControl,
                                    uint16_t width, uint16_t height, uint8_t background) {
  std::vector<uint8_t> out;
  const std::string signature = graphicControl ? "GIF89a" : "GIF87a";
  for (char c : signature) out.push_back(static_cast<uint8_t>(c));
  Put16(out, width);
  Put16(out, height);
  int bits = 1;
  while ((1 << bits) < static_cast<int>(colours.size())) ++bits;
  const bool hasTable = !colours.empty();
  out.push_back(hasTable ? static_cast<uint8_t>(0x80 | ((bits - 1) << 4) | (bits - 1)) : 0);
  out.push_back(background);
  out.push_back(0);
  if (hasTable) {
    for (int i = 0; i < (1 << bits); ++i) {
      const Rgb c = i < static_cast<int>(colours.size()) ? colours[static_cast<std::size_t>(i)]
                                                         : Rgb{0, 0, 0};
      out.push_back(c.r);
      out.push_back(c.g);
      out.push_back(c.b);
    }
  }
  if (graphicControl) {
    for (uint8_t b : {0x21, 0xF9, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00}) out.push_back(b);
  }
  // Image descriptor at 0,0 covering the screen, then every pixel index 0.
  out.push_back(0x2C);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, width);
  Put16(out, height);
  out.push_back(0);
  // LZW (GIF89a appendix F): clear, then index 0 once per pixel as a literal,
  // each followed by a clear so the code width never grows, then end.
  const int minCodeSize = bits < 2 ? 2 : bits;
  const uint32_t clear = 1u << minCodeSize;
  const int width_bits = minCodeSize + 1;
  std::vector<uint32_t> codes{clear};
  for (int i = 0; i < width * height; ++i) {
    codes.push_back(0);
    codes.push_back(clear);
  }
  codes.push_back(clear + 1);
  std::vector<uint8_t> packed;
  uint32_t buffer = 0;
  int filled = 0;
  for (uint32_t code : codes) {
    buffer |= code << filled;
    filled += width_bits;
    while (filled >= 8) {
      packed.push_back(static_cast<uint8_t>(buffer));
      buffer >>= 8;
      filled -= 8;
    }
  }
  if (filled > 0) packed.push_back(static_cast<uint8_t>(buffer));
  out.push_back(static_cast<uint8_t>(minCodeSize));
  for (std::size_t at = 0; at < packed.size(); at += 255) {
    const std::size_t n = std::min<std::size_t>(255, packed.size() - at);
    out.push_back(static_cast<uint8_t>(n));
    for (std::size_t i = at; i < at + n; ++i) out.push_back(packed[i]);
  }
  out.push_back(0);
  out.push_back(0x3B);
  return out;
}

QString TempDir() {
  static QTemporaryDir dir;
  return dir.path();
}

QString WriteTempFile(const QString& name, const std::vector<uint8_t>& bytes) {
  const QString path = QDir(TempDir()).filePath(name);
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
  return path;
}

std::vector<uint8_t> ReadFileBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray data = file.readAll();
  return std::vector<uint8_t>(data.begin(), data.end());
}

gif::TColor ToTColor(Rgb c) {
  return gif::TGIFColorMap::TripleToColor(gif::TGIFColor{c.r, c.g, c.b});
}

Rgb HLSToRgb(int hue, int lightness, int saturation) {
  int r = 0, g = 0, b = 0;
  color::HueLightSatToRGB(hue, lightness, saturation, r, g, b);
  return Rgb{static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)};
}

std::vector<Rgb> DistinctColours(int n) {
  std::vector<Rgb> colours;
  for (int i = 0; i < n; ++i)
    colours.push_back(Rgb{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                          static_cast<uint8_t>((i * 7) & 0xFF)});
  return colours;
}

}  // namespace apptest
