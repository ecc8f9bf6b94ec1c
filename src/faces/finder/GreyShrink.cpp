// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces/finder/GreyShrink.h"

#include "common/OnAllCores.h"

#include <cmath>
#include <stdexcept>
#include <utility>

namespace gs {

namespace {

// What lies under a transparent pixel is nothing anyone sees: white shows through.
float Grey(TColor32 c) {
  const uint32_t a = c >> 24, sum = ((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF);
  return float(sum * a + 765 * (255 - a)) * (1.0f / 765);
}

// Where source pixels land when a side of `from` pixels shrinks to `to`: the first output pixel
// each one touches and how much of its own width falls there, in output pixels; the rest of it,
// up to Width, falls on the next output pixel.
struct TSplit {
  std::vector<int> First;
  std::vector<float> Share;
  float Width;
};

TSplit Split(int from, int to) {
  const double f = double(to) / from;
  TSplit split{std::vector<int>(size_t(from)), std::vector<float>(size_t(from)), float(f)};
  for (int i = 0; i < from; ++i) {
    const double a = i * f, first = std::floor(a);
    split.First[size_t(i)] = int(first);
    split.Share[size_t(i)] = float(std::min((i + 1) * f, first + 1) - a);
  }
  return split;
}

// Output rows [first, last): every source row that touches them, spread across and then down.
void ShrinkRows(const TBitmap32& picture, const TSplit& across, const TSplit& down, int first, int last,
                size_t width, uint8_t* out) {
  const size_t stride = width + 1;
  std::vector<float> sums(size_t(last - first) * stride), row(stride);
  const int top = std::max(0, int(first / down.Width) - 1);
  const int bottom = std::min(picture.Height(), int(std::ceil(last / down.Width)) + 1);
  for (int y = top; y < bottom; ++y) {
    const int to = down.First[size_t(y)];
    if (to + 1 < first || to >= last) continue;
    std::fill(row.begin(), row.end(), 0.0f);
    const TColor32* source = picture.ScanLine(y);
    for (int x = 0; x < picture.Width(); ++x) {
      const float v = Grey(source[x]), share = across.Share[size_t(x)];
      float* cell = &row[size_t(across.First[size_t(x)])];
      cell[0] += v * share;
      cell[1] += v * (across.Width - share);
    }
    const float share = down.Share[size_t(y)];
    for (auto [r, weight] : {std::pair{to, share}, std::pair{to + 1, down.Width - share}}) {
      if (r < first || r >= last) continue;
      float* sum = &sums[size_t(r - first) * stride];
      for (size_t x = 0; x < width; ++x) sum[x] += row[x] * weight;
    }
  }
  for (int r = first; r < last; ++r) {
    const float* sum = &sums[size_t(r - first) * stride];
    uint8_t* line = out + size_t(r) * width;
    for (size_t x = 0; x < width; ++x) line[x] = uint8_t(std::clamp(std::lround(sum[x]), 0L, 255L));
  }
}

}  // namespace

void ShrinkToGrey(const TBitmap32& picture, int width, int height, uint8_t* out) {
  if (width <= 0 || height <= 0 || width > picture.Width() || height > picture.Height())
    throw std::invalid_argument("ShrinkToGrey: the size must lie between 1 and the picture's own");
  const TSplit across = Split(picture.Width(), width), down = Split(picture.Height(), height);
  constexpr int kRows = 64;
  OnAllCores(size_t((height + kRows - 1) / kRows), [&](size_t i) {
    ShrinkRows(picture, across, down, int(i) * kRows, std::min(height, int(i + 1) * kRows), size_t(width), out);
  });
}

}  // namespace gs
