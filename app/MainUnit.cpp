#include "app/MainUnit.h"

#include <QCloseEvent>
#include <QColorDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLocale>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>

#include "app/Application.h"
#include "app/Hourglass.h"
#include "app/WindowStyle.h"
#include "edit/ColorTables.h"
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

QSettings WindowSettings() {
  return QSettings(QString::fromLatin1(ApplicationTitle), QString::fromLatin1(ApplicationTitle));
}

// Counts with thousands separators, the same whatever the user's locale.
QString Grouped(int n) {
  return QLocale(QLocale::English, QLocale::UnitedStates).toString(n);
}

QString MatchCount(const std::optional<edit::TRecolourCount>& found) {
  if (!found.has_value()) return QString();
  const edit::TRecolourCount count = found.value();
  if (count.TablesTotal <= 1)
    return QString::fromLatin1(msg::EntriesWillChange)
        .arg(count.EntriesChanged)
        .arg(count.EntriesTotal);
  return QString::fromLatin1(msg::EntriesInTablesWillChange)
      .arg(Grouped(count.EntriesChanged), Grouped(count.EntriesTotal), Grouped(count.TablesTotal));
}

}  // namespace

TfrmMain::TfrmMain(QWidget* parent)
    : TMainLayout(parent),
      ShowOpenDialog([this](const TFileDialog& d) { return ExecuteOpenDialog(this, d); }),
      ShowSaveDialog([this](const TFileDialog& d) { return ExecuteSaveDialog(this, d); }),
      ShowErrorCancel([this](const QString& text) { ShowErrorCancelBox(this, text); }),
      ShowModal([](QDialog& dialog) { return dialog.exec(); }),
      ShowColorDialog(
          [this](const QColor& initial) { return QColorDialog::getColor(initial, this); }),
      FTables(mnuColorTable, stbTableText, Guarded([this](int frame) { ShowTable(frame); })),
      FKeeper(*this, stbMain, mnuFile, &actSave) {
  FormCreate();
  actRecolourAll.setChecked(
      WindowSettings().value(QString::fromLatin1(setting::RecolourEveryTable), true).toBool());

  ConnectCommands();
  setAcceptDrops(true);
}

TfrmMain::~TfrmMain() {
  // The history empties itself once more when it is destroyed, after the
  // members declared below it (the keeper among them) are gone: nothing may
  // hear of that.
  FHistory.disconnect();
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
  connect(&actExportPalette, &QAction::triggered, this,
          Guarded([this](bool) { actExportPaletteExecute(); }));
  connect(&actImportPalette, &QAction::triggered, this,
          Guarded([this](bool) { actImportPaletteExecute(); }));
  connect(&actExit, &QAction::triggered, this, Guarded([this](bool) { actExitExecute(); }));
  connect(&actAbout, &QAction::triggered, this, Guarded([this](bool) { actAboutExecute(); }));
  connect(&actUndo, &QAction::triggered, this, Guarded([this](bool) { FHistory.undo(); }));
  connect(&actRedo, &QAction::triggered, this, Guarded([this](bool) { FHistory.redo(); }));
  connect(&actRevert, &QAction::triggered, this, Guarded([this](bool) { actRevertExecute(); }));
  connect(&actPreview, &QAction::triggered, this, Guarded([this](bool) { actPreviewExecute(); }));
  connect(&actRecolourAll, &QAction::toggled, this, Guarded([this](bool on) {
    WindowSettings().setValue(QString::fromLatin1(setting::RecolourEveryTable), on);
    if (FLoaded) PaintGrid();
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
              if (FLoaded) PaintGrid();
            }));
  connect(&udTolerance, &TUpDown::PositionChanged, this, Guarded([this](int) {
    if (FLoaded) PaintGrid();
  }));
  connect(&btnStart, &QPushButton::clicked, this, Guarded([this](bool) { btnStartClick(); }));
  FKeeper.OpenRecent = Guarded([this](const QString& name) { OpenFile(name); });
  connect(&FHistory, &QUndoStack::indexChanged, this, [this] { FKeeper.SetModified(Modified()); });
}

bool TfrmMain::Modified() const {
  return FLoaded && FGIFImage && ReadTables(*FGIFImage) != FSavedTables;
}

bool TfrmMain::MayLetGo() {
  return app::MayLetGo(Modified(), FFileName, FKeeper.AskSaveChanges,
                       [this] { return SaveTo(FFileName, true); });
}

