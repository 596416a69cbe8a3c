// Renders the README's screenshot from the real main window: opens a picture
// through the window's own Open command, hovers and clicks a swatch, fills in
// a recolour request, and saves what the window shows.
//   QT_QPA_PLATFORM=offscreen tintwell_make_screenshot <picture.gif> <out.png>
//       [<with-preview.png> [--start]]
// The optional third picture puts the preview window beside the main window;
// with --start the main window is taken as it outlines the hue change, then
// Start runs and the preview shows the last frame, so an animation's frames
// show their recoloured tables together.
#include <QApplication>
#include <QByteArray>
#include <QPainter>
#include <QTest>
#include <algorithm>
#include <cstdio>

#include "app/Application.h"
#include "app/MainUnit.h"

int main(int argc, char** argv) {
  const bool start = argc == 5 && QByteArray(argv[4]) == "--start";
  if (argc != 3 && argc != 4 && !start) {
    std::fprintf(stderr, "usage: %s <picture.gif> <out.png> [<with-preview.png> [--start]]\n",
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
