// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/ColorQuantizer.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <utility>

namespace gs {

namespace {

// ---- Exact palettes ---------------------------------------------------------------------

// The distinct colours in order of first appearance, or nothing once there are more than
// maxColors of them. Open addressing keeps the common case (few colours, long runs) cheap.
class TDistinctColors {
public:
  explicit TDistinctColors(int maxColors) : MaxColors_(maxColors) { Slots_.fill(kEmpty); }

  // False once the colours no longer fit.
  bool Add(uint32_t rgb) {
    uint32_t slot = (rgb * 0x9E3779B1u) >> (32 - kBits);
    while (Slots_[slot] != kEmpty) {
      if (Slots_[slot] == rgb) return true;
      slot = (slot + 1) & (kSize - 1);
    }
    if (int(Colors.size()) == MaxColors_) return false;
    Slots_[slot] = rgb;
    Colors.push_back(0xFF000000u | rgb);
    return true;
  }

  std::vector<TColor32> Colors;

private:
  static constexpr int kBits = 10;  // four times the largest palette keeps probes short
  static constexpr uint32_t kSize = 1u << kBits;
  static constexpr uint32_t kEmpty = 0xFFFFFFFFu;  // no RGB value has the top byte set
  std::array<uint32_t, kSize> Slots_;
  int MaxColors_;
};

// Which pixels count: not the skipped RGB, and opaque enough when transparency is skipped.
struct TPixelFilter {
  uint32_t SkipRgb = 0xFFFFFFFFu;  // matches no pixel's RGB when nothing is skipped
  uint32_t MinAlpha = 0;

  bool Counts(TColor32 pixel) const { return RgbOf(pixel) != SkipRgb && AlphaOf(pixel) >= MinAlpha; }
};

// ---- Sampled colour counts --------------------------------------------------------------
// Colours with their weight and channel sums, so that a colour's mean stays exact when the
// table grows too big and neighbouring colours are merged into one entry.

struct TColorPoint {
  float R = 0, G = 0, B = 0, W = 0;  // the mean colour and its weight
};

class TColorCounts {
public:
  TColorCounts() { Resize(kInitialBits); }

  void Add(uint32_t rgb, double weight) {
    const uint32_t key = KeyOf(rgb);
    TEntry& e = Find(key);
    if (e.Key == kEmpty) {
      e.Key = key;
      if (++Used_ * 2 > Slots_.size()) {
        Grow();
        Find(KeyOf(rgb)).Accumulate(rgb, weight);
        return;
      }
    }
    e.Accumulate(rgb, weight);
  }

  std::vector<TColorPoint> Points() const {
    std::vector<TColorPoint> points;
    points.reserve(Used_);
    for (const TEntry& e : Slots_)
      if (e.Key != kEmpty)
        points.push_back(TColorPoint{float(e.R / e.W), float(e.G / e.W), float(e.B / e.W), float(e.W)});
    return points;
  }

private:
  static constexpr uint32_t kEmpty = 0xFFFFFFFFu;
  static constexpr int kInitialBits = 12;
  // Beyond this many entries neighbouring colours share one: the palette search then stays
  // fast on noisy photos, and the merged entries keep their exact mean.
  static constexpr size_t kMaxEntries = size_t(1) << 15;

  struct TEntry {
    uint32_t Key = kEmpty;
    double W = 0, R = 0, G = 0, B = 0;
    void Accumulate(uint32_t rgb, double weight) {
      W += weight;
      R += weight * RedOf(rgb);
      G += weight * GreenOf(rgb);
      B += weight * BlueOf(rgb);
    }
  };

  uint32_t KeyOf(uint32_t rgb) const {
    const uint32_t mask = (0xFFu << Shift_) & 0xFFu;
    return rgb & (mask << 16 | mask << 8 | mask);
  }

  TEntry& Find(uint32_t key) {
    size_t slot = (key * 0x9E3779B1u) >> (32 - Bits_);
    while (Slots_[slot].Key != kEmpty && Slots_[slot].Key != key) slot = (slot + 1) & (Slots_.size() - 1);
    return Slots_[slot];
  }

  void Resize(int bits) {
    Bits_ = bits;
    Slots_.assign(size_t(1) << bits, TEntry{});
    Used_ = 0;
  }

