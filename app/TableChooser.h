// View > Colour Table as a chooser that holds any number of tables: a list
// narrowed by what is typed in its search box, stepping to the previous or
// next table, and the table of the frame the preview shows.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <functional>
#include <optional>
#include <vector>

namespace app {

namespace msg {
inline constexpr const char* ChooseTableTitle = "Colour Table";
inline constexpr const char* FindTable = "Type a frame number or a name";
inline constexpr const char* FollowPreview = "&Follow the Preview's Frame";
}  // namespace msg

// One listed table: its frame (-1 for the global table) and caption.
struct TTableEntry {
  int Frame = -1;
  QString Caption;
};

// The table a frame of the document is drawn with: its own when it is listed,
// else the global table when that is listed; nullopt when neither is.
std::optional<int> TableOfFrame(const std::vector<TTableEntry>& tables, int frame);
// The table step places before (negative) or after the shown one, stopping at
// either end; the first table when the shown one is not listed; nullopt for
// no tables.
std::optional<int> SteppedTable(const std::vector<TTableEntry>& tables, int shown, int step);

class TTableChooser : public QDialog {
  Q_OBJECT
 public:
  explicit TTableChooser(QWidget* parent = nullptr);

  // Lists the tables with the shown one current, and clears the search.
  void SetTables(std::vector<TTableEntry> tables, int shown);
  // The frames of the entries the search leaves, in list order.
  std::vector<int> Listed() const;
  // The frame of the current entry; nullopt when the search leaves none.
  std::optional<int> Current() const;

  // Runs with the picked table's frame when an entry is clicked or Enter is
  // pressed; the chooser then closes.
  std::function<void(int frame)> Chosen;
  // Runs when the follow option is switched.
  std::function<void(bool follow)> FollowChanged;

  QLineEdit edtFind;
  QListWidget lstTables;
  QCheckBox chkFollow;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Hides the entries that do not hold the search text; a number picks out
  // the frame of that number first.
  void Filter(const QString& text);
  void Pick();

  std::vector<TTableEntry> tables_;
};

}  // namespace app
