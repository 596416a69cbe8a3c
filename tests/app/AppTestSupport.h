// Shared pieces of the application tests: GIF files written byte by byte, so
// the window tests do not depend on the library's writer, colour helpers, and
// the main window driven as a user drives it.
#pragma once

#include <gtest/gtest.h>
#include <QColor>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/MainUnit.h"
#include "gif/Basics.h"

namespace gif {
class TGIFColorMap;
class TGIFImage;
}  // namespace gif

// Readable failure output for Qt strings. Every test file that compares Qt
// strings includes this header: a file without it would instantiate
// GoogleTest's byte-dump printer for the same type, and the linker keeps only
// one of the two.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& texts, std::ostream* out) {
  *out << '[' << texts.join(QStringLiteral("|")).toStdString() << ']';
}

namespace apptest {

struct Rgb {
  uint8_t r, g, b;
};

// A 1 x 1 GIF whose global colour table holds the given colours, padded with
// black to a power of two (at least 2); no table at all when colours is empty.
// With graphicControl a graphic control extension makes the content GIF89a.
std::vector<uint8_t> SinglePixelGif(const std::vector<Rgb>& colours, bool graphicControl = false,
                                    uint16_t width = 1, uint16_t height = 1,
                                    uint8_t background = 0);

// Writes bytes to a file in the test's temporary folder; returns its path.
// A file of the test corpus (tests/data/corpus); throws, failing the test with
// the file's name, when it is missing.
QString CorpusFile(const char* name);
QString WriteTempFile(const QString& name, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadFileBytes(const QString& path);

// A folder made for the running test and removed with the process.
QString TempDir();

gif::TColor ToTColor(Rgb c);
Rgb HLSToRgb(int hue, int lightness, int saturation);

// n distinct colours, so every entry of a grid can be told apart.
std::vector<Rgb> DistinctColours(int n);

// A shown main window whose dialogs and boxes answer from the test: file
// dialogs take the queued answers (cancel when none is left), the application's
// error box and the recolour command's Cancel box are recorded, and the
// questions about unsaved or changed files answer from queues too.
class TWindowDriver : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The next queued dialog answer; empty (cancel) when none is left.
  QString Next();
  // Opens a file through the Open action as the user would.
  void Open(const QString& path);
  // Writes a 1 x 1 GIF with the given global table; returns its path.
  QString Gif(const QString& name, const std::vector<Rgb>& colours, bool gif89 = false);
  // Moves the pointer onto a point of the grid.
  void Hover(int x, int y);
  // R, G, B, H, L, S as the read-outs show them.
  QStringList ReadOut();
  // The colour painted at the middle of a swatch.
  QColor Swatch(int index);
  // Fills in the From, To and tolerance fields, an empty text leaving a field empty.
  void Fields(const char* fromH, const char* toH, const char* fromS, const char* toS,
              const char* fromL, const char* toL, int tolerance = 0);
  // A hue Start, pressed as the user presses it.
  void Start(const char* fromH, const char* toH);
  // The global table's bytes as the document holds them.
  std::vector<uint8_t> Table();

  app::TApplication* application = nullptr;
  std::function<void(const QString&, const QString&)> savedBox;
  app::TfrmMain frm;
  std::deque<QString> answers;
  QStringList openDialogs;
  QStringList errorBoxes;
  QStringList cancelBoxes;
  // Answers to "Save changes to NAME?" (Discard when none is left), to the
  // changed-on-disk question (No when none is left) and to the revert question
  // (Revert when none is left), and every question asked.
  std::deque<app::TSaveAnswer> saveAnswers;
  std::deque<bool> overwriteAnswers;
  std::deque<bool> revertAnswers;
  QStringList questions;
};

// The bytes of a colour table holding these colours.
std::vector<uint8_t> TableBytes(const std::vector<Rgb>& colours);

// Every entry of a table (none without one); every table of a document, the
// global one first, then each frame's.
using TTables = std::vector<std::vector<gif::TColor>>;
std::vector<gif::TColor> Entries(gif::TGIFColorMap* map);
TTables AllTables(gif::TGIFImage& doc);

}  // namespace apptest
