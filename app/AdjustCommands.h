// The Palette menu's commands that recolour the selected entries: Adjust Hue,
// Saturation and Lightness, shown live while its dialog is open, and Make
// Ramp. With Recolour Every Table on, the entries of the same colours in the
// other tables change with them.
#pragma once

#include <QAction>
#include <QObject>
#include <memory>

#include "app/AdjustDialog.h"
#include "edit/Adjust.h"

namespace app {

class TCommandHost;
class TPaletteCommands;

namespace msg {
inline constexpr const char* AdjustCommand = "&Adjust Hue, Saturation and Lightness...";
inline constexpr const char* MakeRamp = "Make &Ramp";
inline constexpr const char* NeedTwoEntries = "Select two or more entries to make a ramp";
}  // namespace msg

// The operation the dialog's numbers stand for.
edit::TAdjustment ToAdjustment(const TAdjustValues& values);

class TAdjustCommands : public QObject {
  Q_OBJECT
 public:
  // Adds its commands at the top of the Palette menu. Host and palette must
  // outlive this object.
  TAdjustCommands(TCommandHost& host, TPaletteCommands& palette);

  // Opens the dialog; every change of its values shows at once, OK keeps
  // the result as one undo step, Cancel or Escape puts every entry back.
  void Adjust();
  // The entries between the first and the last selected become a ramp
  // between those two, interpolated in OKLab.
  void MakeRamp();

  // Made on first use and kept, so it opens with the units last used.
  TAdjustDialog& Dialog();

  QAction actAdjust;
  QAction actMakeRamp;

 private:
  TCommandHost& host_;
  TPaletteCommands& palette_;
  std::unique_ptr<TAdjustDialog> dialog_;
};

}  // namespace app
