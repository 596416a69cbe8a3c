// File > Export Palette and File > Import Palette: the table the grid shows,
// out to and in from the palette files of other programs.
#pragma once

#include "app/CommandHost.h"

namespace app {

namespace msg {
// The undo step of File > Import Palette.
inline constexpr const char* ImportPalette = "Import Palette";
}  // namespace msg

class TPaletteFileCommands {
 public:
  explicit TPaletteFileCommands(TCommandHost& host) : host_(host) {}

  // Writes the shown table to a palette file chosen in a dialog.
  void Export();
  // Reads a palette file chosen in a dialog into the shown table, as one
  // undo step.
  void Import();

 private:
  TCommandHost& host_;
};

}  // namespace app
