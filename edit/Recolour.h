// The recolour command's passes over colour maps: every entry whose hue,
// saturation or lightness lies within a tolerance of a From value gets the To
// value for that component and keeps its other two. Qt-free, so the window, its
// match outline and the command-line tool all run this one copy of the passes.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "edit/Messages.h"
#include "gif/ColorMap.h"

namespace edit {

// The order is the order the command runs its passes in.
enum class THLSComponent { Hue, Saturation, Lightness };

// The highest From or To value a pass accepts.
inline constexpr int HLSLimit = 240;

// The field texts and window services one run of the command reads. The
// entry points taking a request make its plan (edit/RecolourPlan.h) and show
// the plan's messages before running it; callers move to the plan itself.
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

// What a run changed (or would change) across a list of maps. An entry counts
// when its colour differs afterwards, not merely when a pass matched it.
struct TRecolourCount {
  int EntriesChanged = 0;
  int EntriesTotal = 0;
  int TablesChanged = 0;
  int TablesTotal = 0;
};

// The same command over several maps at once: each pass checks its fields and
// shows its message once, then rewrites every map, so each map ends exactly
// as a run on that map alone would leave it. Null maps are skipped.
TRecolourResult Recolour(std::span<gif::TGIFColorMap* const> maps, const TRecolourRequest& request,
                         TRecolourCount* count = nullptr);

// Whether some pass has both its From and its To field filled in with values
// the command accepts, so that a Start could run it.
bool AnyPassDefined(const TRecolourRequest& request);

// What a Start would change, found on copies (the maps stay as they
// are and request.ShowError is not called), but counted whatever messages Start shows on the way: a
// pass it skips with a box changes nothing, and the passes before a value above the limit keep
// their changes, as Start leaves them. nullopt while no pass is defined.
std::optional<TRecolourCount> CountStartChanges(std::span<const gif::TGIFColorMap* const> maps,
                                                TRecolourRequest request,
                                                const gif::TGIFColorMap* changedIn = nullptr,
                                                std::vector<int>* changedIndices = nullptr);

// The entries of two maps that differ, ascending by index (maps of one size).
std::vector<int> DifferingEntries(const gif::TGIFColorMap& a, const gif::TGIFColorMap& b);

}  // namespace edit
