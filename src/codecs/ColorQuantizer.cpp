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

std::optional<std::vector<TColor32>> ExactColors(std::span<const TBitmap32* const> pictures,
                                                 int maxColors, std::optional<uint32_t> skip) {
  TDistinctColors distinct(maxColors);
  for (const TBitmap32* picture : pictures) {
    const TColor32* p = picture->Bits();
    const size_t count = size_t(picture->Width()) * size_t(picture->Height());
    uint32_t previous = 0xFFFFFFFFu;  // matches no RGB value
    for (size_t i = 0; i < count; ++i) {
      const uint32_t rgb = RgbOf(p[i]);
      if (rgb == previous || rgb == skip) continue;
      if (!distinct.Add(rgb)) return std::nullopt;
      previous = rgb;
    }
  }
  return std::move(distinct.Colors);
}

// ---- Wu's quantiser ---------------------------------------------------------------------
// Colours are binned 5 bits a channel; every bin keeps the pixel count and the sums of the
// channels and of their squares, turned into 3-D prefix sums so that the statistics of any box
// of bins take eight lookups. The box with the largest squared error is split where the two
// halves' error drops most, until there are enough boxes; each box's mean becomes a colour.
// It picks better colours than median cut for about the same time and, unlike an octree, does
// not depend on the order the pixels arrive in.

constexpr int kSide = 33;  // 32 bins a channel plus a zero border for the prefix sums

struct TMoments {
  int64_t W = 0, R = 0, G = 0, B = 0, Q = 0;  // count, channel sums, sum of squared channels

  TMoments& operator+=(const TMoments& o) {
    W += o.W, R += o.R, G += o.G, B += o.B, Q += o.Q;
    return *this;
  }
  TMoments& operator-=(const TMoments& o) {
    W -= o.W, R -= o.R, G -= o.G, B -= o.B, Q -= o.Q;
    return *this;
  }
  // The squared length of the channel sums over the count: what a box "explains".
  double Explained() const {
    if (W == 0) return 0;
    return (double(R) * double(R) + double(G) * double(G) + double(B) * double(B)) / double(W);
  }
};

struct TBox {
  // Bins (Lo, Hi] on each axis: red, green, blue.
  std::array<int, 3> Lo{0, 0, 0}, Hi{kSide - 1, kSide - 1, kSide - 1};
  double Error = 0;
};

class TWuQuantizer {
public:
  TWuQuantizer() : Cells_(size_t(kSide) * kSide * kSide) {}

  void Add(std::span<const TBitmap32* const> pictures, std::optional<uint32_t> skip) {
    for (const TBitmap32* picture : pictures) {
      const TColor32* p = picture->Bits();
      const size_t count = size_t(picture->Width()) * size_t(picture->Height());
      for (size_t i = 0; i < count; ++i) {
        const uint32_t rgb = RgbOf(p[i]);
        if (rgb == skip) continue;
        const int r = RedOf(rgb), g = GreenOf(rgb), b = BlueOf(rgb);
        TMoments& cell = Cells_[Index((r >> 3) + 1, (g >> 3) + 1, (b >> 3) + 1)];
        cell.W += 1;
        cell.R += r;
        cell.G += g;
        cell.B += b;
        cell.Q += r * r + g * g + b * b;
      }
    }
  }

  std::vector<TColor32> Colors(int maxColors) {
    Accumulate();
    std::vector<TBox> boxes(1);
    boxes[0].Error = Error(boxes[0]);
    while (int(boxes.size()) < maxColors) {
      auto worst = std::max_element(boxes.begin(), boxes.end(),
                                    [](const TBox& a, const TBox& b) { return a.Error < b.Error; });
      if (worst->Error <= 0) break;
      TBox second;
      if (!Split(*worst, second)) {
        worst->Error = 0;  // a single bin, or all its pixels on one side of every cut
        continue;
      }
      worst->Error = Error(*worst);
      second.Error = Error(second);
      boxes.push_back(second);
    }
    std::vector<TColor32> colors;
    for (const TBox& box : boxes) {
      const TMoments m = Sum(box);
      if (m.W == 0) continue;
      auto mean = [&](int64_t s) { return uint8_t((s + m.W / 2) / m.W); };
      colors.push_back(Color32(mean(m.R), mean(m.G), mean(m.B)));
    }
    return colors;
  }

private:
  static size_t Index(int r, int g, int b) { return (size_t(r) * kSide + g) * kSide + b; }

