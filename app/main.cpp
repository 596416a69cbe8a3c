// Start-up: --help and --version answer before anything needs a display; then
// the GIF library's registration, the application object, the main window and
// the hidden About window, the file named on the command line, and the event
// loop until the main window closes.
#include <QByteArray>
#include <cstdio>
#include <string>
#include <vector>

#include "app/AboutUnit.h"
#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/MainUnit.h"
#include "app/Registration.h"
#include "app/StartUp.h"

int main(int argc, char** argv) {
  // Qt's own options are still in the arguments here; they only make the
  // early reading an error, which waits until Qt has taken them out.
  const app::TCommandLine early = app::ParseCommandLine({argv + 1, argv + argc});
  if (early.Action == app::TCommandLine::TAction::Help ||
      early.Action == app::TCommandLine::TAction::Version) {
    std::fputs(app::CommandLineAnswer(early.Action, TINTWELL_VERSION).c_str(), stdout);
    return 0;
  }

  // The layout is in device pixels; scaling for screen density would move the
  // controls off their grid.
  qputenv("QT_ENABLE_HIGHDPI_SCALING", QByteArray("0"));

  const app::TGIFRegistration gifLibrary;
  app::TApplication application(argc, argv);
  // Lets the desktop match the window with the installed launcher and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral(TINTWELL_APP_ID));
  const app::TCommandLine commandLine = app::ParseCommandLine({argv + 1, argv + argc});
  if (commandLine.Action == app::TCommandLine::TAction::Error) {
    std::fputs(commandLine.Message.c_str(), stderr);
    return 2;
  }

  app::TfrmMain frmMain;
  app::TfrmAbout frmAbout;
  frmMain.SetAboutWindow(&frmAbout);
  frmMain.show();
  if (!commandLine.FileName.empty())
    app::OpenAtStart(frmMain, app::StartFileName(commandLine.FileName));
  return application.exec();
}
