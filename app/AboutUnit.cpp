#include "app/AboutUnit.h"

#include <QDesktopServices>
#include <QFile>
#include <QMouseEvent>

#include "app/JpegDecoder.h"
#include "app/WindowStyle.h"

namespace app {

QImage AboutLogo() {
  QFile file(QStringLiteral(":/logo.jpg"));
  if (!file.open(QIODevice::ReadOnly)) return QImage();
  const QByteArray bytes = file.readAll();
  return DecodeJpeg(reinterpret_cast<const uint8_t*>(bytes.constData()),
                    static_cast<std::size_t>(bytes.size()));
}

TfrmAbout::TfrmAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      OpenUrl([](const QUrl& url) { QDesktopServices::openUrl(url); }),
      Image1(this),
      Label1(this),
      Label2(this),
      Label4(this),
      Bevel1(this),
      btnOK(this) {
  setWindowTitle(QStringLiteral("About Tintwell"));
  setWindowIcon(ApplicationIcon());
  setFont(WindowFont());
  setFixedSize(304, 156);
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
  setAutoFillBackground(true);

  // The picture control takes the size of its picture; without one it keeps
  // the logo's place empty.
  const QImage logo = AboutLogo();
  if (!logo.isNull()) {
    Image1.setPixmap(QPixmap::fromImage(logo));
    Image1.setGeometry(8, 8, logo.width(), logo.height());
  } else {
    Image1.setGeometry(8, 8, 75, 75);
  }

  Label1.setText(QStringLiteral("Tintwell"));
  Label1.setFont(TitleFont());
  Label1.setGeometry(120, 24, 151, 18);

  Label2.setText(QStringLiteral("Version 1.0 "));
  Label2.setGeometry(168, 48, 57, 13);

  Label4.setText(QStringLiteral("Marrowlake"));
  QFont link = WindowFont();
  link.setUnderline(true);
  Label4.setFont(link);
  QPalette navy = Label4.palette();
  navy.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0x80));
  Label4.setPalette(navy);
  Label4.setCursor(Qt::PointingHandCursor);
  Label4.setGeometry(178, 80, 115, 13);
  Label4.installEventFilter(this);

  Bevel1.setGeometry(8, 104, 284, 9);

  btnOK.setText(QStringLiteral("OK"));
  btnOK.setGeometry(217, 119, 75, 25);
  btnOK.setDefault(true);
  connect(&btnOK, &QPushButton::clicked, this, &QDialog::accept);
  // The only control that takes focus, so it is first in the tab order.
  btnOK.setFocus();
}

void TfrmAbout::Label4Click() {
  if (OpenUrl) OpenUrl(QUrl(QString::fromLatin1(MakerAddress)));
}

bool TfrmAbout::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &Label4 && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
      Label4.rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
    Label4Click();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TfrmAbout::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  btnOK.setFocus();
  CentreOnScreen(*this);
}

}  // namespace app
