// Shared pieces of the application tests: GIF files written byte by byte, so
// the window tests do not depend on the library's writer, and colour helpers.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "gif/Basics.h"

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
QString WriteTempFile(const QString& name, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadFileBytes(const QString& path);

// A folder made for the running test and removed with the process.
QString TempDir();

gif::TColor ToTColor(Rgb c);
Rgb HLSToRgb(int hue, int lightness, int saturation);

// n distinct colours, so every entry of a grid can be told apart.
std::vector<Rgb> DistinctColours(int n);

}  // namespace apptest
