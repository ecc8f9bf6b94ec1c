// SPDX-License-Identifier: GPL-3.0-or-later
#include "warp/Compose.h"

#if defined(__x86_64__)
#define GS_COMPOSE_X86 1
#include <immintrin.h>
#endif

namespace gs {

namespace {

// One row of cells; X = map column of cell I0, RowY = the row's 16.16 position.
struct TRow {
  const TFixedVector* In;
  TFixedVector* Out;
  int X;
  TFixed RowY;
  int I0, I1;
};

// The map's fields in locals: stores to the scratch cells could otherwise alias them, forcing
// a reload per cell.
struct TMapView {
  const TVectorMap* Map;
  const TFixedVector* Cells;
  int64_t Width;
  uint64_t LastX, LastY;  // interior cells have both neighbours: cx < LastX, cy < LastY

  explicit TMapView(const TVectorMap& map)
      : Map(&map), Cells(map.Empty() ? nullptr : map.Row(0)), Width(map.Width()) {
    const bool interior = map.Width() >= 2 && map.Height() >= 2;
    LastX = interior ? uint64_t(map.Width() - 1) : 0;
    LastY = interior ? uint64_t(map.Height() - 1) : 0;
  }
};

// Cell i of the row, which lies on map column x (16.16). Reads the map as VectorInterpolated
// does, inline for the usual case of a neighbourhood inside the map.
inline void ComposeCell(const TMapView& m, const TRow& row, int i, int64_t x, TFixedVector scale,
                        bool scaled) {
  TFixedVector v = row.In[i];
  if (scaled) v = TFixedVector{FixedMul(scale.X, v.X), FixedMul(scale.Y, v.Y)};
  // Exact in 64 bits; a position that would saturate lies far outside the map anyway.
  const int64_t px = x + v.X;
  const int64_t py = int64_t(row.RowY) + v.Y;
  const int64_t cx = px >> 16;
  const int64_t cy = py >> 16;
  TFixedVector w;
  if (uint64_t(cx) < m.LastX && uint64_t(cy) < m.LastY) {
    const TFixedVector* c = m.Cells + cx + cy * m.Width;
    const TFixedVector* d = c + m.Width;
    const TFixed fx = TFixed(px & 0xFFFF);
    const TFixed fy = TFixed(py & 0xFFFF);
    w.X = FixedLerp(FixedLerp(c[0].X, c[1].X, fx), FixedLerp(d[0].X, d[1].X, fx), fy);
    w.Y = FixedLerp(FixedLerp(c[0].Y, c[1].Y, fx), FixedLerp(d[0].Y, d[1].Y, fx), fy);
  } else {
    w = m.Map->VectorInterpolated(SaturateFixed(px), SaturateFixed(py));
  }
  row.Out[i] = TFixedVector{SaturateFixed(int64_t(w.X) + v.X), SaturateFixed(int64_t(w.Y) + v.Y)};
}

inline int64_t CellColumn(const TRow& row, int i) {
  return int64_t(row.X + (i - row.I0)) * kFixedOne;
}

void ComposeRowScalar(const TVectorMap& map, const TRow row, TFixedVector scale, bool scaled) {
  const TMapView m(map);
  int64_t x = CellColumn(row, row.I0);
  for (int i = row.I0; i <= row.I1; ++i, x += kFixedOne) ComposeCell(m, row, i, x, scale, scaled);
}

#ifdef GS_COMPOSE_X86

// The vector code keeps each cell as a 64-bit (X, Y) lane pair, so stamp, map and scratch
// cells load and store without reordering, and computes in 32 bits what ComposeCell computes in
// 64. Cells whose neighbourhood leaves the map, or that meet values beyond +-2^30 (16384
// pixels, never seen in a real mesh), go to ComposeCell; within that range no difference and no
// final sum can overflow. Positions are plain sums: the base is never negative, so a sum that
// wraps round turns negative and lands outside, where ComposeCell saturates it instead.

// SSE2: two cells per step, its unsigned multiplies corrected for signs.

// (a * b) >> 16 per signed 32-bit lane, cut to 32 bits. The unsigned product of the lanes'
// bit patterns exceeds the signed one by 2^32 (a [b < 0] + b [a < 0]) modulo 2^64.
__attribute__((target("sse2"))) inline __m128i MulShift16Sse2(__m128i a, __m128i b) {
  const __m128i even = _mm_srli_epi64(_mm_mul_epu32(a, b), 16);
  const __m128i odd =
      _mm_slli_epi64(_mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32)), 16);
  const __m128i evenLanes = _mm_set_epi32(0, -1, 0, -1);
  const __m128i unsignedProduct =
      _mm_or_si128(_mm_and_si128(even, evenLanes), _mm_andnot_si128(evenLanes, odd));
  const __m128i excess = _mm_add_epi32(_mm_and_si128(a, _mm_srai_epi32(b, 31)),
                                       _mm_and_si128(b, _mm_srai_epi32(a, 31)));
  return _mm_sub_epi32(unsignedProduct, _mm_slli_epi32(excess, 16));
}

