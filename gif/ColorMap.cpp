#include "gif/ColorMap.h"

#include <algorithm>
#include <cstring>

#include "gif/Messages.h"

namespace gif {

TGIFColorMap::~TGIFColorMap() = default;

TColor TGIFColorMap::ReadEntry(int index) {
  if (index < 0 || index >= count_) {
    // The main window reads at indices computed from the mouse position, so a
    // stray index answers entry 0 rather than failing.
    ReportWarning(1, msg::BadColorIndex);
    if (count_ == 0) RaiseGIFError(msg::EmptyColorTable);
    index = 0;
  }
  return TripleToColor(entries_[static_cast<std::size_t>(index)]);
}

void TGIFColorMap::WriteEntry(int index, TColor color) {
  if (index < 0 || index >= count_) RaiseGIFError(msg::BadColorIndex);
  entries_[static_cast<std::size_t>(index)] = ColorToTriple(color);
  NotifyChanged();
}

int TGIFColorMap::AppendEntry(TColor color) {
  if (count_ >= MaxEntries) RaiseGIFError(msg::ColorTableOverflow);
  if (count_ >= capacity_) ReserveEntries(count_ + 1);
  entries_[static_cast<std::size_t>(count_)] = ColorToTriple(color);
  const int index = count_++;
  usageOrdered_ = false;
  NotifyChanged();
  return index;
}

int TGIFColorMap::FindEntry(TColor color) const {
  const TGIFColor c = ColorToTriple(color);
  auto same = [&](int i) { return entries_[static_cast<std::size_t>(i)] == c; };
  // A usage-ordered map has its most used colours first; otherwise the last
  // match wins.
  if (usageOrdered_) {
    for (int i = 0; i < count_; ++i)
      if (same(i)) return i;
  } else {
    for (int i = count_ - 1; i >= 0; --i)
      if (same(i)) return i;
  }
  return -1;
}

int TGIFColorMap::AppendDistinct(TColor color) {
  const int index = FindEntry(color);
  return index >= 0 ? index : AppendEntry(color);
}

void TGIFColorMap::RemoveEntry(int index) {
  if (index < 0 || index >= count_) RaiseGIFError(msg::BadColorIndex);
  TGIFColor* e = entries_;
  std::memmove(e + index, e + index + 1,
               static_cast<std::size_t>(count_ - index - 1) * sizeof(TGIFColor));
  --count_;
  usageOrdered_ = false;
  NotifyChanged();
}

void TGIFColorMap::ResetEntries() {
  entries_ = nullptr;
  allocated_.reset();
  count_ = 0;
  capacity_ = 0;
  usageOrdered_ = false;
}

void TGIFColorMap::ReserveEntries(int size) {
  if (size < capacity_) return;
  int capacity = size <= 16 ? 16 : (size + 31) / 32 * 32;
  capacity = std::min(capacity, MaxEntries);
  if (capacity == capacity_) return;
  if (fixed_ != nullptr) {
    // The room past the entries may hold an earlier table; it reads as zeros,
    // as new storage does.
    std::memset(fixed_ + count_, 0,
                static_cast<std::size_t>(capacity - count_) * sizeof(TGIFColor));
    entries_ = fixed_;
  } else {
    auto storage = std::make_unique<TGIFColor[]>(static_cast<std::size_t>(capacity));
    if (count_ > 0)
      std::memcpy(storage.get(), entries_, static_cast<std::size_t>(count_) * sizeof(TGIFColor));
    allocated_ = std::move(storage);
    entries_ = allocated_.get();
  }
  capacity_ = capacity;
}

void TGIFColorMap::Assign(const TPersistent* source) {
  const auto* other = dynamic_cast<const TGIFColorMap*>(source);
  if (other == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  ResetEntries();
  // Every capacity is one that ReserveEntries gives, so asking for it gives it.
  if (other->capacity_ > 0) {
    ReserveEntries(other->capacity_);
    std::memcpy(entries_, other->entries_,
                static_cast<std::size_t>(other->count_) * sizeof(TGIFColor));
  }
  count_ = other->count_;
  usageOrdered_ = other->usageOrdered_;
  NotifyChanged();
}

void TGIFColorMap::ReadTable(TStream& stream, int count) {
  ResetEntries();
  count = std::clamp(count, 0, MaxEntries);
  ReserveEntries(count);
  if (count == 0) return;
  ReadExact(stream, entries_, static_cast<std::size_t>(count) * sizeof(TGIFColor));
  count_ = count;
}

void TGIFColorMap::WriteTable(TStream& stream) const {
  if (count_ == 0) return;
  const std::size_t used = static_cast<std::size_t>(count_) * sizeof(TGIFColor);
  const std::size_t total = (std::size_t{1} << TableBits()) * sizeof(TGIFColor);
  // One write for the whole table, padding included.
  uint8_t buffer[MaxEntries * sizeof(TGIFColor)];
  std::memcpy(buffer, entries_, used);
  std::memset(buffer + used, 0, total - used);
  stream.WriteBuffer(buffer, total);
}

void TGIFColorMap::ReportWarning(int severity, const std::string& message) {
  if (warnings_ != nullptr) warnings_->ReportWarning(this, severity, message);
}

}  // namespace gif
