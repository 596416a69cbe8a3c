#include "bench/FileSave.h"

#include <cstdio>
#include <exception>

#include "gif/GIFImage.h"

namespace bench {

void MeasureFileSave(const Bytes& data, const GifFileType& slurped, const std::string& folder,
                     int slot, int rounds, Result& result) {
  gif::TGIFImage doc;
  gif::TMemoryStream input(data);
  doc.LoadFromStream(input);
  const std::string ours = folder + "/ours.gif";
  const std::string theirs = folder + "/giflib.gif";
  bool failed = false;
  const auto giflibTimer = [&](bool durable) {
    return GiflibSpewTimer(slurped, 0, [&, durable](GifFileType* gif) {
      if (!GiflibSpewToFile(gif, theirs, durable)) failed = true;
    });
  };
  try {
    const std::vector<double> times = Interleaved(
        {Repeating([&] { doc.SaveFile(ours); }), giflibTimer(true), giflibTimer(false)}, rounds);
    if (failed) {
      std::printf("giflib could not save %s to %s\n", result.name.c_str(), folder.c_str());
      return;
    }
    result.fileSave[slot] = times[0];
    result.giflibDurable[slot] = times[1];
    result.giflibPlain[slot] = times[2];
  } catch (const std::exception& e) {
    std::printf("not saved to %s: %s: %s\n", folder.c_str(), result.name.c_str(), e.what());
  }
}

}  // namespace bench
