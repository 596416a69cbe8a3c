#include "app/MainUnit.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeData>

#include "app/Application.h"
#include "app/Hourglass.h"
#include "edit/Recolour.h"

namespace app {

namespace {

// File names go to the library as the bytes the file system uses.
std::string LocalFileName(const QString& name) {
  return QFile::encodeName(name).toStdString();
}

void ShowErrorCancelBox(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Cancel,
                  parent);
  box.exec();
}

}  // namespace

TfrmMain::TfrmMain(QWidget* parent)
    : TMainLayout(parent),
      ShowOpenDialog([this](const TFileDialog& d) { return ExecuteOpenDialog(this, d); }),
      ShowSaveDialog([this](const TFileDialog& d) { return ExecuteSaveDialog(this, d); }),
      ShowErrorCancel([this](const QString& text) { ShowErrorCancelBox(this, text); }),
      ShowModal([](QDialog& dialog) { return dialog.exec(); }) {
  FormCreate();

  ConnectCommands();
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

void TfrmMain::ConnectCommands() {
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

  connect(&imgColorMap, &TPaletteSurface::MouseMoved, this,
          Guarded([this](int x, int y) { imgColorMapMouseMove(x, y); }));
  connect(&imgColorMap, &TPaletteSurface::MousePressed, this,
          Guarded([this](int x, int y) { imgColorMapMouseDown(x, y); }));
  for (QLineEdit* edit :
       {&edtFromH, &edtFromL, &edtFromS, &edtTolerance, &edtToH, &edtToL, &edtToS})
    edit->installEventFilter(this);
  // The outline follows the fields as they are typed.
  for (QLineEdit* edit : {&edtFromH, &edtFromL, &edtFromS, &edtToH, &edtToL, &edtToS})
    connect(edit, &QLineEdit::textChanged, this, Guarded([this](const QString&) {
              if (FLoaded) PaintGrid();
            }));
  connect(&udTolerance, &TUpDown::PositionChanged, this, Guarded([this](int) {
    if (FLoaded) PaintGrid();
  }));
  connect(&btnStart, &QPushButton::clicked, this, Guarded([this](bool) { btnStartClick(); }));
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
  gif::TGIFColorMap& map = FGIFImage->GlobalMap();
  imgColorMap.SetMap(&map);
  const gif::TGIFColorMap* const maps[] = {&map};
  std::vector<int> changed;
  const auto count = edit::CountChanges(maps, FieldRequest(), &map, &changed);
  imgColorMap.Paint(changed);
  if (!count || map.EntryCount() == 0) {
    stbMatchText.clear();
    return;
  }
  stbMatchText.setText(QString::fromLatin1(msg::EntriesWillChange)
                           .arg(count->EntriesChanged)
                           .arg(count->EntriesTotal));
}

void TfrmMain::imgColorMapMouseMove(int x, int y) {
  if (!FLoaded) return;
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

void TfrmMain::imgColorMapMouseDown(int x, int y) {
  if (!FLoaded) return;
  const auto colour = imgColorMap.ColourAt(x, y);
  if (!colour) return;
  edtFromH.setText(QString::number(colour->Hue));
  edtFromL.setText(QString::number(colour->Lightness));
  edtFromS.setText(QString::number(colour->Saturation));
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

}  // namespace app