// a + (b - a) * w >> 16 for w = 0..65535 and b - a within 32 bits, as in LerpAvx2; dh * w is
// assembled from 16-bit halves, the high half's unsigned product corrected for dh < 0.
__attribute__((target("sse2"))) inline __m128i LerpSse2(__m128i a, __m128i b, __m128i w) {
  const __m128i diff = _mm_sub_epi32(b, a);
  const __m128i dh = _mm_srai_epi32(diff, 16);
  const __m128i low = _mm_mullo_epi16(dh, w);
  const __m128i high =
      _mm_sub_epi32(_mm_mulhi_epu16(dh, w), _mm_and_si128(_mm_srai_epi32(diff, 31), w));
  const __m128i product = _mm_or_si128(low, _mm_slli_epi32(high, 16));
  return _mm_add_epi32(a, _mm_add_epi32(product, _mm_mulhi_epu16(diff, w)));
}

__attribute__((target("sse2"))) inline __m128i OutOfRangeSse2(__m128i v) {
  return _mm_add_epi32(v, _mm_set1_epi32(1 << 30));
}

__attribute__((target("sse2"))) void ComposeRowSse2(const TVectorMap& map, const TRow row,
                                                    TFixedVector scale, bool scaled) {
  const TMapView m(map);
  int i = row.I0;
  const int wm = map.Width();
  const int hm = map.Height();
  if (wm >= 2 && hm >= 2) {
    const __m128i last = _mm_setr_epi32(wm - 1, hm - 1, wm - 1, hm - 1);
    const __m128i minusOne = _mm_set1_epi32(-1);
    const __m128i low = _mm_set1_epi32(0xFFFF);
    const __m128i low64 = _mm_set_epi32(0, -1, 0, -1);
    const __m128i width = _mm_set1_epi32(wm);
    const __m128i scales = _mm_setr_epi32(scale.X, scale.Y, scale.X, scale.Y);
    const __m128i steps = _mm_setr_epi32(0, 0, kFixedOne, 0);
    const TFixedVector* cells = map.Row(0);
    for (; i <= row.I1; i += 2) {
      if (i + 1 > row.I1) {
        // The last two cells once more rather than a scalar tail: the same cells again.
        if (row.I1 - row.I0 < 1) break;
        i = row.I1 - 1;
      }
      // Both coordinates are cells of the map, so never negative and below 30000 * 65536.
      const __m128i base = _mm_add_epi32(_mm_setr_epi32(int32_t(CellColumn(row, i)), row.RowY,
                                                        int32_t(CellColumn(row, i)), row.RowY),
                                         steps);
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row.In + i));
      if (scaled) v = MulShift16Sse2(scales, v);
      const __m128i pos = _mm_add_epi32(base, v);
      const __m128i cell = _mm_srai_epi32(pos, 16);
      const __m128i inLane =
          _mm_and_si128(_mm_cmpgt_epi32(cell, minusOne), _mm_cmpgt_epi32(last, cell));
      const __m128i inCell = _mm_and_si128(inLane, _mm_shuffle_epi32(inLane, 0xB1));
      if (_mm_movemask_pd(_mm_castsi128_pd(inCell)) != 0x3) {
        for (int k = i; k < i + 2; ++k) ComposeCell(m, row, k, CellColumn(row, k), scale, scaled);
        continue;
      }
      const __m128i index =
          _mm_add_epi64(_mm_and_si128(cell, low64), _mm_mul_epu32(_mm_srli_epi64(cell, 32), width));
      const __m128i f = _mm_and_si128(pos, low);
      const __m128i fx = _mm_shuffle_epi32(f, _MM_SHUFFLE(2, 2, 0, 0));
      const __m128i fy = _mm_shuffle_epi32(f, _MM_SHUFFLE(3, 3, 1, 1));
      const TFixedVector* c0 = cells + _mm_cvtsi128_si64(index);
      const TFixedVector* c1 = cells + _mm_cvtsi128_si64(_mm_unpackhi_epi64(index, index));
      const __m128i t0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c0));
      const __m128i t1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c1));
      const __m128i b0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c0 + wm));
      const __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c1 + wm));
      const __m128i c00 = _mm_unpacklo_epi64(t0, t1), c10 = _mm_unpackhi_epi64(t0, t1);
      const __m128i c01 = _mm_unpacklo_epi64(b0, b1), c11 = _mm_unpackhi_epi64(b0, b1);
      const __m128i range =
          _mm_or_si128(_mm_or_si128(_mm_or_si128(OutOfRangeSse2(c00), OutOfRangeSse2(c10)),
                                    _mm_or_si128(OutOfRangeSse2(c01), OutOfRangeSse2(c11))),
                       OutOfRangeSse2(v));
      if (_mm_movemask_ps(_mm_castsi128_ps(range)) != 0) {
        for (int k = i; k < i + 2; ++k) ComposeCell(m, row, k, CellColumn(row, k), scale, scaled);
        continue;
      }
      const __m128i top = LerpSse2(c00, c10, fx);
      const __m128i bottom = LerpSse2(c01, c11, fx);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(row.Out + i),
                       _mm_add_epi32(LerpSse2(top, bottom, fy), v));
    }
  }
  for (; i <= row.I1; ++i) ComposeCell(m, row, i, CellColumn(row, i), scale, scaled);
}

