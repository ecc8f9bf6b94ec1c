// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/Shrink.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace gs {

TSize FittedSize(int width, int height, int maxSide) {
  const int longer = std::max(width, height);
  if (longer <= maxSide || longer <= 0) return TSize{width, height};
  const double scale = double(maxSide) / longer;
  return TSize{std::max(1, int(std::lround(width * scale))), std::max(1, int(std::lround(height * scale)))};
}

namespace {

// Where each target cell starts along a side of n source pixels cut into m cells.
std::vector<int> CellStarts(int n, int m) {
  std::vector<int> starts(size_t(m) + 1);
  for (int i = 0; i <= m; ++i) starts[size_t(i)] = int(int64_t(i) * n / m);
  return starts;
}

}  // namespace

TBitmap32 ShrinkPicture(const TBitmap32& picture, int width, int height) {
  width = std::clamp(width, 1, std::max(1, picture.Width()));
  height = std::clamp(height, 1, std::max(1, picture.Height()));
  TBitmap32 out(width, height);
  if (picture.Empty()) return out;
  const std::vector<int> columns = CellStarts(picture.Width(), width);
  const std::vector<int> rows = CellStarts(picture.Height(), height);
  // Per target column: alpha-weighted blue, green, red, then alpha itself.
  std::vector<uint64_t> sums(size_t(width) * 4);
  for (int ty = 0; ty < height; ++ty) {
    std::fill(sums.begin(), sums.end(), 0);
    for (int y = rows[size_t(ty)]; y < rows[size_t(ty) + 1]; ++y) {
      const TColor32* row = picture.ScanLine(y);
      for (int tx = 0; tx < width; ++tx) {
        uint64_t* s = &sums[size_t(tx) * 4];
        for (int x = columns[size_t(tx)]; x < columns[size_t(tx) + 1]; ++x) {
          const uint32_t c = row[x], a = c >> 24;
          s[0] += (c & 0xFF) * a;
          s[1] += ((c >> 8) & 0xFF) * a;
          s[2] += ((c >> 16) & 0xFF) * a;
          s[3] += a;
        }
      }
    }
    TColor32* target = out.ScanLine(ty);
    for (int tx = 0; tx < width; ++tx) {
      const uint64_t* s = &sums[size_t(tx) * 4];
      const uint64_t count = uint64_t(columns[size_t(tx) + 1] - columns[size_t(tx)]) *
                             uint64_t(rows[size_t(ty) + 1] - rows[size_t(ty)]);
      if (s[3] == 0) continue;  // wholly transparent
      auto channel = [&](int i) { return uint32_t((s[i] + s[3] / 2) / s[3]); };
      const uint32_t alpha = uint32_t((s[3] + count / 2) / count);
      target[tx] = (alpha << 24) | (channel(2) << 16) | (channel(1) << 8) | channel(0);
    }
  }
  return out;
}

}  // namespace gs
