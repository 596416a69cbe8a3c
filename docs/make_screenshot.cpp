// Renders the README's screenshot from the real main window: opens a picture
// through the window's own Open command, hovers and clicks a swatch, fills in
// a recolour request, and saves what the window shows.
//   QT_QPA_PLATFORM=offscreen tintwell_make_screenshot <picture.gif> <out.png>
#include <QApplication>
#include <QByteArray>
#include <QFileInfo>
#include <QTest>
#include <cstdio>

#include "app/Application.h"
#include "app/MainUnit.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <picture.gif> <out.png>\n", argv[0]);
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
  const QString picture = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
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
  return shot.save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
