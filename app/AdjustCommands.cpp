#include "app/AdjustCommands.h"

#include <QKeySequence>

#include "app/Application.h"
#include "app/CommandHost.h"
#include "app/PaletteCommands.h"
#include "edit/AdjustSession.h"
#include "edit/ColorMapping.h"
#include "edit/Ramp.h"

namespace app {

edit::TAdjustment ToAdjustment(const TAdjustValues& values) {
  return {values.Perceptual, double(values.Hue), double(values.Saturation),
          double(values.Lightness)};
}

TAdjustCommands::TAdjustCommands(TCommandHost& host, TPaletteCommands& palette)
    : QObject(&host.Controls()),
      actAdjust(QString::fromLatin1(msg::AdjustCommand), &host.Controls()),
      actMakeRamp(QString::fromLatin1(msg::MakeRamp), &host.Controls()),
      host_(host),
      palette_(palette) {
  QMenu& menu = palette.mnuPalette;
  QAction* first = menu.actions().value(0);
  menu.insertAction(first, &actAdjust);
  menu.insertAction(first, &actMakeRamp);
  menu.insertSeparator(first);
  actAdjust.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
  connect(&actAdjust, &QAction::triggered, this, Guarded([this](bool) { Adjust(); }));
  connect(&actMakeRamp, &QAction::triggered, this, Guarded([this](bool) { MakeRamp(); }));
  TPaletteGrid& grid = host.Controls().imgColorMap;
  actMakeRamp.setEnabled(false);
  connect(&grid, &TPaletteGrid::SelectionChanged, this,
          [this, &grid] { actMakeRamp.setEnabled(grid.SelectedCount() >= 2); });
}

TAdjustDialog& TAdjustCommands::Dialog() {
  if (!dialog_) dialog_ = std::make_unique<TAdjustDialog>(&host_.Controls());
  return *dialog_;
}

void TAdjustCommands::Adjust() {
  const edit::TColorTable shown = palette_.Shown();
  if (!host_.Edited().Loaded() || shown.Map == nullptr) return;
  const TEntrySet& selected = host_.Controls().imgColorMap.Selection();
  edit::TEntryMask all;
  all.set();
  const edit::TEntryMask chosen = selected.none() ? all : selected;

  // Each table's entries are remembered once, so every slider move starts
  // from the same colours and Cancel puts them back.
  edit::TAdjustSession session;
  session.Add(*shown.Map, chosen);
  for (const edit::TColorTable& table : palette_.Targets())
    if (table.Map != shown.Map)
      session.Add(*table.Map,
                  selected.none() ? all : edit::SameColours(*table.Map, *shown.Map, chosen));

  TAdjustDialog& dialog = Dialog();
  dialog.SetValues({dialog.Values().Perceptual, 0, 0, 0});
  dialog.OnChange = [&](const TAdjustValues& values) {
    session.Apply(ToAdjustment(values));
    host_.UpdateDisplay();
  };
  const bool keep = host_.Hooks().ShowModal(dialog) == QDialog::Accepted;
  dialog.OnChange = nullptr;
  const edit::TAdjustment adjustment = ToAdjustment(dialog.Values());
  // The document goes back to where it was, so the kept result is recorded
  // as one step from there.
  session.Restore();
  if (!keep || dialog.Values().IsNone()) {
    host_.UpdateDisplay();
    return;
  }
  const QString step = StepText(msg::AdjustCommand);
  int changed = 0;
  host_.EditTables(step, [&] { changed = session.Apply(adjustment); });
  palette_.SayChanged(step, changed, session.TablesChanged(), session.TableCount());
}

void TAdjustCommands::MakeRamp() {
  const edit::TColorTable shown = palette_.Shown();
  if (!host_.Edited().Loaded() || shown.Map == nullptr) return;
  const TEntrySet& selected = host_.Controls().imgColorMap.Selection();
  if (selected.count() < 2) {
    palette_.Say(QString::fromLatin1(msg::NeedTwoEntries));
    return;
  }
  int first = -1, last = -1;
  for (int i = 0; i < shown.Map->EntryCount(); ++i)
    if (selected.test(std::size_t(i))) (first < 0 ? first : last) = i;
  const std::vector<edit::TColorTable> targets = palette_.Targets();
  const QString step = StepText(msg::MakeRamp);
  int changed = 0, tables = 0;
  host_.EditTables(step, [&] {
    const std::vector<gif::TGIFColor> before(shown.Map->Data(),
                                             shown.Map->Data() + shown.Map->EntryCount());
    changed = edit::MakeRamp(*shown.Map, first, last, edit::TRampSpace::OKLab);
    tables = changed > 0;
    // The other tables take the same colour changes, entry by colour.
    edit::TColorMapping mapping;
    for (int i = first + 1; i < last; ++i) {
      const gif::TColor from = gif::TGIFColorMap::TripleToColor(before[std::size_t(i)]);
      const gif::TColor to = gif::TGIFColorMap::TripleToColor(shown.Map->Data()[i]);
      if (from != to) mapping.push_back({from, to});
    }
    std::vector<gif::TGIFColorMap*> others;
    for (const edit::TColorTable& table : targets)
      if (table.Map != shown.Map) others.push_back(table.Map);
    if (mapping.empty() || others.empty()) return;
    const edit::TChangeCount count = edit::ApplyColorMapping(others, mapping);
    changed += count.EntriesChanged;
    tables += count.TablesChanged;
  });
  palette_.SayChanged(step, changed, tables, static_cast<int>(targets.size()));
}

}  // namespace app
