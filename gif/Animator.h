// Plays a document's frames on its logical screen as a viewer shows them:
// each image through its own colour table or the global one, transparent
// pixels left see-through, and each frame's disposal method applied before
// the next is drawn.
#pragma once

#include <cstdint>
#include <vector>

#include "gif/Document.h"

namespace gif {

class TGIFAnimator {
 public:
  // Pixels are 0xAARRGGBB; alpha is 0 where nothing has been drawn.
  using TPixel = uint32_t;

  // Most pixels a canvas may have: 8192 x 4096, 128 MiB at four bytes a
  // pixel, twice that with "restore to previous".
  static constexpr uint64_t MaxCanvasPixels = uint64_t{1} << 25;

  // Links to doc, which must outlive the animator and keep its frames while it
  // is used; palette edits show up at the next Seek. The canvas covers what
  // the frames cover, clipped to the logical screen: a few bytes of a file can
  // declare a screen of 65535 x 65535 around a small image. Raises
  // GIFException when the canvas would have more than maxPixels pixels.
  explicit TGIFAnimator(const TGIFImage& doc, uint64_t maxPixels = MaxCanvasPixels);

  // Frames that hold an image, in file order.
  int FrameCount() const { return static_cast<int>(images_.size()); }
  // The canvas's place and size on the logical screen.
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // How long frame n stays up, in milliseconds. Delays of 0 and 1 hundredths
  // are shown as 100 ms, as browsers do, so such animations do not spin.
  int DelayMs(int n) const;

  // The screen as it stands once frame n (0-based, clamped) has been drawn.
  void Seek(int n);
  int Current() const { return current_; }
  const std::vector<TPixel>& Canvas() const { return canvas_; }

 private:
  void Clear();
  void Draw(const TGIFSubImage& frame);
  void Dispose(const TGIFSubImage& frame);
  // Whether drawing the frame covers every pixel of the canvas with a colour,
  // and its disposal leaves no need of the canvas before it.
  bool HidesEarlier(const TGIFSubImage& frame) const;
  const TGIFColorMap& ActiveMap(const TGIFSubImage& frame) const;

  const TGIFImage& doc_;
  std::vector<const TGIFSubImage*> images_;
  int left_ = 0;
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
  int current_ = -1;
  std::vector<TPixel> canvas_;
  // The canvas before the current frame, for "restore to previous".
  std::vector<TPixel> previous_;
};

}  // namespace gif
