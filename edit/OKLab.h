// sRGB colours to and from OKLab (Björn Ottosson, "A perceptual color space
// for image processing", 2020) and its polar form OKLCh. The published
// matrices and the sRGB transfer function, in double precision; the palette's
// perceptual adjustments and ramps are computed here.
#pragma once

#include "gif/Basics.h"

namespace edit {

struct TOKLab {
  double L = 0, a = 0, b = 0;  // L 0..1 for sRGB colours; a, b about -0.4..0.4
};

struct TOKLCh {
  double L = 0, C = 0, h = 0;  // h in degrees, 0..360
};

// Linear-light sRGB components, 0..1 for colours inside the gamut.
struct TLinearRGB {
  double r = 0, g = 0, b = 0;
};

// The sRGB transfer function and its inverse, on 0..1.
double SRGBToLinear(double encoded);
double LinearToSRGB(double linear);

TOKLab LinearToOKLab(const TLinearRGB& rgb);
TLinearRGB OKLabToLinear(const TOKLab& lab);

TOKLab ToOKLab(gif::TGIFColor colour);
TOKLCh ToOKLCh(const TOKLab& lab);
TOKLab ToOKLab(const TOKLCh& lch);

// Whether every linear component lies in 0..1 (with a margin of 1e-9 for
// rounding in the matrices).
bool InGamut(const TLinearRGB& rgb);

// The colour nearest to lab in stored bytes: each channel encoded and rounded
// to nearest, clamped to 0..255. Callers bring lab into the gamut first.
gif::TGIFColor ToSRGB(const TOKLab& lab);

// lch itself when inside sRGB; otherwise the same L and h with the largest
// chroma below lch.C that is inside, found by bisection to 1e-6. For L in
// 0..1, where the grey of chroma 0 is inside.
TOKLCh IntoGamut(const TOKLCh& lch);
// The same, as OKLab: ToOKLab(IntoGamut(lch)) without working out the hue's
// direction twice.
TOKLab IntoGamutLab(const TOKLCh& lch);

}  // namespace edit