void TfrmMain::actOpenExecute() {
  dlgOpen.Folder = TWorkKeeper::FolderOf(FFileName);
  const QString name = ShowOpenDialog(dlgOpen);
  if (name.isEmpty()) return;
  OpenFile(name);
}

void TfrmMain::OpenFile(const QString& name) {
  // The window changes only when the whole file has been read: a failed load
  // leaves document, file name, status bar and display as they were, so a
  // following Save cannot overwrite the file that failed with other content.
  if (!MayLetGo()) return;
  auto loaded = std::make_unique<gif::TGIFImage>();
  {
    const TStatusProgress::TScope progress(FKeeper.Progress(), *loaded, IsLargeFile(name));
    loaded->LoadFile(LocalFileName(name));
  }
  FGIFImage = std::move(loaded);
  FFileName = name;
  stbMainText.setText(name);
  FLoaded = true;
  FHistory.clear();
  FSavedTables = ReadTables(*FGIFImage);
  FTables.Reset(*FGIFImage);
  if (FPreview) {
    FPreview->SetDocument(FGIFImage.get());
    FPreview->setWindowTitle(PreviewCaption(name));
  }
  FKeeper.Opened(name);
  FKeeper.SetModified(false);
  UpdateDisplay();
}

void TfrmMain::actSaveExecute() {
  SaveTo(FFileName, true);
}

void TfrmMain::actSaveAsExecute() {
  dlgSave.Folder = TWorkKeeper::FolderOf(FFileName);
  const QString name = ShowSaveDialog(dlgSave);
  if (name.isEmpty()) return;
  SaveTo(name, false);
  FFileName = name;
  if (FPreview) FPreview->setWindowTitle(PreviewCaption(name));
}

bool TfrmMain::SaveTo(const QString& name, bool checkDisk) {
  if (checkDisk && !FKeeper.MayOverwrite(name)) return false;
  {
    // The size of the file read last stands in for what the document will take.
    const TStatusProgress::TScope progress(FKeeper.Progress(), *FGIFImage,
                                           IsLargeFile(FFileName.isEmpty() ? name : FFileName));
    FGIFImage->SaveFile(LocalFileName(name));
  }
  FSavedTables = ReadTables(*FGIFImage);
  FKeeper.Saved(name);
  FKeeper.SetModified(false);
  return true;
}

void TfrmMain::actRevertExecute() {
  // Saving first would make the revert pointless: the question is whether to
  // throw the changes away.
  if (!FLoaded || !FKeeper.MayRevert(Modified(), FFileName)) return;
  TTablesSnapshot current = ReadTables(*FGIFImage);
  if (current == FSavedTables) return;
  FHistory.push(new TPaletteChange(
      actRevert.text(), std::move(current), FSavedTables,
      [this](const TTablesSnapshot& t) { ApplyTables(t); }, false));
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  bool mayClose = false;
  Guarded([this, &mayClose] { mayClose = MayLetGo(); })();
  if (!mayClose) {
    event->ignore();
    return;
  }
  TMainLayout::closeEvent(event);
}

void TfrmMain::actPreviewExecute() {
  if (!FPreview) {
    FPreview = std::make_unique<TfrmPreview>(this);
    FPreview->SetDocument(FLoaded ? FGIFImage.get() : nullptr);
    FPreview->setWindowTitle(PreviewCaption(FLoaded ? FFileName : QString()));
    // Beside the window, so the grid and the picture show together.
    PlaceBeside(*FPreview, *this);
  }
  FPreview->show();
  FPreview->raise();
}

void TfrmMain::ApplyTables(const TTablesSnapshot& tables) {
  WriteTables(*FGIFImage, tables);
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
  // The fields are narrow: five digits must still show whole.
  ShowFieldValue(edtScrnWidth, QString::number(FGIFImage->ScreenWidth()));
  ShowFieldValue(edtScrnHeight, QString::number(FGIFImage->ScreenHeight()));
  ShowFieldValue(edtColorRes, QString::number(FGIFImage->ColorRes()));
  ShowFieldValue(edtBPP, QString::number(FGIFImage->PixelBits()));
  ShowFieldValue(edtBackground, QString::number(FGIFImage->BackgroundIndex()));

  FTables.List(*FGIFImage);
  PaintGrid();
  if (FPreview) FPreview->Refresh();
}

gif::TGIFColorMap* TfrmMain::ShownMap() {
  return FTables.Shown(*FGIFImage);
}

void TfrmMain::ShowTable(int frame) {
  FTables.Choose(frame);
  FTables.List(*FGIFImage);
  PaintGrid();
}

