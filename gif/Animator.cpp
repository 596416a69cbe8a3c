#include "gif/Animator.h"

#include <algorithm>
#include <climits>
#include <string>

#include "gif/Extensions.h"
#include "gif/MessageFormat.h"
#include "gif/Messages.h"

namespace gif {

namespace {

// Disposal methods of the graphic control extension (GIF89a section 23).
constexpr int kRestoreBackground = 2;
constexpr int kRestorePrevious = 3;

}  // namespace

TGIFAnimator::TGIFAnimator(const TGIFImage& doc, uint64_t maxPixels) : doc_(doc) {
  const int screenWidth = doc.ScreenWidth();
  const int screenHeight = doc.ScreenHeight();
  // A file without a screen size still shows its images whole.
  const bool noScreen = screenWidth == 0 || screenHeight == 0;
  int right = 0, bottom = 0;
  left_ = top_ = INT_MAX;
  for (int i = 0; i < doc.Frames().Count(); ++i) {
    const TGIFSubImage& frame = doc.Frames().Frame(i);
    if (frame.IsEmpty()) continue;
    images_.push_back(&frame);
    const TImageDescriptor& d = frame.Descriptor;
    int x1 = d.Left + d.Width, y1 = d.Top + d.Height;
    if (!noScreen) {
      x1 = std::min(x1, screenWidth);
      y1 = std::min(y1, screenHeight);
    }
    // An image wholly off the screen covers nothing.
    if (x1 <= d.Left || y1 <= d.Top) continue;
    left_ = std::min<int>(left_, d.Left);
    top_ = std::min<int>(top_, d.Top);
    right = std::max(right, x1);
    bottom = std::max(bottom, y1);
  }
  if (right == 0) left_ = top_ = 0;
  width_ = right - left_;
  height_ = bottom - top_;
  if (uint64_t(width_) * uint64_t(height_) > maxPixels)
    RaiseGIFError(FormatMessage(
        msg::CanvasLimitExceeded,
        {std::to_string(width_), std::to_string(height_), std::to_string(maxPixels)}));
  Clear();
}

int TGIFAnimator::DelayMs(int n) const {
  if (n < 0 || n >= FrameCount()) return 0;
  const TGIFGraphicControlExtension* control =
      images_[static_cast<std::size_t>(n)]->GraphicControl();
  const int hundredths = control != nullptr ? control->DelayTime() : 0;
  return hundredths < 2 ? 100 : hundredths * 10;
}

void TGIFAnimator::Clear() {
  canvas_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0);
  current_ = -1;
}

void TGIFAnimator::Seek(int n) {
  if (FrameCount() == 0) return;
  n = std::clamp(n, 0, FrameCount() - 1);
  // Frames build on each other, so going back means starting over; but what a
  // frame hides whole does not matter, so the drawing starts at the last
  // such frame. A palette edit redraws the shown frame of a long animation of
  // whole frames by drawing just that one.
  int from = n <= current_ ? 0 : current_ + 1;
  for (int k = n; k > from; --k)
    if (HidesEarlier(*images_[static_cast<std::size_t>(k)])) {
      from = k;
      break;
    }
  bool fresh = false;
  if (from != current_ + 1) {
    Clear();
    current_ = from - 1;
    fresh = true;
  }
  while (current_ < n) {
    if (current_ >= 0 && !fresh) Dispose(*images_[static_cast<std::size_t>(current_)]);
    fresh = false;
    ++current_;
    Draw(*images_[static_cast<std::size_t>(current_)]);
  }
}

bool TGIFAnimator::HidesEarlier(const TGIFSubImage& frame) const {
  // Restoring what was there before such a frame needs what came before it.
  const TGIFGraphicControlExtension* control = frame.GraphicControl();
  if (control != nullptr && control->DisposalMethod() == kRestorePrevious) return false;
  const TImageDescriptor& d = frame.Descriptor;
  const int left = d.Left - left_, top = d.Top - top_;
  if (left > 0 || top > 0 || left + d.Width < width_ || top + d.Height < height_) return false;
  // Every pixel must draw: an index inside the table, not the transparent one.
  const int count = ActiveMap(frame).EntryCount();
  const int transparent =
      frame.HasTransparency() && control != nullptr ? control->TransparentColorIndex() : -1;
  for (int y = 0; y < height_; ++y) {
    const uint8_t* src = frame.PixelData() + static_cast<std::size_t>(y - top) * d.Width - left;
    bool hidden = false;
    for (int x = 0; x < width_; ++x) hidden |= src[x] >= count || src[x] == transparent;
    if (hidden) return false;
  }
  return true;
}

const TGIFColorMap& TGIFAnimator::ActiveMap(const TGIFSubImage& frame) const {
  return frame.LocalMap().EntryCount() > 0 ? static_cast<const TGIFColorMap&>(frame.LocalMap())
                                           : static_cast<const TGIFColorMap&>(doc_.GlobalMap());
}

void TGIFAnimator::Draw(const TGIFSubImage& frame) {
  const TGIFGraphicControlExtension* control = frame.GraphicControl();
  if (control != nullptr && control->DisposalMethod() == kRestorePrevious) previous_ = canvas_;

  // One lookup per colour index; indices past the table draw nothing.
  TPixel lookup[256] = {};
  const TGIFColorMap& map = ActiveMap(frame);
  for (int i = 0; i < map.EntryCount(); ++i) {
    const TGIFColor& c = map.Data()[i];
    lookup[i] = 0xFF000000u | (TPixel{c.Red} << 16) | (TPixel{c.Green} << 8) | c.Blue;
  }
  if (frame.HasTransparency() && control != nullptr) lookup[control->TransparentColorIndex()] = 0;

  // The frame's rectangle in canvas coordinates, clipped to the canvas.
  const TImageDescriptor& d = frame.Descriptor;
  const int left = d.Left - left_, top = d.Top - top_;
  const int x0 = std::clamp(left, 0, width_), x1 = std::clamp(left + d.Width, 0, width_);
  const int y0 = std::clamp(top, 0, height_), y1 = std::clamp(top + d.Height, 0, height_);
  for (int y = y0; y < y1; ++y) {
    const uint8_t* src = frame.PixelData() + static_cast<std::size_t>(y - top) * d.Width;
    TPixel* dst = canvas_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
    for (int x = x0; x < x1; ++x) {
      const TPixel p = lookup[src[x - left]];
      if (p != 0) dst[x] = p;
    }
  }
}

void TGIFAnimator::Dispose(const TGIFSubImage& frame) {
  const TGIFGraphicControlExtension* control = frame.GraphicControl();
  const int method = control != nullptr ? control->DisposalMethod() : 0;
  if (method == kRestorePrevious && previous_.size() == canvas_.size()) {
    canvas_.swap(previous_);
    return;
  }
  if (method != kRestoreBackground) return;
  // Browsers clear to transparent rather than to the background colour.
  const TImageDescriptor& d = frame.Descriptor;
  const int left = d.Left - left_, top = d.Top - top_;
  const int x0 = std::clamp(left, 0, width_), x1 = std::clamp(left + d.Width, 0, width_);
  const int y0 = std::clamp(top, 0, height_), y1 = std::clamp(top + d.Height, 0, height_);
  for (int y = y0; y < y1; ++y) {
    TPixel* row = canvas_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
    std::fill(row + x0, row + x1, 0);
  }
}

}  // namespace gif