  // Twice the slots, or, past kMaxEntries, coarser keys: one bit a channel less.
  void Grow() {
    std::vector<TEntry> old = std::move(Slots_);
    if (Used_ > kMaxEntries && Shift_ < 7) ++Shift_;
    else ++Bits_;
    Resize(Bits_);
    for (const TEntry& e : old) {
      if (e.Key == kEmpty) continue;
      const uint32_t key = KeyOf(e.Key);
      TEntry& into = Find(key);
      if (into.Key == kEmpty) into.Key = key, ++Used_;
      into.W += e.W, into.R += e.R, into.G += e.G, into.B += e.B;
    }
  }

  std::vector<TEntry> Slots_;
  int Bits_ = 0;
  int Shift_ = 0;
  size_t Used_ = 0;
};

// ---- Choosing the colours ---------------------------------------------------------------
// The colour points are cut into boxes: the box with the largest squared error is sorted along
// its widest channel and cut where the two halves' summed error is least, until there are
// enough boxes. The boxes' means then seed Lloyd's k-means, which moves every entry to the
// mean of the colours nearest to it: cuts alone leave entries off the centre of curved or
// diagonal colour runs, such as skin shading.

struct TBox {
  size_t Begin = 0, End = 0;
  double Error = 0;
};

double Sq(double v) { return v * v; }

// Squared error of points [begin, end) around their mean, and the channel with the most spread.
std::pair<double, int> ErrorAndAxis(const std::vector<TColorPoint>& points, size_t begin, size_t end) {
  double w = 0, s[3] = {0, 0, 0}, q[3] = {0, 0, 0};
  for (size_t i = begin; i < end; ++i) {
    const TColorPoint& p = points[i];
    const float c[3] = {p.R, p.G, p.B};
    w += p.W;
    for (int a = 0; a < 3; ++a) s[a] += p.W * c[a], q[a] += p.W * c[a] * c[a];
  }
  if (w <= 0) return {0, 0};
  double error = 0, widest = -1;
  int axis = 0;
  for (int a = 0; a < 3; ++a) {
    const double spread = q[a] - s[a] * s[a] / w;
    error += spread;
    if (spread > widest) widest = spread, axis = a;
  }
  return {std::max(error, 0.0), axis};
}

float Channel(const TColorPoint& p, int axis) { return axis == 0 ? p.R : axis == 1 ? p.G : p.B; }

// Sorts the box along its widest channel and returns where to cut it, or box.End when it
// cannot be cut.
size_t CutOf(std::vector<TColorPoint>& points, const TBox& box) {
  if (box.End - box.Begin < 2) return box.End;
  const int axis = ErrorAndAxis(points, box.Begin, box.End).second;
  std::sort(points.begin() + ptrdiff_t(box.Begin), points.begin() + ptrdiff_t(box.End),
            [axis](const TColorPoint& a, const TColorPoint& b) { return Channel(a, axis) < Channel(b, axis); });
  // Error of a part = sum of w c^2 - |sum of w c|^2 / w; the squared sums do not depend on the
  // cut, so the best cut explains the most: |S_low|^2 / W_low + |S_high|^2 / W_high.
  double tw = 0, ts[3] = {0, 0, 0};
  for (size_t i = box.Begin; i < box.End; ++i) {
    const TColorPoint& p = points[i];
    tw += p.W, ts[0] += p.W * p.R, ts[1] += p.W * p.G, ts[2] += p.W * p.B;
  }
  double lw = 0, ls[3] = {0, 0, 0}, best = -1;
  size_t cut = box.End;
  for (size_t i = box.Begin; i + 1 < box.End; ++i) {
    const TColorPoint& p = points[i];
    lw += p.W, ls[0] += p.W * p.R, ls[1] += p.W * p.G, ls[2] += p.W * p.B;
    if (Channel(points[i + 1], axis) == Channel(p, axis)) continue;  // equal values stay together
    const double hw = tw - lw;
    if (lw <= 0 || hw <= 0) continue;
    const double explained = (Sq(ls[0]) + Sq(ls[1]) + Sq(ls[2])) / lw +
                             (Sq(ts[0] - ls[0]) + Sq(ts[1] - ls[1]) + Sq(ts[2] - ls[2])) / hw;
    if (explained > best) best = explained, cut = i + 1;
  }
  return cut;
}

std::vector<TBox> CutIntoBoxes(std::vector<TColorPoint>& points, int maxColors) {
  std::vector<TBox> boxes{TBox{0, points.size(), ErrorAndAxis(points, 0, points.size()).first}};
  while (int(boxes.size()) < maxColors) {
    const auto worst = std::max_element(boxes.begin(), boxes.end(),
                                        [](const TBox& a, const TBox& b) { return a.Error < b.Error; });
    if (worst->Error <= 0) break;
    const size_t cut = CutOf(points, *worst);
    if (cut == worst->End) {
      worst->Error = 0;
      continue;
    }
    TBox upper{cut, worst->End, ErrorAndAxis(points, cut, worst->End).first};
    worst->End = cut;
    worst->Error = ErrorAndAxis(points, worst->Begin, cut).first;
    boxes.push_back(upper);
  }
  return boxes;
}

TColor32 RoundedColor(double r, double g, double b) {
  auto channel = [](double v) { return uint8_t(std::clamp(std::lround(v), 0L, 255L)); };
  return Color32(channel(r), channel(g), channel(b));
}

TColor32 RoundedColor(const TColorPoint& p) { return RoundedColor(p.R, p.G, p.B); }

// Lloyd's rounds: every point goes to its nearest entry, every entry to its points' mean. As
// entries move little from round to round, a point only compares the entry it had and that
// entry's nearest neighbours. An entry that no point is nearest to keeps its colour.
std::vector<TColor32> RefineByKMeans(const std::vector<TColorPoint>& points,
                                     std::vector<uint8_t>& nearest, std::vector<TColorPoint> centres,
                                     int rounds) {
  constexpr size_t kNeighbours = 12;
  const size_t n = centres.size();
  std::vector<std::array<uint8_t, kNeighbours + 1>> neighbours(n);
  std::vector<std::pair<float, uint8_t>> others(n);
  std::vector<double> sums(4 * n);
  auto distance = [](const TColorPoint& a, const TColorPoint& b) {
    return (a.R - b.R) * (a.R - b.R) + (a.G - b.G) * (a.G - b.G) + (a.B - b.B) * (a.B - b.B);
  };
  for (int round = 0; round < rounds; ++round) {
    const size_t kept = std::min(n, kNeighbours + 1);  // the entry itself comes first
    // The lists change slowly too: renewed every third round.
    for (size_t a = 0; a < n && round % 3 == 0; ++a) {
      for (size_t b = 0; b < n; ++b) others[b] = {distance(centres[a], centres[b]), uint8_t(b)};
      std::partial_sort(others.begin(), others.begin() + ptrdiff_t(kept), others.end());
      neighbours[a].fill(uint8_t(a));
      for (size_t i = 0; i < kept; ++i) neighbours[a][i] = others[i].second;
    }
    std::fill(sums.begin(), sums.end(), 0.0);
    for (size_t i = 0; i < points.size(); ++i) {
      const TColorPoint& p = points[i];
      uint8_t best = nearest[i];
      float bestDistance = distance(p, centres[best]);
      for (const uint8_t c : neighbours[nearest[i]]) {
        const float d = distance(p, centres[c]);
        if (d < bestDistance) bestDistance = d, best = c;
      }
      nearest[i] = best;
      double* s = &sums[4 * best];
      s[0] += p.W, s[1] += p.W * p.R, s[2] += p.W * p.G, s[3] += p.W * p.B;
    }
    for (size_t c = 0; c < n; ++c) {
      const double* s = &sums[4 * c];
      if (s[0] > 0) centres[c] = TColorPoint{float(s[1] / s[0]), float(s[2] / s[0]), float(s[3] / s[0]), float(s[0])};
    }
  }
  std::vector<TColor32> colors;
  for (const TColorPoint& c : centres) colors.push_back(RoundedColor(c));
  return colors;
}

constexpr int kKMeansRounds = 10;
// Pictures above this many pixels are sampled: the palette hardly changes, the time does.
constexpr size_t kSampleTarget = size_t(1) << 18;

}  // namespace

struct TColorHistogram::TState {
  TPixelFilter Filter;
  TDistinctColors Distinct{256};
  bool TooManyForExact = false;
  TColorCounts Counts;
};

TColorHistogram::TColorHistogram(std::optional<TColor32> skipColor, bool skipTransparent)
    : State_(std::make_unique<TState>()) {
  if (skipColor) State_->Filter.SkipRgb = RgbOf(*skipColor);
  if (skipTransparent) State_->Filter.MinAlpha = 128;
}

TColorHistogram::~TColorHistogram() = default;

void TColorHistogram::Add(const TBitmap32& picture, uint32_t weight) {
  TState& s = *State_;
  const TColor32* p = picture.Bits();
  const size_t count = size_t(picture.Width()) * size_t(picture.Height());
  if (!s.TooManyForExact) {
    uint32_t previous = 0xFFFFFFFFu;  // matches no RGB value
    for (size_t i = 0; i < count && !s.TooManyForExact; ++i) {
      const uint32_t rgb = RgbOf(p[i]);
      if (rgb == previous || !s.Filter.Counts(p[i])) continue;
      s.TooManyForExact = !s.Distinct.Add(rgb);
      previous = rgb;
    }
  }
  // A step that is no multiple of the width, so that the sample does not fall into columns.
  size_t step = std::max<size_t>(1, count / kSampleTarget);
  if (step > 1 && size_t(picture.Width()) % step == 0) ++step;
  const double w = double(weight) * double(step);
  for (size_t i = 0; i < count; i += step)
    if (s.Filter.Counts(p[i])) s.Counts.Add(RgbOf(p[i]), w);
}

TPalette TColorHistogram::Palette(int maxColors) const {
  maxColors = std::clamp(maxColors, 1, 256);
  const TState& s = *State_;
  TPalette palette;
  if (!s.TooManyForExact && int(s.Distinct.Colors.size()) <= maxColors) {
    palette.Colors = s.Distinct.Colors;
    palette.Exact = true;
    return palette;
  }
  std::vector<TColorPoint> points = s.Counts.Points();
  if (points.empty()) return palette;
  // Each box's mean seeds an entry, and its points start out nearest to it.
  std::vector<TColorPoint> centres;
  std::vector<uint8_t> nearest(points.size());
  for (const TBox& box : CutIntoBoxes(points, maxColors)) {
    double w = 0, r = 0, g = 0, b = 0;
    for (size_t i = box.Begin; i < box.End; ++i) {
      const TColorPoint& p = points[i];
      w += p.W, r += p.W * p.R, g += p.W * p.G, b += p.W * p.B;
      nearest[i] = uint8_t(centres.size());
    }
    centres.push_back(TColorPoint{float(r / w), float(g / w), float(b / w), float(w)});
  }
  palette.Colors = RefineByKMeans(points, nearest, std::move(centres), kKMeansRounds);
  return palette;
}

TPalette BuildPalette(std::span<const TBitmap32* const> pictures, int maxColors,
                      std::optional<TColor32> skipColor) {
  TColorHistogram histogram(skipColor);
  for (const TBitmap32* picture : pictures) histogram.Add(*picture);
  return histogram.Palette(maxColors);
}

bool HasMoreColorsThan(const TBitmap32& picture, int count) {
  count = std::clamp(count, 1, 256);
  TDistinctColors distinct(count);
  const TColor32* p = picture.Bits();
  const size_t n = size_t(picture.Width()) * size_t(picture.Height());
  uint32_t previous = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    const uint32_t rgb = RgbOf(p[i]);
    if (rgb == previous) continue;
    if (!distinct.Add(rgb)) return true;
    previous = rgb;
  }
  return false;
}

