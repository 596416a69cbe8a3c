#include "app/TableChooser.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <algorithm>

namespace app {

std::optional<int> TableOfFrame(const std::vector<TTableEntry>& tables, int frame) {
  const auto listed = [&tables](int f) {
    return std::any_of(tables.begin(), tables.end(),
                       [f](const TTableEntry& t) { return t.Frame == f; });
  };
  if (listed(frame)) return frame;
  if (listed(-1)) return -1;
  return std::nullopt;
}

std::optional<int> SteppedTable(const std::vector<TTableEntry>& tables, int shown, int step) {
  if (tables.empty()) return std::nullopt;
  const auto at = std::find_if(tables.begin(), tables.end(),
                               [shown](const TTableEntry& t) { return t.Frame == shown; });
  if (at == tables.end()) return tables.front().Frame;
  const auto last = static_cast<long>(tables.size()) - 1;
  const long index = std::clamp(static_cast<long>(at - tables.begin()) + step, 0L, last);
  return tables[static_cast<std::size_t>(index)].Frame;
}

TTableChooser::TTableChooser(QWidget* parent)
    : QDialog(parent), edtFind(this), lstTables(this), chkFollow(this) {
  setWindowTitle(QString::fromLatin1(msg::ChooseTableTitle));
  edtFind.setPlaceholderText(QString::fromLatin1(msg::FindTable));
  edtFind.setClearButtonEnabled(true);
  chkFollow.setText(QString::fromLatin1(msg::FollowPreview));
  auto* layout = new QVBoxLayout(this);  // owned by the dialog
  layout->addWidget(&edtFind);
  layout->addWidget(&lstTables, 1);
  layout->addWidget(&chkFollow);
  resize(260, 360);
  // Up, Down, Page Up and Page Down in the search box move through the list,
  // so the keyboard never has to leave it.
  edtFind.installEventFilter(this);
  connect(&edtFind, &QLineEdit::textChanged, this, [this](const QString& text) { Filter(text); });
  connect(&edtFind, &QLineEdit::returnPressed, this, [this] { Pick(); });
  connect(&lstTables, &QListWidget::itemActivated, this, [this] { Pick(); });
  connect(&lstTables, &QListWidget::itemClicked, this, [this] { Pick(); });
  connect(&chkFollow, &QCheckBox::toggled, this, [this](bool follow) {
    if (FollowChanged) FollowChanged(follow);
  });
}

void TTableChooser::SetTables(std::vector<TTableEntry> tables, int shown) {
  tables_ = std::move(tables);
  const QSignalBlocker quiet(edtFind);
  edtFind.clear();
  lstTables.clear();
  for (const TTableEntry& table : tables_) {
    auto* item = new QListWidgetItem(table.Caption, &lstTables);  // owned by the list
    item->setData(Qt::UserRole, table.Frame);
    if (table.Frame == shown) lstTables.setCurrentItem(item);
  }
  if (lstTables.currentItem() == nullptr && lstTables.count() > 0) lstTables.setCurrentRow(0);
  if (lstTables.currentItem() != nullptr) lstTables.scrollToItem(lstTables.currentItem());
}

std::vector<int> TTableChooser::Listed() const {
  std::vector<int> frames;
  for (int row = 0; row < lstTables.count(); ++row)
    if (!lstTables.item(row)->isHidden())
      frames.push_back(lstTables.item(row)->data(Qt::UserRole).toInt());
  return frames;
}

std::optional<int> TTableChooser::Current() const {
  const QListWidgetItem* item = lstTables.currentItem();
  if (item == nullptr || item->isHidden()) return std::nullopt;
  return item->data(Qt::UserRole).toInt();
}

void TTableChooser::Filter(const QString& text) {
  const QString wanted = text.trimmed();
  bool isNumber = false;
  const int number = wanted.toInt(&isNumber);
  QListWidgetItem* first = nullptr;
  QListWidgetItem* exact = nullptr;
  for (int row = 0; row < lstTables.count(); ++row) {
    QListWidgetItem* item = lstTables.item(row);
    const bool shown = item->text().contains(wanted, Qt::CaseInsensitive);
    item->setHidden(!shown);
    if (!shown) continue;
    if (first == nullptr) first = item;
    // Frames are counted from 1 where the user sees them.
    if (isNumber && exact == nullptr && item->data(Qt::UserRole).toInt() + 1 == number)
      exact = item;
  }
  QListWidgetItem* current = exact != nullptr ? exact : first;
  lstTables.setCurrentItem(current);
  if (current != nullptr) lstTables.scrollToItem(current);
}

void TTableChooser::Pick() {
  const std::optional<int> frame = Current();
  if (!frame) return;
  accept();
  if (Chosen) Chosen(*frame);
}

bool TTableChooser::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &edtFind && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
        key == Qt::Key_PageDown) {
      QCoreApplication::sendEvent(&lstTables, event);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace app
