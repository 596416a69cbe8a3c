// Library-wide settings. Every new document copies them; nothing in the program
// changes them after start-up.
#pragma once

#include <cstdint>

namespace gif {

// Compression settings for saving frames.
inline constexpr int gcLZW = 0;
inline constexpr int gcRLE = 1;

struct TGIFLibrarySettings {
  // Encoder chosen for frames of new documents.
  int Compression = gcLZW;
  // When on, each frame would be rendered right after decoding; progress
  // reports during loading pass it as their redraw flag.
  bool BitmapOnLoad = false;
  // Most pixels the frames of one document may hold together, at a byte each;
  // a load fails before allocating a frame that would pass it. A few bytes of
  // a file can declare frames of 65535 x 65535 pixels (4 GiB each), so the
  // descriptor's word cannot be trusted. 2^28 pixels (256 MiB) holds a frame
  // of 16384 x 16384, 32 frames of 3840 x 2160 or 1000 of 512 x 512, beyond
  // the GIFs people make and share, and is still a size every machine can
  // allocate. A caller that must open larger documents raises it.
  uint64_t MaxPixels = uint64_t{1} << 28;
};

// The process-wide settings, holding their initial values unless changed.
TGIFLibrarySettings& LibrarySettings();

// Runs once when the program ends: frees what the library made on first use,
// the extension registries (a later use makes them afresh).
void LibraryShutdown();
// Has the next LibraryShutdown call release: for what the library makes on
// first use. Keeps the settings free of the parts that register.
void FreeAtShutdown(void (*release)());

}  // namespace gif