// ---- Mapping ----------------------------------------------------------------------------

TColorMapper::TColorMapper(const TPalette& palette) : Cells_(kCells, 0) {
  const size_t count = std::min<size_t>(palette.Colors.size(), 256);
  for (size_t i = 0; i < count; ++i) {
    const TColor32 c = palette.Colors[i];
    Red_.push_back(RedOf(c));
    Green_.push_back(GreenOf(c));
    Blue_.push_back(BlueOf(c));
  }
}

namespace {

constexpr int kCellSize = 4;  // 1 << (8 - kCellBits)

// Squared distance along one axis from v to the nearest and the farthest point of the cell
// [low, low + kCellSize - 1].
inline int NearestSquared(int v, int low) {
  const int d = std::max({low - v, v - (low + kCellSize - 1), 0});
  return d * d;
}
inline int FarthestSquared(int v, int low) {
  const int d = std::max(v - low, low + kCellSize - 1 - v);
  return d * d;
}

}  // namespace

// An entry can be nearest to some colour of the cell only if its closest possible distance to
// the cell is no larger than the farthest distance of the entry that is best in the worst case.
uint64_t TColorMapper::ListCandidates(uint32_t cell) {
  static_assert(kCellSize == 1 << kShift);
  constexpr uint32_t kMask = (1u << kCellBits) - 1;
  const int lowR = int(cell >> (2 * kCellBits)) << kShift;
  const int lowG = int((cell >> kCellBits) & kMask) << kShift;
  const int lowB = int(cell & kMask) << kShift;
  const size_t count = Red_.size();
  std::array<int, 256> nearest;
  int bound = INT_MAX;
  for (size_t i = 0; i < count; ++i) {
    nearest[i] = NearestSquared(Red_[i], lowR) + NearestSquared(Green_[i], lowG) +
                 NearestSquared(Blue_[i], lowB);
    bound = std::min(bound, FarthestSquared(Red_[i], lowR) + FarthestSquared(Green_[i], lowG) +
                                FarthestSquared(Blue_[i], lowB));
  }
  const size_t start = Candidates_.size();
  for (size_t i = 0; i < count; ++i)
    if (nearest[i] <= bound)
      Candidates_.push_back((uint32_t(i) << 24) | (uint32_t(Red_[i]) << 16) |
                            (uint32_t(Green_[i]) << 8) | uint32_t(Blue_[i]));
  while ((Candidates_.size() - start) % 4 != 0) Candidates_.push_back(Candidates_.back());
  Cells_[cell] = uint64_t(start) << kCountBits | uint64_t(Candidates_.size() - start);
  return Cells_[cell];
}

