// Draws the application icon for the desktop's icon theme: PNGs of every size
// the hicolor theme lists and a scalable SVG, all from the one design of the
// window icon (app/resources/tintwell.png): a 4 x 4 grid of hues on a dark
// rounded tile. Run by the build:
//   tintwell_make_icons OUTPUT_FOLDER ICON_NAME
// writes OUTPUT_FOLDER/hicolor/NxN/apps/ICON_NAME.png and
// OUTPUT_FOLDER/hicolor/scalable/apps/ICON_NAME.svg.
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QString>
#include <cmath>
#include <cstdio>

namespace {

const char* const Hues[16] = {"#ff3b30", "#ff9500", "#ffcc00", "#8bd346", "#34c759", "#00c7be",
                              "#30b0c7", "#32ade6", "#007aff", "#5856d6", "#af52de", "#ff2d55",
                              "#a2845e", "#8e8e93", "#48484a", "#f2f2f7"};
const char* const Tile = "#2c2c34";
const int Sizes[] = {16, 24, 32, 48, 64, 128, 256};

// The design is laid out on 32 units; each size snaps the cells to whole
// pixels so that small icons stay sharp.
struct TLayout {
  int Offset, Cell, Gap;
  double Radius;
};

TLayout LayoutFor(int size) {
  const double unit = size / 32.0;
  const int margin = std::max(1, static_cast<int>(std::floor(2.5 * unit)));
  const int gap = std::max(1, static_cast<int>(std::lround(unit)));
  const int cell = (size - 2 * margin - 3 * gap) / 4;
  const int grid = 4 * cell + 3 * gap;
  return {(size - grid) / 2, cell, gap, 5 * unit};
}

bool WritePng(const QString& path, int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  const TLayout layout = LayoutFor(size);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(QString::fromLatin1(Tile)));
  painter.drawRoundedRect(QRectF(0, 0, size, size), layout.Radius, layout.Radius);
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (int i = 0; i < 16; ++i) {
    const int x = layout.Offset + (i % 4) * (layout.Cell + layout.Gap);
    const int y = layout.Offset + (i / 4) * (layout.Cell + layout.Gap);
    painter.fillRect(x, y, layout.Cell, layout.Cell, QColor(QString::fromLatin1(Hues[i])));
  }
  painter.end();
  return image.save(path, "PNG");
}

bool WriteSvg(const QString& path) {
  QString svg = QStringLiteral(
                    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" "
                    "viewBox=\"0 0 32 32\">\n"
                    "  <rect width=\"32\" height=\"32\" rx=\"5\" fill=\"%1\"/>\n")
                    .arg(QString::fromLatin1(Tile));
  // Unsnapped: the grid centred on the tile.
  for (int i = 0; i < 16; ++i)
    svg += QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"6\" height=\"6\" fill=\"%3\"/>\n")
               .arg(2.5 + (i % 4) * 7)
               .arg(2.5 + (i / 4) * 7)
               .arg(QString::fromLatin1(Hues[i]));
  svg += QStringLiteral("</svg>\n");
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
         file.write(svg.toUtf8()) == svg.toUtf8().size();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("Usage: tintwell_make_icons OUTPUT_FOLDER ICON_NAME\n", stderr);
    return 2;
  }
  const QString root = QFile::decodeName(argv[1]) + QStringLiteral("/hicolor/");
  const QString name = QFile::decodeName(argv[2]);
  for (int size : Sizes) {
    const QString folder = root + QStringLiteral("%1x%1/apps").arg(size);
    if (!QDir().mkpath(folder) || !WritePng(folder + QLatin1Char('/') + name + ".png", size)) {
      std::fprintf(stderr, "tintwell_make_icons: cannot write the %d px icon\n", size);
      return 1;
    }
  }
  const QString scalable = root + QStringLiteral("scalable/apps");
  if (!QDir().mkpath(scalable) || !WriteSvg(scalable + QLatin1Char('/') + name + ".svg")) {
    std::fputs("tintwell_make_icons: cannot write the scalable icon\n", stderr);
    return 1;
  }
  return 0;
}
