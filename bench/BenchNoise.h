// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Repeatable noise for the benchmarks' synthetic photos: the same pictures on every run.

#include <cstdint>

namespace gs::bench {

// A well-mixed 32-bit hash.
inline uint32_t Hash(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352dU;
  x ^= x >> 15;
  x *= 0x846ca68bU;
  x ^= x >> 16;
  return x;
}

// The hash of a pixel's place, for sensor noise.
inline uint32_t PixelNoise(int x, int y) { return Hash(uint32_t(x) * 7919u + uint32_t(y) * 104729u); }

}  // namespace gs::bench
