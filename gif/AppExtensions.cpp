#include "gif/AppExtensions.h"

#include <algorithm>

#include "gif/ExtensionRegistry.h"
#include "gif/Format.h"
#include "gif/Messages.h"
#include "gif/Settings.h"
#include "gif/SubBlocks.h"

namespace gif {

namespace {

// Sub-block ids of the looping extension; only the low three bits count.
constexpr uint8_t kLoopSubBlock = 1;
constexpr uint8_t kBufferSubBlock = 2;

std::unique_ptr<TAppExtensionList> identRegistry;

// Steps over count bytes by reading them, so that a count reaching beyond the
// data raises "Premature end of data" instead of seeking outside the stream.
void SkipExact(TStream& stream, uint8_t count) {
  uint8_t scratch[255];
  ReadExact(stream, scratch, count);
}

}  // namespace

TGIFAppIdentifier MakeAppIdentifier(std::string_view text) {
  TGIFAppIdentifier identifier{};
  std::copy_n(text.begin(), std::min(text.size(), identifier.size()), identifier.begin());
  return identifier;
}

// ---- TGIFBlock ---------------------------------------------------------------

void TGIFBlock::LoadFromStream(TStream& stream) {
  ReadExact(stream, data_.data(), data_.size());
}

void TGIFBlock::SaveToStream(TStream& stream) const {
  PutByte(stream, Length());
  stream.WriteBuffer(data_.data(), data_.size());
}

// ---- TGIFApplicationExtension ------------------------------------------------

// A block that no resolution step can refine (a size of 12 or more) stays with
// this abstract kind; it is loaded as raw sub-blocks, which keeps its data.
const TGIFExtensionKind TGIFApplicationExtension::Kind{
    fmt::ApplicationLabel, "TGIFApplicationExtension", &TGIFApplicationExtension::ResolveClass,
    &TGIFUnknownAppExtension::ConstructForFrame};

const TGIFExtensionKind* TGIFApplicationExtension::ResolveClass(const TGIFExtensionKind& self,
                                                                TStream& stream) {
  const int64_t start = stream.Position();
  uint8_t size = 0;
  if (!stream.ReadByte(size)) return nullptr;
  TGIFAppIdentifier identifier{};
  if (size == fmt::ShortAppIdentifierSize) {
    if (stream.ReadSome(identifier.data(), size) != size) return nullptr;
    return &TGIFUnknownAppExtension::Kind;
  }
  if (size == fmt::AppIdentifierSize && stream.ReadSome(identifier.data(), size) == size) {
    const TGIFExtensionKind* kind = IdentRegistry().FindKind(identifier);
    return kind != nullptr ? kind : &TGIFUnknownAppExtension::Kind;
  }
  // Nothing to refine by: the stream is left as found, as the base kinds do.
  stream.SetPosition(start);
  return &self;
}

void TGIFApplicationExtension::SaveToStream(TStream& stream) {
  TGIFExtension::SaveToStream(stream);
  PutByte(stream, static_cast<uint8_t>(Identifier.size()));
  stream.WriteBuffer(Identifier.data(), Identifier.size());
  WritePayload(stream);
}

void TGIFApplicationExtension::LoadFromStream(TStream& stream) {
  TGIFExtension::LoadFromStream(stream);
  uint8_t size = 0;
  ReadExact(stream, &size, 1);
  if (size < fmt::ShortAppIdentifierSize) RaiseGIFError(msg::BadAppExtensionSize);
  if (size == fmt::ShortAppIdentifierSize) {
    // The block holds only part of the authentication code; the missing byte
    // is 0, and the extension is written back with a full 11-byte block.
    ReadExact(stream, Identifier.data(), size);
    Identifier[size] = 0;
  } else {
    ReadExact(stream, Identifier.data(), Identifier.size());
    SkipExact(stream, static_cast<uint8_t>(size - Identifier.size()));
  }
  ReadPayload(stream);
  if (size > Identifier.size() && !ReadsBackAsWritten()) RaiseGIFError(msg::BadAppExtensionSize);
}

// A block larger than 11 bytes is held raw, whatever its identifier says, but
// written with size 11. Then its identifier, or a data sub-block of 10 or 11
// bytes, can pick another kind on the next load, which may read the data
// differently or refuse it: a NETSCAPE2.0 block with a short loop sub-block
// would be saved as a file the library cannot open. Such a block is kept only
// when its written form loads back to the same bytes.
bool TGIFApplicationExtension::ReadsBackAsWritten() {
  TMemoryStream written;
  SaveToStream(written);
  written.SetPosition(1);
  const TGIFExtensionKind* kind = PeekExtensionKind(written);
  if (kind == nullptr) return false;
  written.SetPosition(0);
  TMemoryStream rewritten;
  try {
    std::unique_ptr<TGIFExtension> reloaded = kind->ConstructForFrame(OwnerFrame());
    reloaded->LoadFromStream(written);
    reloaded->SaveToStream(rewritten);
  } catch (const GIFException&) {
    return false;
  }
  return rewritten.Bytes() == written.Bytes();
}

// ---- TGIFUnknownAppExtension -------------------------------------------------

const TGIFExtensionKind TGIFUnknownAppExtension::Kind{
    fmt::ApplicationLabel, "TGIFUnknownAppExtension", &TGIFApplicationExtension::ResolveClass,
    &TGIFUnknownAppExtension::ConstructForFrame};

std::unique_ptr<TGIFExtension> TGIFUnknownAppExtension::ConstructForFrame(TGIFSubImage& frame) {
  return std::make_unique<TGIFUnknownAppExtension>(frame);
}

void TGIFUnknownAppExtension::WritePayload(TStream& stream) {
  TGIFWriter writer(stream);
  for (const TGIFBlock& block : RawBlocks) writer.WriteSubBlock(block.Data(), block.Length());
  writer.WriteTerminator();
}

void TGIFUnknownAppExtension::ReadPayload(TStream& stream) {
  RawBlocks.clear();
  RawBlocks.reserve(TSubBlockReader::CountAhead(stream));
  TSubBlockReader chain(stream);
  uint8_t spare[TSubBlockReader::MaxLength];
  const uint8_t* bytes = nullptr;
  // A chain that ends with the data instead of a zero byte keeps its blocks.
  while (const std::size_t length = chain.Next(bytes, spare))
    RawBlocks.emplace_back(bytes, static_cast<uint8_t>(length));
}

// ---- TGIFAppExtNSLoop --------------------------------------------------------

const TGIFExtensionKind TGIFAppExtNSLoop::Kind{fmt::ApplicationLabel, "TGIFAppExtNSLoop",
                                               &TGIFApplicationExtension::ResolveClass,
                                               &TGIFAppExtNSLoop::ConstructForFrame};

std::unique_ptr<TGIFExtension> TGIFAppExtNSLoop::ConstructForFrame(TGIFSubImage& frame) {
  return std::make_unique<TGIFAppExtNSLoop>(frame);
}

TGIFAppExtNSLoop::TGIFAppExtNSLoop(TGIFSubImage& frame) : TGIFApplicationExtension(frame) {
  Identifier = MakeAppIdentifier("NETSCAPE2.0");
}

void TGIFAppExtNSLoop::WritePayload(TStream& stream) {
  TGIFWriter writer(stream);
  const uint8_t loop[] = {kLoopSubBlock, static_cast<uint8_t>(LoopCount),
                          static_cast<uint8_t>(LoopCount >> 8)};
  writer.WriteSubBlock(loop, sizeof loop);
  if (BufferLength != 0) {
    const uint8_t buffer[] = {kBufferSubBlock, static_cast<uint8_t>(BufferLength),
                              static_cast<uint8_t>(BufferLength >> 8),
                              static_cast<uint8_t>(BufferLength >> 16),
                              static_cast<uint8_t>(BufferLength >> 24)};
    writer.WriteSubBlock(buffer, sizeof buffer);
  }
  writer.WriteTerminator();
}

// Like the raw and text sub-block readers, the chain stops where the data
// ends in place of a length byte, keeping the values read so far; data that
// ends inside a sub-block is "Premature end of data".
void TGIFAppExtNSLoop::ReadPayload(TStream& stream) {
  TSubBlockReader chain(stream);
  // The values are read field by field, so that a sub-block too short for its
  // value is refused as such before the data is looked at.
  while (auto left = static_cast<uint8_t>(chain.NextLength())) {
    uint8_t id = 0;
    ReadExact(stream, &id, 1);
    --left;
    uint8_t value[4];
    switch (id & 7) {
      case kLoopSubBlock:
        if (left < 2) RaiseGIFError(msg::InvalidData);
        ReadExact(stream, value, 2);
        LoopCount = GetU16(value);
        left -= 2;
        break;
      case kBufferSubBlock:
        if (left < 4) RaiseGIFError(msg::InvalidData);
        ReadExact(stream, value, 4);
        BufferLength = uint32_t{GetU16(value)} | uint32_t{GetU16(value + 2)} << 16;
        left -= 4;
        break;
      default:
        break;
    }
    SkipExact(stream, left);
  }
}

// ---- The identifier registry -------------------------------------------------

TAppExtensionList& IdentRegistry() {
  if (!identRegistry) {
    auto registry = std::make_unique<TAppExtensionList>();
    registry->RegisterKind(TGIFAppExtNSLoop::Kind, MakeAppIdentifier("NETSCAPE2.0"));
    registry->RegisterKind(TGIFAppExtNSLoop::Kind, MakeAppIdentifier("ANIMEXTS1.0"));
    identRegistry = std::move(registry);
    FreeAtShutdown(&FreeIdentRegistry);
  }
  return *identRegistry;
}

void FreeIdentRegistry() {
  identRegistry.reset();
}

}  // namespace gif
