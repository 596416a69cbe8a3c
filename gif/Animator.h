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

  // Links to doc, which must outlive the animator and keep its frames while it
  // is used; palette edits show up at the next Seek. Raises GIFException when
  // the screen holds more pixels than the document's MaxPixels.
  explicit TGIFAnimator(const TGIFImage& doc);

  // Frames that hold an image, in file order.
  int FrameCount() const { return static_cast<int>(images_.size()); }
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

  const TGIFImage& doc_;
  std::vector<const TGIFSubImage*> images_;
  int width_ = 0;
  int height_ = 0;
  int current_ = -1;
  std::vector<TPixel> canvas_;
  // The canvas before the current frame, for "restore to previous".
  std::vector<TPixel> previous_;
};

}  // namespace gif
