// The main window's commands: the document it owns, the file commands, the
// recolour command and its history, and the grid's read-outs. The controls they
// work on are built and placed by TMainLayout.
#pragma once

#include <QColor>
#include <QPoint>
#include <QUndoStack>
#include <functional>
#include <memory>
#include <vector>

#include "app/AboutUnit.h"
#include "app/MainLayout.h"
#include "app/PaletteHistory.h"
#include "app/PreviewWindow.h"
#include "app/TableChoice.h"
#include "app/WorkKeeper.h"
#include "edit/Recolour.h"
#include "gif/Document.h"

namespace app {

namespace msg {
// The status bar's count of the swatches the grid outlines.
inline constexpr const char* EntriesWillChange = "%1 of %2 entries will change";
// The same count when Start would touch several tables.
inline constexpr const char* EntriesInTablesWillChange =
    "%1 of %2 entries in %3 tables will change";
// The undo step of a double-click on a swatch.
inline constexpr const char* SetColour = "Set Colour";
// The undo step of File > Import Palette.
inline constexpr const char* ImportPalette = "Import Palette";
}  // namespace msg

// Where the window keeps what it remembers between runs.
namespace setting {
inline constexpr const char* RecolourEveryTable = "RecolourEveryTable";
}  // namespace setting

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
  // Write the shown table to a palette file, or a palette file's colours into
  // it as one undo step (PaletteFileCommands.cpp).
  void actExportPaletteExecute();
  void actImportPaletteExecute();
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
  // Asks for an exact colour for the swatch under the point, preset to its
  // entry, and writes the chosen RGB into the shown table as one undo step.
  void imgColorMapDblClick(int x, int y);
  // Replaces a typed character that is neither a digit nor backspace by the
  // null character, meaning nothing was typed.
  void blockNonDigit(QObject* sender, QChar& key);

  // Shows the document's header fields, lists its tables and paints the
  // shown one.
  void UpdateDisplay();
  // Paints the shown table and outlines the entries Start would change with
  // the current From, To and tolerance, counting in the status bar what it
  // would change across every table it would touch.
  void PaintGrid();

  // The table the grid shows (the global one, or a frame's local one chosen
  // in View > Colour Table); nullptr when the document has none.
  gif::TGIFColorMap* ShownMap();
  // Shows the table of a frame (-1: the global table) when the document has it.
  void ShowTable(int frame);
  // Snapshots every table, runs change, and pushes ONE undo step if any entry
  // or entry count differs afterwards; then refreshes the grid, the read-outs
  // and the preview. Does nothing before a file is loaded.
  void EditTables(const QString& undoText, const std::function<void()>& change);

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
  // Whether the palettes differ from the file as last opened or saved.
  bool Modified() const;
  // The modified mark, the questions that keep work, Open Recent, progress.
  TWorkKeeper& Keeper() { return FKeeper; }

  // How the window asks the user; tests replace them. A dialog returns the
  // chosen file, empty when cancelled.
  std::function<QString(const TFileDialog&)> ShowOpenDialog;
  std::function<QString(const TFileDialog&)> ShowSaveDialog;
  // The recolour command's modal box: title "Error", error icon, one Cancel.
  std::function<void(const QString& text)> ShowErrorCancel;
  // Shows a window modally and returns its result.
  std::function<int(QDialog&)> ShowModal;
  // The colour dialog, preset to a colour; an invalid colour when cancelled.
  std::function<QColor(const QColor& initial)> ShowColorDialog;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // A file dragged from the desktop opens as if chosen in the Open dialog.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  // Closing asks about unsaved changes first.
  void closeEvent(QCloseEvent* event) override;

 private:
  // The From, To and tolerance fields as the recolour passes read them.
  edit::TRecolourRequest FieldRequest();
  void ConnectCommands();
  // Asks about unsaved changes; whether the document may go.
  bool MayLetGo();
  // Writes the document to a file with the progress bar; false when the user
  // chose not to overwrite a file changed on disk.
  bool SaveTo(const QString& name, bool checkDisk);
  // The tables Start changes: every table, or the shown one alone when
  // Recolour Every Table is off.
  std::vector<gif::TGIFColorMap*> StartMaps();
  // Runs change and records one undo step when it changed any table, also
  // when it ends by an exception; returns whether anything changed.
  bool RecordTables(const QString& undoText, const std::function<void()>& change);
  void ApplyTables(const TTablesSnapshot& tables);

  std::unique_ptr<gif::TGIFImage> FGIFImage;
  bool FLoaded = false;
  QString FFileName;
  QUndoStack FHistory;
  TTablesSnapshot FSavedTables;  // every table as last opened or saved
  QPoint FLastHover{-1, -1};     // where the read-outs were last taken
  TTableChoice FTables;          // which table the grid shows

  TWorkKeeper FKeeper;
  std::unique_ptr<TfrmPreview> FPreview;   // child window, made on first use
  TfrmAbout* frmAbout = nullptr;           // shown by the About command
  std::unique_ptr<TfrmAbout> FOwnedAbout;  // made here when start-up made none
};

}  // namespace app
