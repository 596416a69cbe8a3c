// Opening the file named on the command line once the window is up.
#pragma once

#include <QString>
#include <string>

#include "app/MainUnit.h"

namespace app {

// The file name as the file system gave it, made absolute against the working
// folder, so the status bar names it as the Open dialog would.
QString StartFileName(const std::string& argument);

// Opens the file as Open does, as soon as the event loop runs: the window is
// on the screen by then, so a failed open shows its error box over it.
void OpenAtStart(TfrmMain& frmMain, const QString& fileName);

}  // namespace app