void TfrmMain::PaintGrid() {
  gif::TGIFColorMap* shown = ShownMap();
  imgColorMap.SetMap(shown);
  const std::vector<gif::TGIFColorMap*> targets = StartMaps();
  const std::vector<const gif::TGIFColorMap*> maps(targets.begin(), targets.end());
  std::vector<int> changed;
  // What Start will change, boxes or not; nothing until some pass is defined.
  std::optional<edit::TRecolourCount> count;
  if (!maps.empty()) count = edit::CountStartChanges(maps, FieldRequest(), shown, &changed);
  imgColorMap.Paint(changed);
  stbMatchText.setText(MatchCount(count));
}

std::vector<gif::TGIFColorMap*> TfrmMain::StartMaps() {
  if (!actRecolourAll.isChecked()) {
    gif::TGIFColorMap* shown = ShownMap();
    return shown != nullptr ? std::vector<gif::TGIFColorMap*>{shown}
                            : std::vector<gif::TGIFColorMap*>{};
  }
  return edit::MapsOf(edit::ColorTables(*FGIFImage));
}

void TfrmMain::imgColorMapMouseMove(int x, int y) {
  if (!FLoaded) return;
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

void TfrmMain::imgColorMapMouseDown(int x, int y) {
  if (!FLoaded) return;
  const auto colour = imgColorMap.ColourAt(x, y);
  if (!colour) return;
  edtFromH.setText(QString::number(colour->Hue));
  edtFromL.setText(QString::number(colour->Lightness));
  edtFromS.setText(QString::number(colour->Saturation));
}

void TfrmMain::imgColorMapDblClick(int x, int y) {
  if (!FLoaded) return;
  gif::TGIFColorMap* map = ShownMap();
  // Only a swatch that is painted: past the table's end a read would answer
  // entry 0, and the write would fail.
  const std::optional<int> swatch = imgColorMap.PaintedSwatchAt(x, y);
  if (map == nullptr || !swatch) return;
  const int index = *swatch;
  const gif::TGIFColor old = gif::TGIFColorMap::ColorToTriple(map->ReadEntry(index));
  const QColor chosen = ShowColorDialog(QColor(old.Red, old.Green, old.Blue));
  if (!chosen.isValid()) return;
  const gif::TColor colour = gif::TGIFColorMap::TripleToColor(
      {static_cast<uint8_t>(chosen.red()), static_cast<uint8_t>(chosen.green()),
       static_cast<uint8_t>(chosen.blue())});
  EditTables(QString::fromLatin1(msg::SetColour),
             [map, index, colour] { map->WriteEntry(index, colour); });
}

bool TfrmMain::RecordTables(const QString& undoText, const std::function<void()>& change) {
  TTablesSnapshot before = ReadTables(*FGIFImage);
  auto record = [&] {
    TTablesSnapshot after = ReadTables(*FGIFImage);
    if (after == before) return false;
    FHistory.push(new TPaletteChange(
        undoText, std::move(before), std::move(after),
        [this](const TTablesSnapshot& t) { ApplyTables(t); }, true));
    return true;
  };
  try {
    change();
  } catch (...) {
    record();  // what the change did before it failed can still be taken back
    throw;
  }
  return record();
}

void TfrmMain::EditTables(const QString& undoText, const std::function<void()>& change) {
  if (!FLoaded) return;
  try {
    RecordTables(undoText, change);
  } catch (...) {
    UpdateDisplay();
    throw;
  }
  UpdateDisplay();
  // The read-outs follow the entry under the pointer, which may have changed.
  if (FLastHover.x() >= 0) imgColorMapMouseMove(FLastHover.x(), FLastHover.y());
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
  const std::vector<gif::TGIFColorMap*> maps = StartMaps();
  if (maps.empty()) return;  // a file without colour tables has nothing to recolour
  THourglass hourglass;
  edit::TRecolourRequest request = FieldRequest();
  request.ShowError = [this](const std::string& message) {
    TArrowWhileAsking arrow;
    ShowErrorCancel(QString::fromStdString(message));
  };
  edit::TRecolourResult result = edit::TRecolourResult::Finished;
  // Recorded even when a later pass stopped the command: the earlier passes'
  // changes stay in the tables and can be taken back.
  RecordTables(btnStart.text(), [&] { result = edit::Recolour(maps, request); });
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
  // Enter in a recolour field does what a click on Start does.
  if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
    btnStart.click();
    return true;
  }
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
