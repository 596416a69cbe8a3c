// The main window: the document it owns, the header read-outs, the palette
// grid, the From/To fields of the recolour command, and the file commands.
#pragma once

#include <QAction>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QUndoStack>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/AboutUnit.h"
#include "app/FileDialogs.h"
#include "app/PaletteHistory.h"
#include "app/PreviewWindow.h"
#include "app/widgets/Bevel.h"
#include "app/widgets/PaletteSurface.h"
#include "app/widgets/UpDown.h"
#include "edit/Recolour.h"
#include "gif/Document.h"

namespace app {

namespace msg {
// The status bar's count of the swatches the grid outlines.
inline constexpr const char* EntriesWillChange = "%1 of %2 entries will change";
}  // namespace msg

// Size of a swatch and the pitch of the grid; sixteen swatches to a row.
inline constexpr int SwatchSize = 16;
inline constexpr int SwatchPitch = 18;
inline constexpr int SwatchesPerRow = 16;

// The palette entry under a point of the grid; a point in the gap right of or
// below a swatch belongs to that swatch. Division truncates toward zero.
inline int SwatchIndex(int x, int y) {
  return (y / SwatchPitch) * SwatchesPerRow + x / SwatchPitch;
}

class TfrmMain : public QWidget {
  Q_OBJECT
 public:
  static constexpr int ClientWidth = 676;
  static constexpr int ClientHeight = 383;

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
  QString StatusText() const { return stbMainText.text(); }
  QString MatchText() const { return stbMatchText.text(); }
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

  TFileDialog dlgOpen;
  TFileDialog dlgSave;

  // Actions of the action manager amMain, with the icons of imlActions.
  QAction actOpen;
  QAction actSave;
  QAction actSaveAs;
  QAction actExit;
  QAction actAbout;
  QAction actUndo;
  QAction actRedo;
  QAction actRevert;
  QAction actPreview;

  QMenuBar ActionMainMenuBar1;
  QMenu mnuFile;
  QMenu mnuEdit;
  QMenu mnuView;
  QMenu mnuHelp;
  TBevel Bevel1;
  QFrame CoolBar1;
  QToolBar ActionToolBar1;

  QLineEdit edtSignature;
  QLabel lblScrnWidth;
  QLineEdit edtScrnWidth;
  QLabel lblScrnHeight;
  QLineEdit edtScrnHeight;
  QLabel lblColorRes;
  QLineEdit edtColorRes;
  QLabel lblBPP;
  QLineEdit edtBPP;
  QLabel lblBackground;
  QLineEdit edtBackground;
  QLabel lblR;
  QLineEdit edtR;
  QLabel lblG;
  QLineEdit edtG;
  QLabel lblB;
  QLineEdit edtB;
  QLabel lblH;
  QLineEdit edtH;
  QLabel lblS;
  QLineEdit edtS;
  QLabel lblL;
  QLineEdit edtL;

  QFrame Panel1;
  TPaletteSurface imgColorMap;

  QGroupBox GroupBox1;
  QLabel Label1;
  QLineEdit edtFromH;
  QLabel Label3;
  QLineEdit edtFromL;
  QLabel Label2;
  QLineEdit edtFromS;
  QLabel Label7;
  QLineEdit edtTolerance;
  TUpDown udTolerance;

  QGroupBox GroupBox2;
  QLabel Label4;
  QLineEdit edtToH;
  QLabel Label5;
  QLineEdit edtToL;
  QLabel Label6;
  QLineEdit edtToS;

  QPushButton btnStart;

  QStatusBar stbMain;
  QLabel stbMainText;   // the status bar's file name
  QLabel stbMatchText;  // how many entries Start would change

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // A file dragged from the desktop opens as if chosen in the Open dialog.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // The From, To and tolerance fields as the recolour passes read them.
  edit::TRecolourRequest FieldRequest();
  void BuildActions();
  void BuildMenuAndToolBar();
  void BuildControls();
  void SetTabOrder();

  std::unique_ptr<gif::TGIFImage> FGIFImage;
  bool FLoaded = false;
  QString FFileName;
  QUndoStack FHistory;
  TPaletteEntries FSavedEntries;  // the global table as last opened or saved
  void ApplyEntries(const TPaletteEntries& entries);

  std::unique_ptr<TfrmPreview> FPreview;   // child window, made on first use
  TfrmAbout* frmAbout = nullptr;           // shown by the About command
  std::unique_ptr<TfrmAbout> FOwnedAbout;  // made here when start-up made none
  bool FPlaced = false;                    // centred once, on first showing
};

}  // namespace app
