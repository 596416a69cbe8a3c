#include "app/TableChoice.h"

#include <QStringList>

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
  QStringList captions;
  for (const edit::TColorTable& table : tables) captions << QString::fromStdString(table.Caption());
  // Rebuilt only when the list changed: the entry the user picked may be what
  // asked for the refresh, and clearing the menu deletes its entries.
  QStringList listed;
  for (const QAction* action : menu_.actions()) listed << action->text();
  if (listed != captions) {
    menu_.clear();
    for (qsizetype i = 0; i < captions.size(); ++i) {
      QAction* action = menu_.addAction(captions[i]);
      action->setCheckable(true);
      const int frame = tables[static_cast<std::size_t>(i)].Frame;
      QObject::connect(action, &QAction::triggered, &menu_, [this, frame] { chosen_(frame); });
    }
  }
  if (Shown(image) == nullptr && !tables.empty()) frame_ = tables.front().Frame;
  bool frameTables = false;
  for (const edit::TColorTable& table : tables) frameTables |= !table.IsGlobal();
  status_.clear();
  const QList<QAction*> actions = menu_.actions();
  for (qsizetype i = 0; i < actions.size(); ++i) {
    const bool shown = tables[static_cast<std::size_t>(i)].Frame == frame_;
    actions[i]->setChecked(shown);
    // A file with only a global table keeps the status bar as it always was.
    if (shown && frameTables) status_.setText(captions[i]);
  }
  menu_.setEnabled(!tables.empty());
}

}  // namespace app
