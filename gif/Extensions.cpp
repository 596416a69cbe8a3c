#include "gif/Extensions.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "gif/Format.h"
#include "gif/Messages.h"
#include "gif/SubBlocks.h"

namespace gif {

namespace {

constexpr int kWarning = 1;

}  // namespace

// ---- TGIFExtension -----------------------------------------------------------

TGIFExtension::TGIFExtension(TGIFSubImage& frame) : TGIFItem(frame.Image()), frame_(&frame) {}

const TGIFExtensionKind* TGIFExtension::ResolveClass(const TGIFExtensionKind& self, TStream&) {
  return &self;
}

void TGIFExtension::SaveToStream(TStream& stream) {
  PutByte(stream, fmt::ExtensionIntroducer);
  PutByte(stream, ExtensionLabel());
}

void TGIFExtension::LoadFromStream(TStream& stream) {
  if (ReadIntroducer(stream) != ExtensionLabel()) RaiseGIFError(msg::ExtensionLabelMismatch);
}

// ---- TGIFGraphicControlExtension ---------------------------------------------

const TGIFExtensionKind TGIFGraphicControlExtension::Kind{
    fmt::GraphicControlLabel, "TGIFGraphicControlExtension", &TGIFExtension::ResolveClass,
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
    record_.PackedFields |= fmt::TransparentColorFlag;
  else
    record_.PackedFields &= static_cast<uint8_t>(~fmt::TransparentColorFlag);
  OwnerFrame().SetHasTransparency(value);
}

void TGIFGraphicControlExtension::SetDisposalMethod(uint8_t value) {
  record_.PackedFields =
      static_cast<uint8_t>((record_.PackedFields & ~fmt::DisposalMask) |
                           ((value & fmt::DisposalValueMask) << fmt::DisposalShift));
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
  const std::size_t arrived = stream.ReadSome(block, length);
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

const TGIFExtensionKind TGIFTextExtension::Kind{fmt::PlainTextLabel, "TGIFTextExtension",
                                                &TGIFExtension::ResolveClass,
                                                &TGIFTextExtension::ConstructForFrame};

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

const TGIFExtensionKind TGIFCommentExtension::Kind{fmt::CommentLabel, "TGIFCommentExtension",
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

// ---- Introducer -------------------------------------------------------------

uint8_t ReadIntroducer(TStream& stream) {
  uint8_t header[2];
  ReadExact(stream, header, sizeof header);
  if (header[0] != fmt::ExtensionIntroducer) RaiseGIFError(msg::BadExtensionIntroducer);
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
  lines.reserve(TSubBlockReader::CountAhead(stream));
  TSubBlockReader chain(stream);
  uint8_t spare[TSubBlockReader::MaxLength];
  const uint8_t* block = nullptr;
  // A run that ends with the data instead of a zero byte still yields its lines.
  while (const std::size_t length = chain.Next(block, spare)) {
    const void* nul = std::memchr(block, '\0', length);
    const auto* text = reinterpret_cast<const char*>(block);
    lines.emplace_back(
        text, nul != nullptr ? static_cast<std::size_t>(static_cast<const uint8_t*>(nul) - block)
                             : length);
  }
}

}  // namespace gif
