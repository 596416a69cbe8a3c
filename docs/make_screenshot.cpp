// Renders the README's screenshot from the real main window: opens a picture
// through the window's own Open command, hovers and clicks a swatch, fills in
// a recolour request, and saves what the window shows.
//   QT_QPA_PLATFORM=offscreen tintwell_make_screenshot <picture.gif> <out.png>
//       [<with-preview.png> [--start]]
// The optional third picture puts the preview window beside the main window;
// with --start the main window is taken as it outlines the hue change, then
// Start runs and the preview shows the last frame, so an animation's frames
// show their recoloured tables together. With --palette the one picture is
// the Palette menu at work (see PaletteShot).
#include <QApplication>
#include <QByteArray>
#include <QPainter>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/Application.h"
#include "app/MainUnit.h"

namespace {

// Pictures side by side on white, 8 pixels apart; a column is a list of
// pictures one above the other.
QImage Side(const std::vector<std::vector<QPixmap>>& columns) {
  int width = 0, height = 0;
  for (const auto& column : columns) {
    int w = 0, h = 0;
    for (const QPixmap& p : column) {
      w = std::max(w, p.width());
      h += p.height() + 8;
    }
    width += w + 8;
    height = std::max(height, h - 8);
  }
  QImage all(width - 8, height, QImage::Format_RGB32);
  all.fill(Qt::white);
  QPainter painter(&all);
  int x = 0;
  for (const auto& column : columns) {
    int y = 0, w = 0;
    for (const QPixmap& p : column) {
      painter.drawPixmap(x, y, p);
      y += p.height() + 8;
      w = std::max(w, p.width());
    }
    x += w + 8;
  }
  return all;
}

// The Palette menu at work: a range of swatches selected by a click and a
// Shift+click, unused entries marked, the preview zoomed in with a pixel
// picked, and the adjust dialog open on a hue shift that the grid and the
// preview already show.
int PaletteShot(app::TfrmMain& frm, const QString& out) {
  // Marked for the picture only: the choice is remembered between runs.
  QAction& markUnused = frm.PaletteView().actMarkUnused;
  const bool marked = markUnused.isChecked();
  markUnused.setChecked(true);
  frm.actPreview.trigger();
  app::TfrmPreview& preview = *frm.Preview();
  preview.resize(420, 420);
  if (!QTest::qWaitForWindowExposed(&preview)) return 1;
  preview.ShowFrame(preview.sldFrame.maximum());
  QCoreApplication::processEvents();
  // A pixel picked in the picture shows its table and selects its entry.
  const QRectF target = preview.canvas.Target();
  QTest::mouseClick(
      &preview.canvas, Qt::LeftButton, {},
      (target.topLeft() + QPointF(target.width() * 0.5, target.height() * 0.5)).toPoint());
  const int picked = frm.imgColorMap.Selection()._Find_first();
  const int last = std::min(picked + 20, frm.ShownMap()->EntryCount() - 1);
  frm.imgColorMap.ClickEntry(last, Qt::ShiftModifier);
  for (int i = 0; i < 2; ++i) preview.canvas.ZoomStep(+1, target.center());
  QTest::mouseMove(&frm.imgColorMap, QPoint(last % 16 * 18 + 8, last / 16 * 18 + 8));
  int result = 1;
  frm.ShowModal = [&](QDialog& dialog) {
    app::TAdjustDialog& adjust = frm.AdjustCommands().Dialog();
    adjust.chkPerceptual->setChecked(true);
    adjust.boxes[0]->setValue(120);
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog)) return int(QDialog::Rejected);
    QCoreApplication::processEvents();
    result = Side({{frm.grab(), dialog.grab()}, {preview.grab()}}).save(out) ? 0 : 1;
    return int(QDialog::Rejected);
  };
  frm.AdjustCommands().actAdjust.trigger();
  markUnused.setChecked(marked);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  const bool start = argc == 5 && QByteArray(argv[4]) == "--start";
  const bool palette = argc == 4 && QByteArray(argv[3]) == "--palette";
  if (argc != 3 && argc != 4 && !start) {
    std::fprintf(stderr,
                 "usage: %s <picture.gif> <out.png> [<with-preview.png> [--start] | --palette]\n",
                 argv[0]);
    return 2;
  }
  qputenv("QT_ENABLE_HIGHDPI_SCALING", QByteArray("0"));
  app::TApplication application(argc, argv);
  bool failed = false;
  application.ShowErrorBox = [&](const QString&, const QString& text) {
    std::fprintf(stderr, "%s\n", qPrintable(text));
    failed = true;
  };

  app::TfrmMain frm;
  // The name as given, so the status bar shows what a reader would type
  // (examples/colour-wheel.gif), not the folder the picture was made in.
  const QString picture = QString::fromLocal8Bit(argv[1]);
  frm.ShowOpenDialog = [&](const app::TFileDialog&) { return picture; };
  frm.show();
  if (!QTest::qWaitForWindowExposed(&frm)) return 1;
  frm.actOpen.trigger();
  if (failed) return 1;
  if (palette) return PaletteShot(frm, QString::fromLocal8Bit(argv[2]));

  // A swatch in the red row picked, then the pointer resting on another.
  QTest::mouseClick(&frm.imgColorMap, Qt::LeftButton, {}, QPoint(8 * 18 + 8, 8));
  QTest::mouseMove(&frm.imgColorMap, QPoint(5 * 18 + 8, 5 * 18 + 8));
  frm.edtToH.setText(QStringLiteral("80"));
  frm.udTolerance.SetPosition(10);
  QCoreApplication::processEvents();

  const QPixmap shot = frm.grab();
  if (!shot.save(QString::fromLocal8Bit(argv[2]))) return 1;
  if (argc == 3) return 0;

  // Only the hue pass, so the grid outlines the reds it would turn green.
  frm.edtFromL.clear();
  frm.edtFromS.clear();
  frm.actPreview.trigger();
  app::TfrmPreview& preview = *frm.Preview();
  // The window as it outlines what Start will change, beside the result.
  QCoreApplication::processEvents();
  const QPixmap before = frm.grab();
  if (start) {
    frm.btnStart.click();
    preview.ShowFrame(preview.sldFrame.maximum());
  }
  preview.resize(shot.height(), shot.height());
  if (!QTest::qWaitForWindowExposed(&preview)) return 1;
  QCoreApplication::processEvents();
  const QPixmap side = preview.grab();
  QImage both(shot.width() + 8 + side.width(), std::max(shot.height(), side.height()),
              QImage::Format_RGB32);
  both.fill(Qt::white);
  QPainter painter(&both);
  painter.drawPixmap(0, 0, start ? before : frm.grab());
  painter.drawPixmap(shot.width() + 8, 0, side);
  painter.end();
  return both.save(QString::fromLocal8Bit(argv[3])) ? 0 : 1;
}
