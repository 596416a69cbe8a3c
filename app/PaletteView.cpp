#include "app/PaletteView.h"

#include <QKeySequence>
#include <QLocale>
#include <QSettings>
#include <algorithm>

#include "app/Application.h"
#include "app/MainUnit.h"
#include "edit/ColorTables.h"

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
  if (use.Frames[i] == 1)
    return QString::fromLatin1(msg::EntryUseOne)
        .arg(QString::number(index), Grouped(use.Pixels[i]));
  return QString::fromLatin1(msg::EntryUse)
      .arg(QString::number(index), Grouped(use.Pixels[i]), Grouped(uint64_t(use.Frames[i])));
}

TPaletteView::TPaletteView(TfrmMain& window)
    : QObject(&window),
      actSelectMatching(QString::fromLatin1(msg::SelectMatching), &window),
      actMarkUnused(QString::fromLatin1(msg::MarkUnused), &window),
      actChooseTable(QString::fromLatin1(msg::ChooseTable), &window),
      actPreviousTable(QString::fromLatin1(msg::PreviousTable), &window),
      actNextTable(QString::fromLatin1(msg::NextTable), &window),
      dlgTables(&window),
      window_(window) {
  window.mnuEdit.addSeparator();
  window.mnuEdit.addAction(&actSelectMatching);
  window.mnuView.addSeparator();
  window.mnuView.addAction(&actMarkUnused);
  window.mnuView.addAction(&actChooseTable);
  window.mnuView.addAction(&actPreviousTable);
  window.mnuView.addAction(&actNextTable);
  actMarkUnused.setCheckable(true);
  actMarkUnused.setChecked(
      ViewSettings().value(QString::fromLatin1(setting::MarkUnused), false).toBool());
  actChooseTable.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
  actPreviousTable.setShortcuts(
      {QKeySequence(Qt::Key_PageUp), QKeySequence(Qt::CTRL | Qt::Key_PageUp)});
  actNextTable.setShortcuts(
      {QKeySequence(Qt::Key_PageDown), QKeySequence(Qt::CTRL | Qt::Key_PageDown)});
  dlgTables.chkFollow.setChecked(
      ViewSettings().value(QString::fromLatin1(setting::FollowPreview), false).toBool());
  dlgTables.Chosen = Guarded([this](int frame) { window_.ShowTable(frame); });
  dlgTables.FollowChanged = [](bool follow) {
    ViewSettings().setValue(QString::fromLatin1(setting::FollowPreview), follow);
  };

  connect(&actSelectMatching, &QAction::triggered, this,
          Guarded([this](bool) { SelectMatching(); }));
  connect(&actMarkUnused, &QAction::toggled, this, Guarded([this](bool on) {
    ViewSettings().setValue(QString::fromLatin1(setting::MarkUnused), on);
    UpdateMarks();
  }));
  connect(&actChooseTable, &QAction::triggered, this, Guarded([this](bool) { ChooseTable(); }));
  connect(&actPreviousTable, &QAction::triggered, this, Guarded([this](bool) { StepTable(-1); }));
  connect(&actNextTable, &QAction::triggered, this, Guarded([this](bool) { StepTable(+1); }));
  TPaletteGrid& grid = window.imgColorMap;
  connect(&grid, &TPaletteGrid::SelectionChanged, this, [this] { SayCount(); });
  connect(&grid, &TPaletteGrid::TableShown, this, Guarded([this] {
    use_.reset();
    UpdateMarks();
  }));
  connect(&grid, &TPaletteSurface::MouseMoved, this,
          Guarded([this](int x, int y) { Hover(x, y); }));
  // Every edit, undo and open may change what the pixels use.
  connect(&window.History(), &QUndoStack::indexChanged, this, Guarded([this](int) {
    use_.reset();
    UpdateMarks();
  }));
  connect(&window.actPreview, &QAction::triggered, this, [this] { HookPreview(); });
}

const edit::TTableUse& TPaletteView::Use() {
  gif::TGIFColorMap* shown = window_.ShownMap();
  if (!use_ || counted_ != shown) {
    use_.emplace();
    counted_ = shown;
    for (const edit::TColorTable& table : edit::ColorTables(window_.Document()))
      if (table.Map == shown) *use_ = edit::CountUse(window_.Document(), table);
  }
  return *use_;
}

