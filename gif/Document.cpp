#include "gif/Document.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "gif/Format.h"
#include "gif/MessageFormat.h"
#include "gif/Messages.h"
#include "gif/Settings.h"

namespace gif {

// ---- TGIFItem ----------------------------------------------------------------

void TGIFItem::ReportWarning(int severity, const std::string& message) {
  if (image_ != nullptr) image_->ReportWarning(this, severity, message);
}

void TGIFItem::SaveFile(const std::string& fileName) {
  TFileStream stream(fileName, TFileStream::Mode::Create);
  SaveToStream(stream);
}

void TGIFItem::LoadFile(const std::string& fileName) {
  TFileStream stream(fileName, TFileStream::Mode::OpenRead);
  LoadFromStream(stream);
}

// ---- TGIFList ----------------------------------------------------------------

TGIFList::~TGIFList() {
  DeleteAll();
}

void TGIFList::ReportWarning(int severity, const std::string& message) {
  if (image_ != nullptr) image_->ReportWarning(this, severity, message);
}

void TGIFList::SaveToStream(TStream& stream) {
  for (auto& item : items_) item->SaveToStream(stream);
}

void TGIFList::CheckIndex(int index) const {
  if (index < 0 || index >= ItemCount())
    throw EListError(FormatMessage(msg::ListIndexOutOfBounds, {std::to_string(index)}));
}

TGIFItem& TGIFList::ItemAt(int index) const {
  CheckIndex(index);
  return *items_[static_cast<std::size_t>(index)];
}

int TGIFList::Append(std::unique_ptr<TGIFItem> item) {
  // Room for a few from the start: a frame's extensions come in runs of two
  // or three, each of which would otherwise move the list.
  if (items_.capacity() == 0) items_.reserve(4);
  items_.push_back(std::move(item));
  return static_cast<int>(items_.size()) - 1;
}

void TGIFList::DeleteAt(int index) {
  CheckIndex(index);
  const auto at = items_.begin() + index;
  // Out of the list first: a destructor that detaches itself finds nothing.
  std::unique_ptr<TGIFItem> doomed = std::move(*at);
  items_.erase(at);
  doomed.reset();
}

std::unique_ptr<TGIFItem> TGIFList::Detach(const TGIFItem* item) {
  const auto at =
      std::find_if(items_.begin(), items_.end(),
                   [item](const std::unique_ptr<TGIFItem>& p) { return p.get() == item; });
  if (at == items_.end()) return nullptr;
  std::unique_ptr<TGIFItem> detached = std::move(*at);
  items_.erase(at);
  return detached;
}

void TGIFList::DeleteAll() {
  // From the end: the same outcome as deleting item 0 repeatedly, without
  // moving the rest of the list each time. Each item leaves the list before
  // it is destroyed, as in DeleteAt.
  while (!items_.empty()) {
    std::unique_ptr<TGIFItem> doomed = std::move(items_.back());
    items_.pop_back();
  }
}

// ---- TGIFHeader --------------------------------------------------------------

TGIFHeader::TGIFHeader(TGIFImage* image) : TGIFItem(image), colorMap_(this, image) {
  ResetFields();
}

TGIFHeader::~TGIFHeader() = default;

TGIFFormatVersion TGIFHeader::FormatVersion() const {
  return colorMap_.UsageOrdered() || Screen.AspectRatio != 0 ? fv89a : fv87a;
}

void TGIFHeader::Assign(const TPersistent* source) {
  const auto* other = dynamic_cast<const TGIFHeader*>(source);
  if (other == nullptr) {
    TGIFItem::Assign(source);
    return;
  }
  Screen = other->Screen;
  colorMap_.Assign(&other->colorMap_);
}

void TGIFHeader::ResetFields() {
  colorMap_.ResetEntries();
  Screen = TLogicalScreenDescriptor{};
}

void TGIFHeader::UpdatePackedFields() {
  const TGIFImage* image = Image();
  const int colorRes = image != nullptr ? image->ColorRes() : colorMap_.TableBits() - 1;
  int packed = 0;
  if (colorMap_.EntryCount() > 0) {
    packed |= fmt::GlobalTableFlag;
    if (colorMap_.UsageOrdered()) packed |= fmt::GlobalSortFlag;
  }
  packed |= (colorRes << fmt::ColorResolutionShift) & fmt::ColorResolutionMask;
  if (colorMap_.EntryCount() > 0)
    packed |= (colorMap_.TableBits() - 1) & fmt::TableSizeMask;
  else
    packed |= colorRes & fmt::TableSizeMask;  // PixelBits - 1 of the document
  Screen.PackedFields = static_cast<uint8_t>(packed);
}

// ---- TGIFSubImage ------------------------------------------------------------

TGIFSubImage::TGIFSubImage(TGIFImage* image)
    : TGIFItem(image), localMap_(this, image), extensions_(image) {}

// A frame is destroyed only by whoever owns it: its list takes it out of the
// list before destroying it, so there is nothing to detach here.
TGIFSubImage::~TGIFSubImage() {
  ResetFrame();
}

bool TGIFSubImage::IsEmpty() const {
  return !pixels_ || pixelSize_ == 0 || Descriptor.Width == 0 || Descriptor.Height == 0;
}

void TGIFSubImage::AllocatePixels() {
  // Zeroed pages come from the system untouched, which matters for frames of
  // many megapixels; only a block that is not fresh needs zeroing here.
  if (!AllocatePixelsToWrite()) std::memset(pixels_.get(), 0, pixelSize_);
}

bool TGIFSubImage::AllocatePixelsToWrite() {
  FreePixels();
  const std::size_t size = std::size_t{Descriptor.Width} * Descriptor.Height;
  if (size == 0) return true;
  bool zeroed = true;
  pixels_ = AllocateForWriting(size, zeroed);
  if (!pixels_) RaiseGIFError(msg::OutOfMemory);
  pixelSize_ = size;
  return zeroed;
}

void TGIFSubImage::FreePixels() {
  pixels_.reset();
  pixelSize_ = 0;
}

void TGIFSubImage::ResetFrame() {
  extensions_.DeleteAll();
  localMap_.ResetEntries();
  FreePixels();
  Descriptor.Width = 0;
  Descriptor.Height = 0;
  hasTransparency_ = false;
  graphicControl_ = nullptr;
}

TGIFColorMap& TGIFSubImage::ActiveMap() {
  if (localMap_.EntryCount() > 0) return localMap_;
  if (Image() != nullptr && Image()->GlobalMap().EntryCount() > 0) return Image()->GlobalMap();
  return localMap_;
}

void TGIFSubImage::UpdatePackedFields() {
  if (localMap_.EntryCount() > 0) {
    int packed = fmt::LocalTableFlag;
    if (localMap_.UsageOrdered()) packed |= fmt::LocalSortFlag;
    packed |= (localMap_.TableBits() - 1) & fmt::TableSizeMask;
    Descriptor.PackedFields = static_cast<uint8_t>(packed);
  } else {
    // Keeps the interlace and reserved bits; clears table flag, sort and size.
    Descriptor.PackedFields &= fmt::InterlaceFlag | fmt::DescriptorReservedMask;
  }
}

TGIFFormatVersion TGIFSubImage::FormatVersion() const {
  if (localMap_.UsageOrdered()) return fv89a;
  TGIFFormatVersion version = fv87a;
  for (int i = 0; i < extensions_.ItemCount() && version < fv89a; ++i)
    version = std::max(version, extensions_.ItemAt(i).FormatVersion());
  return version;
}

// ---- TGIFImage ---------------------------------------------------------------

TGIFImage::TGIFImage() : frames_(this), header_(this) {
  Compression = LibrarySettings().Compression;
  MaxPixels = LibrarySettings().MaxPixels;
  MemoryBudget = DocumentMemoryBudget();
  ClearAll();
}

// The frames go first, as ClearAll would drop them; the rest of what it
// resets goes with the document.
TGIFImage::~TGIFImage() {
  frames_.DeleteAll();
}

void TGIFImage::ClearAll() {
  frames_.DeleteAll();
  reservedPixels_ = 0;
  header_.ColorMap().ResetEntries();
  header_.Screen.ScreenWidth = 0;
  header_.Screen.ScreenHeight = 0;
  header_.UpdatePackedFields();
}

TGIFFormatVersion TGIFImage::FormatVersion() const {
  TGIFFormatVersion version = fvNone;
  for (int i = 0; i < frames_.Count() && version < fv89a; ++i)
    version = std::max(version, frames_.Frame(i).FormatVersion());
  return version;
}

int TGIFImage::PixelBits() const {
  int bits = header_.ColorMap().TableBits();
  for (int i = 0; i < frames_.Count(); ++i)
    bits = std::max(bits, frames_.Frame(i).LocalMap().TableBits());
  return bits;
}

void TGIFImage::ReportWarning(TPersistent* sender, int severity, const std::string& message) {
  if (WarningHandler) WarningHandler(sender, severity, message);
}

}  // namespace gif