// ---- Ordered dither ---------------------------------------------------------------------

// Every level 0..63 once, neighbouring levels as far apart as the 8 x 8 square allows.
const uint8_t TOrderedDither::kBayer[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};

TOrderedDither::TOrderedDither(const TPalette& palette)
    : Nearest_(palette), Mixes_(size_t(1) << kCacheBits) {
  const size_t count = std::min<size_t>(palette.Colors.size(), 256);
  for (size_t i = 0; i < count; ++i) {
    Red_.push_back(RedOf(palette.Colors[i]));
    Green_.push_back(GreenOf(palette.Colors[i]));
    Blue_.push_back(BlueOf(palette.Colors[i]));
  }
  Neighbours_.resize(count);
  std::vector<std::pair<int, uint8_t>> others;
  for (size_t a = 0; a < count; ++a) {
    others.clear();
    for (size_t b = 0; b < count; ++b) {
      if (b == a) continue;
      const int dr = Red_[b] - Red_[a], dg = Green_[b] - Green_[a], db = Blue_[b] - Blue_[a];
      others.emplace_back(dr * dr + dg * dg + db * db, uint8_t(b));
    }
    const size_t kept = std::min<size_t>(others.size(), kNeighbours);
    std::partial_sort(others.begin(), others.begin() + ptrdiff_t(kept), others.end());
    Neighbours_[a].fill(uint8_t(a));
    for (size_t i = 0; i < kept; ++i) Neighbours_[a][i] = others[i].second;
  }
}

