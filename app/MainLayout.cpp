#include "app/MainLayout.h"

#include "app/Application.h"
#include "app/WindowStyle.h"

namespace app {

namespace {

// The colour the menus and the tool bar highlight with (0x00EEF6F7 as a
// 0x00BBGGRR value).
const QColor MenuHighlight(0xF7, 0xF6, 0xEE);

// Group boxes with the caption set into the top edge of the frame.
const char* const GroupBoxStyle =
    "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
    "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0px; }";

void PlaceLabel(QLabel& label, const char* caption, int left, int top) {
  label.setText(QString::fromLatin1(caption));
  label.setGeometry(left, top, label.sizeHint().width(), 13);
}

// Every edit field is 21 pixels high and skipped by the Tab key.
void PlaceEdit(QLineEdit& edit, int left, int top, int width, bool readOnly) {
  edit.setGeometry(left, top, width, 21);
  edit.setReadOnly(readOnly);
  edit.setFocusPolicy(Qt::ClickFocus);
}

void SetUpAction(QAction& action, const char* category, const char* menuCaption, const char* hint,
                 int imageIndex, const char* icon) {
  action.setText(QString::fromLatin1(menuCaption));
  action.setToolTip(QString::fromLatin1(hint));
  action.setStatusTip(QString::fromLatin1(hint));
  action.setProperty("Category", QString::fromLatin1(category));
  action.setProperty("ImageIndex", imageIndex);
  if (icon != nullptr) action.setIcon(QIcon(QString::fromLatin1(icon)));
}

}  // namespace

TMainLayout::TMainLayout(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      actOpen(this),
      actSave(this),
      actSaveAs(this),
      actExportPalette(this),
      actImportPalette(this),
      actExit(this),
      actAbout(this),
      actUndo(this),
      actRedo(this),
      actRevert(this),
      actPreview(this),
      actRecolourAll(this),
      ActionMainMenuBar1(this),
      mnuFile(&ActionMainMenuBar1),
      mnuEdit(&ActionMainMenuBar1),
      mnuView(&ActionMainMenuBar1),
      mnuColorTable(&mnuView),
      mnuHelp(&ActionMainMenuBar1),
      Bevel1(this),
      CoolBar1(this),
      ActionToolBar1(&CoolBar1),
      edtSignature(this),
      lblScrnWidth(this),
      edtScrnWidth(this),
      lblScrnHeight(this),
      edtScrnHeight(this),
      lblColorRes(this),
      edtColorRes(this),
      lblBPP(this),
      edtBPP(this),
      lblBackground(this),
      edtBackground(this),
      lblR(this),
      edtR(this),
      lblG(this),
      edtG(this),
      lblB(this),
      edtB(this),
      lblH(this),
      edtH(this),
      lblS(this),
      edtS(this),
      lblL(this),
      edtL(this),
      Panel1(this),
      imgColorMap(&Panel1),
      GroupBox1(this),
      Label1(&GroupBox1),
      edtFromH(&GroupBox1),
      Label3(&GroupBox1),
      edtFromL(&GroupBox1),
      Label2(&GroupBox1),
      edtFromS(&GroupBox1),
      Label7(&GroupBox1),
      edtTolerance(&GroupBox1),
      udTolerance(&GroupBox1),
      GroupBox2(this),
      Label4(&GroupBox2),
      edtToH(&GroupBox2),
      Label5(&GroupBox2),
      edtToL(&GroupBox2),
      Label6(&GroupBox2),
      edtToS(&GroupBox2),
      btnStart(this),
      stbMain(this),
      stbMainText(&stbMain),
      stbTableText(&stbMain),
      stbMatchText(&stbMain) {
  setWindowTitle(QString::fromLatin1(ApplicationTitle));
  setWindowIcon(ApplicationIcon());
  setFont(WindowFont());
  // The face of the window is the platform's button face.
  QPalette face = palette();
  face.setColor(QPalette::Window, face.color(QPalette::Button));
  setPalette(face);
  setAutoFillBackground(true);
  setFixedSize(ClientWidth, ClientHeight);

  dlgOpen = TFileDialog{QStringLiteral("Please select a file"),
                        QStringLiteral("GIF files (*.gif)|*.gif|All files (*.*)|*.*"),
                        QStringLiteral("gif")};
  dlgSave = TFileDialog{QString(), dlgOpen.Filter, dlgOpen.DefaultExt};
  dlgExportPalette =
      TFileDialog{QStringLiteral("Export Palette"),
                  QStringLiteral("GIMP palette (*.gpl)|*.gpl|JASC palette (*.pal)|*.pal|"
                                 "Adobe colour table (*.act)|*.act|Hex palette (*.hex)|*.hex"),
                  QStringLiteral("gpl")};
  dlgImportPalette = TFileDialog{
      QStringLiteral("Import Palette"),
      QStringLiteral("Palette files|*.gpl;*.pal;*.act;*.hex|All files (*.*)|*.*"), QString()};

  BuildActions();
  BuildMenuAndToolBar();
  BuildControls();
  SetTabOrder();
}

void TMainLayout::BuildActions() {
  SetUpAction(actOpen, "File", "&Open File...", "Open GIF File", 0, ":/open.png");
  actOpen.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  SetUpAction(actSave, "File", "&Save File", "Save Current File", 1, ":/save.png");
  actSave.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  SetUpAction(actSaveAs, "File", "S&ave File As...", "Save File As", 2, ":/saveas.png");
  SetUpAction(actExportPalette, "File", "E&xport Palette...",
              "Save the shown colour table as a palette file", -1, nullptr);
  SetUpAction(actImportPalette, "File", "&Import Palette...",
              "Replace the shown colour table's colours with a palette file's", -1, nullptr);
  SetUpAction(actExit, "File", "&Exit", "Exit Tintwell", -1, nullptr);
  SetUpAction(actAbout, "Help", "&About", "About Tintwell", 3, ":/about.png");
  SetUpAction(actUndo, "Edit", "&Undo", "Undo the last Start", -1, nullptr);
  actUndo.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  SetUpAction(actRedo, "Edit", "&Redo", "Redo the last undone Start", -1, nullptr);
  actRedo.setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  SetUpAction(actRevert, "Edit", "Re&vert to Saved", "Restore the palette as last opened or saved",
              -1, nullptr);
  SetUpAction(actPreview, "View", "&Preview", "Preview the image with the current palette", 4,
              ":/preview.png");
  actPreview.setShortcut(QKeySequence(Qt::Key_F4));
  SetUpAction(actRecolourAll, "Edit", "Recolour &Every Table",
              "Start recolours the global table and every frame's table", -1, nullptr);
  actRecolourAll.setCheckable(true);
  actRecolourAll.setChecked(true);
  actUndo.setEnabled(false);
  actRedo.setEnabled(false);
  // Short-cuts work wherever the focus is in the window, menus open or not.
  addActions({&actOpen, &actSave, &actSaveAs, &actExit, &actAbout, &actUndo, &actRedo, &actRevert,
              &actPreview});
}

void TMainLayout::BuildMenuAndToolBar() {
  QPalette highlighted = palette();
  highlighted.setColor(QPalette::Highlight, MenuHighlight);
  highlighted.setColor(QPalette::HighlightedText, highlighted.color(QPalette::WindowText));

  // Set before the geometry, which a change of style would undo.
  ActionMainMenuBar1.setStyle(&MenuFrameStyle());
  ActionMainMenuBar1.setNativeMenuBar(false);
  ActionMainMenuBar1.setGeometry(0, 0, ClientWidth, 24);
  ActionMainMenuBar1.setPalette(highlighted);
  mnuFile.setTitle(QStringLiteral("&File"));
  mnuFile.addActions({&actOpen, &actSave, &actSaveAs});
  mnuFile.addSeparator();
  mnuFile.addActions({&actExportPalette, &actImportPalette});
  mnuFile.addSeparator();
  mnuFile.addAction(&actExit);
  mnuEdit.setTitle(QStringLiteral("&Edit"));
  mnuEdit.addActions({&actUndo, &actRedo});
  mnuEdit.addSeparator();
  mnuEdit.addAction(&actRevert);
  mnuEdit.addSeparator();
  mnuEdit.addAction(&actRecolourAll);
  mnuView.setTitle(QStringLiteral("&View"));
  mnuView.addAction(&actPreview);
  mnuColorTable.setTitle(QStringLiteral("Colour &Table"));
  mnuColorTable.setFont(WindowFont());
  mnuColorTable.setPalette(highlighted);
  mnuView.addMenu(&mnuColorTable);
  mnuHelp.setTitle(QStringLiteral("&Help"));
  mnuHelp.addAction(&actAbout);
  for (QMenu* menu : {&mnuFile, &mnuEdit, &mnuView, &mnuHelp}) {
    menu->setStyle(&MenuFrameStyle());
    // Menus are windows of their own and do not inherit the window's look.
    menu->setFont(WindowFont());
    menu->setPalette(highlighted);
    ActionMainMenuBar1.addMenu(menu);
  }

  Bevel1.setGeometry(0, 24, ClientWidth, 2);

  CoolBar1.setGeometry(0, 26, ClientWidth, 30);
  ActionToolBar1.setGeometry(2, 2, 672, 26);
  ActionToolBar1.setMovable(false);
  ActionToolBar1.setFloatable(false);
  ActionToolBar1.setIconSize(QSize(16, 16));
  ActionToolBar1.setToolButtonStyle(Qt::ToolButtonIconOnly);
  // Checked buttons show the button face rather than the highlight.
  QPalette toolbar = highlighted;
  toolbar.setColor(QPalette::Highlight, MenuHighlight);
  ActionToolBar1.setPalette(toolbar);
  ActionToolBar1.addAction(&actOpen);
  ActionToolBar1.addSeparator();
  ActionToolBar1.addActions({&actSave, &actSaveAs});
  ActionToolBar1.addSeparator();
  ActionToolBar1.addAction(&actAbout);
  ActionToolBar1.addSeparator();
  ActionToolBar1.addAction(&actPreview);

  stbMain.setSizeGripEnabled(false);
  stbMain.setGeometry(0, ClientHeight - 19, ClientWidth, 19);
  stbMain.addWidget(&stbMainText, 1);
  stbMain.addPermanentWidget(&stbTableText);
  stbMain.addPermanentWidget(&stbMatchText);
  // Off the window's right edge.
  stbMatchText.setContentsMargins(0, 0, 6, 0);
}

void TMainLayout::BuildControls() {
  PlaceEdit(edtSignature, 16, 64, 65, true);
  PlaceLabel(lblScrnWidth, "Image Width:", 16, 96);
  PlaceEdit(edtScrnWidth, 104, 92, 33, true);
  PlaceLabel(lblScrnHeight, "Image Height:", 16, 123);
  PlaceEdit(edtScrnHeight, 104, 119, 33, true);
  PlaceLabel(lblColorRes, "Color Resolution:", 16, 165);
  PlaceEdit(edtColorRes, 113, 161, 25, true);
  PlaceLabel(lblBPP, "Bits per Pixel:", 16, 192);
  PlaceEdit(edtBPP, 113, 188, 25, true);
  PlaceLabel(lblBackground, "Background Index:", 16, 219);
  PlaceEdit(edtBackground, 113, 215, 25, true);
  PlaceLabel(lblR, "R:", 16, 256);
  PlaceEdit(edtR, 33, 253, 32, true);
  PlaceLabel(lblG, "G:", 16, 284);
  PlaceEdit(edtG, 33, 280, 32, true);
  PlaceLabel(lblB, "B:", 16, 310);
  PlaceEdit(edtB, 33, 307, 32, true);
  PlaceLabel(lblH, "H:", 87, 256);
  PlaceEdit(edtH, 106, 253, 32, true);
  PlaceLabel(lblS, "S:", 87, 284);
  PlaceEdit(edtS, 106, 280, 32, true);
  PlaceLabel(lblL, "L:", 87, 310);
  PlaceEdit(edtL, 106, 307, 32, true);

  Panel1.setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel1.setLineWidth(1);
  Panel1.setGeometry(152, 64, 290, 290);
  imgColorMap.move(2, 2);
  imgColorMap.SetSurfaceSize(288, 288);

  GroupBox1.setStyleSheet(QString::fromLatin1(GroupBoxStyle));
  GroupBox2.setStyleSheet(QString::fromLatin1(GroupBoxStyle));
  GroupBox1.setTitle(QStringLiteral(" From "));
  GroupBox1.setGeometry(456, 64, 209, 89);
  PlaceLabel(Label1, "H:", 15, 24);
  PlaceEdit(edtFromH, 34, 20, 32, false);
  PlaceLabel(Label3, "L:", 79, 23);
  PlaceEdit(edtFromL, 98, 19, 32, false);
  PlaceLabel(Label2, "S:", 143, 22);
  PlaceEdit(edtFromS, 162, 18, 32, false);
  PlaceLabel(Label7, "Tolerance:", 15, 56);
  PlaceEdit(edtTolerance, 73, 52, 24, true);
  udTolerance.setGeometry(97, 52, 16, 21);
  udTolerance.SetRange(0, 100);
  udTolerance.SetIncrement(1);
  udTolerance.SetWrap(false);
  udTolerance.SetArrowKeys(true);
  udTolerance.SetAssociate(&edtTolerance);
  udTolerance.SetPosition(0);

  GroupBox2.setTitle(QStringLiteral(" To "));
  GroupBox2.setGeometry(459, 159, 209, 61);
  PlaceLabel(Label4, "H:", 15, 24);
  PlaceEdit(edtToH, 32, 20, 32, false);
  PlaceLabel(Label5, "L:", 79, 24);
  PlaceEdit(edtToL, 98, 20, 32, false);
  PlaceLabel(Label6, "S:", 143, 24);
  PlaceEdit(edtToS, 162, 20, 32, false);

  btnStart.setText(QStringLiteral("Start"));
  btnStart.setGeometry(593, 235, 75, 25);
}

void TMainLayout::SetTabOrder() {
  QWidget* const order[] = {&edtSignature,  &edtScrnWidth, &edtScrnHeight, &edtColorRes, &edtBPP,
                            &edtBackground, &edtB,         &edtG,          &edtR,        &edtH,
                            &edtS,          &edtL,         &Panel1,        &GroupBox1,   &edtFromH,
                            &edtFromL,      &edtFromS,     &edtTolerance,  &udTolerance, &GroupBox2,
                            &edtToH,        &edtToL,       &edtToS,        &btnStart};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
}

void TMainLayout::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!FPlaced) {
    FPlaced = true;
    CentreOnScreen(*this);
  }
}

}  // namespace app
