#include "app/MainUnit.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeData>

#include "app/Application.h"
#include "app/Hourglass.h"
#include "app/MatchHighlight.h"
#include "app/WindowStyle.h"
#include "color/Common.h"
#include "edit/Recolour.h"

namespace app {

namespace {

// The colour the menus and the tool bar highlight with (0x00EEF6F7 as a
// 0x00BBGGRR value).
const QColor MenuHighlight(0xF7, 0xF6, 0xEE);

// File names go to the library as the bytes the file system uses.
std::string LocalFileName(const QString& name) {
  return QFile::encodeName(name).toStdString();
}

QColor ToQColor(gif::TColor colour) {
  const gif::TGIFColor rgb = gif::TGIFColorMap::ColorToTriple(colour);
  return QColor(rgb.Red, rgb.Green, rgb.Blue);
}

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

void ShowErrorCancelBox(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Cancel,
                  parent);
  box.exec();
}

}  // namespace

TfrmMain::TfrmMain(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      ShowOpenDialog([this](const TFileDialog& d) { return ExecuteOpenDialog(this, d); }),
      ShowSaveDialog([this](const TFileDialog& d) { return ExecuteSaveDialog(this, d); }),
      ShowErrorCancel([this](const QString& text) { ShowErrorCancelBox(this, text); }),
      ShowModal([](QDialog& dialog) { return dialog.exec(); }),
      actOpen(this),
      actSave(this),
      actSaveAs(this),
      actExit(this),
      actAbout(this),
      actUndo(this),
      actRedo(this),
      actRevert(this),
      actPreview(this),
      ActionMainMenuBar1(this),
      mnuFile(&ActionMainMenuBar1),
      mnuEdit(&ActionMainMenuBar1),
      mnuView(&ActionMainMenuBar1),
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
      stbMatchText(&stbMain) {
  FormCreate();

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

  BuildActions();
  BuildMenuAndToolBar();
  BuildControls();
  SetTabOrder();
  setAcceptDrops(true);
}

TfrmMain::~TfrmMain() {
  FormDestroy();
}

void TfrmMain::FormCreate() {
  FGIFImage = std::make_unique<gif::TGIFImage>();
  FLoaded = false;
}

void TfrmMain::FormDestroy() {
  if (FPreview) FPreview->SetDocument(nullptr);
  FGIFImage.reset();
}

void TfrmMain::BuildActions() {
  SetUpAction(actOpen, "File", "&Open File...", "Open GIF File", 0, ":/open.png");
  actOpen.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  SetUpAction(actSave, "File", "&Save File", "Save Current File", 1, ":/save.png");
  actSave.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  SetUpAction(actSaveAs, "File", "S&ave File As...", "Save File As", 2, ":/saveas.png");
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
  actUndo.setEnabled(false);
  actRedo.setEnabled(false);
  connect(&FHistory, &QUndoStack::canUndoChanged, &actUndo, &QAction::setEnabled);
  connect(&FHistory, &QUndoStack::canRedoChanged, &actRedo, &QAction::setEnabled);

  connect(&actOpen, &QAction::triggered, this, Guarded([this](bool) { actOpenExecute(); }));
  connect(&actSave, &QAction::triggered, this, Guarded([this](bool) { actSaveExecute(); }));
  connect(&actSaveAs, &QAction::triggered, this, Guarded([this](bool) { actSaveAsExecute(); }));
  connect(&actExit, &QAction::triggered, this, Guarded([this](bool) { actExitExecute(); }));
  connect(&actAbout, &QAction::triggered, this, Guarded([this](bool) { actAboutExecute(); }));
  connect(&actUndo, &QAction::triggered, this, Guarded([this](bool) { FHistory.undo(); }));
  connect(&actRedo, &QAction::triggered, this, Guarded([this](bool) { FHistory.redo(); }));
  connect(&actRevert, &QAction::triggered, this, Guarded([this](bool) { actRevertExecute(); }));
  connect(&actPreview, &QAction::triggered, this, Guarded([this](bool) { actPreviewExecute(); }));
  // Short-cuts work wherever the focus is in the window, menus open or not.
  addActions({&actOpen, &actSave, &actSaveAs, &actExit, &actAbout, &actUndo, &actRedo, &actRevert,
              &actPreview});
}

void TfrmMain::BuildMenuAndToolBar() {
  QPalette highlighted = palette();
  highlighted.setColor(QPalette::Highlight, MenuHighlight);
  highlighted.setColor(QPalette::HighlightedText, highlighted.color(QPalette::WindowText));

  ActionMainMenuBar1.setNativeMenuBar(false);
  ActionMainMenuBar1.setGeometry(0, 0, ClientWidth, 24);
  ActionMainMenuBar1.setPalette(highlighted);
  mnuFile.setTitle(QStringLiteral("&File"));
  mnuFile.addActions({&actOpen, &actSave, &actSaveAs});
  mnuFile.addSeparator();
  mnuFile.addAction(&actExit);
  mnuEdit.setTitle(QStringLiteral("&Edit"));
  mnuEdit.addActions({&actUndo, &actRedo});
  mnuEdit.addSeparator();
  mnuEdit.addAction(&actRevert);
  mnuView.setTitle(QStringLiteral("&View"));
  mnuView.addAction(&actPreview);
  mnuHelp.setTitle(QStringLiteral("&Help"));
  mnuHelp.addAction(&actAbout);
  for (QMenu* menu : {&mnuFile, &mnuEdit, &mnuView, &mnuHelp}) {
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
  stbMain.addPermanentWidget(&stbMatchText);
}

void TfrmMain::BuildControls() {
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
  connect(&imgColorMap, &TPaletteSurface::MouseMoved, this,
          Guarded([this](int x, int y) { imgColorMapMouseMove(x, y); }));
  connect(&imgColorMap, &TPaletteSurface::MousePressed, this,
          Guarded([this](int x, int y) { imgColorMapMouseDown(x, y); }));

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

  for (QLineEdit* edit :
       {&edtFromH, &edtFromL, &edtFromS, &edtTolerance, &edtToH, &edtToL, &edtToS})
    edit->installEventFilter(this);

  btnStart.setText(QStringLiteral("Start"));
  btnStart.setGeometry(593, 235, 75, 25);
  for (QLineEdit* edit : {&edtFromH, &edtFromL, &edtFromS, &edtToH, &edtToL, &edtToS})
    connect(edit, &QLineEdit::textChanged, this, Guarded([this](const QString&) {
              if (FLoaded) PaintGrid();
            }));
  connect(&udTolerance, &TUpDown::PositionChanged, this, Guarded([this](int) {
    if (FLoaded) PaintGrid();
  }));

  connect(&btnStart, &QPushButton::clicked, this, Guarded([this](bool) { btnStartClick(); }));
}

void TfrmMain::SetTabOrder() {
  QWidget* const order[] = {&edtSignature,  &edtScrnWidth, &edtScrnHeight, &edtColorRes, &edtBPP,
                            &edtBackground, &edtB,         &edtG,          &edtR,        &edtH,
                            &edtS,          &edtL,         &Panel1,        &GroupBox1,   &edtFromH,
                            &edtFromL,      &edtFromS,     &edtTolerance,  &udTolerance, &GroupBox2,
                            &edtToH,        &edtToL,       &edtToS,        &btnStart};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
}

void TfrmMain::actOpenExecute() {
  const QString name = ShowOpenDialog(dlgOpen);
  if (name.isEmpty()) return;
  OpenFile(name);
}

void TfrmMain::OpenFile(const QString& name) {
  // The window changes only when the whole file has been read: a failed load
  // leaves document, file name, status bar and display as they were, so a
  // following Save cannot overwrite the file that failed with other content.
  auto loaded = std::make_unique<gif::TGIFImage>();
  loaded->LoadFile(LocalFileName(name));
  FGIFImage = std::move(loaded);
  FFileName = name;
  stbMainText.setText(name);
  FLoaded = true;
  FHistory.clear();
  FSavedEntries = ReadEntries(FGIFImage->GlobalMap());
  if (FPreview) FPreview->SetDocument(FGIFImage.get());
  UpdateDisplay();
}

void TfrmMain::actSaveExecute() {
  FGIFImage->SaveFile(LocalFileName(FFileName));
  FSavedEntries = ReadEntries(FGIFImage->GlobalMap());
}

void TfrmMain::actSaveAsExecute() {
  const QString name = ShowSaveDialog(dlgSave);
  if (name.isEmpty()) return;
  FGIFImage->SaveFile(LocalFileName(name));
  FFileName = name;
  FSavedEntries = ReadEntries(FGIFImage->GlobalMap());
}

void TfrmMain::actRevertExecute() {
  if (!FLoaded) return;
  TPaletteEntries current = ReadEntries(FGIFImage->GlobalMap());
  if (current == FSavedEntries) return;
  FHistory.push(new TPaletteChange(
      actRevert.text(), std::move(current), FSavedEntries,
      [this](const TPaletteEntries& e) { ApplyEntries(e); }, false));
}

void TfrmMain::actPreviewExecute() {
  if (!FPreview) {
    FPreview = std::make_unique<TfrmPreview>(this);
    FPreview->SetDocument(FLoaded ? FGIFImage.get() : nullptr);
  }
  FPreview->show();
  FPreview->raise();
}

void TfrmMain::ApplyEntries(const TPaletteEntries& entries) {
  WriteEntries(FGIFImage->GlobalMap(), entries);
  UpdateDisplay();
}

void TfrmMain::actExitExecute() {
  close();
}

void TfrmMain::actAboutExecute() {
  if (frmAbout == nullptr) {
    FOwnedAbout = std::make_unique<TfrmAbout>(this);
    frmAbout = FOwnedAbout.get();
  }
  ShowModal(*frmAbout);
}

void TfrmMain::UpdateDisplay() {
  switch (FGIFImage->FormatVersion()) {
    case gif::fv87a:
      edtSignature.setText(QStringLiteral("GIF87A"));
      break;
    case gif::fv89a:
      edtSignature.setText(QStringLiteral("GIF89A"));
      break;
    case gif::fvNone:
      break;  // a document without frames keeps the previous text
  }
  edtScrnWidth.setText(QString::number(FGIFImage->ScreenWidth()));
  edtScrnHeight.setText(QString::number(FGIFImage->ScreenHeight()));
  edtColorRes.setText(QString::number(FGIFImage->ColorRes()));
  edtBPP.setText(QString::number(FGIFImage->PixelBits()));
  edtBackground.setText(QString::number(FGIFImage->BackgroundIndex()));

  PaintGrid();
  if (FPreview) FPreview->Refresh();
}

void TfrmMain::PaintGrid() {
  // Cleared first, so a smaller palette after a larger one leaves no swatches
  // of the other file behind.
  imgColorMap.Clear();
  gif::TGIFColorMap& map = FGIFImage->GlobalMap();
  const int count = map.EntryCount();
  for (int i = 0; i < count; ++i) {
    const int left = (i % SwatchesPerRow) * SwatchPitch;
    const int top = (i / SwatchesPerRow) * SwatchPitch;
    imgColorMap.FillRect(left, top, left + SwatchSize, top + SwatchSize,
                         ToQColor(map.ReadEntry(i)));
  }

  edit::TRecolourRequest request = FieldRequest();
  const auto changed = EntriesStartWouldChange(map, request);
  if (!changed || count == 0) {
    stbMatchText.clear();
    return;
  }
  // A black ring with a white one inside shows on every colour.
  for (int i : *changed) {
    const int left = (i % SwatchesPerRow) * SwatchPitch;
    const int top = (i / SwatchesPerRow) * SwatchPitch;
    for (int inset = 0; inset < 2; ++inset) {
      const QColor ring = inset == 0 ? Qt::black : Qt::white;
      const int l = left + inset, t = top + inset;
      const int r = left + SwatchSize - inset, b = top + SwatchSize - inset;
      imgColorMap.FillRect(l, t, r, t + 1, ring);
      imgColorMap.FillRect(l, b - 1, r, b, ring);
      imgColorMap.FillRect(l, t, l + 1, b, ring);
      imgColorMap.FillRect(r - 1, t, r, b, ring);
    }
  }
  stbMatchText.setText(QString::fromLatin1(msg::EntriesWillChange).arg(changed->size()).arg(count));
}

void TfrmMain::imgColorMapMouseMove(int x, int y) {
  if (!FLoaded) return;
  gif::TGIFColorMap& map = FGIFImage->GlobalMap();
  // Without a global colour table there is nothing to read out; asking the map
  // would raise an error box on every mouse movement.
  if (map.EntryCount() == 0) return;
  const gif::TGIFColor rgb = gif::TGIFColorMap::ColorToTriple(map.ReadEntry(SwatchIndex(x, y)));
  edtR.setText(QString::number(rgb.Red));
  edtG.setText(QString::number(rgb.Green));
  edtB.setText(QString::number(rgb.Blue));
  int hue = 0, lightness = 0, saturation = 0;
  color::RGBToHueLightSat(rgb.Red, rgb.Green, rgb.Blue, hue, lightness, saturation);
  edtH.setText(QString::number(hue));
  edtL.setText(QString::number(lightness));
  edtS.setText(QString::number(saturation));
}

void TfrmMain::imgColorMapMouseDown(int x, int y) {
  if (!FLoaded) return;
  gif::TGIFColorMap& map = FGIFImage->GlobalMap();
  if (map.EntryCount() == 0) return;
  const gif::TGIFColor rgb = gif::TGIFColorMap::ColorToTriple(map.ReadEntry(SwatchIndex(x, y)));
  int hue = 0, lightness = 0, saturation = 0;
  color::RGBToHueLightSat(rgb.Red, rgb.Green, rgb.Blue, hue, lightness, saturation);
  edtFromH.setText(QString::number(hue));
  edtFromL.setText(QString::number(lightness));
  edtFromS.setText(QString::number(saturation));
}

void TfrmMain::blockNonDigit(QObject*, QChar& key) {
  const char16_t code = key.unicode();
  if (code != 8 && (code < u'0' || code > u'9')) key = QChar(0);
}

edit::TRecolourRequest TfrmMain::FieldRequest() {
  edit::TRecolourRequest request;
  request.FromH = edtFromH.text().toStdString();
  request.ToH = edtToH.text().toStdString();
  request.FromS = edtFromS.text().toStdString();
  request.ToS = edtToS.text().toStdString();
  request.FromL = edtFromL.text().toStdString();
  request.ToL = edtToL.text().toStdString();
  // Read afresh by each pass, as the tolerance control may change in between.
  request.Tolerance = [this] { return int{udTolerance.Position()}; };
  return request;
}

void TfrmMain::btnStartClick() {
  if (!FLoaded) return;
  THourglass hourglass;
  edit::TRecolourRequest request = FieldRequest();
  request.ShowError = [this](const std::string& message) {
    TArrowWhileAsking arrow;
    ShowErrorCancel(QString::fromStdString(message));
  };
  TPaletteEntries before = ReadEntries(FGIFImage->GlobalMap());
  const edit::TRecolourResult result = edit::Recolour(FGIFImage->GlobalMap(), request);
  // Recorded even when a later pass stopped the command: the earlier passes'
  // changes stay in the palette and can be taken back.
  TPaletteEntries after = ReadEntries(FGIFImage->GlobalMap());
  if (after != before)
    FHistory.push(new TPaletteChange(
        btnStart.text(), std::move(before), std::move(after),
        [this](const TPaletteEntries& e) { ApplyEntries(e); }, true));
  if (result == edit::TRecolourResult::Stopped) {
    // The grid stays as it was, but the preview shows what the document holds.
    if (FPreview) FPreview->Refresh();
    return;
  }
  UpdateDisplay();
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  // Chords (copy, paste, menu keys) and keys that type nothing pass, and so
  // does Tab, which moves the focus rather than typing.
  if (key->modifiers().testAnyFlags(Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier) ||
      key->text().isEmpty() || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
    return QWidget::eventFilter(watched, event);
  for (QChar typed : key->text()) {
    blockNonDigit(watched, typed);
    if (typed.isNull()) return true;
  }
  return QWidget::eventFilter(watched, event);
}

namespace {

// The first local file among the dragged URLs; empty when there is none.
QString DroppedFile(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) return QString();
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) return url.toLocalFile();
  return QString();
}

}  // namespace

void TfrmMain::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TfrmMain::dropEvent(QDropEvent* event) {
  const QString name = DroppedFile(event->mimeData());
  if (name.isEmpty()) return;
  event->acceptProposedAction();
  Guarded([this, &name] { OpenFile(name); })();
}

void TfrmMain::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!FPlaced) {
    FPlaced = true;
    CentreOnScreen(*this);
  }
}

}  // namespace app
