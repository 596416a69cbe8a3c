// The main window's controls, actions, menus and tool bar, built at their
// fixed places; the commands behind them live in TfrmMain (MainUnit.h).
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
#include <QWidget>

#include "app/FileDialogs.h"
#include "app/widgets/Bevel.h"
#include "app/widgets/PaletteGrid.h"
#include "app/widgets/UpDown.h"

namespace app {

class TMainLayout : public QWidget {
  Q_OBJECT
 public:
  static constexpr int ClientWidth = 676;
  static constexpr int ClientHeight = 383;

  explicit TMainLayout(QWidget* parent = nullptr);

  QString StatusText() const { return stbMainText.text(); }
  QString MatchText() const { return stbMatchText.text(); }
  QString TableText() const { return stbTableText.text(); }

  TFileDialog dlgOpen;
  TFileDialog dlgSave;
  TFileDialog dlgExportPalette;
  TFileDialog dlgImportPalette;

  // Actions of the action manager amMain, with the icons of imlActions.
  QAction actOpen;
  QAction actSave;
  QAction actSaveAs;
  QAction actExportPalette;
  QAction actImportPalette;
  QAction actExit;
  QAction actAbout;
  QAction actUndo;
  QAction actRedo;
  QAction actRevert;
  QAction actPreview;
  // Checkable: Start recolours every table of the file, not only the shown one.
  QAction actRecolourAll;

  QMenuBar ActionMainMenuBar1;
  QMenu mnuFile;
  QMenu mnuEdit;
  QMenu mnuView;
  QMenu mnuColorTable;  // one checkable entry per table, filled by the window
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
  TPaletteGrid imgColorMap;

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
  QLabel stbTableText;  // the table the grid shows, in files with frame tables
  QLabel stbMatchText;  // how many entries Start would change

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildActions();
  void BuildMenuAndToolBar();
  void BuildControls();
  void SetTabOrder();

  bool FPlaced = false;  // centred once, on first showing
};

}  // namespace app
