// Library-wide settings. Every new document copies them; nothing in the program
// changes them after start-up.
#pragma once

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
};

// The process-wide settings, holding their initial values unless changed.
TGIFLibrarySettings& LibrarySettings();

// Runs once when the program ends: frees the extension registries (a later
// use creates them afresh).
void LibraryShutdown();

}  // namespace gif
