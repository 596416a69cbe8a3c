#include "edit/Transparency.h"

#include <cstdio>
#include <string>
#include <vector>

#include "edit/EditError.h"
#include "edit/Messages.h"
#include "gif/Extensions.h"
#include "gif/MessageFormat.h"

namespace edit {

namespace {

// The frames asked for, checked to exist; none asked: those with an image.
std::vector<int> Targets(const gif::TGIFImage& image, std::span<const int> frames) {
  const int total = image.Frames().Count();
  std::vector<int> targets;
  if (frames.empty()) {
    for (int i = 0; i < total; ++i)
      if (!image.Frames().Frame(i).IsEmpty()) targets.push_back(i);
    return targets;
  }
  for (const int f : frames) {
    if (f < 0 || f >= total)
      throw EEditError(
          gif::FormatMessage(msg::NoSuchFrame, {std::to_string(f + 1), std::to_string(total)}));
    targets.push_back(f);
  }
  return targets;
}

// Makes index the frame's transparent colour through its first graphic
// control extension, adding one when there is none. True when anything changed.
bool MakeTransparent(gif::TGIFSubImage& frame, uint8_t index) {
  gif::TGIFGraphicControlExtension* control = frame.GraphicControl();
  bool changed = false;
  if (control == nullptr) {
    // The new extension becomes the frame's graphic control as it is made; at
    // the end of the run it stands right before the image, where it belongs.
    std::unique_ptr<gif::TGIFExtension> added =
        gif::TGIFGraphicControlExtension::ConstructForFrame(frame);
    control = static_cast<gif::TGIFGraphicControlExtension*>(added.get());
    frame.Extensions().Append(std::move(added));
    changed = true;
  }
  if (control->TransparentColorIndex() != index) {
    control->SetTransparentColorIndex(index);
    changed = true;
  }
  if (!control->TransparentColorFlag() || !frame.HasTransparency()) {
    control->SetTransparentColorFlag(true);
    changed = true;
  }
  return changed;
}

bool ClearTransparency(gif::TGIFSubImage& frame) {
  bool changed = false;
  for (int e = 0; e < frame.Extensions().ItemCount(); ++e) {
    auto* control =
        dynamic_cast<gif::TGIFGraphicControlExtension*>(&frame.Extensions().Extension(e));
    if (control != nullptr && control->TransparentColorFlag()) {
      control->SetTransparentColorFlag(false);
      changed = true;
    }
  }
  if (frame.HasTransparency()) {
    frame.SetHasTransparency(false);
    changed = true;
  }
  return changed;
}

std::string Hex(gif::TColor colour) {
  const gif::TGIFColor c = gif::TGIFColorMap::ColorToTriple(colour);
  char text[8];
  std::snprintf(text, sizeof text, "%02x%02x%02x", c.Red, c.Green, c.Blue);
  return text;
}

// Sets each frame's transparent colour to indices[k], the index checked for
// targets[k].
int Apply(gif::TGIFImage& image, const std::vector<int>& targets, const std::vector<int>& indices) {
  int changed = 0;
  for (std::size_t k = 0; k < targets.size(); ++k)
    changed += MakeTransparent(image.Frames().Frame(targets[k]), static_cast<uint8_t>(indices[k]));
  return changed;
}

}  // namespace

int SetTransparency(gif::TGIFImage& image, std::span<const int> frames, std::optional<int> index) {
  const std::vector<int> targets = Targets(image, frames);
  if (!index) {
    int changed = 0;
    for (const int f : targets) changed += ClearTransparency(image.Frames().Frame(f));
    return changed;
  }
  for (const int f : targets) {
    const int count = image.Frames().Frame(f).ActiveMap().EntryCount();
    if (*index < 0 || *index >= count)
      throw EEditError(gif::FormatMessage(
          msg::TransparentIndexOutside,
          {std::to_string(f + 1), std::to_string(*index), std::to_string(count)}));
  }
  return Apply(image, targets, std::vector<int>(targets.size(), *index));
}

int SetTransparentColor(gif::TGIFImage& image, std::span<const int> frames, gif::TColor colour) {
  const std::vector<int> targets = Targets(image, frames);
  std::vector<int> indices;
  for (const int f : targets) {
    const gif::TGIFColorMap& map = image.Frames().Frame(f).ActiveMap();
    int found = -1;
    for (int i = 0; i < map.EntryCount() && found < 0; ++i)
      if (gif::TGIFColorMap::TripleToColor(map.Data()[i]) == (colour & 0xFFFFFF)) found = i;
    if (found < 0)
      throw EEditError(
          gif::FormatMessage(msg::TransparentColorMissing, {std::to_string(f + 1), Hex(colour)}));
    indices.push_back(found);
  }
  return Apply(image, targets, indices);
}

}  // namespace edit
