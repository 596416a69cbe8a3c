#include "app/PaletteCommands.h"

#include <QLocale>
#include <optional>

#include "app/Application.h"
#include "app/CommandHost.h"
#include "edit/TableUse.h"
#include "edit/Transparency.h"

namespace app {

namespace {

constexpr int StatusMs = 6000;

QString Grouped(int n) {
  return QLocale(QLocale::English, QLocale::UnitedStates).toString(n);
}

}  // namespace

QString StepText(const char* caption) {
  return QString::fromLatin1(caption).remove(QLatin1Char('&')).remove(QStringLiteral("..."));
}

TPaletteCommands::TPaletteCommands(TCommandHost& host)
    : QObject(&host.Controls()),
      mnuPalette(QString::fromLatin1(msg::PaletteMenu), &host.Controls()),
      mnuSortBy(QString::fromLatin1(msg::SortBy), &host.Controls()),
      actSortHue(QString::fromLatin1(msg::SortHue), &host.Controls()),
      actSortSaturation(QString::fromLatin1(msg::SortSaturation), &host.Controls()),
      actSortLightness(QString::fromLatin1(msg::SortLightness), &host.Controls()),
      actSortLuminance(QString::fromLatin1(msg::SortLuminance), &host.Controls()),
      actSortUsage(QString::fromLatin1(msg::SortUsage), &host.Controls()),
      actRemoveUnused(QString::fromLatin1(msg::RemoveUnused), &host.Controls()),
      actMergeDuplicates(QString::fromLatin1(msg::MergeDuplicates), &host.Controls()),
      actSetTransparent(QString::fromLatin1(msg::SetTransparent), &host.Controls()),
      actNoTransparency(QString::fromLatin1(msg::NoTransparency), &host.Controls()),
      host_(host) {
  host.Controls().ActionMainMenuBar1.insertMenu(host.Controls().mnuHelp.menuAction(), &mnuPalette);
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
  connect(&host.Controls().imgColorMap, &TPaletteGrid::MoveBlockRequested, this,
          Guarded([this](int destination) { MoveBlock(destination); }));
}

edit::TColorTable TPaletteCommands::Shown() {
  gif::TGIFColorMap* shown = host_.ShownMap();
  for (const edit::TColorTable& table : edit::ColorTables(host_.Edited().Image()))
    if (table.Map == shown) return table;
  return {};
}

std::vector<edit::TColorTable> TPaletteCommands::Targets() {
  if (host_.Controls().actRecolourAll.isChecked()) return edit::ColorTables(host_.Edited().Image());
  const edit::TColorTable shown = Shown();
  if (shown.Map == nullptr) return {};
  return {shown};
}

void TPaletteCommands::Say(const QString& text) {
  host_.Controls().stbMain.showMessage(text, StatusMs);
}

void TPaletteCommands::Remap(const QString& step, const std::function<edit::TRemapReport()>& run) {
  if (!host_.Edited().Loaded()) return;
  edit::TRemapReport report;
  host_.EditTables(step, [&] { report = run(); });
  // The selected indices now name other colours.
  host_.Controls().imgColorMap.ClearSelection();
  // A table skipped for an index past its end says why; the rest were done.
  SayChanged(step, report.EntriesChanged, report.TablesChanged, report.TablesTotal,
             report.Warnings);
}

void TPaletteCommands::SayChanged(const QString& step, int entries, int tables, int total,
                                  const std::vector<std::string>& warnings) {
  QString text = entries == 0 ? QString::fromLatin1(msg::RemapNothing).arg(step)
                              : QString::fromLatin1(msg::RemapDone)
                                    .arg(step, Grouped(entries), Grouped(tables), Grouped(total));
  for (const std::string& warning : warnings)
    text += QStringLiteral("; ") + QString::fromStdString(warning);
  Say(text);
}

void TPaletteCommands::Sort(edit::TSortKey key, const QString& name) {
  const std::vector<edit::TColorTable> tables = Targets();
  Remap(QString::fromLatin1(msg::SortStep).arg(name),
        [&] { return edit::SortTables(host_.Edited().Image(), tables, key, false); });
}

void TPaletteCommands::RemoveUnusedEntries() {
  const std::vector<edit::TColorTable> tables = Targets();
  Remap(StepText(msg::RemoveUnused),
        [&] { return edit::CompactTables(host_.Edited().Image(), tables); });
}

void TPaletteCommands::MergeDuplicateColours() {
  const std::vector<edit::TColorTable> tables = Targets();
  Remap(StepText(msg::MergeDuplicates),
        [&] { return edit::DedupeTables(host_.Edited().Image(), tables); });
}

void TPaletteCommands::MoveBlock(int destination) {
  const edit::TColorTable table = Shown();
  if (!host_.Edited().Loaded() || table.Map == nullptr) return;
  const TEntrySet block = host_.Controls().imgColorMap.Selection();
  const edit::TRemap remap = edit::MoveRemap(table.Map->EntryCount(), block, destination);
  if (remap.IsIdentity(table.Map->EntryCount())) return;
  Remap(StepText(msg::MoveEntries),
        [&] { return edit::MoveEntries(host_.Edited().Image(), table, block, destination); });
  // The block stays selected where it went.
  TEntrySet moved;
  for (std::size_t i = 0; i < block.size(); ++i)
    if (block[i]) moved.set(remap.NewIndex[i]);
  host_.Controls().imgColorMap.SetSelection(moved);
}

void TPaletteCommands::SetTransparency(bool on) {
  const edit::TColorTable table = Shown();
  if (!host_.Edited().Loaded() || table.Map == nullptr) return;
  std::optional<int> index;
  if (on) {
    const TEntrySet& selected = host_.Controls().imgColorMap.Selection();
    if (selected.count() != 1) {
      Say(QString::fromLatin1(msg::NeedOneEntry));
      return;
    }
    for (int i = 0; i < table.Map->EntryCount(); ++i)
      if (selected[static_cast<std::size_t>(i)]) index = i;
  }
  const std::vector<int> frames = edit::FramesUsing(host_.Edited().Image(), table);
  if (frames.empty()) return;
  const QString step = StepText(on ? msg::SetTransparent : msg::NoTransparency);
  int changed = 0;
  host_.EditTables(step,
                   [&] { changed = edit::SetTransparency(host_.Edited().Image(), frames, index); });
  Say(QString::fromLatin1(msg::TransparencyDone).arg(step, Grouped(changed)));
}

}  // namespace app
