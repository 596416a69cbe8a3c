#include "bench/Giflib.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace bench {

namespace {

struct MemoryReader {
  const Bytes* data;
  std::size_t position;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int count) {
  auto* in = static_cast<MemoryReader*>(gif->UserData);
  const std::size_t n =
      std::min<std::size_t>(static_cast<std::size_t>(count), in->data->size() - in->position);
  std::memcpy(buffer, in->data->data() + in->position, n);
  in->position += n;
  return static_cast<int>(n);
}

int WriteToMemory(GifFileType* gif, const GifByteType* buffer, int count) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), buffer, buffer + count);
  return count;
}

// The same fwrite that giflib makes on a handle it opened on a file itself.
int WriteToFile(GifFileType* gif, const GifByteType* buffer, int count) {
  return static_cast<int>(std::fwrite(buffer, 1, static_cast<std::size_t>(count),
                                      static_cast<std::FILE*>(gif->UserData)));
}

}  // namespace

void GifFileCloser::operator()(GifFileType* gif) const {
  int error = 0;
  DGifCloseFile(gif, &error);
}

GifFilePtr GiflibSlurp(const Bytes& data) {
  MemoryReader reader{&data, 0};
  int error = 0;
  GifFilePtr gif(DGifOpen(&reader, ReadFromMemory, &error));
  if (!gif) return nullptr;
  if (DGifSlurp(gif.get()) != GIF_OK) return nullptr;
  gif->UserData = nullptr;
  return gif;
}

double TotalPixels(const GifFileType& gif) {
  double pixels = 0;
  for (int i = 0; i < gif.ImageCount; ++i)
    pixels += double(gif.SavedImages[i].ImageDesc.Width) * gif.SavedImages[i].ImageDesc.Height;
  return pixels;
}

GifFileType* GiflibPrepareSpew(const GifFileType& source, Bytes* out) {
  int error = 0;
  GifFileType* gif = out != nullptr ? EGifOpen(out, WriteToMemory, &error)
                                    : EGifOpen(nullptr, WriteToFile, &error);
  gif->SWidth = source.SWidth;
  gif->SHeight = source.SHeight;
  gif->SColorResolution = source.SColorResolution;
  gif->SBackGroundColor = source.SBackGroundColor;
  gif->AspectByte = source.AspectByte;
  if (source.SColorMap)
    gif->SColorMap = GifMakeMapObject(source.SColorMap->ColorCount, source.SColorMap->Colors);
  for (int i = 0; i < source.ImageCount; ++i) GifMakeSavedImage(gif, &source.SavedImages[i]);
  return gif;
}

bool GiflibSpewToFile(GifFileType* prepared, const std::string& path, bool durable) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    int error = 0;
    EGifCloseFile(prepared, &error);
    return false;
  }
  prepared->UserData = file;
  bool ok = EGifSpew(prepared) == GIF_OK;
  ok = std::fflush(file) == 0 && ok;
  if (durable) ok = ::fsync(fileno(file)) == 0 && ok;
  return std::fclose(file) == 0 && ok;
}

Timer GiflibSpewTimer(const GifFileType& source, std::size_t reserve,
                      std::function<void(GifFileType*)> spewToFile) {
  return [&source, reserve, spewToFile = std::move(spewToFile)](int repeats) {
    double total = 0;
    for (int done = 0; done < repeats;) {
      const std::size_t batch = std::size_t(std::min(repeats - done, 8));
      std::vector<Bytes> outputs(spewToFile ? 0 : batch);
      std::vector<GifFileType*> handles;
      for (std::size_t i = 0; i < batch; ++i) {
        Bytes* out = nullptr;
        if (!spewToFile) {
          outputs[i].reserve(reserve);
          out = &outputs[i];
        }
        handles.push_back(GiflibPrepareSpew(source, out));
      }
      total += Seconds([&] {
        for (GifFileType* gif : handles) {
          if (spewToFile)
            spewToFile(gif);
          else
            EGifSpew(gif);
        }
      });
      done += int(batch);
    }
    return total / repeats;
  };
}

bool GiflibSpews(const GifFileType& source) {
  Bytes out;
  return EGifSpew(GiflibPrepareSpew(source, &out)) == GIF_OK;
}

}  // namespace bench
