// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/TestFiles.h"

#include <atomic>
#include <unistd.h>

namespace gs::test {

TScratchFolder::TScratchFolder() {
  static std::atomic<int> counter{0};
  Root_ = std::filesystem::temp_directory_path() /
          ("gs-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  std::filesystem::remove_all(Root_);
  std::filesystem::create_directories(Root_);
}

TScratchFolder::~TScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(Root_, ignored);
}

TBitmap32 Swatch(int width, int height, TColor32 corner) {
  TBitmap32 b(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      b.SetPixel(x, y, Color32(uint8_t(40 + 20 * (x % 4)), uint8_t(60 + 30 * (y % 3)), 150));
  b.SetPixel(0, 0, corner);
  return b;
}

TBitmap32 Stripes(int width, int height) {
  TBitmap32 b(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) b.SetPixel(x, y, Color32(uint8_t(x * 7), uint8_t(y * 5), uint8_t((x + y) * 3)));
  return b;
}

}  // namespace gs::test
