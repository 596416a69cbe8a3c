#include "app/PaletteView.h"

#include <QFile>
#include <QKeySequence>
#include <QLocale>
#include <QSettings>
#include <algorithm>

#include "app/Application.h"
#include "app/CommandHost.h"
#include "edit/ColorTables.h"
#include "gif/GIFImage.h"

namespace app {

namespace {

QString Grouped(uint64_t n) {
  return QLocale(QLocale::English, QLocale::UnitedStates).toString(qulonglong(n));
}

QSettings ViewSettings() {
  return QSettings(QString::fromLatin1(ApplicationTitle), QString::fromLatin1(ApplicationTitle));
}

}  // namespace

QString EntryUseText(int index, const edit::TTableUse& use) {
  const std::size_t i = static_cast<std::size_t>(index);
  if (use.Pixels[i] == 0) return QString::fromLatin1(msg::EntryUnused).arg(index);
  if (use.Pixels[i] == 1) return QString::fromLatin1(msg::EntryUsePixel).arg(index);
  if (use.Frames[i] == 1)
    return QString::fromLatin1(msg::EntryUseOne)
        .arg(QString::number(index), Grouped(use.Pixels[i]));
  return QString::fromLatin1(msg::EntryUse)
      .arg(QString::number(index), Grouped(use.Pixels[i]), Grouped(uint64_t(use.Frames[i])));
}

TPaletteView::TPaletteView(TCommandHost& host)
    : QObject(&host.Controls()),
      actSelectMatching(QString::fromLatin1(msg::SelectMatching), &host.Controls()),
      actMarkUnused(QString::fromLatin1(msg::MarkUnused), &host.Controls()),
      actChooseTable(QString::fromLatin1(msg::ChooseTable), &host.Controls()),
      actPreviousTable(QString::fromLatin1(msg::PreviousTable), &host.Controls()),
      actNextTable(QString::fromLatin1(msg::NextTable), &host.Controls()),
      actFollowPreview(QString::fromLatin1(msg::FollowPreview), &host.Controls()),
      host_(host) {
  host.Controls().mnuEdit.addSeparator();
  host.Controls().mnuEdit.addAction(&actSelectMatching);
  host.Controls().mnuView.addSeparator();
  host.Controls().mnuView.addAction(&actMarkUnused);
  // Below the tables the window lists: the ways to reach any other.
  QMenu& tables = host.Controls().mnuColorTable;
  tables.addSeparator();
  tables.addAction(&actChooseTable);
  tables.addAction(&actPreviousTable);
  tables.addAction(&actNextTable);
  tables.addAction(&actFollowPreview);
  actFollowPreview.setCheckable(true);
  actFollowPreview.setChecked(
      ViewSettings().value(QString::fromLatin1(setting::FollowPreview), false).toBool());
  actMarkUnused.setCheckable(true);
  actMarkUnused.setChecked(
      ViewSettings().value(QString::fromLatin1(setting::MarkUnused), false).toBool());
  actChooseTable.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
  actPreviousTable.setShortcuts(
      {QKeySequence(Qt::Key_PageUp), QKeySequence(Qt::CTRL | Qt::Key_PageUp)});
  actNextTable.setShortcuts(
      {QKeySequence(Qt::Key_PageDown), QKeySequence(Qt::CTRL | Qt::Key_PageDown)});

  connect(&actSelectMatching, &QAction::triggered, this,
          Guarded([this](bool) { SelectMatching(); }));
  connect(&actMarkUnused, &QAction::toggled, this, Guarded([this](bool on) {
    ViewSettings().setValue(QString::fromLatin1(setting::MarkUnused), on);
    UpdateMarks();
  }));
  connect(&actChooseTable, &QAction::triggered, this, Guarded([this](bool) { ChooseTable(); }));
  connect(&actPreviousTable, &QAction::triggered, this, Guarded([this](bool) { StepTable(-1); }));
  connect(&actNextTable, &QAction::triggered, this, Guarded([this](bool) { StepTable(+1); }));
  connect(&actFollowPreview, &QAction::toggled, this, [this](bool follow) {
    ViewSettings().setValue(QString::fromLatin1(setting::FollowPreview), follow);
    if (chooser_) chooser_->chkFollow.setChecked(follow);
    if (follow && host_.Preview() != nullptr && host_.Edited().Loaded())
      ShowFrameTable(host_.Preview()->DocumentFrame());
  });
  TPaletteGrid& grid = host.Controls().imgColorMap;
  connect(&grid, &TPaletteGrid::SelectionChanged, this, [this] { SayCount(); });
  connect(&grid, &TPaletteGrid::TableShown, this, Guarded([this] {
    use_.reset();
    UpdateMarks();
  }));
  connect(&grid, &TPaletteSurface::MouseMoved, this,
          Guarded([this](int x, int y) { Hover(x, y); }));
  // The use read-out goes with the pointer, and the file's name comes back.
  connect(&grid, &TPaletteGrid::PointerLeft, this, [this] {
    if (!hoverText_.isEmpty() && host_.Controls().stbMain.currentMessage() == hoverText_)
      SayCount();
    hoverText_.clear();
  });
  // Every edit, undo and open may change what the pixels use.
  connect(&host.Edited().History(), &QUndoStack::indexChanged, this, Guarded([this](int) {
    use_.reset();
    UpdateMarks();
  }));
}

const edit::TTableUse& TPaletteView::Use() {
  gif::TGIFColorMap* shown = host_.ShownMap();
  if (!use_ || counted_ != shown) {
    use_.emplace();
    counted_ = shown;
    for (const edit::TColorTable& table : edit::ColorTables(host_.Edited().Image()))
      if (table.Map == shown) *use_ = edit::CountUse(host_.Edited().Image(), table);
  }
  return *use_;
}

void TPaletteView::UpdateMarks() {
  TGridMarks marks;
  gif::TGIFColorMap* shown = host_.Edited().Loaded() ? host_.ShownMap() : nullptr;
  marks.MarkUnused = actMarkUnused.isChecked();
  if (shown != nullptr) {
    for (const edit::TColorTable& table : edit::ColorTables(host_.Edited().Image())) {
      if (table.Map != shown) continue;
      if (marks.MarkUnused) {
        const edit::TTableUse& use = Use();
        for (int i = 0; i < shown->EntryCount(); ++i)
          marks.Unused.set(std::size_t(i), use.Pixels[std::size_t(i)] == 0);
      }
      // The first frame using the table that has a transparent colour names it.
      for (int frame : edit::FramesUsing(host_.Edited().Image(), table)) {
        const int transparent =
            edit::TransparentIndexOf(host_.Edited().Image().Frames().Frame(frame));
        if (transparent >= 0) {
          marks.Transparent = transparent;
          break;
        }
      }
      if (table.IsGlobal()) marks.Background = host_.Edited().Image().BackgroundIndex();
    }
  }
  host_.Controls().imgColorMap.SetMarks(marks);
}

void TPaletteView::SayCount() {
  const TPaletteGrid& grid = host_.Controls().imgColorMap;
  const int total = grid.Map() != nullptr ? grid.Map()->EntryCount() : 0;
  if (grid.SelectedCount() == 0) {
    host_.Controls().stbMain.clearMessage();
    return;
  }
  host_.Controls().stbMain.showMessage(
      QString::fromLatin1(msg::EntriesSelected).arg(grid.SelectedCount()).arg(total));
}

void TPaletteView::SelectMatching() {
  TEntrySet matching;
  for (int i : host_.Controls().imgColorMap.Outlined()) matching.set(std::size_t(i));
  host_.Controls().imgColorMap.SetSelection(matching);
}

void TPaletteView::Hover(int x, int y) {
  if (!host_.Edited().Loaded()) return;
  const std::optional<int> index = host_.Controls().imgColorMap.PaintedSwatchAt(x, y);
  if (!index) return;
  hoverText_ = EntryUseText(*index, Use());
  host_.Controls().stbMain.showMessage(hoverText_);
}

std::vector<TTableEntry> TPaletteView::TableList() {
  std::vector<TTableEntry> list;
  for (const edit::TColorTable& table : edit::ColorTables(host_.Edited().Image()))
    list.push_back({table.Frame, QString::fromStdString(table.Caption())});
  return list;
}

int TPaletteView::ShownFrame() {
  gif::TGIFColorMap* shown = host_.ShownMap();
  for (const edit::TColorTable& table : edit::ColorTables(host_.Edited().Image()))
    if (table.Map == shown) return table.Frame;
  return -1;
}

void TPaletteView::StepTable(int step) {
  if (!host_.Edited().Loaded()) return;
  const std::optional<int> frame = SteppedTable(TableList(), ShownFrame(), step);
  if (frame) host_.ShowTable(*frame);
}

void TPaletteView::ChooseTable() {
  if (!host_.Edited().Loaded()) return;
  TTableChooser& chooser = *Chooser();
  chooser.SetTables(TableList(), ShownFrame());
  host_.Hooks().ShowModal(chooser);
}

void TPaletteView::Picked(const TPickedPixel& pixel, bool add) {
  const std::optional<int> table = TableOfFrame(TableList(), pixel.Frame);
  if (!table) return;
  host_.ShowTable(*table);
  host_.Controls().imgColorMap.ClickEntry(pixel.Index, add ? Qt::ControlModifier : Qt::NoModifier);
  host_.Controls().stbMain.showMessage(
      QString::fromLatin1(msg::PickedEntry).arg(pixel.Frame + 1).arg(pixel.Index));
}

TTableChooser* TPaletteView::Chooser() {
  if (chooser_) return chooser_.get();
  chooser_ = std::make_unique<TTableChooser>(&host_.Controls());
  chooser_->chkFollow.setChecked(actFollowPreview.isChecked());
  chooser_->Chosen = Guarded([this](int frame) { host_.ShowTable(frame); });
  chooser_->FollowChanged = [this](bool follow) { actFollowPreview.setChecked(follow); };
  return chooser_.get();
}

void TPaletteView::RefreshCompare() {
  TfrmPreview* preview = host_.Preview();
  if (preview == nullptr) return;
  preview->SetCompareDocument(nullptr);
  saved_.reset();
  if (!host_.Edited().Loaded()) return;
  // The file as it is on disk, which is the document as last opened or saved.
  auto saved = std::make_unique<gif::TGIFImage>();
  try {
    saved->LoadFile(QFile::encodeName(host_.Edited().FileName()).toStdString());
  } catch (const std::exception&) {
    return;  // gone or changed on disk since: nothing to compare with
  }
  saved_ = std::move(saved);
  preview->SetCompareDocument(saved_.get());
}

void TPaletteView::ShowFrameTable(int frame) {
  if (frame < 0) return;
  if (const std::optional<int> table = TableOfFrame(TableList(), frame)) host_.ShowTable(*table);
}

void TPaletteView::HookPreview() {
  TfrmPreview* preview = host_.Preview();
  if (preview == nullptr || previewHooked_) return;
  previewHooked_ = true;
  RefreshCompare();
  preview->PixelPicked =
      Guarded([this](const TPickedPixel& pixel, bool add) { Picked(pixel, add); });
  preview->FrameShown = Guarded([this](int frame) {
    if (actFollowPreview.isChecked()) ShowFrameTable(frame);
  });
}

}  // namespace app