  // Turns the bins into prefix sums: cell (r, g, b) then holds all bins up to it.
  void Accumulate() {
    for (int r = 1; r < kSide; ++r)
      for (int g = 1; g < kSide; ++g)
        for (int b = 1; b < kSide; ++b) {
          TMoments& c = Cells_[Index(r, g, b)];
          c += Cells_[Index(r, g, b - 1)];
        }
    for (int r = 1; r < kSide; ++r)
      for (int g = 1; g < kSide; ++g)
        for (int b = 1; b < kSide; ++b) Cells_[Index(r, g, b)] += Cells_[Index(r, g - 1, b)];
    for (int r = 1; r < kSide; ++r)
      for (int g = 1; g < kSide; ++g)
        for (int b = 1; b < kSide; ++b) Cells_[Index(r, g, b)] += Cells_[Index(r - 1, g, b)];
  }

  TMoments Sum(const TBox& box) const {
    const auto& lo = box.Lo;
    const auto& hi = box.Hi;
    TMoments s = Cells_[Index(hi[0], hi[1], hi[2])];
    s -= Cells_[Index(hi[0], hi[1], lo[2])];
    s -= Cells_[Index(hi[0], lo[1], hi[2])];
    s += Cells_[Index(hi[0], lo[1], lo[2])];
    s -= Cells_[Index(lo[0], hi[1], hi[2])];
    s += Cells_[Index(lo[0], hi[1], lo[2])];
    s += Cells_[Index(lo[0], lo[1], hi[2])];
    s -= Cells_[Index(lo[0], lo[1], lo[2])];
    return s;
  }

  // The squared error of the box's pixels around their mean; 0 for boxes that cannot split.
  double Error(const TBox& box) const {
    bool singleBin = true;
    for (int axis = 0; axis < 3; ++axis) singleBin &= box.Hi[axis] - box.Lo[axis] <= 1;
    if (singleBin) return 0;
    const TMoments m = Sum(box);
    return double(m.Q) - m.Explained();
  }

  // Splits box where the two halves explain the most; the upper half goes to second.
  bool Split(TBox& box, TBox& second) const {
    const TMoments whole = Sum(box);
    double best = -1;
    int bestAxis = -1, bestCut = 0;
    for (int axis = 0; axis < 3; ++axis) {
      for (int cut = box.Lo[axis] + 1; cut < box.Hi[axis]; ++cut) {
        TBox lower = box;
        lower.Hi[axis] = cut;
        const TMoments low = Sum(lower);
        TMoments high = whole;
        high -= low;
        if (low.W == 0 || high.W == 0) continue;
        const double score = low.Explained() + high.Explained();
        if (score > best) best = score, bestAxis = axis, bestCut = cut;
      }
    }
    if (bestAxis < 0) return false;
    second = box;
    box.Hi[bestAxis] = bestCut;
    second.Lo[bestAxis] = bestCut;
    return true;
  }

  std::vector<TMoments> Cells_;
};

}  // namespace

TPalette BuildPalette(std::span<const TBitmap32* const> pictures, int maxColors,
                      std::optional<TColor32> skipColor) {
  maxColors = std::clamp(maxColors, 1, 256);
  std::optional<uint32_t> skip;
  if (skipColor) skip = RgbOf(*skipColor);
  TPalette palette;
  if (auto exact = ExactColors(pictures, maxColors, skip)) {
    palette.Colors = std::move(*exact);
    palette.Exact = true;
    return palette;
  }
  TWuQuantizer wu;
  wu.Add(pictures, skip);
  palette.Colors = wu.Colors(maxColors);
  return palette;
}

bool HasMoreColorsThan(const TBitmap32& picture, int count) {
  const TBitmap32* pictures[] = {&picture};
  return !ExactColors(pictures, std::clamp(count, 1, 256), std::nullopt);
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

constexpr int kCellSize = 8;  // 1 << (8 - kCellBits)

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
uint32_t TColorMapper::ListCandidates(uint32_t cell) {
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
  Cells_[cell] = uint32_t(start << kCountBits) | uint32_t(Candidates_.size() - start);
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
