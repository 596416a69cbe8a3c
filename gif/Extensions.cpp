#include "gif/Extensions.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "gif/AppExtensions.h"
#include "gif/Messages.h"
#include "gif/SubBlocks.h"

namespace gif {

namespace {

constexpr uint8_t kExtensionIntroducer = 0x21;
constexpr uint8_t kImageSeparator = 0x2C;
constexpr uint8_t kTrailer = 0x3B;
constexpr int kWarning = 1;

std::unique_ptr<TExtensionList> labelRegistry;

}  // namespace

// ---- TGIFExtension -----------------------------------------------------------

TGIFExtension::TGIFExtension(TGIFSubImage& frame) : TGIFItem(frame.Image()), frame_(&frame) {}

const TGIFExtensionKind* TGIFExtension::ResolveClass(const TGIFExtensionKind& self, TStream&) {
  return &self;
}

void TGIFExtension::SaveToStream(TStream& stream) {
  PutByte(stream, kExtensionIntroducer);
  PutByte(stream, ExtensionLabel());
}

void TGIFExtension::LoadFromStream(TStream& stream) {
  if (ReadIntroducer(stream) != ExtensionLabel()) RaiseGIFError(msg::ExtensionLabelMismatch);
}

// ---- TGIFGraphicControlExtension ---------------------------------------------

const TGIFExtensionKind TGIFGraphicControlExtension::Kind{
    0xF9, "TGIFGraphicControlExtension", &TGIFExtension::ResolveClass,
    &TGIFGraphicControlExtension::ConstructForFrame};

std::unique_ptr<TGIFExtension> TGIFGraphicControlExtension::ConstructForFrame(TGIFSubImage& frame) {
  return std::make_unique<TGIFGraphicControlExtension>(frame);
}

TGIFGraphicControlExtension::TGIFGraphicControlExtension(TGIFSubImage& frame)
    : TGIFExtension(frame) {
  if (frame.GraphicControl() == nullptr) frame.SetGraphicControl(this);
}

TGIFGraphicControlExtension::~TGIFGraphicControlExtension() {
  TGIFSubImage& frame = OwnerFrame();
  if (TransparentColorFlag()) frame.SetHasTransparency(false);
  if (frame.GraphicControl() == this) frame.SetGraphicControl(nullptr);
}

void TGIFGraphicControlExtension::SetTransparentColorFlag(bool value) {
  if (value)
    record_.PackedFields |= 0x01;
  else
    record_.PackedFields &= static_cast<uint8_t>(~0x01);
  OwnerFrame().SetHasTransparency(value);
}

void TGIFGraphicControlExtension::SetDisposalMethod(uint8_t value) {
  record_.PackedFields = static_cast<uint8_t>((record_.PackedFields & ~0x1C) | ((value & 7) << 2));
}

void TGIFGraphicControlExtension::SetTransparentColorIndex(uint8_t value) {
  const TGIFColorMap& map = OwnerFrame().ActiveMap();
  if (map.EntryCount() > 0 && value >= map.EntryCount()) {
    ReportWarning(kWarning, msg::BadColorIndex);
    value = 0;
  }
  record_.TransparentColorIndex = value;
}

void TGIFGraphicControlExtension::SaveToStream(TStream& stream) {
  TGIFExtension::SaveToStream(stream);
  stream.WriteBuffer(&record_, sizeof record_);
}

void TGIFGraphicControlExtension::LoadFromStream(TStream& stream) {
  TGIFExtension::LoadFromStream(stream);
  // The block size byte is the length of the first sub-block, 4 in every
  // well-formed file. Whatever it says is honoured, so that the blocks after
  // this one are found where they are: the record takes the first four bytes
  // (missing ones are 0, extra ones are dropped), and the rest of the chain
  // is stepped over up to its terminator. The block is written back in the
  // well-formed shape.
  TSubBlockReader chain(stream);
  uint8_t block[TSubBlockReader::MaxLength];
  const std::size_t length = chain.NextLength();
  const std::size_t arrived = stream.Read(block, length);
  uint8_t fields[4] = {0, 0, 0, 0};
  std::memcpy(fields, block, std::min(arrived, sizeof fields));
  record_ = TGraphicControlRecord{};
  record_.PackedFields = fields[0];
  record_.DelayTime[0] = fields[1];
  record_.DelayTime[1] = fields[2];
  record_.TransparentColorIndex = fields[3];
  // A block cut short keeps what arrived and is used as it stands; the file
  // is damaged, not unreadable.
  if (arrived != length || !chain.SkipRest()) {
    ReportWarning(kWarning, msg::PrematureEnd);
    return;
  }
  if (TransparentColorFlag()) OwnerFrame().SetHasTransparency(true);
}

// ---- TGIFTextExtension -------------------------------------------------------

const TGIFExtensionKind TGIFTextExtension::Kind{
    0x01, "TGIFTextExtension", &TGIFExtension::ResolveClass, &TGIFTextExtension::ConstructForFrame};

std::unique_ptr<TGIFExtension> TGIFTextExtension::ConstructForFrame(TGIFSubImage& frame) {
  return std::make_unique<TGIFTextExtension>(frame);
}

void TGIFTextExtension::SaveToStream(TStream& stream) {
  TGIFExtension::SaveToStream(stream);
  stream.WriteBuffer(&TextGrid, sizeof TextGrid);
  WriteTextBlocks(stream, Lines);
}

void TGIFTextExtension::LoadFromStream(TStream& stream) {
  TGIFExtension::LoadFromStream(stream);
  ReadExact(stream, &TextGrid, sizeof TextGrid);
  ReadTextBlocks(stream, Lines);
}

// ---- TGIFCommentExtension ----------------------------------------------------

const TGIFExtensionKind TGIFCommentExtension::Kind{0xFE, "TGIFCommentExtension",
                                                   &TGIFExtension::ResolveClass,
                                                   &TGIFCommentExtension::ConstructForFrame};

std::unique_ptr<TGIFExtension> TGIFCommentExtension::ConstructForFrame(TGIFSubImage& frame) {
  return std::make_unique<TGIFCommentExtension>(frame);
}

void TGIFCommentExtension::SaveToStream(TStream& stream) {
  TGIFExtension::SaveToStream(stream);
  WriteTextBlocks(stream, Lines);
}

void TGIFCommentExtension::LoadFromStream(TStream& stream) {
  TGIFExtension::LoadFromStream(stream);
  ReadTextBlocks(stream, Lines);
}

// ---- TGIFExtensionList -------------------------------------------------------

void TGIFExtensionList::LoadFromStream(TStream& stream, TGIFSubImage& frame) {
  uint8_t next = 0;
  if (stream.Read(&next, 1) != 1) return;
  while (next != kImageSeparator && next != kTrailer) {
    if (next != kExtensionIntroducer) {
      ReportWarning(kWarning, msg::BadExtensionIntroducer);
      break;
    }
    const TGIFExtensionKind* kind = PeekExtensionKind(stream);
    if (kind == nullptr) RaiseGIFError(msg::UnknownExtension);
    stream.Seek(-1, TSeekOrigin::soCurrent);
    // Owned here until loaded: a load that raises frees it, unlisted.
    std::unique_ptr<TGIFExtension> extension = kind->ConstructForFrame(frame);
    extension->LoadFromStream(stream);
    Append(std::move(extension));
    if (stream.Read(&next, 1) != 1) return;
  }
  // The caller reads the byte that ended the run.
  stream.Seek(-1, TSeekOrigin::soCurrent);
}

// ---- Kind resolution and the label registry ----------------------------------

TExtensionList& LabelRegistry() {
  if (!labelRegistry) {
    auto registry = std::make_unique<TExtensionList>();
    for (const TGIFExtensionKind* kind :
         {&TGIFTextExtension::Kind, &TGIFGraphicControlExtension::Kind, &TGIFCommentExtension::Kind,
          &TGIFApplicationExtension::Kind})
      registry->RegisterKind(*kind, kind->Label);
    labelRegistry = std::move(registry);
  }
  return *labelRegistry;
}

void FreeLabelRegistry() {
  labelRegistry.reset();
}

const TGIFExtensionKind* PeekExtensionKind(TStream& stream) {
  const int64_t labelPosition = stream.Position();
  const TGIFExtensionKind* kind = nullptr;
  uint8_t label = 0;
  if (stream.Read(&label, 1) == 1) kind = LabelRegistry().FindKind(label);
  // Each step reads on where the previous one stopped, until a kind settles on
  // itself. A step that changes the kind has consumed bytes, so the chain ends
  // at the latest where the data does.
  while (kind != nullptr) {
    const TGIFExtensionKind* next = kind->ResolveClass(*kind, stream);
    if (next == kind) break;
    kind = next;
  }
  stream.SetPosition(labelPosition);
  return kind;
}

uint8_t ReadIntroducer(TStream& stream) {
  uint8_t header[2];
  ReadExact(stream, header, sizeof header);
  if (header[0] != kExtensionIntroducer) RaiseGIFError(msg::BadExtensionIntroducer);
  return header[1];
}

// ---- Text sub-blocks ---------------------------------------------------------

void WriteTextBlocks(TStream& stream, const std::vector<std::string>& lines) {
  TGIFWriter writer(stream);
  for (const std::string& line : lines) {
    // Sub-blocks of 255 bytes, the rest last; a line never shares one.
    writer.Write(line.data(), line.size());
    writer.CloseSubBlock();
  }
  writer.WriteTerminator();
}

void ReadTextBlocks(TStream& stream, std::vector<std::string>& lines) {
  lines.clear();
  TSubBlockReader chain(stream);
  uint8_t block[TSubBlockReader::MaxLength];
  // A run that ends with the data instead of a zero byte still yields its lines.
  while (const std::size_t length = chain.Next(block)) {
    const void* nul = std::memchr(block, '\0', length);
    const auto* text = reinterpret_cast<const char*>(block);
    lines.emplace_back(
        text, nul != nullptr ? static_cast<std::size_t>(static_cast<const uint8_t*>(nul) - block)
                             : length);
  }
}

}  // namespace gif
