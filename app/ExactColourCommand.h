// A double-click on a swatch: the colour dialog, preset to the entry, and the
// chosen RGB written into the shown table as one undo step.
#pragma once

#include "app/CommandHost.h"

namespace app {

namespace msg {
// The undo step of a double-click on a swatch.
inline constexpr const char* SetColour = "Set Colour";
}  // namespace msg

class TExactColourCommand {
 public:
  explicit TExactColourCommand(TCommandHost& host) : host_(host) {}

  // Asks for an exact colour for the swatch under the grid point.
  void SetColourAt(int x, int y);

 private:
  TCommandHost& host_;
};

}  // namespace app
