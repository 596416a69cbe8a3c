#include "AppTestSupport.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <stdexcept>

#include "app/Application.h"
#include "color/Common.h"
#include "gif/ColorMap.h"
#include "gif/Document.h"

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
    // Settings the window remembers go to this run's own folder, so tests
    // running side by side neither see each other's nor the user's.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(TempDir() + "/config"));
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

QString CorpusFile(const char* name) {
  const QString path = QStringLiteral(TINTWELL_CORPUS_DIR "/") + name;
  if (!QFile::exists(path)) throw std::runtime_error("missing test input " + path.toStdString());
  return path;
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

namespace {

// The queue's next answer, or the fallback when none is left.
template <typename T>
T Take(std::deque<T>& queue, T fallback) {
  if (queue.empty()) return fallback;
  T answer = queue.front();
  queue.pop_front();
  return answer;
}

}  // namespace

void TWindowDriver::SetUp() {
  application = qobject_cast<app::TApplication*>(qApp);
  ASSERT_NE(application, nullptr);
  savedBox = application->ShowErrorBox;
  application->ShowErrorBox = [this](const QString& title, const QString& text) {
    EXPECT_EQ(title, "Tintwell");
    errorBoxes.push_back(text);
  };
  frm.ShowOpenDialog = [this](const app::TFileDialog& dialog) {
    openDialogs.push_back(dialog.Title);
    return Next();
  };
  frm.ShowSaveDialog = [this](const app::TFileDialog&) { return Next(); };
  frm.Keeper().AskSaveChanges = [this](const QString& text) {
    questions.push_back(text);
    return Take(saveAnswers, app::TSaveAnswer::Discard);
  };
  frm.Keeper().AskOverwrite = [this](const QString& text) {
    questions.push_back(text);
    return Take(overwriteAnswers, false);
  };
  frm.Keeper().AskDiscardChanges = [this](const QString& text) {
    questions.push_back(text);
    return Take(revertAnswers, true);
  };
  frm.ShowErrorCancel = [this](const QString& text) {
    // The box is asked with the arrow over it; the hourglass waits beneath.
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::ArrowCursor);
    cancelBoxes.push_back(text);
  };
  frm.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm));
}

void TWindowDriver::TearDown() {
  application->ShowErrorBox = savedBox;
}

QString TWindowDriver::Next() {
  return Take(answers, QString());
}

void TWindowDriver::Open(const QString& path) {
  answers.push_back(path);
  frm.actOpen.trigger();
}

QString TWindowDriver::Gif(const QString& name, const std::vector<Rgb>& colours, bool gif89) {
  return WriteTempFile(name, SinglePixelGif(colours, gif89));
}

void TWindowDriver::Hover(int x, int y) {
  // Qt drops a move to where the pointer already is, so step aside first.
  QTest::mouseMove(&frm.imgColorMap, QPoint(x == 100 ? 101 : 100, y == 100 ? 101 : 100));
  QTest::mouseMove(&frm.imgColorMap, QPoint(x, y));
}

QStringList TWindowDriver::ReadOut() {
  return {frm.edtR.text(), frm.edtG.text(), frm.edtB.text(),
          frm.edtH.text(), frm.edtL.text(), frm.edtS.text()};
}

QColor TWindowDriver::Swatch(int index) {
  return frm.imgColorMap.Picture().pixelColor((index % 16) * 18 + 8, (index / 16) * 18 + 8);
}

void TWindowDriver::Fields(const char* fromH, const char* toH, const char* fromS, const char* toS,
                           const char* fromL, const char* toL, int tolerance) {
  frm.udTolerance.SetPosition(tolerance);
  for (auto [edit, text] : {std::pair{&frm.edtFromH, fromH},
                            {&frm.edtToH, toH},
                            {&frm.edtFromS, fromS},
                            {&frm.edtToS, toS},
                            {&frm.edtFromL, fromL},
                            {&frm.edtToL, toL}})
    edit->setText(QString::fromLatin1(text));
}

void TWindowDriver::Start(const char* fromH, const char* toH) {
  frm.edtFromH.setText(QString::fromLatin1(fromH));
  frm.edtToH.setText(QString::fromLatin1(toH));
  QTest::mouseClick(&frm.btnStart, Qt::LeftButton);
}

std::vector<uint8_t> TWindowDriver::Table() {
  gif::TGIFColorMap& map = frm.Document().GlobalMap();
  const auto* bytes = reinterpret_cast<const uint8_t*>(map.Data());
  return {bytes, bytes + 3 * map.EntryCount()};
}

std::vector<uint8_t> TableBytes(const std::vector<Rgb>& colours) {
  std::vector<uint8_t> out;
  for (Rgb c : colours) out.insert(out.end(), {c.r, c.g, c.b});
  return out;
}

std::vector<gif::TColor> Entries(gif::TGIFColorMap* map) {
  std::vector<gif::TColor> entries;
  for (int i = 0; map != nullptr && i < map->EntryCount(); ++i)
    entries.push_back(map->ReadEntry(i));
  return entries;
}

TTables AllTables(gif::TGIFImage& doc) {
  TTables tables{Entries(&doc.GlobalMap())};
  for (int f = 0; f < doc.Frames().Count(); ++f)
    tables.push_back(Entries(&doc.Frames().Frame(f).LocalMap()));
  return tables;
}

}  // namespace apptest
