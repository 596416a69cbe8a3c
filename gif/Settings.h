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
  // Most pixels one frame may hold, at a byte each. A few bytes of a file can
  // declare a frame of 65535 x 65535 pixels (4 GiB), so the descriptor's word
  // cannot be trusted: a frame past this fails before its colour table and
  // pixels are read. 2^28 pixels (256 MiB) is a frame of 16384 x 16384,
  // beyond the GIFs people make and share. A caller that must open larger
  // frames raises it.
  uint64_t MaxPixels = uint64_t{1} << 28;
  // The computer's memory in bytes as the document budget sees it; 0 asks
  // the system. A caller may state a smaller figure to keep documents small.
  uint64_t PhysicalMemory = 0;
};

// The process-wide settings, holding their initial values unless changed.
TGIFLibrarySettings& LibrarySettings();

// Bytes the frames of one document may take together: half the physical
// memory of the settings (or of the system), leaving the rest to the program
// and to everything else that runs.
uint64_t DocumentMemoryBudget();

// Runs once when the program ends: frees what the library made on first use,
// the extension registries (a later use makes them afresh).
void LibraryShutdown();
// Has the next LibraryShutdown call release: for what the library makes on
// first use. Keeps the settings free of the parts that register.
void FreeAtShutdown(void (*release)());

}  // namespace gif
