// What the window shows about entries and tables beyond the read-outs: the
// selection's count and Edit > Select Matching, the hover's use count, the
// marks for unused, transparent and background entries, stepping and
// choosing tables, and the preview's picker choosing a table and entry.
#pragma once

#include <QAction>
#include <QObject>
#include <memory>
#include <optional>

#include "app/TableChooser.h"
#include "edit/TableUse.h"
#include "gif/Document.h"

namespace app {

class TCommandHost;
struct TPickedPixel;

namespace msg {
inline constexpr const char* SelectMatching = "Select &Matching";
inline constexpr const char* MarkUnused = "Mark &Unused Entries";
inline constexpr const char* ChooseTable = "Choose Colour &Table...";
inline constexpr const char* PreviousTable = "&Previous Table";
inline constexpr const char* NextTable = "&Next Table";
inline constexpr const char* EntriesSelected = "%1 of %2 entries selected";
inline constexpr const char* EntryUse = "Entry %1: %2 pixels in %3 frames";
inline constexpr const char* EntryUseOne = "Entry %1: %2 pixels in 1 frame";
inline constexpr const char* EntryUsePixel = "Entry %1: 1 pixel in 1 frame";
inline constexpr const char* EntryUnused = "Entry %1: unused";
inline constexpr const char* PickedEntry = "Frame %1, entry %2";
}  // namespace msg

namespace setting {
inline constexpr const char* MarkUnused = "MarkUnusedEntries";
inline constexpr const char* FollowPreview = "FollowPreviewFrame";
}  // namespace setting

// "Entry 37: 1,204 pixels in 3 frames" / "Entry 200: unused".
QString EntryUseText(int index, const edit::TTableUse& use);

class TPaletteView : public QObject {
  Q_OBJECT
 public:
  // Adds its commands to the Edit and View menus and follows the grid, the
  // history and the preview. The host must outlive this object.
  explicit TPaletteView(TCommandHost& host);

  // The shown table's use counts, counted again only after an edit or when
  // another table is shown.
  const edit::TTableUse& Use();
  // Marks of the shown table for the grid, from the use counts, the frames'
  // transparency and the background index.
  void UpdateMarks();
  void SelectMatching();
  // Shows the previous (-1) or next (+1) table.
  void StepTable(int step);
  void ChooseTable();
  // The preview's picker: shows the pixel's table and selects its entry.
  void Picked(const TPickedPixel& pixel, bool add);
  // Connects the preview's picker and frame hooks once it exists.
  void HookPreview();
  // Hands the preview the file as last opened or saved for Compare.
  void RefreshCompare();

  QAction actSelectMatching;
  QAction actMarkUnused;
  QAction actChooseTable;
  QAction actPreviousTable;
  QAction actNextTable;
  // Shows the table of the frame the preview shows, whenever that changes.
  QAction actFollowPreview;
  // Made on first use, so the window holds no hidden dialog's controls.
  TTableChooser* Chooser();

 private:
  void Hover(int x, int y);
  void SayCount();
  // Shows the table a frame of the picture is drawn with.
  void ShowFrameTable(int frame);
  std::vector<TTableEntry> TableList();
  int ShownFrame();

  TCommandHost& host_;
  std::optional<edit::TTableUse> use_;  // of the shown table; empty when it may be stale
  const gif::TGIFColorMap* counted_ = nullptr;
  bool previewHooked_ = false;
  QString hoverText_;  // the use read-out the status bar shows, if still shown
  std::unique_ptr<TTableChooser> chooser_;
  std::unique_ptr<gif::TGIFImage> saved_;  // what Compare shows
};

}  // namespace app