// AVX2: four cells per step.

// (a * b) >> 16 per signed 32-bit lane, cut to 32 bits: the low half of a 64-bit shift is the
// same whether the shift is arithmetic or logical.
__attribute__((target("avx2"))) inline __m256i MulShift16Avx2(__m256i a, __m256i b) {
  const __m256i even = _mm256_srli_epi64(_mm256_mul_epi32(a, b), 16);
  const __m256i odd =
      _mm256_slli_epi64(_mm256_mul_epi32(_mm256_srli_epi64(a, 32), _mm256_srli_epi64(b, 32)), 16);
  return _mm256_blend_epi32(even, odd, 0xAA);
}

// a + (b - a) * w >> 16 for w = 0..65535 and b - a within 32 bits: with the difference split
// into its signed high and unsigned low 16 bits, dh * w fits 32 bits and the low part's share
// is the high half of a 16 x 16 product.
__attribute__((target("avx2"))) inline __m256i LerpAvx2(__m256i a, __m256i b, __m256i w) {
  const __m256i diff = _mm256_sub_epi32(b, a);
  const __m256i high = _mm256_mullo_epi32(_mm256_srai_epi32(diff, 16), w);
  return _mm256_add_epi32(a, _mm256_add_epi32(high, _mm256_mulhi_epu16(diff, w)));
}

// Sign bits of the lanes outside -2^30 .. 2^30 - 1.
__attribute__((target("avx2"))) inline __m256i OutOfRangeAvx2(__m256i v) {
  return _mm256_add_epi32(v, _mm256_set1_epi32(1 << 30));
}

// Two cells with their right-hand neighbours: (a, a + 1) in the low half, (b, b + 1) high.
__attribute__((target("avx2"))) inline __m256i PairsAvx2(const TFixedVector* a,
                                                         const TFixedVector* b) {
  return _mm256_inserti128_si256(
      _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a))),
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(b)), 1);
}

