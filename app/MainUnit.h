// The main window: the document it owns, the windows it opens, what it shows
// of the document, and the wiring of its actions and controls to the command
// families (FileCommands, RecolourCommands, PaletteFileCommands,
// ExactColourCommand), each in a file pair of its own. The controls are built
// and placed by TMainLayout.
#pragma once

#include <QPoint>
#include <QUndoStack>
#include <functional>
#include <memory>

#include "app/AboutUnit.h"
#include "app/AdjustCommands.h"
#include "app/CommandHost.h"
#include "app/ExactColourCommand.h"
#include "app/FileCommands.h"
#include "app/MainLayout.h"
#include "app/OpenDocument.h"
#include "app/PaletteCommands.h"
#include "app/PaletteFileCommands.h"
#include "app/PaletteView.h"
#include "app/PreviewWindow.h"
#include "app/RecolourCommands.h"
#include "app/TableChoice.h"
#include "app/WindowHooks.h"
#include "app/WorkKeeper.h"
#include "gif/Document.h"

namespace app {

// Where the window keeps what it remembers between runs.
namespace setting {
inline constexpr const char* RecolourEveryTable = "RecolourEveryTable";
}  // namespace setting

// The hooks (ShowOpenDialog, ShowErrorCancel, ...) are public members that
// tests replace.
class TfrmMain : public TMainLayout, public TWindowHooks, private TCommandHost {
  Q_OBJECT
 public:
  explicit TfrmMain(QWidget* parent = nullptr);
  ~TfrmMain() override;

  // Handlers. The action handlers and btnStartClick raise what the commands
  // raise; the connections shown to the user report it through the
  // application's error box. Each runs the command of its family.
  void FormCreate();
  void FormDestroy();
  void actOpenExecute() { FFiles.Open(); }
  // Opens a file as Open does once its dialog has answered.
  void OpenFile(const QString& name) { FFiles.OpenFile(name); }
  void actSaveExecute() { FFiles.Save(); }
  void actSaveAsExecute() { FFiles.SaveAs(); }
  void actExportPaletteExecute() { FPaletteFiles.Export(); }
  void actImportPaletteExecute() { FPaletteFiles.Import(); }
  void actExitExecute() { close(); }
  void actAboutExecute();
  void actRevertExecute() { FRecolour.Revert(); }
  // Opens the preview window, made on first use, showing the document.
  void actPreviewExecute();
  void btnStartClick() { FRecolour.Start(); }
  void imgColorMapMouseMove(int x, int y);
  void imgColorMapMouseDown(int x, int y) { FRecolour.PickFrom(x, y); }
  void imgColorMapDblClick(int x, int y) { FExactColour.SetColourAt(x, y); }
  // Replaces a typed character that is neither a digit nor backspace by the
  // null character, meaning nothing was typed.
  void blockNonDigit(QObject*, QChar& key) { TRecolourCommands::BlockNonDigit(key); }

  void UpdateDisplay() override;
  // The Palette menu and what the grid and the preview show of entries.
  TPaletteCommands& PaletteCommands() { return FPalette; }
  TAdjustCommands& AdjustCommands() { return FAdjust; }
  TPaletteView& PaletteView() { return FPaletteView; }
  // Paints the shown table with the outline of what Start would change.
  void PaintGrid() { FRecolour.PaintGrid(); }

  // The table the grid shows (the global one, or a frame's local one chosen
  // in View > Colour Table); nullptr when the document has none.
  gif::TGIFColorMap* ShownMap() override;
  // Shows the table of a frame (-1: the global table) when the document has it.
  void ShowTable(int frame) override;
  // Snapshots every table, runs change, and pushes ONE undo step if any entry
  // or entry count differs afterwards; then refreshes the grid, the read-outs
  // and the preview. Does nothing before a file is loaded.
  void EditTables(const QString& undoText, const std::function<void()>& change) override;

  // The About window made at start-up; without one, the first About command
  // makes one owned by this window.
  void SetAboutWindow(TfrmAbout* about) { frmAbout = about; }
  TfrmAbout* AboutWindow() const { return frmAbout; }

  gif::TGIFImage& Document() { return FDocument.Image(); }
  bool Loaded() const { return FDocument.Loaded(); }
  const QString& FileName() const { return FDocument.FileName(); }
  TfrmPreview* Preview() const override { return FPreview.get(); }
  // The Starts and reverts since the last Open.
  QUndoStack& History() { return FDocument.History(); }
  // Whether the palettes differ from the file as last opened or saved.
  bool Modified() const { return FDocument.Modified(); }
  // The modified mark, the questions that keep work, Open Recent, progress.
  TWorkKeeper& Keeper() override { return FKeeper; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // A file dragged from the desktop opens as if chosen in the Open dialog.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  // Closing asks about unsaved changes first.
  void closeEvent(QCloseEvent* event) override;

 private:
  TMainLayout& Controls() override { return *this; }
  TWindowHooks& Hooks() override { return *this; }
  TOpenDocument& Edited() override { return FDocument; }
  void ShowNewDocument() override;
  void ConnectCommands();

  TOpenDocument FDocument;
  QPoint FLastHover{-1, -1};  // where the read-outs were last taken
  TTableChoice FTables;       // which table the grid shows
  TWorkKeeper FKeeper;

  // The command families, each working on the window through TCommandHost.
  // A new family of commands gets a file pair of its own and a member here.
  TFileCommands FFiles{*this};
  TRecolourCommands FRecolour{*this};
  TPaletteFileCommands FPaletteFiles{*this};
  TExactColourCommand FExactColour{*this};
  TPaletteCommands FPalette{*this};
  TAdjustCommands FAdjust{*this, FPalette};
  TPaletteView FPaletteView{*this};

  std::unique_ptr<TfrmPreview> FPreview;   // child window, made on first use
  TfrmAbout* frmAbout = nullptr;           // shown by the About command
  std::unique_ptr<TfrmAbout> FOwnedAbout;  // made here when start-up made none
};

}  // namespace app
