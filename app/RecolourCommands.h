// Start and the history of what it changes: the From, To and tolerance fields
// (digits only, Enter runs Start), the outline of what Start would change with
// its count in the status bar, Start itself, and Edit > Revert to Saved. Undo
// and Redo are the history's own.
#pragma once

#include <QKeyEvent>
#include <vector>

#include "app/CommandHost.h"
#include "edit/Recolour.h"

namespace app {

class TRecolourCommands {
 public:
  explicit TRecolourCommands(TCommandHost& host) : host_(host) {}

  // Recolours the tables Start changes, showing each pass's box, as one
  // undo step.
  void Start();
  // Puts back the tables as last opened or saved, as a step of the history,
  // so Undo takes the revert back; asks first when there are changes.
  void Revert();
  // Paints the shown table and outlines the entries Start would change with
  // the current fields, counting in the status bar what it would change
  // across every table it would touch.
  void PaintGrid();
  // A click on a swatch copies its H, L and S into the From fields.
  void PickFrom(int x, int y);
  // A key pressed in a recolour field: true when it is taken (a character
  // that is no digit, or Enter, which runs Start as a click on Start does).
  bool FieldKey(const QKeyEvent& key);

  // Replaces a typed character that is neither a digit nor backspace by the
  // null character, meaning nothing was typed.
  static void BlockNonDigit(QChar& key);

 private:
  // The From, To and tolerance fields as the recolour passes read them.
  edit::TRecolourRequest FieldRequest();
  // The tables Start changes: every table, or the shown one alone when
  // Recolour Every Table is off.
  std::vector<gif::TGIFColorMap*> StartMaps();

  TCommandHost& host_;
};

namespace msg {
// The status bar's count of the swatches the grid outlines.
inline constexpr const char* EntriesWillChange = "%1 of %2 entries will change";
// The same count when Start would touch several tables.
inline constexpr const char* EntriesInTablesWillChange =
    "%1 of %2 entries in %3 tables will change";
}  // namespace msg

}  // namespace app
