// The File menu's commands on the document: Open (also from Open Recent, a
// drop or the command line), Save and Save As, and the question before the
// document goes.
#pragma once

#include <QMimeData>
#include <QString>

#include "app/CommandHost.h"

namespace app {

class TFileCommands {
 public:
  explicit TFileCommands(TCommandHost& host) : host_(host) {}

  // Asks for a file, starting in the current file's folder, and opens it.
  void Open();
  // Opens a file as Open does once its dialog has answered.
  void OpenFile(const QString& name);
  void Save();
  void SaveAs();
  // Asks about unsaved changes; whether the document may go.
  bool MayLetGo();

  // The first local file among dragged URLs; empty when there is none.
  static QString DroppedFile(const QMimeData* data);

 private:
  // Writes the document to a file with the progress bar; false when the user
  // chose not to overwrite a file changed on disk.
  bool SaveTo(const QString& name, bool checkDisk);

  TCommandHost& host_;
};

}  // namespace app
