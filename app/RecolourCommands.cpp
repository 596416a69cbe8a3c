// Start over the shown table or every table, the outline that shows in
// advance what it will change, and going back to the saved tables.
#include "app/RecolourCommands.h"

#include <QLocale>

#include "app/Hourglass.h"
#include "edit/ColorTables.h"

namespace app {

namespace {

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

void TRecolourCommands::Start() {
  TOpenDocument& edited = host_.Edited();
  if (!edited.Loaded()) return;
  const std::vector<gif::TGIFColorMap*> maps = StartMaps();
  if (maps.empty()) return;  // a file without colour tables has nothing to recolour
  THourglass hourglass;
  edit::TRecolourRequest request = FieldRequest();
  request.ShowError = [this](const std::string& message) {
    TArrowWhileAsking arrow;
    host_.Hooks().ShowErrorCancel(QString::fromStdString(message));
  };
  edit::TRecolourResult result = edit::TRecolourResult::Finished;
  // Recorded even when a later pass stopped the command: the earlier passes'
  // changes stay in the tables and can be taken back.
  edited.Record(host_.Controls().btnStart.text(), [&] { result = edit::Recolour(maps, request); });
  if (result == edit::TRecolourResult::Stopped) {
    // The grid stays as it was, but the preview shows what the document holds.
    if (TfrmPreview* preview = host_.Preview()) preview->Refresh();
    return;
  }
  host_.UpdateDisplay();
}

void TRecolourCommands::Revert() {
  TOpenDocument& edited = host_.Edited();
  // Saving first would make the revert pointless: the question is whether to
  // throw the changes away.
  if (!edited.Loaded() || !host_.Keeper().MayRevert(edited.Modified(), edited.FileName())) return;
  edited.RevertToSaved(host_.Controls().actRevert.text());
}

void TRecolourCommands::PaintGrid() {
  TMainLayout& controls = host_.Controls();
  gif::TGIFColorMap* shown = host_.ShownMap();
  controls.imgColorMap.SetMap(shown);
  const std::vector<gif::TGIFColorMap*> targets = StartMaps();
  const std::vector<const gif::TGIFColorMap*> maps(targets.begin(), targets.end());
  std::vector<int> changed;
  // What Start will change, boxes or not; nothing until some pass is defined.
  std::optional<edit::TRecolourCount> count;
  if (!maps.empty()) count = edit::CountStartChanges(maps, FieldRequest(), shown, &changed);
  controls.imgColorMap.Paint(changed);
  controls.stbMatchText.setText(MatchCount(count));
}

void TRecolourCommands::PickFrom(int x, int y) {
  if (!host_.Edited().Loaded()) return;
  TMainLayout& controls = host_.Controls();
  const auto colour = controls.imgColorMap.ColourAt(x, y);
  if (!colour) return;
  controls.edtFromH.setText(QString::number(colour->Hue));
  controls.edtFromL.setText(QString::number(colour->Lightness));
  controls.edtFromS.setText(QString::number(colour->Saturation));
}

bool TRecolourCommands::FieldKey(const QKeyEvent& key) {
  // Chords (copy, paste, menu keys) and keys that type nothing pass, and so
  // does Tab, which moves the focus rather than typing.
  if (key.modifiers().testAnyFlags(Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier) ||
      key.text().isEmpty() || key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab)
    return false;
  if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) {
    host_.Controls().btnStart.click();
    return true;
  }
  for (QChar typed : key.text()) {
    BlockNonDigit(typed);
    if (typed.isNull()) return true;
  }
  return false;
}

void TRecolourCommands::BlockNonDigit(QChar& key) {
  const char16_t code = key.unicode();
  if (code != 8 && (code < u'0' || code > u'9')) key = QChar(0);
}

edit::TRecolourRequest TRecolourCommands::FieldRequest() {
  TMainLayout& controls = host_.Controls();
  edit::TRecolourRequest request;
  request.FromH = controls.edtFromH.text().toStdString();
  request.ToH = controls.edtToH.text().toStdString();
  request.FromS = controls.edtFromS.text().toStdString();
  request.ToS = controls.edtToS.text().toStdString();
  request.FromL = controls.edtFromL.text().toStdString();
  request.ToL = controls.edtToL.text().toStdString();
  // Read afresh by each pass, as the tolerance control may change in between.
  request.Tolerance = [&controls] { return int{controls.udTolerance.Position()}; };
  return request;
}

std::vector<gif::TGIFColorMap*> TRecolourCommands::StartMaps() {
  if (!host_.Controls().actRecolourAll.isChecked()) {
    gif::TGIFColorMap* shown = host_.ShownMap();
    return shown != nullptr ? std::vector<gif::TGIFColorMap*>{shown}
                            : std::vector<gif::TGIFColorMap*>{};
  }
  return edit::MapsOf(edit::ColorTables(host_.Edited().Image()));
}

}  // namespace app
