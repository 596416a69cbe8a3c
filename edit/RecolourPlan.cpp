#include "edit/RecolourPlan.h"

#include <memory>

#include "edit/Messages.h"

namespace edit {

namespace {

// A stand-alone copy of a map: a local map without a frame reports to no one.
std::unique_ptr<gif::TGIFColorMap> CopyOf(const gif::TGIFColorMap& map) {
  auto copy = std::make_unique<gif::TGIFLocalColorMap>(nullptr);
  copy->CopyFrom(&map);
  return copy;
}

struct TPassFields {
  THLSComponent Component;
  const std::string& From;
  const std::string& To;
  const char* EnterNew;
  const char* Limit;
};

}  // namespace

std::vector<std::string> TRecolourPlan::Messages() const {
  std::vector<std::string> messages;
  for (const TPlannedPass& pass : Passes)
    if (pass.Message != nullptr) messages.emplace_back(pass.Message);
  return messages;
}

TRecolourPlan MakeRecolourPlan(const TRecolourFields& fields, int tolerance) {
  const TPassFields passes[] = {
      {THLSComponent::Hue, fields.FromH, fields.ToH, msg::EnterNewHue, msg::HueLimit},
      {THLSComponent::Saturation, fields.FromS, fields.ToS, msg::EnterNewSaturation,
       msg::SaturationLimit},
      {THLSComponent::Lightness, fields.FromL, fields.ToL, msg::EnterNewLight, msg::LightnessLimit},
  };
  TRecolourPlan plan;
  for (const TPassFields& fields : passes) {
    const bool defined = !fields.From.empty() && !fields.To.empty() &&
                         FieldValue(fields.From) <= HLSLimit && FieldValue(fields.To) <= HLSLimit;
    plan.AnyPassDefined = plan.AnyPassDefined || defined;
    if (fields.From.empty() || plan.Stops()) continue;
    TPlannedPass pass;
    pass.Component = fields.Component;
    if (fields.To.empty()) {
      pass.End = TPassEnd::Skipped;
      pass.Message = fields.EnterNew;
    } else {
      pass.From = FieldValue(fields.From);
      pass.To = FieldValue(fields.To);
      pass.Tolerance = tolerance;
      if (!defined) {
        pass.End = TPassEnd::Stops;
        pass.Message = fields.Limit;
      }
    }
    plan.Passes.push_back(pass);
  }
  return plan;
}

TRecolourResult Recolour(std::span<gif::TGIFColorMap* const> maps, const TRecolourPlan& plan,
                         TRecolourCount* count) {
  // Snapshots only when asked to count: Start on a plain map pays nothing.
  std::vector<std::unique_ptr<gif::TGIFColorMap>> before;
  if (count != nullptr)
    for (gif::TGIFColorMap* map : maps) before.push_back(map != nullptr ? CopyOf(*map) : nullptr);

  for (const TPlannedPass& pass : plan.Passes)
    if (pass.End == TPassEnd::Runs)
      for (gif::TGIFColorMap* map : maps)
        if (map != nullptr) RecolourPass(*map, pass.Component, pass.From, pass.To, pass.Tolerance);

  if (count != nullptr) {
    *count = TRecolourCount{};
    for (std::size_t i = 0; i < maps.size(); ++i) {
      if (maps[i] == nullptr) continue;
      const int changed = static_cast<int>(DifferingEntries(*before[i], *maps[i]).size());
      count->EntriesChanged += changed;
      count->EntriesTotal += maps[i]->EntryCount();
      count->TablesChanged += changed > 0 ? 1 : 0;
      ++count->TablesTotal;
    }
  }
  return plan.Stops() ? TRecolourResult::Stopped : TRecolourResult::Finished;
}

std::optional<TRecolourCount> CountStartChanges(std::span<const gif::TGIFColorMap* const> maps,
                                                const TRecolourPlan& plan,
                                                const gif::TGIFColorMap* changedIn,
                                                std::vector<int>* changedIndices) {
  if (changedIndices != nullptr) changedIndices->clear();
  if (!plan.AnyPassDefined) return std::nullopt;
  std::vector<std::unique_ptr<gif::TGIFColorMap>> copies;
  std::vector<gif::TGIFColorMap*> targets;
  for (const gif::TGIFColorMap* map : maps) {
    copies.push_back(map != nullptr ? CopyOf(*map) : nullptr);
    targets.push_back(copies.back().get());
  }
  TRecolourCount count;
  Recolour(targets, plan, &count);
  if (changedIndices != nullptr)
    for (std::size_t i = 0; i < maps.size(); ++i)
      if (maps[i] != nullptr && maps[i] == changedIn)
        *changedIndices = DifferingEntries(*maps[i], *copies[i]);
  return count;
}

}  // namespace edit
