// The recolour command's passes over a colour map: every entry whose hue,
// saturation or lightness lies within a tolerance of a From value gets the To
// value for that component and keeps its other two. Qt-free, so it runs on any
// TGIFColorMap without a window.
#pragma once

#include <functional>
#include <string>

#include "gif/ColorMap.h"

namespace app {

// The order is the order the command runs its passes in.
enum class THLSComponent { Hue, Saturation, Lightness };

namespace msg {
inline constexpr const char* EnterNewHue = "Please enter new Hue";
inline constexpr const char* EnterNewSaturation = "Please enter new Saturation";
inline constexpr const char* EnterNewLight = "Please enter new Light";
inline constexpr const char* HueLimit = "Hue must be less than 240";
inline constexpr const char* SaturationLimit = "Saturation must be less than 240";
inline constexpr const char* LightnessLimit = "Lightness must be less than 240";
}  // namespace msg

// The highest From or To value a pass accepts.
inline constexpr int HLSLimit = 240;

// The field texts and window services one run of the command reads.
struct TRecolourRequest {
  std::string FromH, ToH;
  std::string FromS, ToS;
  std::string FromL, ToL;
  // The tolerance; read afresh at the start of every pass.
  std::function<int()> Tolerance;
  // A modal "Error" box with a single Cancel button; returns once closed.
  std::function<void(const std::string& message)> ShowError;
};

enum class TRecolourResult {
  Finished,  // every pass ran or was skipped; the window should refresh
  Stopped,   // a value above the limit ended the command; no refresh
};

// A field's text as a signed decimal integer; anything else, including text
// out of the 32-bit range, counts as 0.
int FieldValue(const std::string& text);

// One pass: rewrites every entry whose component lies in the inclusive window
// [from - tolerance, from + tolerance]. The window does not wrap around the hue
// circle. Returns how many entries matched.
int RecolourPass(gif::TGIFColorMap& map, THLSComponent component, int from, int to, int tolerance);

// The hue, saturation and lightness passes in that order, with the command's
// checks and messages. Entries changed before a Stopped result stay changed.
TRecolourResult Recolour(gif::TGIFColorMap& map, const TRecolourRequest& request);

}  // namespace app
