// Conversion between RGB components (0..255) and hue, lightness and saturation
// on a 0..240 scale. Results are reproducible to the digit: intermediates are
// held in x87 extended precision, a few are narrowed to single precision, and
// every conversion to an integer rounds to nearest with ties to even.
#pragma once

namespace color {

// hue is 0..239 for a coloured input and 160 for a grey (where saturation is
// 0); lightness and saturation are 0..240. Components outside 0..255 are taken
// as the nearest of 0 and 255 first, so the results keep those ranges.
void RGBToHueLightSat(int red, int green, int blue, int& hue, int& lightness, int& saturation);

// Any int is accepted for hue, lightness and saturation: a value pasted by
// the user goes through the same formulas, with 64-bit products so nothing
// overflows, and red, green and blue are clamped to 0..255. For saturation in
// 0..240 a negative lightness gives black and one above 240 white; only below
// about -2^23 do the single-precision intermediates lose the half-unit bias,
// which can leave a component at 1. The hue is wrapped by one turn at most, so
// 81..159 shifted by a turn either way is still the same colour, but a hue
// further out is not brought back round the circle.
void HueLightSatToRGB(int hue, int lightness, int saturation, int& red, int& green, int& blue);

// One RGB component on the 0..240 scale for the intermediates m1 and m2 at the
// given hue, which is wrapped once into 0..240. Ramps carry a rounding bias of
// half a unit, so hue 0 gives m1 + 0.5 while hue 240 gives m1.
float HueComponent(float m1, float m2, float hue);

}  // namespace color
