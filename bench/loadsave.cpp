// The baseline for the batch benchmark (bench/cli.sh): loads each file and
// saves it unchanged under OUTDIR with the library's safe save, one after the
// other, as tintwell-cli recolour -j 1 does apart from the recolour itself.
//
//   tintwell_loadsave OUTDIR FILE...

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "gif/GIFImage.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: tintwell_loadsave OUTDIR FILE...\n", stderr);
    return 2;
  }
  const std::filesystem::path outDir = argv[1];
  std::filesystem::create_directories(outDir);
  int failed = 0;
  for (int i = 2; i < argc; ++i) {
    try {
      gif::TGIFImage image;
      image.LoadFile(argv[i]);
      image.SaveFile((outDir / std::filesystem::path(argv[i]).filename()).string());
    } catch (const std::exception& e) {
      std::fprintf(stderr, "%s: %s\n", argv[i], e.what());
      ++failed;
    }
  }
  return failed == 0 ? 0 : 1;
}
