#include "app/TableChoice.h"

#include <QStringList>
#include <algorithm>

#include "edit/ColorTables.h"

namespace app {

TTableChoice::TTableChoice(QMenu& menu, QLabel& status, std::function<void(int frame)> chosen)
    : menu_(menu), status_(status), chosen_(std::move(chosen)) {}

void TTableChoice::Reset(gif::TGIFImage& image) {
  const auto tables = edit::ColorTables(image);
  frame_ = tables.empty() ? -1 : tables.front().Frame;
}

gif::TGIFColorMap* TTableChoice::Shown(gif::TGIFImage& image) const {
  for (const edit::TColorTable& table : edit::ColorTables(image))
    if (table.Frame == frame_) return table.Map;
  return nullptr;
}

void TTableChoice::List(gif::TGIFImage& image) {
  const auto tables = edit::ColorTables(image);
  if (Shown(image) == nullptr && !tables.empty()) frame_ = tables.front().Frame;
  const int count = static_cast<int>(tables.size());
  int shownAt = 0;
  for (int i = 0; i < count; ++i)
    if (tables[std::size_t(i)].Frame == frame_) shownAt = i;
  // A window of tables around the shown one, as far as the ends allow.
  const int first = std::clamp(shownAt - MenuLimit / 2, 0, std::max(0, count - MenuLimit));
  const int last = std::min(count, first + MenuLimit);

  QStringList captions;
  for (int i = first; i < last; ++i)
    captions << QString::fromStdString(tables[std::size_t(i)].Caption());
  // Rebuilt only when the list changed. The entry the user picked may be what
  // asked for the refresh, so the old entries go once their signals return.
  QStringList listed;
  for (const QAction* action : entries_) listed << action->text();
  if (listed != captions) {
    for (QAction* action : entries_) {
      menu_.removeAction(action);
      action->deleteLater();
    }
    entries_.clear();
    QAction* before = menu_.actions().value(0);
    for (int i = first; i < last; ++i) {
      auto* action = new QAction(captions[i - first], &menu_);
      action->setCheckable(true);
      const int frame = tables[std::size_t(i)].Frame;
      QObject::connect(action, &QAction::triggered, &menu_, [this, frame] { chosen_(frame); });
      menu_.insertAction(before, action);
      entries_.push_back(action);
    }
  }
  bool frameTables = false;
  for (const edit::TColorTable& table : tables) frameTables |= !table.IsGlobal();
  status_.clear();
  for (int i = first; i < last; ++i) {
    const bool shown = i == shownAt;
    entries_[std::size_t(i - first)]->setChecked(shown);
    // A file with only a global table keeps the status bar as it always was.
    if (shown && frameTables) status_.setText(captions[i - first]);
  }
  menu_.setEnabled(!tables.empty());
}

}  // namespace app
