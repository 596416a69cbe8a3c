#include "gif/Animator.h"

#include <algorithm>
#include <string>

#include "gif/Extensions.h"
#include "gif/Messages.h"

namespace gif {

namespace {

// Disposal methods of the graphic control extension (GIF89a section 23).
constexpr int kRestoreBackground = 2;
constexpr int kRestorePrevious = 3;

}  // namespace

TGIFAnimator::TGIFAnimator(const TGIFImage& doc) : doc_(doc) {
  width_ = doc.ScreenWidth();
  height_ = doc.ScreenHeight();
  const bool noScreen = width_ == 0 || height_ == 0;
  for (int i = 0; i < doc.Frames().Count(); ++i) {
    const TGIFSubImage& frame = doc.Frames().Frame(i);
    if (frame.IsEmpty()) continue;
    images_.push_back(&frame);
    // A file without a screen size still shows its images.
    if (noScreen) {
      width_ = std::max(width_, frame.Descriptor.Left + frame.Descriptor.Width);
      height_ = std::max(height_, frame.Descriptor.Top + frame.Descriptor.Height);
    }
  }
  // A tiny file can declare a screen of 65535 x 65535: the canvas counts
  // against the document's pixel budget like a frame does.
  if (uint64_t(width_) * uint64_t(height_) > doc.MaxPixels)
    RaiseGIFError(FormatMessage(
        msg::ScreenLimitExceeded,
        {std::to_string(width_), std::to_string(height_), std::to_string(doc.MaxPixels)}));
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
  // Frames build on each other, so going back means starting over.
  if (n <= current_) Clear();
  while (current_ < n) {
    if (current_ >= 0) Dispose(*images_[static_cast<std::size_t>(current_)]);
    ++current_;
    Draw(*images_[static_cast<std::size_t>(current_)]);
  }
}

void TGIFAnimator::Draw(const TGIFSubImage& frame) {
  const TGIFGraphicControlExtension* control = frame.GraphicControl();
  if (control != nullptr && control->DisposalMethod() == kRestorePrevious) previous_ = canvas_;

  // One lookup per colour index; indices past the table draw nothing.
  TPixel lookup[256] = {};
  const TGIFColorMap& map = frame.LocalMap().EntryCount() > 0
                                ? static_cast<const TGIFColorMap&>(frame.LocalMap())
                                : static_cast<const TGIFColorMap&>(doc_.GlobalMap());
  for (int i = 0; i < map.EntryCount(); ++i) {
    const TGIFColor& c = map.Data()[i];
    lookup[i] = 0xFF000000u | (TPixel{c.Red} << 16) | (TPixel{c.Green} << 8) | c.Blue;
  }
  if (frame.HasTransparency() && control != nullptr) lookup[control->TransparentColorIndex()] = 0;

  const TImageDescriptor& d = frame.Descriptor;
  const int x0 = std::min<int>(d.Left, width_), x1 = std::min(d.Left + d.Width, width_);
  const int y0 = std::min<int>(d.Top, height_), y1 = std::min(d.Top + d.Height, height_);
  for (int y = y0; y < y1; ++y) {
    const uint8_t* src = frame.PixelData() + static_cast<std::size_t>(y - d.Top) * d.Width;
    TPixel* dst = canvas_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
    for (int x = x0; x < x1; ++x) {
      const TPixel p = lookup[src[x - d.Left]];
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
  const int x0 = std::min<int>(d.Left, width_), x1 = std::min(d.Left + d.Width, width_);
  for (int y = d.Top; y < std::min(d.Top + d.Height, height_); ++y) {
    TPixel* row = canvas_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
    std::fill(row + x0, row + x1, 0);
  }
}

}  // namespace gif
