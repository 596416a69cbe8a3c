// The main window's commands: the document it owns, the file commands, the
// recolour command and its history, and the grid's read-outs. The controls they
// work on are built and placed by TMainLayout.
#pragma once

#include <QUndoStack>
#include <functional>
#include <memory>

#include "app/AboutUnit.h"
#include "app/MainLayout.h"
#include "app/PaletteHistory.h"
#include "app/PreviewWindow.h"
#include "edit/Recolour.h"
#include "gif/Document.h"

namespace app {

namespace msg {
// The status bar's count of the swatches the grid outlines.
inline constexpr const char* EntriesWillChange = "%1 of %2 entries will change";
}  // namespace msg

class TfrmMain : public TMainLayout {
  Q_OBJECT
 public:
  explicit TfrmMain(QWidget* parent = nullptr);
  ~TfrmMain() override;

  // Handlers. The action handlers and btnStartClick raise what the commands
  // raise; the connections shown to the user report it through the
  // application's error box.
  void FormCreate();
  void FormDestroy();
  void actOpenExecute();
  // Opens a file as Open does once its dialog has answered.
  void OpenFile(const QString& name);
  void actSaveExecute();
  void actSaveAsExecute();
  void actExitExecute();
  void actAboutExecute();
  // Puts back the global colour table as last opened or saved, as a step of
  // the history, so Undo takes the revert back.
  void actRevertExecute();
  // Opens the preview window, made on first use, showing the document.
  void actPreviewExecute();
  void btnStartClick();
  void imgColorMapMouseMove(int x, int y);
  void imgColorMapMouseDown(int x, int y);
  // Replaces a typed character that is neither a digit nor backspace by the
  // null character, meaning nothing was typed.
  void blockNonDigit(QObject* sender, QChar& key);

  // Shows the document's header fields and paints its global colour table.
  void UpdateDisplay();
  // Paints the global colour table and outlines the entries Start would change
  // with the current From, To and tolerance, counting them in the status bar.
  void PaintGrid();

  // The About window made at start-up; without one, the first About command
  // makes one owned by this window.
  void SetAboutWindow(TfrmAbout* about) { frmAbout = about; }
  TfrmAbout* AboutWindow() const { return frmAbout; }

  gif::TGIFImage& Document() { return *FGIFImage; }
  bool Loaded() const { return FLoaded; }
  const QString& FileName() const { return FFileName; }
  // The preview window; nullptr until the first Preview command.
  TfrmPreview* Preview() const { return FPreview.get(); }
  // The Starts and reverts since the last Open.
  QUndoStack& History() { return FHistory; }

  // How the window asks the user; tests replace them. A dialog returns the
  // chosen file, empty when cancelled.
  std::function<QString(const TFileDialog&)> ShowOpenDialog;
  std::function<QString(const TFileDialog&)> ShowSaveDialog;
  // The recolour command's modal box: title "Error", error icon, one Cancel.
  std::function<void(const QString& text)> ShowErrorCancel;
  // Shows a window modally and returns its result.
  std::function<int(QDialog&)> ShowModal;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // A file dragged from the desktop opens as if chosen in the Open dialog.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // The From, To and tolerance fields as the recolour passes read them.
  edit::TRecolourRequest FieldRequest();
  void ConnectCommands();

  std::unique_ptr<gif::TGIFImage> FGIFImage;
  bool FLoaded = false;
  QString FFileName;
  QUndoStack FHistory;
  TPaletteEntries FSavedEntries;  // the global table as last opened or saved
  void ApplyEntries(const TPaletteEntries& entries);

  std::unique_ptr<TfrmPreview> FPreview;   // child window, made on first use
  TfrmAbout* frmAbout = nullptr;           // shown by the About command
  std::unique_ptr<TfrmAbout> FOwnedAbout;  // made here when start-up made none
};

}  // namespace app
