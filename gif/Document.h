// The in-memory GIF document: header with the global colour map, the frames
// with their descriptors, local maps, extensions and decoded pixels, and the
// item and list bases they share.
#pragma once

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gif/Basics.h"
#include "gif/ColorMap.h"
#include "gif/Format.h"
#include "gif/PixelBlocks.h"

namespace gif {

class TGIFImage;
class TGIFExtension;
class TGIFGraphicControlExtension;
class TGIFSubImage;

// Any element of a document; knows the document it belongs to.
class TGIFItem : public TPersistent {
 public:
  explicit TGIFItem(TGIFImage* image) : image_(image) {}

  TGIFImage* Image() const { return image_; }
  // The lowest GIF version able to hold this item.
  virtual TGIFFormatVersion FormatVersion() const { return fv87a; }
  virtual void ReportWarning(int severity, const std::string& message);
  virtual void SaveToStream(TStream& stream) = 0;
  virtual void LoadFromStream(TStream& stream) = 0;
  virtual void SaveFile(const std::string& fileName);
  virtual void LoadFile(const std::string& fileName);

 private:
  TGIFImage* image_;
};

// An ordered list of owned items, linked to the document it belongs to.
class TGIFList : public TPersistent {
 public:
  explicit TGIFList(TGIFImage* image) : image_(image) {}
  ~TGIFList() override;

  TGIFImage* Image() const { return image_; }
  virtual void ReportWarning(int severity, const std::string& message);
  // Writes every item, first to last.
  virtual void SaveToStream(TStream& stream);

  int ItemCount() const { return static_cast<int>(items_.size()); }
  // Both raise EListError for an index outside 0..ItemCount() - 1.
  TGIFItem& ItemAt(int index) const;
  int Append(std::unique_ptr<TGIFItem> item);
  // Removes the item from the list, then destroys it.
  void DeleteAt(int index);
  // Removes the item without destroying it; null when it is not in the list.
  std::unique_ptr<TGIFItem> Detach(const TGIFItem* item);
  void DeleteAll();

 private:
  void CheckIndex(int index) const;

  TGIFImage* image_;
  std::vector<std::unique_ptr<TGIFItem>> items_;
};

// A frame's extension blocks in file order. The extensions themselves are in
// gif/Extensions.h, which also defines Extension.
class TGIFExtensionList : public TGIFList {
 public:
  using TGIFList::TGIFList;
  const char* ClassName() const override { return "TGIFExtensionList"; }
  TGIFExtension& Extension(int index) const;
  // Reads the run of extensions at the stream position on behalf of frame and
  // leaves the stream at the byte that ended it (image separator, trailer or
  // an unexpected byte), or at the end of the data.
  void LoadFromStream(TStream& stream, TGIFSubImage& frame);
};

// The logical screen descriptor in file order.
struct TLogicalScreenDescriptor {
  uint16_t ScreenWidth = 0;
  uint16_t ScreenHeight = 0;
  uint8_t PackedFields = 0;
  uint8_t BackgroundColorIndex = 0;
  uint8_t AspectRatio = 0;
};

class TGIFHeader : public TGIFItem {
 public:
  explicit TGIFHeader(TGIFImage* image);
  ~TGIFHeader() override;
  const char* ClassName() const override { return "TGIFHeader"; }

  TLogicalScreenDescriptor Screen;

  TGIFGlobalColorMap& ColorMap() { return colorMap_; }
  const TGIFGlobalColorMap& ColorMap() const { return colorMap_; }

  TGIFFormatVersion FormatVersion() const override;
  void Assign(const TPersistent* source) override;
  // Empties the global map and zeroes the whole logical screen record.
  void ResetFields();
  // Recomputes the packed byte from the document's colour maps.
  void UpdatePackedFields();

  void SaveToStream(TStream& stream) override;
  void LoadFromStream(TStream& stream) override;

 private:
  TGIFGlobalColorMap colorMap_;
};

// The image descriptor in file order.
struct TImageDescriptor {
  uint8_t Separator = fmt::ImageSeparator;
  uint16_t Left = 0;
  uint16_t Top = 0;
  uint16_t Width = 0;
  uint16_t Height = 0;
  uint8_t PackedFields = 0;
};

// One frame: descriptor, local colour map, extensions and pixels (one colour
// index per byte, rows top to bottom in display order).
class TGIFSubImage : public TGIFItem {
 public:
  explicit TGIFSubImage(TGIFImage* image);
  ~TGIFSubImage() override;
  const char* ClassName() const override { return "TGIFSubImage"; }

  TImageDescriptor Descriptor;

  uint8_t* PixelData() { return pixels_.get(); }
  const uint8_t* PixelData() const { return pixels_.get(); }
  std::size_t PixelDataSize() const { return pixelSize_; }
  TGIFLocalColorMap& LocalMap() { return localMap_; }
  const TGIFLocalColorMap& LocalMap() const { return localMap_; }
  TGIFExtensionList& Extensions() { return extensions_; }
  const TGIFExtensionList& Extensions() const { return extensions_; }

  bool HasTransparency() const { return hasTransparency_; }
  void SetHasTransparency(bool value) { hasTransparency_ = value; }
  // The first graphic control extension created for this frame, if any.
  TGIFGraphicControlExtension* GraphicControl() const { return graphicControl_; }
  void SetGraphicControl(TGIFGraphicControlExtension* extension) { graphicControl_ = extension; }