void TPaletteView::UpdateMarks() {
  TGridMarks marks;
  gif::TGIFColorMap* shown = window_.Loaded() ? window_.ShownMap() : nullptr;
  marks.MarkUnused = actMarkUnused.isChecked();
  if (shown != nullptr) {
    for (const edit::TColorTable& table : edit::ColorTables(window_.Document())) {
      if (table.Map != shown) continue;
      if (marks.MarkUnused) {
        const edit::TTableUse& use = Use();
        for (int i = 0; i < shown->EntryCount(); ++i)
          marks.Unused.set(std::size_t(i), use.Pixels[std::size_t(i)] == 0);
      }
      // The first frame using the table that has a transparent colour names it.
      for (int frame : edit::FramesUsing(window_.Document(), table)) {
        const int transparent = edit::TransparentIndexOf(window_.Document().Frames().Frame(frame));
        if (transparent >= 0) {
          marks.Transparent = transparent;
          break;
        }
      }
      if (table.IsGlobal()) marks.Background = window_.Document().BackgroundIndex();
    }
  }
  window_.imgColorMap.SetMarks(marks);
}

void TPaletteView::SayCount() {
  const TPaletteGrid& grid = window_.imgColorMap;
  const int total = grid.Map() != nullptr ? grid.Map()->EntryCount() : 0;
  if (grid.SelectedCount() == 0) {
    window_.stbMain.clearMessage();
    return;
  }
  window_.stbMain.showMessage(
      QString::fromLatin1(msg::EntriesSelected).arg(grid.SelectedCount()).arg(total));
}

void TPaletteView::SelectMatching() {
  TEntrySet matching;
  for (int i : window_.imgColorMap.Outlined()) matching.set(std::size_t(i));
  window_.imgColorMap.SetSelection(matching);
}

void TPaletteView::Hover(int x, int y) {
  if (!window_.Loaded()) return;
  const std::optional<int> index = window_.imgColorMap.PaintedSwatchAt(x, y);
  if (!index) return;
  window_.stbMain.showMessage(EntryUseText(*index, Use()));
}

std::vector<TTableEntry> TPaletteView::TableList() {
  std::vector<TTableEntry> list;
  for (const edit::TColorTable& table : edit::ColorTables(window_.Document()))
    list.push_back({table.Frame, QString::fromStdString(table.Caption())});
  return list;
}

int TPaletteView::ShownFrame() {
  gif::TGIFColorMap* shown = window_.ShownMap();
  for (const edit::TColorTable& table : edit::ColorTables(window_.Document()))
    if (table.Map == shown) return table.Frame;
  return -1;
}

void TPaletteView::StepTable(int step) {
  if (!window_.Loaded()) return;
  const std::optional<int> frame = SteppedTable(TableList(), ShownFrame(), step);
  if (frame) window_.ShowTable(*frame);
}

void TPaletteView::ChooseTable() {
  if (!window_.Loaded()) return;
  dlgTables.SetTables(TableList(), ShownFrame());
  window_.ShowModal(dlgTables);
}

void TPaletteView::Picked(const TPickedPixel& pixel, bool add) {
  const std::optional<int> table = TableOfFrame(TableList(), pixel.Frame);
  if (!table) return;
  window_.ShowTable(*table);
  window_.imgColorMap.ClickEntry(pixel.Index, add ? Qt::ControlModifier : Qt::NoModifier);
  window_.stbMain.showMessage(
      QString::fromLatin1(msg::PickedEntry).arg(pixel.Frame + 1).arg(pixel.Index));
}

void TPaletteView::HookPreview() {
  TfrmPreview* preview = window_.Preview();
  if (preview == nullptr || previewHooked_) return;
  previewHooked_ = true;
  preview->PixelPicked =
      Guarded([this](const TPickedPixel& pixel, bool add) { Picked(pixel, add); });
  preview->FrameShown = Guarded([this](int frame) {
    if (!dlgTables.chkFollow.isChecked() || frame < 0) return;
    if (const std::optional<int> table = TableOfFrame(TableList(), frame))
      window_.ShowTable(*table);
  });
}

}  // namespace app
