#include "edit/OKLab.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <optional>
#include <span>

namespace edit {

namespace {

constexpr double kGamutMargin = 1e-9;
constexpr double kChromaPrecision = 1e-6;
constexpr double kRootPrecision = 1e-13;
constexpr double kLastStep = 1e-6;
constexpr double kDegrees = 180.0 / std::numbers::pi;

// From OKLab to LMS (before cubing; the first column, L's, is all 1) and
// from cubed LMS to linear sRGB.
using TMatrix = std::array<std::array<double, 3>, 3>;
constexpr TMatrix kToLMS = {{{1, 0.3963377774, 0.2158037573},
                             {1, -0.1055613458, -0.0638541728},
                             {1, -0.0894841775, -1.2914855480}}};
constexpr TMatrix kFromLMS = {{{4.0767416621, -3.3077115913, 0.2309699292},
                               {-1.2684380046, 2.6097574011, -0.3413193965},
                               {-0.0041960863, -0.7034186147, 1.7076147010}}};

}  // namespace

double SRGBToLinear(double encoded) {
  return encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
}

double LinearToSRGB(double linear) {
  return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
}

namespace {

// Much of the arithmetic here is written once for a double and for a pair of
// them (TPair), which batches of many colours go through: the same operations
// in the same order give each lane the very bits one colour alone gets. The
// vector unit every 64-bit processor has does a pair at once.
using TPair = double __attribute__((vector_size(16)));

using TLanes = int64_t __attribute__((vector_size(16)));  // a comparison: -1 true, 0 false

// The cube root to within a few units in the last place, in half the time of
// the library's, whose calls take apart and put together the exponent: a
// guess from the bits (the exponent divided by three, within 3.3%), then
// three steps of Halley's method, each of which about triples the digits.
template <class Real, class Bits>
Real CubeRootOfUsual(Real a) {
  constexpr uint64_t kThirdOfOne = 0x2A9F7893782DA1CE;
  Real y = std::bit_cast<Real>(std::bit_cast<Bits>(a) / 3 + kThirdOfOne);
  for (int step = 0; step < 3; ++step) {
    const Real cubed = y * y * y;
    y += y * ((a - cubed) / (2.0 * cubed + a));  // the quotient first: no overflow
  }
  return y;
}

// The library's takes what the guess cannot: 0, infinities, NaN and numbers
// past 1e300 or below 1e-300.
double CubeRoot(double x) {
  const double a = std::abs(x);
  if (!(a >= 1e-300 && a <= 1e300)) return std::cbrt(x);
  return std::copysign(CubeRootOfUsual<double, uint64_t>(a), x);
}

// Two cube roots, each as the one above takes it: a pair of positive numbers
// in the guess's range takes its steps side by side, any other alone.
TPair CubeRoot(TPair x) {
  const TLanes usual = (x >= 1e-300) & (x <= 1e300);
  if ((usual[0] & usual[1]) == 0) return TPair{CubeRoot(x[0]), CubeRoot(x[1])};
  return CubeRootOfUsual<TPair, uint64_t __attribute__((vector_size(16)))>(x);
}

template <class Real>
std::array<Real, 3> LabOfLinear(Real r, Real g, Real b) {
  const Real l = CubeRoot(0.4122214708 * r + 0.5363325363 * g + 0.0514459929 * b);
  const Real m = CubeRoot(0.2119034982 * r + 0.6806995451 * g + 0.1073969566 * b);
  const Real s = CubeRoot(0.0883024619 * r + 0.2817188376 * g + 0.6299787005 * b);
  return {0.2104542553 * l + 0.7936177850 * m - 0.0040720468 * s,
          1.9779984951 * l - 2.4285922050 * m + 0.4505937099 * s,
          0.0259040371 * l + 0.7827717662 * m - 0.8086757660 * s};
}

// The 256 byte values decoded once: the same numbers, without a pow for
// every channel of every entry.
const std::array<double, 256>& LinearOfBytes() {
  static const std::array<double, 256> linear = [] {
    std::array<double, 256> table{};
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = SRGBToLinear(double(i) / 255.0);
    return table;
  }();
  return linear;
}

double SquareRoot(double x) {
  return std::sqrt(x);
}
TPair SquareRoot(TPair x) {
  return TPair{std::sqrt(x[0]), std::sqrt(x[1])};
}

// A colour's ray from its a and b: the chroma and the unit direction (a
// grey's is (1, 0)). a and b of a byte colour lie within 0.5 of 0, where
// squaring neither overflows nor underflows: the plain square root does
// without the care (and the cost) of hypot.
template <class Real>
void RayOf(Real a, Real b, Real& rayA, Real& rayB, Real& chroma) {
  chroma = SquareRoot(a * a + b * b);
  rayA = chroma > 0 ? a / chroma : Real{} + 1.0;
  rayB = chroma > 0 ? b / chroma : Real{};
}

}  // namespace

TOKLab LinearToOKLab(const TLinearRGB& c) {
  const std::array<double, 3> lab = LabOfLinear(c.r, c.g, c.b);
  return {lab[0], lab[1], lab[2]};
}

namespace {

template <class Real>
std::array<Real, 3> LinearOf(Real L, Real a, Real b) {
  std::array<Real, 3> cubed{};
  for (std::size_t j = 0; j < 3; ++j) {
    const Real x = L + kToLMS[j][1] * a + kToLMS[j][2] * b;
    cubed[j] = x * x * x;
  }
  const auto row = [&](const std::array<double, 3>& w) {
    return w[0] * cubed[0] + w[1] * cubed[1] + w[2] * cubed[2];
  };
  return {row(kFromLMS[0]), row(kFromLMS[1]), row(kFromLMS[2])};
}

}  // namespace

TLinearRGB OKLabToLinear(const TOKLab& lab) {
  const std::array<double, 3> linear = LinearOf(lab.L, lab.a, lab.b);
  return {linear[0], linear[1], linear[2]};
}

TOKLab ToOKLab(gif::TGIFColor colour) {
  const std::array<double, 256>& linear = LinearOfBytes();
  return LinearToOKLab({linear[colour.Red], linear[colour.Green], linear[colour.Blue]});
}

TChromaRay ChromaRayOf(gif::TGIFColor colour) {
  const TOKLab lab = ToOKLab(colour);
  TChromaRay ray{lab.L, 1, 0, 0};
  RayOf(lab.a, lab.b, ray.a, ray.b, ray.C);
  return ray;
}

void ChromaRaysOf(std::span<const gif::TGIFColor> colours, std::span<TChromaRay> rays) {
  const std::array<double, 256>& linear = LinearOfBytes();
  for (std::size_t i = 0; i < colours.size(); i += 2) {
    // A pair past the end repeats the last colour.
    const gif::TGIFColor first = colours[i], second = colours[std::min(i + 1, colours.size() - 1)];
    const std::array<TPair, 3> lab = LabOfLinear(TPair{linear[first.Red], linear[second.Red]},
                                                 TPair{linear[first.Green], linear[second.Green]},
                                                 TPair{linear[first.Blue], linear[second.Blue]});
    TPair a, b, chroma;
    RayOf(lab[1], lab[2], a, b, chroma);
    rays[i] = {lab[0][0], a[0], b[0], chroma[0]};
    if (i + 1 < colours.size()) rays[i + 1] = {lab[0][1], a[1], b[1], chroma[1]};
  }
}

TOKLCh ToOKLCh(const TOKLab& lab) {
  double h = std::atan2(lab.b, lab.a) * kDegrees;
  if (h < 0) h += 360;
  return {lab.L, std::hypot(lab.a, lab.b), h};
}

TOKLab ToOKLab(const TOKLCh& lch) {
  const double radians = lch.h / kDegrees;
  return {lch.L, lch.C * std::cos(radians), lch.C * std::sin(radians)};
}

bool InGamut(const TLinearRGB& c) {
  const auto inside = [](double x) { return x >= -kGamutMargin && x <= 1 + kGamutMargin; };
  return inside(c.r) && inside(c.g) && inside(c.b);
}

namespace {

// A linear component as the stored byte: encoded, rounded to nearest and
// clamped to 0..255.
uint8_t EncodeDirectly(double linear) {
  const double byte = std::nearbyint(LinearToSRGB(std::clamp(linear, 0.0, 1.0)) * 255);
  return static_cast<uint8_t>(std::clamp(byte, 0.0, 255.0));
}

// The same byte without a pow: the encoding rises with the linear value, so
// the byte is how many of the points where it steps up lie at or below the
// value. Each point is found once, by halving between neighbouring doubles on
// the direct encoding itself. An even grid over 0..1 keeps for each cell the
// byte at its start and the point inside it, so a value needs two loads that
// do not wait on each other: the points lie 3e-4 apart at the least (at the
// dark end, where the encoding is 12.92 times the value), more than a cell is
// wide. A value within 1e-12 of a point is encoded directly, so the answer is
// the direct one to the bit; a cell with a point that near its ends, or with
// two points, has NaN for its point, so all of it is.
constexpr double kNearStep = 1e-12;

struct TEncoding {
  static constexpr int Cells = 4096;
  std::array<double, Cells + 1> Step{};   // where the next byte begins in a cell (2: nowhere)
  std::array<uint8_t, Cells + 1> Byte{};  // the byte at the start of each cell
  TEncoding() {
    std::array<double, 256> steps{};  // steps[b]: where byte b begins, for b from 1
    for (int byte = 1; byte < 256; ++byte) {
      double below = 0, reaches = 1;
      while (std::nextafter(below, reaches) < reaches) {
        const double middle = below + (reaches - below) / 2;
        if (middle <= below || middle >= reaches) break;
        (EncodeDirectly(middle) >= byte ? reaches : below) = middle;
      }
      steps[std::size_t(byte)] = reaches;
    }
    std::size_t next = 1;  // the first point past the cell's start
    for (std::size_t cell = 0; cell <= Cells; ++cell) {
      const double start = double(cell) / Cells, end = double(cell + 1) / Cells;
      while (next < steps.size() && steps[next] <= start) ++next;
      std::size_t past = next;  // the first point at or past the cell's end
      while (past < steps.size() && steps[past] < end) ++past;
      Byte[cell] = static_cast<uint8_t>(next - 1);
      Step[cell] = past == next ? 2 : steps[next];
      const bool nearEnds = (next > 1 && steps[next - 1] > start - kNearStep) ||
                            (past < steps.size() && steps[past] < end + kNearStep);
      if (past - next > 1 || nearEnds) Step[cell] = std::numeric_limits<double>::quiet_NaN();
    }
  }
};

const TEncoding& Encoding() {
  static const TEncoding encoding;
  return encoding;
}

inline uint8_t Encode(const TEncoding& encoding, double linear) {
  const double x = std::clamp(linear, 0.0, 1.0);
  const auto cell = static_cast<std::size_t>(static_cast<int>(x * TEncoding::Cells));
  const double step = encoding.Step[cell];
  // A NaN fails the comparison: its cell is encoded directly.
  if (!(std::abs(x - step) >= kNearStep)) return EncodeDirectly(linear);
  return static_cast<uint8_t>(encoding.Byte[cell] + (x >= step));
}

// One linear channel along a ray as a cubic in the chroma c:
// p[0] + p[1] c + p[2] c^2 + p[3] c^3.
template <class Real>
using TCubicOf = std::array<Real, 4>;
using TCubic = TCubicOf<double>;

template <class Real>
Real ValueAt(const TCubicOf<Real>& p, Real c) {
  return p[0] + c * (p[1] + c * (p[2] + c * p[3]));
}

template <class Real>
Real SlopeAt(const TCubicOf<Real>& p, Real c) {
  return p[1] + c * (2.0 * p[2] + c * 3.0 * p[3]);
}

template <class Real>
std::array<TCubicOf<Real>, 3> CubicsOf(Real L, Real a, Real b) {
  // Each LMS component is L + k c along the ray; cubed, it spreads over the
  // four powers of c, and the linear channels mix those.
  const std::array<Real, 3> k = {kToLMS[0][1] * a + kToLMS[0][2] * b,
                                 kToLMS[1][1] * a + kToLMS[1][2] * b,
                                 kToLMS[2][1] * a + kToLMS[2][2] * b};
  const auto channel = [&](const std::array<double, 3>& w) {
    TCubicOf<Real> p;
    p[0] = (w[0] + w[1] + w[2]) * L * L * L;
    p[1] = 3.0 * L * L * (w[0] * k[0] + w[1] * k[1] + w[2] * k[2]);
    p[2] = 3.0 * L * (w[0] * k[0] * k[0] + w[1] * k[1] * k[1] + w[2] * k[2] * k[2]);
    p[3] = w[0] * k[0] * k[0] * k[0] + w[1] * k[1] * k[1] * k[1] + w[2] * k[2] * k[2] * k[2];
    return p;
  };
  return {channel(kFromLMS[0]), channel(kFromLMS[1]), channel(kFromLMS[2])};
}

// A search for where a channel's cubic, inside 0..1 at low (where it is
// start) and outside at high (end), leaves 0..1, for a double or a pair:
// Halley's method from the secant's guess, with the bracket [low, high] that
// each value found shrinks. g = sign (f - level) is at most 0 inside and
// above 0 at high.
template <class Real>
struct TSearch {
  TSearch(const TCubicOf<Real>& cubic, Real from, Real to, Real start, Real end)
      : p(cubic),
        level(end > 1.0 ? Real{} + 1.0 : Real{}),
        sign(end > level ? Real{} + 1.0 : Real{} - 1.0),
        low(from),
        high(to),
        c(low + (high - low) * (level - start) / (end - start)) {
    // A start a rounding outside (lightness 0 or 1) puts the guess off the
    // bracket, or makes it no number.
    c = (c >= low) & (c <= high) ? c : (low + high) / 2.0;
  }
  // Shrinks the bracket by the value at c and gives the next guess.
  Real Step() {
    const Real g = sign * (ValueAt(p, c) - level);
    const auto above = g > 0;
    high = above ? c : high;
    low = above ? low : c;
    const Real slope = sign * SlopeAt(p, c), bend = sign * (2.0 * p[2] + 6.0 * p[3] * c);
    return c - 2.0 * g * slope / (2.0 * slope * slope - g * bend);
  }
  const TCubicOf<Real>& p;
  const Real level, sign;
  Real low, high, c;
};

// Where a cubic that only rises or only falls over [low, high], inside 0..1
// at low and outside at high, leaves 0..1, kept inside the bracket by a
// halving step whenever a step would leave it. Each step about triples the
// digits found (two or three steps from the guess), so one of 1e-6 lands
// within about 1e-15 of the root, far inside the gamut's margin.
double Crossing(const TCubic& p, double low, double high, double start, double end) {
  TSearch<double> search(p, low, high, start, end);
  for (int step = 0; step < 200 && search.high - search.low > kRootPrecision; ++step) {
    const double next = search.Step();
    if (std::abs(next - search.c) <= kLastStep && next >= search.low && next <= search.high)
      return next;
    search.c = next > search.low && next < search.high ? next : (search.low + search.high) / 2;
  }
  return search.low;
}

// Whether the cubic turns inside (0, C): whether its slope, a quadratic,
// changes sign there (a zero counts). Found without a square root: a sign
// change between the ends, or a vertex inside on the other side of zero.
template <class Real>
auto Turns(const TCubicOf<Real>& p, Real C) {
  const Real atStart = p[1], atEnd = SlopeAt(p, C);
  // The vertex -p2 / (3 p3) inside (0, C), and the slope there,
  // (3 p1 p3 - p2^2) / (3 p3), of the other sign than at the ends: each
  // written as a product, without the division.
  const Real a = 3.0 * p[3];
  return (atStart * atEnd <= 0) | ((p[2] * a < 0) & ((-p[2] - a * C) * a < 0) &
                                   ((p[1] * a - p[2] * p[2]) * a * atStart <= 0));
}

// Where a channel's cubic, inside 0..1 at 0, first leaves 0..1 along [0, C]:
// C if it stays, nothing if it comes back in before C.
std::optional<double> Exit(const TCubic& p, double C) {
  // Most channels only rise or only fall along the whole ray: inside at C,
  // they are inside throughout, and outside, they cross once.
  if (!Turns(p, C)) {
    const double end = ValueAt(p, C);
    return end >= 0 && end <= 1 ? C : Crossing(p, 0, C, p[0], end);
  }
  // The slope's roots inside split [0, C] into pieces on which the cubic only
  // rises or only falls; a piece that ends inside is inside throughout.
  std::array<double, 4> ends{0};
  std::size_t count = 1;
  const double a = 3 * p[3], b = 2 * p[2], c = p[1];
  const auto turn = [&](double root) {
    if (root > 0 && root < C) ends[count++] = root;
  };
  if (a == 0) {
    if (b != 0) turn(-c / b);
  } else if (const double discriminant = b * b - 4 * a * c; discriminant > 0) {
    const double root = std::sqrt(discriminant);
    const double r1 = (-b - root) / (2 * a), r2 = (-b + root) / (2 * a);
    turn(std::min(r1, r2));
    turn(std::max(r1, r2));
  }
  ends[count++] = C;
  const auto inside = [](double v) { return v >= 0 && v <= 1; };
  for (std::size_t piece = 1; piece < count; ++piece) {
    double value = ValueAt(p, ends[piece]);
    if (inside(value)) continue;
    const double exit =
        Crossing(p, ends[piece - 1], ends[piece], ValueAt(p, ends[piece - 1]), value);
    // Out for the rest of this piece; each later one must stay on the same
    // side of 0..1 to its end.
    for (std::size_t later = piece + 1; later < count; ++later) {
      const double next = ValueAt(p, ends[later]);
      if (!(value > 1 && next > 1) && !(value < 0 && next < 0)) return std::nullopt;
      value = next;
    }
    return exit;
  }
  return C;
}

// The gamut's chroma along a ray by halving [0, C] down to 1e-6: where the
// colours inside along the ray are not one stretch from the grey, this
// settles on one of its ends.
double Bisected(const TChromaRay& ray) {
  double inside = 0, outside = ray.C;
  while (outside - inside > kChromaPrecision) {
    const double middle = (inside + outside) / 2;
    const bool in = InGamut(OKLabToLinear({ray.L, ray.a * middle, ray.b * middle}));
    (in ? inside : outside) = middle;
  }
  return inside;
}

gif::TGIFColor Encoded(const TLinearRGB& linear) {
  const TEncoding& encoding = Encoding();
  return {Encode(encoding, linear.r), Encode(encoding, linear.g), Encode(encoding, linear.b)};
}

}  // namespace

gif::TGIFColor ToSRGB(const TOKLab& lab) {
  return Encoded(OKLabToLinear(lab));
}

gif::TGIFColor ToSRGBInGamut(const TChromaRay& ray) {
  const TLinearRGB linear = OKLabToLinear(OnRay(ray));
  if (InGamut(linear)) return Encoded(linear);
  // Black and white are the only colours of their lightness: no chroma is
  // inside there (and the cubics' roots at 0 would be triple ones, which
  // the search nears only slowly).
  if (ray.L <= 0 || ray.L >= 1) return ToSRGB(TOKLab{ray.L, 0, 0});
  // Where each channel stays inside 0..1 up to one chroma and outside after
  // it, the colour is inside up to the least of those; a channel that comes
  // back in leaves the search to halving.
  double chroma = ray.C;
  const std::array<TCubic, 3> cubics = CubicsOf(ray.L, ray.a, ray.b);
  for (const TCubic& p : cubics) {
    const std::optional<double> exit = Exit(p, ray.C);
    if (!exit) {
      chroma = Bisected(ray);
      break;
    }
    chroma = std::min(chroma, *exit);
  }
  // The colour there, from the cubics at hand.
  return Encoded(
      {ValueAt(cubics[0], chroma), ValueAt(cubics[1], chroma), ValueAt(cubics[2], chroma)});
}

namespace {

// The first steps of Crossing(p, 0, C, p[0], end) for a pair of rays, as
// Crossing takes them; settled says in which lanes Crossing returns what this
// gives (where it needs more steps, or halves, the lane is left to it).
TPair CrossingInFewSteps(const TCubicOf<TPair>& p, TPair C, TPair end, TLanes& settled) {
  constexpr int kSteps = 3;  // enough for all but a few crossings in 10,000
  TSearch<TPair> search(p, TPair{}, C, p[0], end);
  TPair found{};
  settled = TLanes{};
  TLanes going = ~TLanes{};
  for (int step = 0; step < kSteps; ++step) {
    going &= search.high - search.low > kRootPrecision;
    const TPair next = search.Step();
    const TPair moved = next - search.c;
    const TLanes done =
        ((moved < 0 ? -moved : moved) <= kLastStep) & (next >= search.low) & (next <= search.high);
    found = going & done ? next : found;
    settled |= going & done;
    // Crossing goes on from the step's end only where it lies inside.
    going &= ~done & (next > search.low) & (next < search.high);
    search.c = next;
  }
  return found;
}

}  // namespace

void ToSRGBInGamut(std::span<const TChromaRay> rays, std::span<gif::TGIFColor> out) {
  // In blocks: first every ray's channels at its chroma, a pair at a time,
  // and the colours inside encoded; then the rays outside, a pair at a time,
  // with their crossings worked out side by side. A ray that needs more (a
  // channel that turns along it, a crossing that takes more steps, black or
  // white) is done alone, as one ray is.
  constexpr std::size_t kBlock = 64;
  std::array<std::array<double, kBlock>, 3> linear;
  std::array<uint8_t, kBlock> outside;
  for (std::size_t first = 0; first < rays.size(); first += kBlock) {
    const std::size_t count = std::min(kBlock, rays.size() - first);
    const TChromaRay* const block = rays.data() + first;
    // A pair past the block's end repeats its last ray.
    const auto pairOf = [&](double TChromaRay::*field, std::size_t i, std::size_t j) {
      return TPair{block[i].*field, block[j].*field};
    };
    std::size_t outs = 0;
    for (std::size_t i = 0; i < count; i += 2) {
      const std::size_t j = std::min(i + 1, count - 1);
      const TPair C = pairOf(&TChromaRay::C, i, j);
      const std::array<TPair, 3> at =
          LinearOf(pairOf(&TChromaRay::L, i, j), pairOf(&TChromaRay::a, i, j) * C,
                   pairOf(&TChromaRay::b, i, j) * C);
      TLanes in = ~TLanes{};
      for (std::size_t ch = 0; ch < 3; ++ch) {
        in &= (at[ch] >= -kGamutMargin) & (at[ch] <= 1 + kGamutMargin);
        linear[ch][i] = at[ch][0];
        linear[ch][j] = at[ch][1];
      }
      for (const std::size_t lane : {std::size_t{0}, std::size_t{1}}) {
        if (lane == 1 && j == i) break;
        outside[outs] = static_cast<uint8_t>(i + lane);
        outs += in[lane] == 0;
        if (in[lane] != 0)
          out[first + i + lane] =
              Encoded({linear[0][i + lane], linear[1][i + lane], linear[2][i + lane]});
      }
    }
    for (std::size_t k = 0; k < outs; k += 2) {
      const std::size_t i = outside[k], j = outside[std::min(k + 1, outs - 1)];
      const TPair L = pairOf(&TChromaRay::L, i, j), C = pairOf(&TChromaRay::C, i, j);
      const std::array<TCubicOf<TPair>, 3> cubics =
          CubicsOf(L, pairOf(&TChromaRay::a, i, j), pairOf(&TChromaRay::b, i, j));
      TLanes alone = (L <= 0) | (L >= 1);
      TPair chroma = C;
      for (const TCubicOf<TPair>& p : cubics) {
        const TPair end = ValueAt(p, C);
        const TLanes in = (end >= 0) & (end <= 1);
        alone |= Turns(p, C);
        // Mostly one channel of a colour leaves: the others need no search.
        if ((in[0] & in[1]) != 0) continue;
        TLanes settled;
        const TPair crossing = CrossingInFewSteps(p, C, end, settled);
        alone |= ~in & ~settled;
        const TPair exit = in ? C : crossing;
        chroma = exit < chroma ? exit : chroma;
      }
      const std::array<TPair, 3> there = {ValueAt(cubics[0], chroma), ValueAt(cubics[1], chroma),
                                          ValueAt(cubics[2], chroma)};
      const std::size_t lanes[2] = {i, j};
      for (std::size_t lane = 0; lane < (k + 1 < outs ? 2 : 1); ++lane)
        out[first + lanes[lane]] = alone[lane] != 0
                                       ? ToSRGBInGamut(block[lanes[lane]])
                                       : Encoded({there[0][lane], there[1][lane], there[2][lane]});
    }
  }
}

}  // namespace edit
