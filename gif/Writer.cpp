#include "gif/Writer.h"

#include "gif/Extensions.h"
#include "gif/Format.h"
#include "gif/LZWEncoder.h"
#include "gif/Messages.h"
#include "gif/SafeSave.h"

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
  try {
    header_.SaveToStream(stream);
    frames_.SaveToStream(stream);
    TGIFTrailer trailer(this);
    trailer.SaveToStream(stream);
  } catch (...) {
    // Subscribers hear of the end in every case; what was written stays.
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

void TGIFImageList::SaveToStream(TStream& stream) {
  const int count = Count();
  for (int i = 0; i < count; ++i) {
    Frame(i).SaveToStream(stream);
    if (Image() != nullptr)
      Image()->NotifyProgress(this, TProgressStage::psRunning, PercentDone(i + 1, count), false,
                              msg::Saving);
  }
}

void TGIFSubImage::SaveToStream(TStream& stream) {
  extensions_.SaveToStream(stream);
  // An image-less frame is its extensions alone: blocks that stood after the
  // last image stay there.
  if (IsEmpty()) return;
  UpdatePackedFields();

  uint8_t record[10];
  record[0] = Descriptor.Separator;
  PutU16(record + 1, Descriptor.Left);
  PutU16(record + 3, Descriptor.Top);
  PutU16(record + 5, Descriptor.Width);
  PutU16(record + 7, Descriptor.Height);
  record[9] = Descriptor.PackedFields;
  stream.WriteBuffer(record, sizeof record);
  localMap_.WriteTable(stream);
  EncodeImageData(*this, stream);
}

void TGIFTrailer::SaveToStream(TStream& stream) {
  PutByte(stream, fmt::Trailer);
}

}  // namespace gif
