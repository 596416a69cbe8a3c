// The main window's state and wiring: what each action and control runs, and
// what the window shows of the document.
#include "app/MainUnit.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QSettings>

#include "app/Application.h"
#include "app/WindowStyle.h"

namespace app {

namespace {

QSettings WindowSettings() {
  return QSettings(QString::fromLatin1(ApplicationTitle), QString::fromLatin1(ApplicationTitle));
}

}  // namespace

TfrmMain::TfrmMain(QWidget* parent)
    : TMainLayout(parent),
      TWindowHooks(static_cast<QWidget&>(*this)),
      FDocument([this] { UpdateDisplay(); }),
      FTables(mnuColorTable, stbTableText, Guarded([this](int frame) { ShowTable(frame); })),
      FKeeper(*this, stbMain, mnuFile, &actSave) {
  FormCreate();
  actRecolourAll.setChecked(
      WindowSettings().value(QString::fromLatin1(setting::RecolourEveryTable), true).toBool());

  ConnectCommands();
  FDocument.OnSaved = [this] { FPaletteView.RefreshCompare(); };
  setAcceptDrops(true);
}

TfrmMain::~TfrmMain() {
  FormDestroy();
}

void TfrmMain::FormCreate() {
  FDocument.Clear();
}

void TfrmMain::FormDestroy() {
  if (FPreview) FPreview->SetDocument(nullptr);
}

void TfrmMain::ConnectCommands() {
  QUndoStack& history = FDocument.History();
  connect(&history, &QUndoStack::canUndoChanged, &actUndo, &QAction::setEnabled);
  connect(&history, &QUndoStack::canRedoChanged, &actRedo, &QAction::setEnabled);
  connect(&history, &QUndoStack::indexChanged, this, [this] { FKeeper.SetModified(Modified()); });
  const auto run = [this](QAction& action, std::function<void()> command) {
    connect(&action, &QAction::triggered, this, Guarded([command](bool) { command(); }));
  };
  run(actOpen, [this] { actOpenExecute(); });
  run(actSave, [this] { actSaveExecute(); });
  run(actSaveAs, [this] { actSaveAsExecute(); });
  run(actExportPalette, [this] { actExportPaletteExecute(); });
  run(actImportPalette, [this] { actImportPaletteExecute(); });
  run(actExit, [this] { actExitExecute(); });
  run(actAbout, [this] { actAboutExecute(); });
  run(actUndo, [&history] { history.undo(); });
  run(actRedo, [&history] { history.redo(); });
  run(actRevert, [this] { actRevertExecute(); });
  run(actPreview, [this] { actPreviewExecute(); });
  connect(&actRecolourAll, &QAction::toggled, this, Guarded([this](bool on) {
    WindowSettings().setValue(QString::fromLatin1(setting::RecolourEveryTable), on);
    if (Loaded()) PaintGrid();
  }));

  connect(&imgColorMap, &TPaletteSurface::MouseMoved, this,
          Guarded([this](int x, int y) { imgColorMapMouseMove(x, y); }));
  connect(&imgColorMap, &TPaletteSurface::MousePressed, this,
          Guarded([this](int x, int y) { imgColorMapMouseDown(x, y); }));
  connect(&imgColorMap, &TPaletteSurface::MouseDoubleClicked, this,
          Guarded([this](int x, int y) { imgColorMapDblClick(x, y); }));
  for (QLineEdit* edit :
       {&edtFromH, &edtFromL, &edtFromS, &edtTolerance, &edtToH, &edtToL, &edtToS})
    edit->installEventFilter(this);
  // The outline follows the fields as they are typed.
  for (QLineEdit* edit : {&edtFromH, &edtFromL, &edtFromS, &edtToH, &edtToL, &edtToS})
    connect(edit, &QLineEdit::textChanged, this, Guarded([this](const QString&) {
              if (Loaded()) PaintGrid();
            }));
  connect(&udTolerance, &TUpDown::PositionChanged, this, Guarded([this](int) {
    if (Loaded()) PaintGrid();
  }));
  connect(&btnStart, &QPushButton::clicked, this, Guarded([this](bool) { btnStartClick(); }));
  FKeeper.OpenRecent = Guarded([this](const QString& name) { OpenFile(name); });
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  bool mayClose = false;
  Guarded([this, &mayClose] { mayClose = FFiles.MayLetGo(); })();
  if (!mayClose) {
    event->ignore();
    return;
  }
  TMainLayout::closeEvent(event);
}

void TfrmMain::actPreviewExecute() {
  if (!FPreview) {
    FPreview = std::make_unique<TfrmPreview>(this);
    FPreview->SetDocument(Loaded() ? &Document() : nullptr);
    FPreview->setWindowTitle(PreviewCaption(Loaded() ? FileName() : QString()));
    // Beside the window, so the grid and the picture show together.
    PlaceBeside(*FPreview, *this);
    FPaletteView.HookPreview();
  }
  FPreview->show();
  FPreview->raise();
}

void TfrmMain::actAboutExecute() {
  if (frmAbout == nullptr) {
    FOwnedAbout = std::make_unique<TfrmAbout>(this);
    frmAbout = FOwnedAbout.get();
  }
  ShowModal(*frmAbout);
}

void TfrmMain::ShowNewDocument() {
  FTables.Reset(Document());
  if (FPreview) {
    FPreview->SetDocument(&Document());
    FPreview->setWindowTitle(PreviewCaption(FileName()));
  }
  FPaletteView.RefreshCompare();
  UpdateDisplay();
}

void TfrmMain::UpdateDisplay() {
  gif::TGIFImage& image = Document();
  switch (image.FormatVersion()) {
    case gif::fv87a:
      edtSignature.setText(QStringLiteral("GIF87A"));
      break;
    case gif::fv89a:
      edtSignature.setText(QStringLiteral("GIF89A"));
      break;
    case gif::fvNone:
      break;  // a document without frames keeps the previous text
  }
  // The fields are narrow: five digits must still show whole.
  ShowFieldValue(edtScrnWidth, QString::number(image.ScreenWidth()));
  ShowFieldValue(edtScrnHeight, QString::number(image.ScreenHeight()));
  ShowFieldValue(edtColorRes, QString::number(image.ColorRes()));
  ShowFieldValue(edtBPP, QString::number(image.PixelBits()));
  ShowFieldValue(edtBackground, QString::number(image.BackgroundIndex()));

  FTables.List(image);
  PaintGrid();
  if (FPreview) FPreview->Refresh();
}

gif::TGIFColorMap* TfrmMain::ShownMap() {
  return FTables.Shown(Document());
}

void TfrmMain::ShowTable(int frame) {
  FTables.Choose(frame);
  FTables.List(Document());
  PaintGrid();
}

void TfrmMain::imgColorMapMouseMove(int x, int y) {
  if (!Loaded()) return;
  FLastHover = QPoint(x, y);
  // Without a table there is nothing to read out; asking the map would raise
  // an error box on every mouse movement.
  const auto colour = imgColorMap.ColourAt(x, y);
  if (!colour) return;
  edtR.setText(QString::number(colour->Red));
  edtG.setText(QString::number(colour->Green));
  edtB.setText(QString::number(colour->Blue));
  edtH.setText(QString::number(colour->Hue));
  edtL.setText(QString::number(colour->Lightness));
  edtS.setText(QString::number(colour->Saturation));
}

void TfrmMain::EditTables(const QString& undoText, const std::function<void()>& change) {
  if (!Loaded()) return;
  try {
    FDocument.Record(undoText, change);
  } catch (...) {
    UpdateDisplay();
    throw;
  }
  UpdateDisplay();
  // The read-outs follow the entry under the pointer, which may have changed.
  if (FLastHover.x() >= 0) imgColorMapMouseMove(FLastHover.x(), FLastHover.y());
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && FRecolour.FieldKey(*static_cast<QKeyEvent*>(event)))
    return true;
  return QWidget::eventFilter(watched, event);
}

void TfrmMain::dragEnterEvent(QDragEnterEvent* event) {
  if (!TFileCommands::DroppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TfrmMain::dropEvent(QDropEvent* event) {
  const QString name = TFileCommands::DroppedFile(event->mimeData());
  if (name.isEmpty()) return;
  event->acceptProposedAction();
  Guarded([this, &name] { OpenFile(name); })();
}

}  // namespace app
