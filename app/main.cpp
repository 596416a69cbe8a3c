// Start-up: the GIF library's registration, the application object, the main
// window and the hidden About window, then the event loop until the main
// window closes.
#include <QByteArray>

#include "app/AboutUnit.h"
#include "app/Application.h"
#include "app/MainUnit.h"
#include "app/Registration.h"

int main(int argc, char** argv) {
  // The layout is in device pixels; scaling for screen density would move the
  // controls off their grid.
  qputenv("QT_ENABLE_HIGHDPI_SCALING", QByteArray("0"));

  const app::TGIFRegistration gifLibrary;
  app::TApplication application(argc, argv);
  app::TfrmMain frmMain;
  app::TfrmAbout frmAbout;
  frmMain.SetAboutWindow(&frmAbout);
  frmMain.show();
  return application.exec();
}
