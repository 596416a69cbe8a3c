// Setting and clearing the transparent colour of frames: which frames, the
// extension added where there is none, and the errors that change nothing.
#include "edit/Transparency.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "edit/EditError.h"
#include "gif/Extensions.h"
#include "tests/edit/SceneFixture.h"

namespace {

constexpr gif::TColor red = 0x0000FF, green = 0x00FF00, blue = 0xFF0000;

// Frame 1 has no control extension, frame 2 one with a delay and disposal,
// transparent 3; frame 3 a table of its own; frame 4 no image.
struct Frames : edittest::Scene {
  Frames() : Scene({0, red, green, blue}) {
    Frame({0, 1});
    gif::TGIFGraphicControlExtension& control = Control(Frame({2, 3}), 3);
    control.SetDelayTime(7);
    control.SetDisposalMethod(2);
    Frame({0, 1}, {blue, red});
    doc.Frames().Append(std::make_unique<gif::TGIFSubImage>(&doc));
  }
  // Each frame's transparent index, -1 without.
  std::vector<int> Transparent() const {
    std::vector<int> indices;
    for (int f = 0; f < doc.Frames().Count(); ++f) {
      const gif::TGIFSubImage& frame = doc.Frames().Frame(f);
      indices.push_back(frame.HasTransparency() ? frame.GraphicControl()->TransparentColorIndex()
                                                : -1);
    }
    return indices;
  }
};

TEST(Transparency, SetsClearsOrRefusesAndARefusalChangesNothing) {
  const struct {
    std::vector<int> frames;
    std::optional<int> index;
    std::optional<gif::TColor> colour;
    int changed;
    std::vector<int> transparent;
    std::string error;
  } rows[] = {
      {{}, 1, {}, 3, {1, 1, 1, -1}, ""},       // every frame with an image
      {{0, 1}, 3, {}, 1, {3, 3, -1, -1}, ""},  // frame 2 is so already
      {{1}, 1, {}, 1, {-1, 1, -1, -1}, ""},    // its extension takes the index
      {{}, std::nullopt, {}, 1, {-1, -1, -1, -1}, ""},
      {{0}, std::nullopt, {}, 0, {-1, 3, -1, -1}, ""},
      {{}, {}, red, 3, {1, 1, 1, -1}, ""},  // red is 1 in the global table and the local one
      {{2}, {}, blue, 1, {-1, 3, 0, -1}, ""},
      {{}, 2, {}, 0, {-1, 3, -1, -1}, "Frame 3: index 2 is outside its colour table of 2 colours"},
      {{0},
       -1,
       {},
       0,
       {-1, 3, -1, -1},
       "Frame 1: index -1 is outside its colour table of 4 colours"},
      {{0, 4}, 1, {}, 0, {-1, 3, -1, -1}, "Frame 5 does not exist; the file has 4 frames"},
      {{}, {}, green, 0, {-1, 3, -1, -1}, "Frame 3: no entry of its colour table is #00ff00"},
  };
  for (const auto& row : rows) {
    Frames s;
    std::string error;
    int changed = 0;
    try {
      changed = row.colour ? edit::SetTransparentColor(s.doc, row.frames, *row.colour)
                           : edit::SetTransparency(s.doc, row.frames, row.index);
    } catch (const edit::EEditError& e) {
      error = e.what();
    }
    SCOPED_TRACE(row.error.empty() ? std::to_string(row.changed) : row.error);
    EXPECT_EQ(error, row.error);
    EXPECT_EQ(changed, row.changed);
    EXPECT_EQ(s.Transparent(), row.transparent);
    // Frame 1 gains an extension only when it is made transparent.
    const gif::TGIFSubImage& first = s.doc.Frames().Frame(0);
    ASSERT_EQ(first.Extensions().ItemCount(), row.transparent[0] >= 0 ? 1 : 0);
    if (first.GraphicControl() != nullptr) {
      EXPECT_EQ(first.GraphicControl()->DelayTime(), 0);
      EXPECT_EQ(first.GraphicControl()->DisposalMethod(), 0);
    }
    EXPECT_EQ(s.doc.Frames().Frame(1).GraphicControl()->DelayTime(), 7);
    EXPECT_EQ(s.doc.Frames().Frame(1).GraphicControl()->DisposalMethod(), 2);
  }
}

}  // namespace
