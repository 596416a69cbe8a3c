// Relative adjustments of hue, saturation and lightness over chosen entries of
// a table: on the window's 0..240 HLS scale, or perceptually in OKLCh, where a
// hue shift keeps the perceived brightness.
#pragma once

#include <cstddef>
#include <span>

#include "edit/OKLab.h"
#include "edit/Selection.h"
#include "gif/Basics.h"
#include "gif/ColorMap.h"

namespace edit {

struct TAdjustment {
  bool Perceptual = false;
  // HLS mode (whole numbers on the 0..240 scale, each -240..240):
  //   H' = (H + Hue) mod 240 in 0..239, left alone for saturation 0;
  //   S' = clamp(S + Saturation, 0, 240); L' = clamp(L + Lightness, 0, 240);
  //   all from the entry's own H, L, S, converted back once, and an entry
  //   whose H', L', S' equal H, L, S keeps its exact RGB.
  // Perceptual mode (OKLCh): Hue in degrees (-360..360), left alone for greys
  //   (C below 1e-4); Lightness in percentage points of L (-100..100);
  //   Saturation as a percentage change of chroma (-100..100,
  //   C' = C * (1 + Saturation / 100)). A result outside sRGB keeps its L and
  //   h and takes the largest chroma inside (ToSRGBInGamut); channels round to
  //   nearest.
  double Hue = 0, Saturation = 0, Lightness = 0;
};

// A colour as both modes start from it: its hue, lightness and saturation on
// the 0..240 scale and its place in OKLab as lightness, hue direction and
// chroma. A colour adjusted again and again (while a slider is dragged) is
// converted from once and only converted back each time.
struct TAdjustSource {
  gif::TGIFColor Colour;
  int Hue = 0, Lightness = 0, Saturation = 0;
  TChromaRay Ray;
};
TAdjustSource AdjustSourceOf(gif::TGIFColor colour);
// Fills in, from each source's Colour, only what one mode starts from: the
// HLS figures or the OKLab ray. Many at once are faster.
void ConvertForMode(std::span<TAdjustSource> sources, bool perceptual);

// Colours adjusted: out[i] is sources[i] adjusted, out holding as many. Many
// at once are faster than one at a time: the adjustment's own figures (whole
// steps, the hue turn's cosine and sine) are worked out once.
void AdjustColors(std::span<const TAdjustSource> sources, const TAdjustment& adjustment,
                  std::span<gif::TGIFColor> out);

// One colour adjusted; the same colour as AdjustColors gives.
gif::TGIFColor AdjustColor(gif::TGIFColor colour, const TAdjustment& adjustment);
gif::TColor AdjustColor(gif::TColor colour, const TAdjustment& adjustment);

// Adjusts the chosen entries of map (bits past its end are ignored). Returns
// how many entries' colour changed.
int Adjust(gif::TGIFColorMap& map, const TEntryMask& entries, const TAdjustment& adjustment);

// Fewer colours than this a thread are adjusted faster than a thread starts.
inline constexpr std::size_t kColoursAThread = 2048;

// A table and the entries of it to adjust.
struct TTableEntries {
  gif::TGIFColorMap* Map = nullptr;
  TEntryMask Entries;
};
struct TAdjustCount {
  int Changed = 0;  // entries whose colour changed
  int Tables = 0;   // tables in which some entry did
};
// Adjusts many tables, each as the one-table Adjust does, shared out by whole
// tables over up to threads threads (0: one a processor). The maps are
// distinct.
TAdjustCount Adjust(std::span<const TTableEntries> tables, const TAdjustment& adjustment,
                    unsigned threads = 0);

}  // namespace edit
