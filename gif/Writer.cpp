#include "gif/Writer.h"

#include <exception>

#include "gif/Extensions.h"
#include "gif/Format.h"
#include "gif/LZWEncoder.h"
#include "gif/Messages.h"
#include "gif/SafeSave.h"
#include "gif/WriteBuffer.h"

namespace gif {

int PercentDone(int done, int total) {
  const int64_t scaled = int64_t{done} * 100;
  int64_t percent = scaled / total;
  const int64_t twiceRest = 2 * (scaled % total);
  if (twiceRest > total || (twiceRest == total && percent % 2 != 0)) ++percent;
  return static_cast<int>(percent);
}

namespace {

// About the most bytes a save of `image` takes: LZW codes are at most 12 bits
// and stand for at least one pixel each. Growing the buffer as the save goes
// would copy it several times and, for large images, leave the smaller
// buffers it outgrew in the heap: more memory than the whole file at the end.
std::size_t EncodedSizeGuess(const TGIFImage& image) {
  std::size_t bytes = 64 * 1024;
  for (int i = 0; i < image.Frames().Count(); ++i)
    bytes += image.Frames().Frame(i).PixelDataSize() / 2 * 3 + 1024;
  return bytes;
}

}  // namespace

void TGIFImage::SaveFile(const std::string& fileName) {
  // Encoded in memory, then written in one go: the temporary file sees a
  // single write, and the target is replaced only once the image is complete.
  WriteFileSafely(fileName, [this](TStream& file) {
    TMemoryStream image;
    image.Reserve(EncodedSizeGuess(*this));
    SaveToStream(image);
    file.WriteBuffer(image.Memory(), image.Bytes().size());
  });
}

void TGIFImage::SaveToStream(TStream& stream) {
  NotifyProgress(this, TProgressStage::psStarting, 0, false, msg::Saving);
  // The blocks reach the target gathered into a few large writes.
  TWriteBuffer gathered(stream);
  try {
    header_.SaveToStream(gathered);
    frames_.SaveToStream(gathered);
    TGIFTrailer trailer(this);
    trailer.SaveToStream(gathered);
    gathered.Flush();
  } catch (...) {
    // Subscribers hear of the end in every case; what was written stays.
    try {
      gathered.Flush();
    } catch (const std::exception&) {
    }
    NotifyProgress(this, TProgressStage::psEnding, 0, true, msg::Saving);
    throw;
  }
  NotifyProgress(this, TProgressStage::psEnding, 100, true, msg::Saving);
}

void TGIFHeader::SaveToStream(TStream& stream) {
  // The version follows what the document holds, not the file it came from.
  const TGIFFormatVersion version = Image() != nullptr ? Image()->FormatVersion() : fvNone;
  if (version == fvNone) RaiseGIFError(msg::UnsupportedVersion);
  UpdatePackedFields();

  uint8_t record[13] = {'G', 'I', 'F', '8', version == fv87a ? uint8_t{'7'} : uint8_t{'9'}, 'a'};
  PutU16(record + 6, Screen.ScreenWidth);
  PutU16(record + 8, Screen.ScreenHeight);
  record[10] = Screen.PackedFields;
  record[11] = Screen.BackgroundColorIndex;
  record[12] = Screen.AspectRatio;
  stream.WriteBuffer(record, sizeof record);
  if ((Screen.PackedFields & fmt::GlobalTableFlag) != 0) ColorMap().WriteTable(stream);
}

namespace {

// Writes a frame; pixelBits is the document's PixelBits, which the frames of
// one save share.
void WriteFrame(TGIFSubImage& frame, TStream& stream, int pixelBits) {
  frame.Extensions().SaveToStream(stream);
  // An image-less frame is its extensions alone: blocks that stood after the
  // last image stay there.
  if (frame.IsEmpty()) return;
  frame.UpdatePackedFields();

  const TImageDescriptor& d = frame.Descriptor;
  uint8_t record[10];
  record[0] = d.Separator;
  PutU16(record + 1, d.Left);
  PutU16(record + 3, d.Top);
  PutU16(record + 5, d.Width);
  PutU16(record + 7, d.Height);
  record[9] = d.PackedFields;
  stream.WriteBuffer(record, sizeof record);
  frame.LocalMap().WriteTable(stream);
  EncodeImageData(frame, stream, pixelBits);
}

}  // namespace

void TGIFImageList::SaveToStream(TStream& stream) {
  const int count = Count();
  // PixelBits looks at every frame: worked out once, not once per frame.
  const int pixelBits = Image() != nullptr ? Image()->PixelBits() : 0;
  for (int i = 0; i < count; ++i) {
    WriteFrame(Frame(i), stream, pixelBits);
    if (Image() != nullptr)
      Image()->NotifyProgress(this, TProgressStage::psRunning, PercentDone(i + 1, count), false,
                              msg::Saving);
  }
}

void TGIFSubImage::SaveToStream(TStream& stream) {
  WriteFrame(*this, stream, Image() != nullptr ? Image()->PixelBits() : 0);
}

void TGIFTrailer::SaveToStream(TStream& stream) {
  PutByte(stream, fmt::Trailer);
}

}  // namespace gif
