#include "app/PaletteCommands.h"

#include <QLocale>
#include <optional>

#include "app/Application.h"
#include "app/MainUnit.h"
#include "edit/TableUse.h"
#include "edit/Transparency.h"

namespace app {

namespace {

constexpr int StatusMs = 6000;

QString Grouped(int n) {
  return QLocale(QLocale::English, QLocale::UnitedStates).toString(n);
}

// The menu text without its accelerator mark, for the undo step and status.
QString Plain(const char* caption) {
  return QString::fromLatin1(caption).remove(QLatin1Char('&'));
}

}  // namespace

TPaletteCommands::TPaletteCommands(TfrmMain& window)
    : QObject(&window),
      mnuPalette(QString::fromLatin1(msg::PaletteMenu), &window),
      mnuSortBy(QString::fromLatin1(msg::SortBy), &window),
      actSortHue(QString::fromLatin1(msg::SortHue), &window),
      actSortSaturation(QString::fromLatin1(msg::SortSaturation), &window),
      actSortLightness(QString::fromLatin1(msg::SortLightness), &window),
      actSortLuminance(QString::fromLatin1(msg::SortLuminance), &window),
      actSortUsage(QString::fromLatin1(msg::SortUsage), &window),
      actRemoveUnused(QString::fromLatin1(msg::RemoveUnused), &window),
      actMergeDuplicates(QString::fromLatin1(msg::MergeDuplicates), &window),
      actSetTransparent(QString::fromLatin1(msg::SetTransparent), &window),
      actNoTransparency(QString::fromLatin1(msg::NoTransparency), &window),
      window_(window) {
  window.ActionMainMenuBar1.insertMenu(window.mnuHelp.menuAction(), &mnuPalette);
  mnuPalette.addMenu(&mnuSortBy);
  const std::pair<QAction*, edit::TSortKey> sorts[] = {
      {&actSortHue, edit::TSortKey::Hue},
      {&actSortSaturation, edit::TSortKey::Saturation},
      {&actSortLightness, edit::TSortKey::Lightness},
      {&actSortLuminance, edit::TSortKey::Luminance},
      {&actSortUsage, edit::TSortKey::Usage}};
  for (const auto& [action, key] : sorts) {
    mnuSortBy.addAction(action);
    connect(action, &QAction::triggered, this,
            Guarded([this, action, key](bool) { Sort(key, action->text().remove('&')); }));
  }
  mnuPalette.addAction(&actRemoveUnused);
  mnuPalette.addAction(&actMergeDuplicates);
  mnuPalette.addSeparator();
  mnuPalette.addAction(&actSetTransparent);
  mnuPalette.addAction(&actNoTransparency);
  connect(&actRemoveUnused, &QAction::triggered, this,
          Guarded([this](bool) { RemoveUnusedEntries(); }));
  connect(&actMergeDuplicates, &QAction::triggered, this,
          Guarded([this](bool) { MergeDuplicateColours(); }));
  connect(&actSetTransparent, &QAction::triggered, this,
          Guarded([this](bool) { SetTransparency(true); }));
  connect(&actNoTransparency, &QAction::triggered, this,
          Guarded([this](bool) { SetTransparency(false); }));
  connect(&window.imgColorMap, &TPaletteGrid::MoveBlockRequested, this,
          Guarded([this](int destination) { MoveBlock(destination); }));
}

edit::TColorTable TPaletteCommands::Shown() {
  gif::TGIFColorMap* shown = window_.ShownMap();
  for (const edit::TColorTable& table : edit::ColorTables(window_.Document()))
    if (table.Map == shown) return table;
  return {};
}

std::vector<edit::TColorTable> TPaletteCommands::Targets() {
  if (window_.actRecolourAll.isChecked()) return edit::ColorTables(window_.Document());
  const edit::TColorTable shown = Shown();
  if (shown.Map == nullptr) return {};
  return {shown};
}

void TPaletteCommands::Say(const QString& text) {
  window_.stbMain.showMessage(text, StatusMs);
}

void TPaletteCommands::Remap(const QString& step, const std::function<edit::TRemapReport()>& run) {
  if (!window_.Loaded()) return;
  edit::TRemapReport report;
  window_.EditTables(step, [&] { report = run(); });
  // The selected indices now name other colours.
  window_.imgColorMap.ClearSelection();
  // A table skipped for an index past its end says why; the rest were done.
  QString text = report.EntriesChanged == 0
                     ? QString::fromLatin1(msg::RemapNothing).arg(step)
                     : QString::fromLatin1(msg::RemapDone)
                           .arg(step, Grouped(report.EntriesChanged), Grouped(report.TablesChanged),
                                Grouped(report.TablesTotal));
  for (const std::string& warning : report.Warnings)
    text += QStringLiteral("; ") + QString::fromStdString(warning);
  Say(text);
}

void TPaletteCommands::Sort(edit::TSortKey key, const QString& name) {
  const std::vector<edit::TColorTable> tables = Targets();
  Remap(QString::fromLatin1(msg::SortStep).arg(name),
        [&] { return edit::SortTables(window_.Document(), tables, key, false); });
}

void TPaletteCommands::RemoveUnusedEntries() {
  const std::vector<edit::TColorTable> tables = Targets();
  Remap(Plain(msg::RemoveUnused), [&] { return edit::CompactTables(window_.Document(), tables); });
}

void TPaletteCommands::MergeDuplicateColours() {
  const std::vector<edit::TColorTable> tables = Targets();
  Remap(Plain(msg::MergeDuplicates),
        [&] { return edit::DedupeTables(window_.Document(), tables); });
}

void TPaletteCommands::MoveBlock(int destination) {
  const edit::TColorTable table = Shown();
  if (!window_.Loaded() || table.Map == nullptr) return;
  const TEntrySet block = window_.imgColorMap.Selection();
  const edit::TRemap remap = edit::MoveRemap(table.Map->EntryCount(), block, destination);
  if (remap.IsIdentity(table.Map->EntryCount())) return;
  Remap(Plain(msg::MoveEntries),
        [&] { return edit::MoveEntries(window_.Document(), table, block, destination); });
  // The block stays selected where it went.
  TEntrySet moved;
  for (std::size_t i = 0; i < block.size(); ++i)
    if (block[i]) moved.set(remap.NewIndex[i]);
  window_.imgColorMap.SetSelection(moved);
}

void TPaletteCommands::SetTransparency(bool on) {
  const edit::TColorTable table = Shown();
  if (!window_.Loaded() || table.Map == nullptr) return;
  std::optional<int> index;
  if (on) {
    const TEntrySet& selected = window_.imgColorMap.Selection();
    if (selected.count() != 1) {
      Say(QString::fromLatin1(msg::NeedOneEntry));
      return;
    }
    for (int i = 0; i < table.Map->EntryCount(); ++i)
      if (selected[static_cast<std::size_t>(i)]) index = i;
  }
  const std::vector<int> frames = edit::FramesUsing(window_.Document(), table);
  if (frames.empty()) return;
  const QString step = Plain(on ? msg::SetTransparent : msg::NoTransparency);
  int changed = 0;
  window_.EditTables(step,
                     [&] { changed = edit::SetTransparency(window_.Document(), frames, index); });
  Say(QString::fromLatin1(msg::TransparencyDone).arg(step, Grouped(changed)));
}

}  // namespace app
