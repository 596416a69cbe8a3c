// Which of a document's colour tables the palette grid shows: the entries of
// View > Colour Table, the shown one checked, and its name in the status bar
// when the file has frame tables. A file of many frames lists the tables
// nearest the shown one, so the menu keeps its height; the chooser below them
// reaches every table.
#pragma once

#include <QLabel>
#include <QMenu>
#include <functional>
#include <vector>

#include "gif/Document.h"

namespace app {

class TTableChoice {
 public:
  // Most tables the menu lists at once.
  static constexpr int MenuLimit = 16;

  // chosen runs when the user picks an entry, with its table's frame (-1 for
  // the global table). The menu and the label must outlive this object. The
  // table entries go above whatever else the menu holds.
  TTableChoice(QMenu& menu, QLabel& status, std::function<void(int frame)> chosen);

  // After a load: the global table, or the first frame's table without one.
  void Reset(gif::TGIFImage& image);
  void Choose(int frame) { frame_ = frame; }
  // The shown table; nullptr when the document has none with entries.
  gif::TGIFColorMap* Shown(gif::TGIFImage& image) const;
  // Lists the document's tables, or the MenuLimit nearest the shown one
  // (rebuilding the entries only when the list changed), moves to the first
  // table when the shown one went away, checks the shown one and names it in
  // the status bar.
  void List(gif::TGIFImage& image);
  // The menu's table entries, in order.
  const std::vector<QAction*>& Entries() const { return entries_; }

 private:
  QMenu& menu_;
  QLabel& status_;
  std::function<void(int)> chosen_;
  int frame_ = -1;
  std::vector<QAction*> entries_;  // owned by the menu
};

}  // namespace app
