// What the main window's command families see of the window. Each family is a
// small class in a file pair of its own, owned by the window and made with it
// as its host; it reaches the document, the controls, the hooks and the shown
// table through this interface and nothing else of the window.
#pragma once

#include <QString>
#include <functional>

#include "app/MainLayout.h"
#include "app/OpenDocument.h"
#include "app/PreviewWindow.h"
#include "app/WindowHooks.h"
#include "app/WorkKeeper.h"
#include "gif/ColorMap.h"

namespace app {

class TCommandHost {
 public:
  // The controls, actions and dialogs of the window.
  virtual TMainLayout& Controls() = 0;
  // How the window asks the user.
  virtual TWindowHooks& Hooks() = 0;
  // The document, its file and its history.
  virtual TOpenDocument& Edited() = 0;
  // The modified mark, the questions that keep work, progress.
  virtual TWorkKeeper& Keeper() = 0;
  // The preview window; nullptr until the first Preview command.
  virtual TfrmPreview* Preview() const = 0;

  // The table the grid shows; nullptr when the document has none.
  virtual gif::TGIFColorMap* ShownMap() = 0;
  // Runs change as one undo step (none when nothing changed) and shows the
  // result. Does nothing before a file is loaded.
  virtual void EditTables(const QString& undoText, const std::function<void()>& change) = 0;
  // Shows the document's header fields, its tables and the shown one.
  virtual void UpdateDisplay() = 0;
  // After a new document replaced the old: its first table, the preview on it.
  virtual void ShowNewDocument() = 0;
  // Shows the table of a frame (-1: the global table) when the document has it.
  virtual void ShowTable(int frame) = 0;

 protected:
  ~TCommandHost() = default;
};

}  // namespace app
