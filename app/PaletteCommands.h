// The Palette menu: the remapping operations of edit/ (sort, remove unused,
// merge duplicates, move a dragged block), the transparent entry, and the
// adjust and ramp operations, each one undo step through the window's
// EditTables and each said in the status bar.
#pragma once

#include <QAction>
#include <QMenu>
#include <QObject>
#include <string>
#include <vector>

#include "edit/ColorTables.h"
#include "edit/Remap.h"

namespace app {

class TCommandHost;

namespace msg {
inline constexpr const char* PaletteMenu = "&Palette";
inline constexpr const char* SortBy = "Sort &By";
inline constexpr const char* SortHue = "&Hue";
inline constexpr const char* SortSaturation = "&Saturation";
inline constexpr const char* SortLightness = "&Lightness";
inline constexpr const char* SortLuminance = "Lu&minance";
inline constexpr const char* SortUsage = "&Usage";
inline constexpr const char* RemoveUnused = "Remove Unused Entries";
inline constexpr const char* MergeDuplicates = "Merge Duplicate Colours";
inline constexpr const char* SetTransparent = "Set Transparent Entry";
inline constexpr const char* NoTransparency = "No Transparency";
inline constexpr const char* MoveEntries = "Move Entries";
// Undo texts of the sorts: "Sort by Hue".
inline constexpr const char* SortStep = "Sort by %1";
// What a remap did: entries moved or removed, in how many of the tables.
inline constexpr const char* RemapDone = "%1: %2 entries changed in %3 of %4 tables";
inline constexpr const char* RemapNothing = "%1: nothing to change";
inline constexpr const char* TransparencyDone = "%1: %2 frames changed";
inline constexpr const char* NeedOneEntry = "Select one entry to make transparent";
}  // namespace msg

// A menu caption as an undo step and status text names it: without its
// accelerator mark and the dots of a command that opens a dialog.
QString StepText(const char* caption);

class TPaletteCommands : public QObject {
  Q_OBJECT
 public:
  // Adds the Palette menu before Help and wires the grid's block drag. The
  // host must outlive this object.
  explicit TPaletteCommands(TCommandHost& host);

  // The tables a remap works on: every table with Recolour Every Table on,
  // else the shown one.
  std::vector<edit::TColorTable> Targets();
  // The shown table as edit/ names it; Map is nullptr when there is none.
  edit::TColorTable Shown();

  void Sort(edit::TSortKey key, const QString& name);
  void RemoveUnusedEntries();
  void MergeDuplicateColours();
  // The one selected entry becomes the transparent colour of every frame
  // that uses the shown table; nullopt clears their transparency.
  void SetTransparency(bool on);
  // The selected block goes before old entry destination; the selection
  // follows it.
  void MoveBlock(int destination);

  // A result in the status bar, for a few seconds.
  void Say(const QString& text);
  // "STEP: N entries changed in K of T tables", or that nothing changed.
  void SayChanged(const QString& step, int entries, int tables, int total,
                  const std::vector<std::string>& warnings = {});

  QMenu mnuPalette;
  QMenu mnuSortBy;
  QAction actSortHue, actSortSaturation, actSortLightness, actSortLuminance, actSortUsage;
  QAction actRemoveUnused;
  QAction actMergeDuplicates;
  QAction actSetTransparent;
  QAction actNoTransparency;

 private:
  // Runs a remap over tables as one undo step and says what it did.
  void Remap(const QString& step, const std::function<edit::TRemapReport()>& run);

  TCommandHost& host_;
};

}  // namespace app
