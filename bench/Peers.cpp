#include "bench/Peers.h"

#ifdef TINTWELL_BENCH_STB
#include <stb_image.h>

#include <cstdlib>
#endif

#ifdef TINTWELL_BENCH_QT
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#endif

namespace bench {

bool HaveStb() {
#ifdef TINTWELL_BENCH_STB
  return true;
#else
  return false;
#endif
}

bool HaveQt() {
#ifdef TINTWELL_BENCH_QT
  return true;
#else
  return false;
#endif
}

int StbDecode([[maybe_unused]] const std::vector<uint8_t>& data) {
#ifdef TINTWELL_BENCH_STB
  int* delays = nullptr;
  int width = 0, height = 0, frames = 0, channels = 0;
  stbi_uc* pixels = stbi_load_gif_from_memory(data.data(), static_cast<int>(data.size()), &delays,
                                              &width, &height, &frames, &channels, 4);
  std::free(delays);
  if (pixels == nullptr) return 0;
  stbi_image_free(pixels);
  return frames;
#else
  return 0;
#endif
}

int QtDecode([[maybe_unused]] const std::vector<uint8_t>& data) {
#ifdef TINTWELL_BENCH_QT
  QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()),
                                             static_cast<qsizetype>(data.size()));
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "gif");
  int frames = 0;
  QImage image;
  while (reader.canRead() && reader.read(&image)) ++frames;
  return frames;
#else
  return 0;
#endif
}

}  // namespace bench