  bool IsInterlaced() const { return (Descriptor.PackedFields & fmt::InterlaceFlag) != 0; }
  bool IsEmpty() const;
  // Frees any buffer, then allocates Width x Height zero bytes (none for 0).
  void AllocatePixels();
  // AllocatePixels for a caller that writes every byte itself, as the decoder
  // does: false when the bytes are not zeros but left from an earlier frame.
  bool AllocatePixelsToWrite();
  void FreePixels();
  // Empties the frame: extensions, local map, pixels, size, transparency links.
  void ResetFrame();
  // The local map when it has entries, else the global one when it has entries,
  // else the (empty) local map.
  TGIFColorMap& ActiveMap();
  void UpdatePackedFields();

  TGIFFormatVersion FormatVersion() const override;
  void SaveToStream(TStream& stream) override;
  void LoadFromStream(TStream& stream) override;

 private:
  TPixelBlock pixels_;
  std::size_t pixelSize_ = 0;
  // Parts of the frame rather than allocations of their own: a document of
  // a few pixels is made of little else.
  TGIFLocalColorMap localMap_;
  TGIFExtensionList extensions_;
  bool hasTransparency_ = false;
  TGIFGraphicControlExtension* graphicControl_ = nullptr;
};

// The end-of-file marker; lives only while a load or save runs.
class TGIFTrailer : public TGIFItem {
 public:
  using TGIFItem::TGIFItem;
  const char* ClassName() const override { return "TGIFTrailer"; }
  void SaveToStream(TStream& stream) override;
  void LoadFromStream(TStream& stream) override;
};

// The document's frames.
class TGIFImageList : public TGIFList {
 public:
  using TGIFList::TGIFList;
  const char* ClassName() const override { return "TGIFImageList"; }
  TGIFSubImage& Frame(int index) const { return static_cast<TGIFSubImage&>(ItemAt(index)); }
  int Count() const { return ItemCount(); }
  // Reads every block up to the trailer on behalf of parent.
  void LoadFromStream(TStream& stream, TGIFImage& parent);
  void SaveToStream(TStream& stream) override;
};

using TGIFWarning =
    std::function<void(TPersistent* sender, int severity, const std::string& message)>;

// The GIF document; the sink of every warning its parts report.
class TGIFImage : public TGraphic, public TGIFWarningSink {
 public:
  TGIFImage();
  ~TGIFImage() override;
  const char* ClassName() const override { return "TGIFImage"; }

  TGIFHeader& Header() { return header_; }
  const TGIFHeader& Header() const { return header_; }
  TGIFImageList& Frames() { return frames_; }
  const TGIFImageList& Frames() const { return frames_; }
  TGIFGlobalColorMap& GlobalMap() { return header_.ColorMap(); }
  const TGIFGlobalColorMap& GlobalMap() const { return header_.ColorMap(); }

  TGIFFormatVersion FormatVersion() const;
  int ScreenWidth() const { return header_.Screen.ScreenWidth; }
  int ScreenHeight() const { return header_.Screen.ScreenHeight; }
  int PixelBits() const;
  int ColorRes() const { return PixelBits() - 1; }
  uint8_t BackgroundIndex() const { return header_.Screen.BackgroundColorIndex; }
  bool IsEmpty() const override { return frames_.ItemCount() == 0; }

  // Drops every frame, empties the global map and zeroes the screen size; the
  // background index and aspect byte stay.
  void ClearAll();

  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;
  // Reads the whole file into memory and loads from there.
  void LoadFile(const std::string& fileName) override;
  // Encodes the document in memory, then replaces fileName's content through
  // WriteFileSafely: a failed save leaves the file as it was.
  void SaveFile(const std::string& fileName) override;

  // 0 selects the LZW encoder, 1 the run-length encoder; copied from the
  // library settings when the document is created.
  int Compression = 0;
  // Most pixels one frame may hold; copied from the library settings when
  // the document is created.
  uint64_t MaxPixels = 0;
  // Bytes the frames' pixels may take together; DocumentMemoryBudget() when
  // the document is created.
  uint64_t MemoryBudget = 0;
  // Before the reader allocates a frame of width x height pixels: raises when
  // the frame alone passes MaxPixels, or when the frames read since the
  // document was last cleared would take more than MemoryBudget with it.
  // The frame counts in full until SettlePixels.
  void ReservePixels(int width, int height);
  // Once the frame's pixels are decoded: of the reserved bytes only `used`
  // were written. The rest are zeros the system hands out only when they are
  // touched, and no longer count.
  void SettlePixels(uint64_t reserved, uint64_t used);
  // Optional subscriber for non-fatal warnings.
  TGIFWarning WarningHandler;
  void ReportWarning(TPersistent* sender, int severity, const std::string& message) override;

  // Reports progress through the document's subscriber, if there is one; the
  // text becomes a string only then.
  void NotifyProgress(TPersistent* sender, TProgressStage stage, int percentDone, bool redrawNow,
                      const char* message) {
    if (OnProgress) Progress(sender, stage, percentDone, redrawNow, TRect{}, message);
  }

 private:
  // Parts of the document rather than allocations of their own.
  TGIFImageList frames_;
  TGIFHeader header_;
  uint64_t reservedPixels_ = 0;  // bytes of pixels counted against MemoryBudget
};

}  // namespace gif
