#include "gif/Reader.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "gif/ExtensionRegistry.h"
#include "gif/Format.h"
#include "gif/LZWDecoder.h"
#include "gif/MessageFormat.h"
#include "gif/Messages.h"
#include "gif/Settings.h"

namespace gif {

namespace {

// Reads up to the first byte that is not 0; false when the data ends first.
bool ReadBlockByte(TStream& stream, uint8_t& byte) {
  do {
    if (!stream.ReadByte(byte)) return false;
  } while (byte == 0);
  return true;
}

void StepBack(TStream& stream) {
  stream.Skip(-1);
}

}  // namespace

bool IsGIFSignature(const uint8_t* bytes) {
  auto upper = [](uint8_t c) { return c >= 'a' && c <= 'z' ? static_cast<uint8_t>(c - 32) : c; };
  return upper(bytes[0]) == 'G' && upper(bytes[1]) == 'I' && upper(bytes[2]) == 'F';
}

void CheckPixelLimit(uint64_t limit, int width, int height) {
  if (uint64_t(width) * uint64_t(height) <= limit) return;
  RaiseGIFError(
      FormatMessage(msg::PixelLimitExceeded,
                    {std::to_string(width), std::to_string(height), std::to_string(limit)}));
}

namespace {

std::string MiB(uint64_t bytes, bool roundUp) {
  constexpr uint64_t Unit = uint64_t{1} << 20;
  return std::to_string(bytes / Unit + (roundUp && bytes % Unit != 0 ? 1 : 0));
}

}  // namespace

void TGIFImage::ReservePixels(int width, int height) {
  CheckPixelLimit(MaxPixels, width, height);
  // Neither sum can wrap: the bytes counted so far stay within the budget,
  // and a frame holds fewer than 2^32.
  const uint64_t bytes = uint64_t(width) * uint64_t(height);
  if (reservedPixels_ > MemoryBudget || bytes > MemoryBudget - reservedPixels_)
    RaiseGIFError(FormatMessage(msg::MemoryBudgetExceeded,
                                {std::to_string(width), std::to_string(height),
                                 MiB(reservedPixels_ + bytes, true), MiB(MemoryBudget, false)}));
  reservedPixels_ += bytes;
}

void TGIFImage::SettlePixels(uint64_t reserved, uint64_t used) {
  if (used < reserved) reservedPixels_ -= std::min(reservedPixels_, reserved - used);
}

void TGIFImage::LoadFile(const std::string& fileName) {
  // Parsing from memory spares the file one system call per read.
  TMemoryStream stream;
  stream.LoadFromFile(fileName);
  LoadFromStream(stream);
}

void TGIFImage::LoadFromStream(TStream& stream) {
  NotifyProgress(this, TProgressStage::psStarting, 0, false, msg::Loading);
  ClearAll();
  const int64_t start = stream.Position();
  try {
    header_.LoadFromStream(stream);
    frames_.LoadFromStream(stream, *this);
    TGIFTrailer trailer(this);
    trailer.LoadFromStream(stream);
  } catch (...) {
    stream.SetPosition(start);
    NotifyProgress(this, TProgressStage::psEnding, 0, true, msg::Loading);
    throw;
  }
  NotifyProgress(this, TProgressStage::psEnding, 100, true, msg::Loading);
}

void TGIFHeader::LoadFromStream(TStream& stream) {
  const int64_t start = stream.Position();
  uint8_t signature[6];
  ReadExact(stream, signature, sizeof signature);
  // Some files carry four bytes of something else in front of the header.
  if (!IsGIFSignature(signature)) {
    stream.SetPosition(start + 4);
    ReadExact(stream, signature, sizeof signature);
    if (!IsGIFSignature(signature)) RaiseGIFError(msg::BadSignature);
  }

  uint8_t screen[7];
  ReadExact(stream, screen, sizeof screen);
  Screen.ScreenWidth = GetU16(screen);
  Screen.ScreenHeight = GetU16(screen + 2);
  Screen.PackedFields = screen[4];
  Screen.BackgroundColorIndex = screen[5];
  Screen.AspectRatio = screen[6];

  if ((Screen.PackedFields & fmt::GlobalTableFlag) != 0)
    ColorMap().ReadTable(stream, fmt::TableSize(Screen.PackedFields));
  else
    ColorMap().ResetEntries();
}

void TGIFImageList::LoadFromStream(TStream& stream, TGIFImage& parent) {
  uint8_t byte = 0;
  if (!ReadBlockByte(stream, byte)) return;
  while (byte != fmt::Trailer) {
    StepBack(stream);
    if (byte != fmt::ExtensionIntroducer && byte != fmt::ImageSeparator) {
      ReportWarning(1, msg::UnknownBlockType);
      break;
    }
    // A frame joins the list only once it is read completely; a failing one
    // is destroyed on the way out.
    auto frame = std::make_unique<TGIFSubImage>(&parent);
    frame->LoadFromStream(stream);
    Append(std::move(frame));
    if (parent.OnProgress) {
      const double done =
          100.0 * static_cast<double>(stream.Position()) / static_cast<double>(stream.Size());
      parent.NotifyProgress(this, TProgressStage::psRunning, static_cast<int>(std::nearbyint(done)),
                            LibrarySettings().BitmapOnLoad, msg::Loading);
    }
    if (!ReadBlockByte(stream, byte)) return;
  }
  StepBack(stream);
}

void TGIFSubImage::LoadFromStream(TStream& stream) {
  ResetFrame();
  Extensions().LoadFromStream(stream, *this);

  uint8_t byte = 0;
  if (!stream.ReadByte(byte)) return;
  StepBack(stream);
  // Extensions followed by the trailer or a zero byte form a frame without image.
  if (byte == fmt::Trailer || byte == 0) return;

  // Whatever byte ended the extension run introduces the descriptor, and is
  // kept so that it is written back as it was.
  uint8_t descriptor[10];
  ReadExact(stream, descriptor, sizeof descriptor);
  Descriptor.Separator = descriptor[0];
  Descriptor.Left = GetU16(descriptor + 1);
  Descriptor.Top = GetU16(descriptor + 3);
  Descriptor.Width = GetU16(descriptor + 5);
  Descriptor.Height = GetU16(descriptor + 7);
  Descriptor.PackedFields = descriptor[9];

  if (Descriptor.Width == 0 || Descriptor.Height == 0) {
    const TGIFImage* image = Image();
    Descriptor.Width = static_cast<uint16_t>(image != nullptr ? image->ScreenWidth() : 0);
    Descriptor.Height = static_cast<uint16_t>(image != nullptr ? image->ScreenHeight() : 0);
    ReportWarning(1, msg::ImageExceedsScreen);
  }
  // Counted before the local table and the pixels, so that a frame too large
  // fails having allocated nothing.
  TGIFImage* image = Image();
  if (image != nullptr)
    image->ReservePixels(Descriptor.Width, Descriptor.Height);
  else
    CheckPixelLimit(LibrarySettings().MaxPixels, Descriptor.Width, Descriptor.Height);

  if ((Descriptor.PackedFields & fmt::LocalTableFlag) != 0)
    LocalMap().ReadTable(stream, fmt::TableSize(Descriptor.PackedFields));

  const std::size_t written = DecodeImageData(*this, stream);
  if (image != nullptr) image->SettlePixels(PixelDataSize(), written);
}

void TGIFExtensionList::LoadFromStream(TStream& stream, TGIFSubImage& frame) {
  uint8_t next = 0;
  if (!stream.ReadByte(next)) return;
  while (next != fmt::ImageSeparator && next != fmt::Trailer) {
    if (next != fmt::ExtensionIntroducer) {
      ReportWarning(1, msg::BadExtensionIntroducer);
      break;
    }
    const TGIFExtensionKind* kind = PeekExtensionKind(stream);
    if (kind == nullptr) RaiseGIFError(msg::UnknownExtension);
    stream.Skip(-1);
    // Owned here until loaded: a load that raises frees it, unlisted.
    std::unique_ptr<TGIFExtension> extension = kind->ConstructForFrame(frame);
    extension->LoadFromStream(stream);
    Append(std::move(extension));
    if (!stream.ReadByte(next)) return;
  }
  // The caller reads the byte that ended the run.
  stream.Skip(-1);
}

void TGIFTrailer::LoadFromStream(TStream& stream) {
  uint8_t byte = 0;
  if (stream.ReadByte(byte) && byte != fmt::Trailer) ReportWarning(1, msg::BadTrailer);
}

}  // namespace gif
