// The recolour command as numbers: what each of its hue, saturation and
// lightness passes does with the six From and To texts and the tolerance —
// runs with its values, is skipped with a box, or stops the command with one.
// The window and the command-line tool both make the plan once from what the
// user typed, show or refuse on its messages, and run it over maps without a
// callback.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "edit/Recolour.h"
#include "gif/ColorMap.h"

namespace edit {

// The six fields as typed; an empty text is a field left blank.
struct TRecolourFields {
  std::string FromH, ToH;
  std::string FromS, ToS;
  std::string FromL, ToL;
};

// How a pass the command reaches ends.
enum class TPassEnd {
  Runs,     // rewrites the entries within Tolerance of From to To
  Skipped,  // To is blank: its box is shown and the next pass follows
  Stops,    // From or To is above HLSLimit: its box is shown and the command ends
};

struct TPlannedPass {
  THLSComponent Component = THLSComponent::Hue;
  TPassEnd End = TPassEnd::Runs;
  // The numbers the pass runs with (FieldValue of the texts). Also filled for a
  // pass that stops, which has both texts, so a caller can name the value.
  int From = 0, To = 0, Tolerance = 0;
  // The box of a pass that is skipped or stops, from edit/Messages.h; null for
  // one that runs.
  const char* Message = nullptr;
};

struct TRecolourPlan {
  // The passes whose From is filled in, in the order they run, ending at the
  // first that stops: a pass with a blank From is no pass at all, and none
  // after a stop is reached.
  std::vector<TPlannedPass> Passes;
  // Some pass, reached or not, has both values filled in and within the limit:
  // the match outline counts from then on, even when an earlier pass stops.
  bool AnyPassDefined = false;

  // The last pass stops the command: what ran before it stays, but the window
  // does not refresh, and the command line refuses the run.
  bool Stops() const { return !Passes.empty() && Passes.back().End == TPassEnd::Stops; }
  // The boxes in the order the command shows them; the first is the command
  // line's usage error.
  std::vector<std::string> Messages() const;
};

// The plan of one Start. tolerance goes to every pass (the window reads its
// control once per Start, the command line its option).
TRecolourPlan MakeRecolourPlan(const TRecolourFields& fields, int tolerance);

// Runs the plan's passes over every map, each pass over all maps before the
// next, so each map ends as a run on it alone would leave it. Null maps are
// skipped. count, when given, says what changed. Returns Stopped when the plan
// stops.
TRecolourResult Recolour(std::span<gif::TGIFColorMap* const> maps, const TRecolourPlan& plan,
                         TRecolourCount* count = nullptr);

// What the plan would change, found on copies; the maps stay as they are. A
// pass skipped changes nothing and the passes before a stop keep their
// changes, as Start leaves them. nullopt unless plan.AnyPassDefined.
// changedIndices, when given, receives the entries of changedIn that change.
std::optional<TRecolourCount> CountStartChanges(std::span<const gif::TGIFColorMap* const> maps,
                                                const TRecolourPlan& plan,
                                                const gif::TGIFColorMap* changedIn = nullptr,
                                                std::vector<int>* changedIndices = nullptr);

}  // namespace edit
