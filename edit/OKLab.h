// sRGB colours to and from OKLab (Björn Ottosson, "A perceptual color space
// for image processing", 2020) and its polar form OKLCh. The published
// matrices and the sRGB transfer function, in double precision; the palette's
// perceptual adjustments and ramps are computed here.
#pragma once

#include <span>

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

// A colour given by its lightness, the direction of its hue in the a, b
// plane (a unit vector) and its chroma.
struct TChromaRay {
  double L = 0, a = 1, b = 0, C = 0;
};
inline TOKLab OnRay(const TChromaRay& ray) {
  return {ray.L, ray.a * ray.C, ray.b * ray.C};
}

// A colour's place in OKLab as a ray (a grey's direction is (1, 0)).
TChromaRay ChromaRayOf(gif::TGIFColor colour);
// Many colours at once, rays[i] for colours[i] (rays holding as many): the
// same rays as one at a time, faster.
void ChromaRaysOf(std::span<const gif::TGIFColor> colours, std::span<TChromaRay> rays);

// The colour of a ray in stored bytes, brought into sRGB: the ray's own when
// inside, otherwise the one of the largest chroma below C that is inside. For
// L in 0..1, where the grey of chroma 0 is inside. Along most rays the inside
// is one stretch from the grey, and its end is found to about 1e-13; where a
// channel turns back along the ray, the inside may come in pieces, and the
// search halves [0, C] down to 1e-6 and settles on an end of one of them.
gif::TGIFColor ToSRGBInGamut(const TChromaRay& ray);
// Many rays at once, out[i] for rays[i] (out holding as many): the same
// colours as one at a time, in about half the time.
void ToSRGBInGamut(std::span<const TChromaRay> rays, std::span<gif::TGIFColor> out);

}  // namespace edit
