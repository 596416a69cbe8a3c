// Colour maps: the global colour table of a document and the local table of a
// frame, with the growth rules and the byte format of GIF colour tables.
#pragma once

#include <memory>

#include "gif/Basics.h"

namespace gif {

class TGIFHeader;
class TGIFSubImage;

class TGIFColorMap : public TPersistent {
 public:
  static constexpr int MaxEntries = 256;

  ~TGIFColorMap() override;

  static TGIFColor ColorToTriple(TColor color) {
    return TGIFColor{static_cast<uint8_t>(color), static_cast<uint8_t>(color >> 8),
                     static_cast<uint8_t>(color >> 16)};
  }
  static TColor TripleToColor(TGIFColor c) {
    return static_cast<TColor>(c.Red) | (static_cast<TColor>(c.Green) << 8) |
           (static_cast<TColor>(c.Blue) << 16);
  }

  int EntryCount() const { return count_; }
  int Capacity() const { return capacity_; }
  int TableBits() const { return BitsForColorCount(count_); }
  bool UsageOrdered() const { return usageOrdered_; }

  // Out-of-range reads warn and answer entry 0; an empty map raises.
  TColor ReadEntry(int index);
  void WriteEntry(int index, TColor color);
  int AppendEntry(TColor color);
  int FindEntry(TColor color) const;
  int AppendDistinct(TColor color);
  void RemoveEntry(int index);
  void ResetEntries();
  void ReserveEntries(int size);
  // The triples in use, for code that walks a whole table.
  const TGIFColor* Data() const { return entries_; }

  void Assign(const TPersistent* source) override;
  void CopyFrom(const TPersistent* source) { Assign(source); }

  // count entries of three bytes; the map stays empty when the stream ends early.
  void ReadTable(TStream& stream, int count);
  // The entries, padded with zero triples to a power of two (at least 2).
  void WriteTable(TStream& stream) const;

  // Passes the warning to the sink the map was made with, if any.
  virtual void ReportWarning(int severity, const std::string& message);
  virtual void NotifyChanged() = 0;

 protected:
  // fixed: room for MaxEntries colours that the map keeps its entries in
  // instead of allocating, or null. Capacity() counts as it would otherwise.
  explicit TGIFColorMap(TGIFWarningSink* warnings, TGIFColor* fixed = nullptr)
      : warnings_(warnings), fixed_(fixed) {}

 private:
  TGIFColor* entries_ = nullptr;  // fixed_ or allocated_, once there is room
  std::unique_ptr<TGIFColor[]> allocated_;
  int count_ = 0;
  int capacity_ = 0;
  bool usageOrdered_ = false;
  TGIFWarningSink* warnings_;
  TGIFColor* fixed_;
};

class TGIFGlobalColorMap : public TGIFColorMap {
 public:
  explicit TGIFGlobalColorMap(TGIFHeader* owner, TGIFWarningSink* warnings = nullptr)
      : TGIFColorMap(warnings, fixed_), owner_(owner) {}
  const char* ClassName() const override { return "TGIFGlobalColorMap"; }
  TGIFHeader* OwnerHeader() const { return owner_; }
  void NotifyChanged() override {}

 private:
  TGIFHeader* owner_;
  // A document has one global map, and most have entries in it: their room
  // is part of the map rather than an allocation at every load.
  TGIFColor fixed_[MaxEntries];
};

class TGIFLocalColorMap : public TGIFColorMap {
 public:
  explicit TGIFLocalColorMap(TGIFSubImage* owner, TGIFWarningSink* warnings = nullptr)
      : TGIFColorMap(warnings), owner_(owner) {}
  const char* ClassName() const override { return "TGIFLocalColorMap"; }
  TGIFSubImage* OwnerFrame() const { return owner_; }
  void NotifyChanged() override {}

 private:
  TGIFSubImage* owner_;
};

}  // namespace gif
