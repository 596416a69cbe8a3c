// Extension blocks (introducer 0x21) and a frame's run of them.
#pragma once

#include "gif/Document.h"

namespace gif {

// Abstract base of every extension block; owned by its frame's extension list.
class TGIFExtension : public TGIFItem {
 public:
  explicit TGIFExtension(TGIFSubImage& frame);
  TGIFSubImage& OwnerFrame() const { return *frame_; }
  TGIFFormatVersion FormatVersion() const override { return fv89a; }
  virtual uint8_t ExtensionLabel() const = 0;

 private:
  TGIFSubImage* frame_;
};

// A frame's extension blocks in file order.
class TGIFExtensionList : public TGIFList {
 public:
  using TGIFList::TGIFList;
  const char* ClassName() const override { return "TGIFExtensionList"; }
  TGIFExtension& Extension(int index) const { return static_cast<TGIFExtension&>(ItemAt(index)); }
  // Reads the run of extensions at the stream position on behalf of frame.
  void LoadFromStream(TStream& stream, TGIFSubImage& frame);
};

}  // namespace gif
