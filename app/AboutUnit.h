// The About window: product name, version, logo and the maker's link.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <functional>

#include "app/widgets/Bevel.h"

namespace app {

// The maker's web site that the link label opens.
inline constexpr const char* MakerAddress = "https://marrowlake.example.org/tintwell";

class TfrmAbout : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmAbout(QWidget* parent = nullptr);

  // Click on the link label: asks the desktop to open the maker's address; the
  // answer is ignored.
  void Label4Click();

  // Hands an address to the desktop's default handler. Tests replace it.
  std::function<void(const QUrl&)> OpenUrl;

  QLabel Image1;
  QLabel Label1;
  QLabel Label2;
  QLabel Label4;
  TBevel Bevel1;
  QPushButton btnOK;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
};

// The logo compiled into the program, decoded; a null image if it is unreadable.
QImage AboutLogo();

}  // namespace app
