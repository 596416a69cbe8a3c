// Application extensions (label 0xFF): an 11-byte identifier and a chain of
// data sub-blocks. The looping extension is understood; every other one is
// kept as its raw sub-blocks.
#pragma once

#include <array>
#include <memory>
#include <string_view>
#include <vector>

#include "gif/Extensions.h"
#include "gif/Format.h"

namespace gif {

// Eight bytes of application identifier, then three of authentication code.
using TGIFAppIdentifier = std::array<uint8_t, fmt::AppIdentifierSize>;

// The identifier spelled by an 11-character text.
TGIFAppIdentifier MakeAppIdentifier(std::string_view text);

// One data sub-block: a length of 0..255 and exactly that many bytes.
class TGIFBlock {
 public:
  // The bytes start out zero.
  explicit TGIFBlock(uint8_t length) : data_(UnboundedCount(length)) {}
  // A copy of length bytes.
  TGIFBlock(const uint8_t* bytes, uint8_t length) : data_(bytes, bytes + length) {}

  uint8_t Length() const { return static_cast<uint8_t>(data_.size()); }
  uint8_t* Data() { return data_.data(); }
  const uint8_t* Data() const { return data_.data(); }

  // Fills the bytes; raises "Premature end of data" when fewer arrive.
  void LoadFromStream(TStream& stream);
  // The length byte, then the bytes.
  void SaveToStream(TStream& stream) const;

 private:
  std::vector<uint8_t> data_;
};

// Base of the application extension kinds: the identifier and the block
// header; the data sub-blocks are the subclass's payload.
class TGIFApplicationExtension : public TGIFExtension {
 public:
  static const TGIFExtensionKind Kind;

  using TGIFExtension::TGIFExtension;
  uint8_t ExtensionLabel() const override { return Kind.Label; }

  // Refines the kind by the block size and the identifier that follow the
  // label; shared unchanged by every application kind.
  static const TGIFExtensionKind* ResolveClass(const TGIFExtensionKind& self, TStream& stream);

  TGIFAppIdentifier Identifier{};

  // The block is always written with size 11; bytes of a larger block beyond
  // the identifier are not kept.
  void SaveToStream(TStream& stream) override;
  void LoadFromStream(TStream& stream) override;

 protected:
  // The data sub-blocks and the terminator.
  virtual void WritePayload(TStream& stream) = 0;
  virtual void ReadPayload(TStream& stream) = 0;

 private:
  bool ReadsBackAsWritten();
};

// An application extension held as its raw data sub-blocks, written back byte
// for byte.
class TGIFUnknownAppExtension : public TGIFApplicationExtension {
 public:
  static const TGIFExtensionKind Kind;
  static std::unique_ptr<TGIFExtension> ConstructForFrame(TGIFSubImage& frame);

  using TGIFApplicationExtension::TGIFApplicationExtension;
  const char* ClassName() const override { return "TGIFUnknownAppExtension"; }

  std::vector<TGIFBlock> RawBlocks;

 protected:
  void WritePayload(TStream& stream) override;
  void ReadPayload(TStream& stream) override;
};

// The looping extension ("NETSCAPE2.0", also known as "ANIMEXTS1.0").
class TGIFAppExtNSLoop : public TGIFApplicationExtension {
 public:
  static const TGIFExtensionKind Kind;
  static std::unique_ptr<TGIFExtension> ConstructForFrame(TGIFSubImage& frame);

  explicit TGIFAppExtNSLoop(TGIFSubImage& frame);
  const char* ClassName() const override { return "TGIFAppExtNSLoop"; }

  uint16_t LoopCount = 0;
  // Written only when not zero.
  uint32_t BufferLength = 0;

 protected:
  void WritePayload(TStream& stream) override;
  void ReadPayload(TStream& stream) override;
};

// Application identifier -> extension kind, compared byte for byte.
using TAppExtensionList = TKindRegistry<TGIFAppIdentifier>;

// The identifier registry, created with its fixed entries on first use.
TAppExtensionList& IdentRegistry();
// Frees the identifier registry; the next use creates it afresh.
void FreeIdentRegistry();

}  // namespace gif
