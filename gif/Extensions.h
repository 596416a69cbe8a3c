// Extension blocks (introducer 0x21): the common base, the graphic control,
// plain text and comment kinds, a frame's run of extensions, and the registry
// that maps a label byte to the kind that loads it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gif/Document.h"
#include "gif/Format.h"

namespace gif {

class TGIFExtension;

// A class reference for an extension kind. One static instance per kind; the
// registries and the kind resolution hand out pointers to them.
struct TGIFExtensionKind {
  // Label byte of the blocks this kind loads.
  uint8_t Label;
  // The class name, for diagnostics.
  const char* Name;
  // Called on a kind with the stream just after the label byte: the kind that
  // should load this block, which may be a narrower one, or none when the
  // data ends before it can tell. May read on; the caller restores the position.
  const TGIFExtensionKind* (*ResolveClass)(const TGIFExtensionKind& self, TStream& stream);
  // Creates an extension of this kind for frame, with its initial values.
  std::unique_ptr<TGIFExtension> (*ConstructForFrame)(TGIFSubImage& frame);
};

// Abstract base of every extension block; owned by its frame's extension list.
class TGIFExtension : public TGIFItem {
 public:
  explicit TGIFExtension(TGIFSubImage& frame);
  TGIFSubImage& OwnerFrame() const { return *frame_; }
  TGIFFormatVersion FormatVersion() const override { return fv89a; }
  virtual uint8_t ExtensionLabel() const = 0;

  // The kinds' shared ResolveClass: the block is loaded by the kind it was
  // looked up as; nothing is read.
  static const TGIFExtensionKind* ResolveClass(const TGIFExtensionKind& self, TStream& stream);

  // Writes the introducer and ExtensionLabel; every kind writes its body after.
  void SaveToStream(TStream& stream) override;
  // Reads the introducer and checks the label; every kind reads its body after.
  void LoadFromStream(TStream& stream) override;

 private:
  TGIFSubImage* frame_;
};

// The control record of a graphic control extension, bytes 2..7 of the block
// as it is written: block size 4, the four bytes, the terminator.
struct TGraphicControlRecord {
  uint8_t BlockSize = fmt::GraphicControlBlockSize;
  uint8_t PackedFields = 0;
  uint8_t DelayTime[2] = {0, 0};
  uint8_t TransparentColorIndex = 0;
  uint8_t Terminator = 0;
};
static_assert(sizeof(TGraphicControlRecord) == 6, "the record is written verbatim");

// Graphic control extension (label 0xF9). The first one created for a frame
// becomes the frame's GraphicControl; its transparent colour flag drives the
// frame's HasTransparency.
class TGIFGraphicControlExtension : public TGIFExtension {
 public:
  static const TGIFExtensionKind Kind;
  static std::unique_ptr<TGIFExtension> ConstructForFrame(TGIFSubImage& frame);

  explicit TGIFGraphicControlExtension(TGIFSubImage& frame);
  ~TGIFGraphicControlExtension() override;
  const char* ClassName() const override { return "TGIFGraphicControlExtension"; }
  uint8_t ExtensionLabel() const override { return Kind.Label; }

  const TGraphicControlRecord& Record() const { return record_; }

  bool TransparentColorFlag() const {
    return (record_.PackedFields & fmt::TransparentColorFlag) != 0;
  }
  // Also sets the owner frame's HasTransparency to value.
  void SetTransparentColorFlag(bool value);
  bool UserInputFlag() const { return (record_.PackedFields & fmt::UserInputFlag) != 0; }
  uint8_t DisposalMethod() const {
    return (record_.PackedFields & fmt::DisposalMask) >> fmt::DisposalShift;
  }
  // Stores value & 7; the other packed bits stay.
  void SetDisposalMethod(uint8_t value);
  uint16_t DelayTime() const { return GetU16(record_.DelayTime); }
  void SetDelayTime(uint16_t value) { PutU16(record_.DelayTime, value); }
  uint8_t TransparentColorIndex() const { return record_.TransparentColorIndex; }
  // An index outside a non-empty active colour map is reported and stored as 0.
  void SetTransparentColorIndex(uint8_t value);

  void SaveToStream(TStream& stream) override;
  void LoadFromStream(TStream& stream) override;

 private:
  TGraphicControlRecord record_;
};

// The text grid record of a plain text extension, bytes 2..14 of the block.
struct TPlainTextRecord {
  uint8_t BlockSize = fmt::PlainTextBlockSize;
  uint8_t Left[2] = {0, 0};
  uint8_t Top[2] = {0, 0};
  uint8_t Width[2] = {0, 0};
  uint8_t Height[2] = {0, 0};
  uint8_t CellWidth = 0;
  uint8_t CellHeight = 0;
  uint8_t ForegroundColorIndex = 0;
  uint8_t BackgroundColorIndex = 0;
};
static_assert(sizeof(TPlainTextRecord) == 13, "the record is read and written verbatim");

// Plain text extension (label 0x01): the text grid record and the text, one
// line per data sub-block.
class TGIFTextExtension : public TGIFExtension {
 public:
  static const TGIFExtensionKind Kind;
  static std::unique_ptr<TGIFExtension> ConstructForFrame(TGIFSubImage& frame);

  using TGIFExtension::TGIFExtension;
  const char* ClassName() const override { return "TGIFTextExtension"; }
  uint8_t ExtensionLabel() const override { return Kind.Label; }

  TPlainTextRecord TextGrid;
  // Byte strings, no character conversion.
  std::vector<std::string> Lines;

  void SaveToStream(TStream& stream) override;
  void LoadFromStream(TStream& stream) override;
};

// Comment extension (label 0xFE): one line per data sub-block.
class TGIFCommentExtension : public TGIFExtension {
 public:
  static const TGIFExtensionKind Kind;
  static std::unique_ptr<TGIFExtension> ConstructForFrame(TGIFSubImage& frame);

  using TGIFExtension::TGIFExtension;
  const char* ClassName() const override { return "TGIFCommentExtension"; }
  uint8_t ExtensionLabel() const override { return Kind.Label; }

  // Byte strings, no character conversion.
  std::vector<std::string> Lines;

  void SaveToStream(TStream& stream) override;
  void LoadFromStream(TStream& stream) override;
};

inline TGIFExtension& TGIFExtensionList::Extension(int index) const {
  return static_cast<TGIFExtension&>(ItemAt(index));
}

// A process-wide table of (kind, key) entries. Lookup runs from the last entry
// to the first, so a kind registered later for the same key takes precedence.
template <typename Key>
class TKindRegistry {
 public:
  void RegisterKind(const TGIFExtensionKind& kind, const Key& key) {
    entries_.push_back(Entry{&kind, key});
  }
  const TGIFExtensionKind* FindKind(const Key& key) const {
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
      if (it->key == key) return it->kind;
    return nullptr;
  }
  int Count() const { return static_cast<int>(entries_.size()); }

 private:
  struct Entry {
    const TGIFExtensionKind* kind;
    Key key;
  };
  std::vector<Entry> entries_;
};

// Label byte -> extension kind.
using TExtensionList = TKindRegistry<uint8_t>;

// Reads the two header bytes, checks the introducer and returns the label.
uint8_t ReadIntroducer(TStream& stream);

// The text sub-block codec of comment and plain text extensions: each line is
// cut into sub-blocks of at most 255 bytes, and the run ends with a zero byte.
void WriteTextBlocks(TStream& stream, const std::vector<std::string>& lines);
// Each sub-block becomes one line, cut at its first zero byte.
void ReadTextBlocks(TStream& stream, std::vector<std::string>& lines);

}  // namespace gif