TOrderedDither::TMix TOrderedDither::MixOf(uint32_t rgb) {
  TMix mix;
  mix.Rgb = rgb;
  const uint8_t a = Nearest_.IndexOf(rgb);
  mix.First = mix.Second = a;
  if (Red_.empty()) return mix;
  const int dr = RedOf(rgb) - Red_[a], dg = GreenOf(rgb) - Green_[a], db = BlueOf(rgb) - Blue_[a];
  if ((dr | dg | db) == 0) return mix;
  // The neighbour b that leaves the least of the colour off the line a..b: the largest
  // dot^2 / |b - a|^2, compared without dividing.
  int64_t bestDot = 0, bestLength = 1;
  for (const uint8_t b : Neighbours_[a]) {
    if (b == a) continue;
    const int vr = Red_[b] - Red_[a], vg = Green_[b] - Green_[a], vb = Blue_[b] - Blue_[a];
    const int64_t dot = int64_t(dr) * vr + int64_t(dg) * vg + int64_t(db) * vb;
    if (dot <= 0) continue;
    const int64_t length = int64_t(vr) * vr + int64_t(vg) * vg + int64_t(vb) * vb;
    if (dot * dot * bestLength > bestDot * bestDot * length) {
      bestDot = dot;
      bestLength = length;
      mix.Second = b;
    }
  }
  if (mix.Second == a) return mix;
  // The share of b is dot / length (at most a half, since a is the nearest entry); a level
  // takes b when (level + 0.5) / 64 falls below it.
  const int64_t over = 128 * bestDot - bestLength;
  mix.Share = over <= 0 ? 0 : uint8_t(std::min<int64_t>(64, (over + 2 * bestLength - 1) / (2 * bestLength)));
  return mix;
}

}  // namespace gs