__attribute__((target("avx2"))) void ComposeRowAvx2(const TVectorMap& map, const TRow row,
                                                    TFixedVector scale, bool scaled) {
  const TMapView m(map);
  int i = row.I0;
  const int wm = map.Width();
  const int hm = map.Height();
  if (wm >= 2 && hm >= 2) {
    const __m256i last =
        _mm256_setr_epi32(wm - 1, hm - 1, wm - 1, hm - 1, wm - 1, hm - 1, wm - 1, hm - 1);
    const __m256i minusOne = _mm256_set1_epi32(-1);
    const __m256i low = _mm256_set1_epi32(0xFFFF);
    const __m256i low64 = _mm256_set1_epi64x(0xFFFFFFFF);
    const __m256i width = _mm256_set1_epi32(wm);
    const __m256i scales =
        _mm256_setr_epi32(scale.X, scale.Y, scale.X, scale.Y, scale.X, scale.Y, scale.X, scale.Y);
    const __m256i steps = _mm256_setr_epi32(0, 0, kFixedOne, 0, 2 * kFixedOne, 0, 3 * kFixedOne, 0);
    const TFixedVector* cells = map.Row(0);
    for (; i <= row.I1; i += 4) {
      if (i + 3 > row.I1) {
        if (row.I1 - row.I0 < 3) break;
        i = row.I1 - 3;
      }
      // Both coordinates are cells of the map, so never negative and below 30000 * 65536.
      const __m256i base =
          _mm256_add_epi32(_mm256_set1_epi64x(int64_t(uint64_t(uint32_t(row.RowY)) << 32 |
                                                      uint32_t(CellColumn(row, i)))),
                           steps);
      __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row.In + i));
      if (scaled) v = MulShift16Avx2(scales, v);
      const __m256i pos = _mm256_add_epi32(base, v);
      const __m256i cell = _mm256_srai_epi32(pos, 16);
      const __m256i inLane =
          _mm256_and_si256(_mm256_cmpgt_epi32(cell, minusOne), _mm256_cmpgt_epi32(last, cell));
      const __m256i inCell = _mm256_and_si256(inLane, _mm256_shuffle_epi32(inLane, 0xB1));
      if (_mm256_movemask_pd(_mm256_castsi256_pd(inCell)) != 0xF) {
        for (int k = i; k < i + 4; ++k) ComposeCell(m, row, k, CellColumn(row, k), scale, scaled);
        continue;
      }
      // Column in the low half of each cell's lane pair, row offset from the high half.
      const __m256i index = _mm256_add_epi64(
          _mm256_and_si256(cell, low64), _mm256_srli_epi64(_mm256_mullo_epi32(cell, width), 32));
      const __m256i f = _mm256_and_si256(pos, low);
      const __m256i fx = _mm256_shuffle_epi32(f, _MM_SHUFFLE(2, 2, 0, 0));
      const __m256i fy = _mm256_shuffle_epi32(f, _MM_SHUFFLE(3, 3, 1, 1));
      // Plain loads of each cell's (left, right) pair beat the gather instructions: pairs of
      // cells 0 and 2, then 1 and 3, so that unpacking gives the cells in order.
      alignas(32) int64_t at[4];
      _mm256_store_si256(reinterpret_cast<__m256i*>(at), index);
      const __m256i t02 = PairsAvx2(cells + at[0], cells + at[2]);
      const __m256i t13 = PairsAvx2(cells + at[1], cells + at[3]);
      const __m256i b02 = PairsAvx2(cells + wm + at[0], cells + wm + at[2]);
      const __m256i b13 = PairsAvx2(cells + wm + at[1], cells + wm + at[3]);
      const __m256i c00 = _mm256_unpacklo_epi64(t02, t13);
      const __m256i c10 = _mm256_unpackhi_epi64(t02, t13);
      const __m256i c01 = _mm256_unpacklo_epi64(b02, b13);
      const __m256i c11 = _mm256_unpackhi_epi64(b02, b13);
      const __m256i range = _mm256_or_si256(
          _mm256_or_si256(_mm256_or_si256(OutOfRangeAvx2(c00), OutOfRangeAvx2(c10)),
                          _mm256_or_si256(OutOfRangeAvx2(c01), OutOfRangeAvx2(c11))),
          OutOfRangeAvx2(v));
      if (_mm256_movemask_ps(_mm256_castsi256_ps(range)) != 0) {
        for (int k = i; k < i + 4; ++k) ComposeCell(m, row, k, CellColumn(row, k), scale, scaled);
        continue;
      }
      const __m256i top = LerpAvx2(c00, c10, fx);
      const __m256i bottom = LerpAvx2(c01, c11, fx);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(row.Out + i),
                          _mm256_add_epi32(LerpAvx2(top, bottom, fy), v));
    }
  }
  for (; i <= row.I1; ++i) ComposeCell(m, row, i, CellColumn(row, i), scale, scaled);
}

#endif  // GS_COMPOSE_X86

}  // namespace

void ComposeRow(const TVectorMap& map, const TFixedVector* stampRow, TFixedVector* out, int i0,
                int i1, int mapX, int mapY, TFixedVector scale, bool scaled, TRemapKernel kernel) {
  const TRow row{stampRow, out, mapX, mapY * kFixedOne, i0, i1};
#ifdef GS_COMPOSE_X86
  switch (ResolveRemapKernel(kernel)) {
    case TRemapKernel::Avx2:
      ComposeRowAvx2(map, row, scale, scaled);
      return;
    case TRemapKernel::Sse2:
      ComposeRowSse2(map, row, scale, scaled);
      return;
    default:
      break;
  }
#endif
  ComposeRowScalar(map, row, scale, scaled);
}

void ComposeStamp(const TVectorMap& map, const TVectorMap& stamp, TVectorMap& scratch, int px,
                  int py, int i0, int i1, int j0, int j1, TFixedVector scale, bool scaled,
                  TRemapKernel kernel) {
  kernel = ResolveRemapKernel(kernel);
  for (int j = j0; j <= j1; ++j)
    ComposeRow(map, stamp.Row(j), scratch.Row(j), i0, i1, px + i0, py + j, scale, scaled, kernel);
}

}  // namespace gs
