// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/RemapTransformation.h"

#include "common/Errors.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__)
#define GS_REMAP_X86 1
#include <immintrin.h>
#endif

namespace gs {

namespace {

// What the row kernels need of the source picture, read once per render instead of per pixel.
struct TSource {
  const TColor32* Bits;
  int Width;
  int Height;
  TColor32 Outer;
  TDrawMode Draw;
  TCombineMode Combine;
};

TSource SourceOf(const TBitmap32& src) {
  return TSource{src.Bits(),     src.Width(),  src.Height(),
                 src.OuterColor, src.DrawMode, src.CombineMode};
}

// The row kernels compute (x + 7) * 65536 in 32 bits; beyond this the scalar code takes over.
constexpr int kMaxVectorColumn = 32760;

inline TColor32 PixelOrOuter(const TSource& s, int x, int y) {
  if (x < 0 || y < 0 || x >= s.Width || y >= s.Height) return s.Outer;
  return s.Bits[size_t(x) + size_t(y) * size_t(s.Width)];
}

// TBitmap32::PixelBilinear without the call and with the picture's fields in registers; the
// two must agree bit for bit (the tests hold them to it).
inline TColor32 Sample(const TSource& s, TFixed x, TFixed y) {
  const int x0 = x >> 16;
  const int y0 = y >> 16;
  const uint32_t fx = uint32_t(x) & 0xFFFF;
  const uint32_t fy = uint32_t(y) & 0xFFFF;
  TColor32 p0, p1, p2, p3;
  if (x0 >= 0 && y0 >= 0 && x0 + 1 < s.Width && y0 + 1 < s.Height) {
    const TColor32* row = s.Bits + size_t(x0) + size_t(y0) * size_t(s.Width);
    p0 = row[0];
    p1 = row[1];
    p2 = row[s.Width];
    p3 = row[s.Width + 1];
  } else {
    p0 = PixelOrOuter(s, x0, y0);
    p1 = PixelOrOuter(s, x0 + 1, y0);
    p2 = PixelOrOuter(s, x0, y0 + 1);
    p3 = PixelOrOuter(s, x0 + 1, y0 + 1);
  }
  if (fx == 0 && fy == 0) return p0;
  const uint32_t ifx = 0x10000 - fx;
  const uint32_t ify = 0x10000 - fy;
  const uint32_t w0 = uint32_t((uint64_t(ifx) * ify) >> 16);
  const uint32_t w1 = uint32_t((uint64_t(fx) * ify) >> 16);
  const uint32_t w2 = uint32_t((uint64_t(ifx) * fy) >> 16);
  const uint32_t w3 = 0x10000 - w0 - w1 - w2;
  if ((p0 & p1 & p2 & p3) >> 24 == 0xFF) {
    // Every term fits 32 bits: weights sum to 65536, channels are at most 255.
    const uint32_t r = w0 * RedOf(p0) + w1 * RedOf(p1) + w2 * RedOf(p2) + w3 * RedOf(p3);
    const uint32_t g = w0 * GreenOf(p0) + w1 * GreenOf(p1) + w2 * GreenOf(p2) + w3 * GreenOf(p3);
    const uint32_t b = w0 * BlueOf(p0) + w1 * BlueOf(p1) + w2 * BlueOf(p2) + w3 * BlueOf(p3);
    return 0xFF000000u | (((r + 0x8000) >> 16) << 16) | (((g + 0x8000) >> 16) << 8) |
           ((b + 0x8000) >> 16);
  }
  const uint64_t a0 = uint64_t(w0) * AlphaOf(p0), a1 = uint64_t(w1) * AlphaOf(p1);
  const uint64_t a2 = uint64_t(w2) * AlphaOf(p2), a3 = uint64_t(w3) * AlphaOf(p3);
  const uint64_t a = a0 + a1 + a2 + a3;
  const uint8_t alpha = uint8_t((a + 0x8000) >> 16);
  if (alpha == 0) return 0;
  const uint64_t r = a0 * RedOf(p0) + a1 * RedOf(p1) + a2 * RedOf(p2) + a3 * RedOf(p3);
  const uint64_t g = a0 * GreenOf(p0) + a1 * GreenOf(p1) + a2 * GreenOf(p2) + a3 * GreenOf(p3);
  const uint64_t b = a0 * BlueOf(p0) + a1 * BlueOf(p1) + a2 * BlueOf(p2) + a3 * BlueOf(p3);
  return Color32(uint8_t((r + a / 2) / a), uint8_t((g + a / 2) / a), uint8_t((b + a / 2) / a),
                 alpha);
}

// Combine of a sample onto a pixel known to be 0, without reading it.
inline TColor32 OntoClear(const TSource& s, TColor32 c) {
  if (s.Draw == TDrawMode::Opaque) return c;
  if (c >> 24 == 0) return 0;
  if (s.Combine == TCombineMode::Merge) return c;
  return BlendReg(c, 0);
}

inline TFixed PixelPosition(int x, TFixed d) { return SaturateFixed(int64_t(x) * kFixedOne + d); }

inline TColor32 FreshPixel(const TSource& s, const TFixedVector* d, int x, TFixed rowY) {
  const TFixedVector v = d ? d[x] : TFixedVector{};
  return OntoClear(s, Sample(s, PixelPosition(x, v.X), SaturateFixed(int64_t(rowY) + v.Y)));
}

// Pixels [x0, x1) of a row; d[x] is pixel x's displacement, or d is null for none. rowY is the
// row's 16.16 position.
using TRowKernel = void (*)(const TSource s, const TFixedVector* d, TFixed rowY, int x0, int x1,
                            TColor32* out);

void FreshRowScalar(const TSource s, const TFixedVector* d, TFixed rowY, int x0, int x1,
                    TColor32* out) {
  for (int x = x0; x < x1; ++x) out[x] = FreshPixel(s, d, x, rowY);
}

#ifdef GS_REMAP_X86

// The vector kernels below compute exactly what Sample computes for pixels whose four
// neighbours lie inside the picture and are opaque; any other pixel goes to FreshPixel. Their
// positions are plain 32-bit sums: the pixel's position is never negative, so a sum that wraps
// round turns negative and lands outside, where FreshPixel saturates it instead. The
// colour sums are done in single precision, which is exact here: every product of a weight
// (at most 65536) and a channel (at most 255), and every partial sum, is an integer below 2^24.

__attribute__((target("sse2"))) inline __m128i MulHi16Sse2(__m128i a, __m128i b) {
  // (a * b) >> 16 per unsigned 32-bit lane, with the 33-bit product kept whole.
  const __m128i even = _mm_srli_epi64(_mm_mul_epu32(a, b), 16);
  const __m128i odd =
      _mm_srli_epi64(_mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32)), 16);
  return _mm_or_si128(_mm_and_si128(even, _mm_set_epi32(0, -1, 0, -1)), _mm_slli_epi64(odd, 32));
}

__attribute__((target("sse2"))) inline __m128i ChannelSse2(__m128i p0, __m128i p1, __m128i p2,
                                                           __m128i p3, __m128 w0, __m128 w1,
                                                           __m128 w2, __m128 w3, int shift) {
  const __m128i mask = _mm_set1_epi32(0xFF);
  const __m128 c0 = _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(p0, shift), mask));
  const __m128 c1 = _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(p1, shift), mask));
  const __m128 c2 = _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(p2, shift), mask));
  const __m128 c3 = _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(p3, shift), mask));
  const __m128 sum =
      _mm_add_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(w0, c0), _mm_mul_ps(w1, c1)), _mm_mul_ps(w2, c2)),
                 _mm_mul_ps(w3, c3));
  const __m128i v = _mm_srli_epi32(_mm_add_epi32(_mm_cvtps_epi32(sum), _mm_set1_epi32(0x8000)), 16);
  return _mm_slli_epi32(v, shift);
}

__attribute__((target("sse2"))) void FreshRowSse2(const TSource s, const TFixedVector* d,
                                                  TFixed rowY, int x0, int x1, TColor32* out) {
  int x = x0;
  if (s.Width >= 2 && s.Height >= 2 && x1 <= kMaxVectorColumn && rowY >= 0) {
    const __m128i one = _mm_set1_epi32(0x10000);
    const __m128i low = _mm_set1_epi32(0xFFFF);
    const __m128i minusOne = _mm_set1_epi32(-1);
    const __m128i lastX = _mm_set1_epi32(s.Width - 1);
    const __m128i lastY = _mm_set1_epi32(s.Height - 1);
    const __m128i rowBase = _mm_set1_epi32(rowY);
    alignas(16) int32_t index[4];
    for (; x < x1; x += 4) {
      if (x + 4 > x1) {
        if (x1 - x0 < 4) break;
        x = x1 - 4;
      }
      __m128i dx = _mm_setzero_si128(), dy = _mm_setzero_si128();
      if (d) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + x));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + x + 2));
        const __m128i as = _mm_shuffle_epi32(a, _MM_SHUFFLE(3, 1, 2, 0));  // x0 x1 y0 y1
        const __m128i bs = _mm_shuffle_epi32(b, _MM_SHUFFLE(3, 1, 2, 0));
        dx = _mm_unpacklo_epi64(as, bs);
        dy = _mm_unpackhi_epi64(as, bs);
      }
      const __m128i xs = _mm_add_epi32(_mm_set1_epi32(x * kFixedOne),
                                       _mm_setr_epi32(0, kFixedOne, 2 * kFixedOne, 3 * kFixedOne));
      const __m128i sx = _mm_add_epi32(xs, dx);
      const __m128i sy = _mm_add_epi32(rowBase, dy);
      const __m128i ix = _mm_srai_epi32(sx, 16);
      const __m128i iy = _mm_srai_epi32(sy, 16);
      const __m128i inside =
          _mm_and_si128(_mm_and_si128(_mm_cmpgt_epi32(ix, minusOne), _mm_cmpgt_epi32(lastX, ix)),
                        _mm_and_si128(_mm_cmpgt_epi32(iy, minusOne), _mm_cmpgt_epi32(lastY, iy)));
      int good = _mm_movemask_ps(_mm_castsi128_ps(inside));
      if (good == 0) {
        for (int k = 0; k < 4; ++k) out[x + k] = FreshPixel(s, d, x + k, rowY);
        continue;
      }
      // Row offset iy * Width: 16-bit halves keep to SSE2's unsigned 32 x 32 multiply.
      const __m128i rowIndex =
          MulHi16Sse2(_mm_slli_epi32(_mm_and_si128(iy, inside), 16), _mm_set1_epi32(s.Width));
      _mm_store_si128(reinterpret_cast<__m128i*>(index),
                      _mm_add_epi32(rowIndex, _mm_and_si128(ix, inside)));
      __m128i top[2], bottom[2];
      for (int k = 0; k < 2; ++k) {
        const TColor32* pa = s.Bits + index[2 * k];
        const TColor32* pb = s.Bits + index[2 * k + 1];
        top[k] = _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pa)),
                                    _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pb)));
        bottom[k] =
            _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pa + s.Width)),
                               _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pb + s.Width)));
      }
      // Pairs (left, right) per pixel to one vector of lefts and one of rights.
      const __m128i t0 = _mm_shuffle_epi32(top[0], _MM_SHUFFLE(3, 1, 2, 0));
      const __m128i t1 = _mm_shuffle_epi32(top[1], _MM_SHUFFLE(3, 1, 2, 0));
      const __m128i b0 = _mm_shuffle_epi32(bottom[0], _MM_SHUFFLE(3, 1, 2, 0));
      const __m128i b1 = _mm_shuffle_epi32(bottom[1], _MM_SHUFFLE(3, 1, 2, 0));
      const __m128i p0 = _mm_unpacklo_epi64(t0, t1);
      const __m128i p1 = _mm_unpackhi_epi64(t0, t1);
      const __m128i p2 = _mm_unpacklo_epi64(b0, b1);
      const __m128i p3 = _mm_unpackhi_epi64(b0, b1);
      const __m128i allAlpha =
          _mm_srai_epi32(_mm_and_si128(_mm_and_si128(p0, p1), _mm_and_si128(p2, p3)), 24);
      good &= _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(allAlpha, minusOne)));
      const __m128i fx = _mm_and_si128(sx, low);
      const __m128i fy = _mm_and_si128(sy, low);
      const __m128i ifx = _mm_sub_epi32(one, fx);
      const __m128i ify = _mm_sub_epi32(one, fy);
      const __m128i w0 = MulHi16Sse2(ifx, ify);
      const __m128i w1 = MulHi16Sse2(fx, ify);
      const __m128i w2 = MulHi16Sse2(ifx, fy);
      const __m128i w3 = _mm_sub_epi32(_mm_sub_epi32(_mm_sub_epi32(one, w0), w1), w2);
      const __m128 f0 = _mm_cvtepi32_ps(w0), f1 = _mm_cvtepi32_ps(w1);
      const __m128 f2 = _mm_cvtepi32_ps(w2), f3 = _mm_cvtepi32_ps(w3);
      const __m128i rgb = _mm_or_si128(_mm_or_si128(ChannelSse2(p0, p1, p2, p3, f0, f1, f2, f3, 16),
                                                    ChannelSse2(p0, p1, p2, p3, f0, f1, f2, f3, 8)),
                                       ChannelSse2(p0, p1, p2, p3, f0, f1, f2, f3, 0));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x),
                       _mm_or_si128(rgb, _mm_set1_epi32(int32_t(0xFF000000u))));
      if (good != 0xF)
        for (int k = 0; k < 4; ++k)
          if (!(good & (1 << k))) out[x + k] = FreshPixel(s, d, x + k, rowY);
    }
  }
  for (; x < x1; ++x) out[x] = FreshPixel(s, d, x, rowY);
}

// The pixels at a, b, c, d with their right-hand neighbours, as four 64-bit pairs. Plain loads
// beat the gather instructions here.
__attribute__((target("avx2,fma"))) inline __m256i PairsAvx2(const TColor32* p, int a, int b, int c,
                                                             int d) {
  const auto pair = [](const TColor32* lo, const TColor32* hi) {
    return _mm_castpd_si128(
        _mm_loadh_pd(_mm_castsi128_pd(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(lo))),
                     reinterpret_cast<const double*>(hi)));
  };
  return _mm256_inserti128_si256(_mm256_castsi128_si256(pair(p + a, p + b)), pair(p + c, p + d), 1);
}

// Eight (left, right) pairs in two vectors to one vector of lefts and one of rights.
__attribute__((target("avx2,fma"))) inline void SplitPairsAvx2(__m256i a, __m256i b, __m256i& left,
                                                               __m256i& right) {
  const __m256i order = _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7);
  const __m256i as = _mm256_permutevar8x32_epi32(a, order);
  const __m256i bs = _mm256_permutevar8x32_epi32(b, order);
  left = _mm256_permute2x128_si256(as, bs, 0x20);
  right = _mm256_permute2x128_si256(as, bs, 0x31);
}

// The channel at byte `byte` of each pixel (0 blue, 1 green, 2 red) as a 32-bit lane.
__attribute__((target("avx2,fma"))) inline __m256 ByteAvx2(__m256i p, int byte) {
  const char z = char(0x80);
  const char b0 = char(byte), b1 = char(byte + 4), b2 = char(byte + 8), b3 = char(byte + 12);
  const __m256i order = _mm256_setr_epi8(b0, z, z, z, b1, z, z, z, b2, z, z, z, b3, z, z, z, b0, z,
                                         z, z, b1, z, z, z, b2, z, z, z, b3, z, z, z);
  return _mm256_cvtepi32_ps(_mm256_shuffle_epi8(p, order));
}

__attribute__((target("avx2,fma"))) inline __m256i ChannelAvx2(__m256i p0, __m256i p1, __m256i p2,
                                                               __m256i p3, __m256 w0, __m256 w1,
                                                               __m256 w2, __m256 w3, int byte) {
  const __m256 sum = _mm256_fmadd_ps(
      w3, ByteAvx2(p3, byte),
      _mm256_fmadd_ps(
          w2, ByteAvx2(p2, byte),
          _mm256_fmadd_ps(w1, ByteAvx2(p1, byte), _mm256_mul_ps(w0, ByteAvx2(p0, byte)))));
  const __m256i v =
      _mm256_srli_epi32(_mm256_add_epi32(_mm256_cvtps_epi32(sum), _mm256_set1_epi32(0x8000)), 16);
  return _mm256_slli_epi32(v, 8 * byte);
}

__attribute__((target("avx2,fma"))) void FreshRowAvx2(const TSource s, const TFixedVector* d,
                                                      TFixed rowY, int x0, int x1, TColor32* out) {
  int x = x0;
  if (s.Width >= 2 && s.Height >= 2 && x1 <= kMaxVectorColumn && rowY >= 0) {
    const __m256i one = _mm256_set1_epi32(0x10000);
    const __m256i low = _mm256_set1_epi32(0xFFFF);
    const __m256i minusOne = _mm256_set1_epi32(-1);
    const __m256i lastX = _mm256_set1_epi32(s.Width - 1);
    const __m256i lastY = _mm256_set1_epi32(s.Height - 1);
    const __m256i width = _mm256_set1_epi32(s.Width);
    const __m256i rowBase = _mm256_set1_epi32(rowY);
    const __m256i steps =
        _mm256_setr_epi32(0, kFixedOne, 2 * kFixedOne, 3 * kFixedOne, 4 * kFixedOne, 5 * kFixedOne,
                          6 * kFixedOne, 7 * kFixedOne);
    for (; x < x1; x += 8) {
      if (x + 8 > x1) {
        // The last eight pixels once more rather than a scalar tail: the same bits again.
        if (x1 - x0 < 8) break;
        x = x1 - 8;
      }
      __m256i dx = _mm256_setzero_si256(), dy = _mm256_setzero_si256();
      if (d) {
        SplitPairsAvx2(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + x)),
                       _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + x + 4)), dx, dy);
      }
      const __m256i sx =
          _mm256_add_epi32(_mm256_add_epi32(_mm256_set1_epi32(x * kFixedOne), steps), dx);
      const __m256i sy = _mm256_add_epi32(rowBase, dy);
      const __m256i ix = _mm256_srai_epi32(sx, 16);
      const __m256i iy = _mm256_srai_epi32(sy, 16);
      const __m256i inside = _mm256_and_si256(
          _mm256_and_si256(_mm256_cmpgt_epi32(ix, minusOne), _mm256_cmpgt_epi32(lastX, ix)),
          _mm256_and_si256(_mm256_cmpgt_epi32(iy, minusOne), _mm256_cmpgt_epi32(lastY, iy)));
      int good = _mm256_movemask_ps(_mm256_castsi256_ps(inside));
      if (good == 0) {
        for (int k = 0; k < 8; ++k) out[x + k] = FreshPixel(s, d, x + k, rowY);
        continue;
      }
      // Lanes outside read pixel 0 instead, harmlessly; their result is replaced below.
      const __m256i index =
          _mm256_and_si256(_mm256_add_epi32(_mm256_mullo_epi32(iy, width), ix), inside);
      alignas(32) int32_t at[8];
      _mm256_store_si256(reinterpret_cast<__m256i*>(at), index);
      __m256i p0, p1, p2, p3;
      SplitPairsAvx2(PairsAvx2(s.Bits, at[0], at[1], at[2], at[3]),
                     PairsAvx2(s.Bits, at[4], at[5], at[6], at[7]), p0, p1);
      const TColor32* below = s.Bits + s.Width;
      SplitPairsAvx2(PairsAvx2(below, at[0], at[1], at[2], at[3]),
                     PairsAvx2(below, at[4], at[5], at[6], at[7]), p2, p3);
      const __m256i allAlpha = _mm256_srai_epi32(
          _mm256_and_si256(_mm256_and_si256(p0, p1), _mm256_and_si256(p2, p3)), 24);
      good &= _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(allAlpha, minusOne)));
      const __m256i fx = _mm256_and_si256(sx, low);
      const __m256i fy = _mm256_and_si256(sy, low);
      const __m256i ifx = _mm256_sub_epi32(one, fx);
      const __m256i ify = _mm256_sub_epi32(one, fy);
      // ifx * ify reaches 2^32 only at fx = fy = 0, where the low 32 bits wrap to 0 and the
      // weight must be the whole 65536.
      const __m256i whole = _mm256_and_si256(
          _mm256_cmpeq_epi32(_mm256_or_si256(fx, fy), _mm256_setzero_si256()), one);
      const __m256i w0 =
          _mm256_or_si256(_mm256_srli_epi32(_mm256_mullo_epi32(ifx, ify), 16), whole);
      const __m256i w1 = _mm256_srli_epi32(_mm256_mullo_epi32(fx, ify), 16);
      const __m256i w2 = _mm256_srli_epi32(_mm256_mullo_epi32(ifx, fy), 16);
      const __m256i w3 = _mm256_sub_epi32(_mm256_sub_epi32(_mm256_sub_epi32(one, w0), w1), w2);
      const __m256 f0 = _mm256_cvtepi32_ps(w0), f1 = _mm256_cvtepi32_ps(w1);
      const __m256 f2 = _mm256_cvtepi32_ps(w2), f3 = _mm256_cvtepi32_ps(w3);
      const __m256i rgb =
          _mm256_or_si256(_mm256_or_si256(ChannelAvx2(p0, p1, p2, p3, f0, f1, f2, f3, 2),
                                          ChannelAvx2(p0, p1, p2, p3, f0, f1, f2, f3, 1)),
                          ChannelAvx2(p0, p1, p2, p3, f0, f1, f2, f3, 0));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x),
                          _mm256_or_si256(rgb, _mm256_set1_epi32(int32_t(0xFF000000u))));
      if (good != 0xFF)
        for (int k = 0; k < 8; ++k)
          if (!(good & (1 << k))) out[x + k] = FreshPixel(s, d, x + k, rowY);
    }
  }
  for (; x < x1; ++x) out[x] = FreshPixel(s, d, x, rowY);
}

bool CpuHasAvx2() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  }();
  return has;
}

#endif  // GS_REMAP_X86

TRowKernel RowKernel(TRemapKernel kernel) {
  switch (kernel) {
#ifdef GS_REMAP_X86
    case TRemapKernel::Sse2:
      return FreshRowSse2;
    case TRemapKernel::Avx2:
      return FreshRowAvx2;
#endif
    default:
      return FreshRowScalar;
  }
}

}  // namespace

bool RemapKernelAvailable(TRemapKernel kernel) {
  switch (kernel) {
    case TRemapKernel::Auto:
    case TRemapKernel::Reference:
    case TRemapKernel::Scalar:
      return true;
#ifdef GS_REMAP_X86
    case TRemapKernel::Sse2:
      return true;
    case TRemapKernel::Avx2:
      return CpuHasAvx2();
#endif
    default:
      return false;
  }
}

TRemapKernel ResolveRemapKernel(TRemapKernel kernel) {
  if (kernel == TRemapKernel::Auto) {
    if (RemapKernelAvailable(TRemapKernel::Avx2)) return TRemapKernel::Avx2;
    if (RemapKernelAvailable(TRemapKernel::Sse2)) return TRemapKernel::Sse2;
    return TRemapKernel::Scalar;
  }
  return RemapKernelAvailable(kernel) ? kernel : ResolveRemapKernel(TRemapKernel::Auto);
}

void TRemapTransformation::Bind(const TBitmap32& source, const TBitmap32& destination) {
  Map_.SetSize(source.Width(), source.Height());
  SrcRect = FloatRect(source.BoundsRect());
  MappingRect = FloatRect(destination.BoundsRect());
}

void TRemapTransformation::CheckRects() const {
  if (SrcRect.IsEmpty()) throw Exception("SrcRect is empty!");
  if (MappingRect.IsEmpty()) throw Exception("MappingRect is empty!");
}

bool TRemapTransformation::PlainGeometry() const {
  return SrcRect.Left == MappingRect.Left && SrcRect.Top == MappingRect.Top &&
         SrcRect.Width() == MappingRect.Width() && SrcRect.Height() == MappingRect.Height() &&
         ScaleX == 1.0 && ScaleY == 1.0;
}

void TRemapTransformation::RenderReference(TBitmap32& dst, const TBitmap32& src,
                                           const TRect& r) const {
  const bool plain = PlainGeometry();
  const double kx = SrcRect.Width() / MappingRect.Width();
  const double ky = SrcRect.Height() / MappingRect.Height();
  for (int y = r.Top; y < r.Bottom; ++y) {
    TColor32* row = dst.ScanLine(y);
    for (int x = r.Left; x < r.Right; ++x) {
      const TFixedVector d = Map_.VectorS(x, y);
      TFixed sx, sy;
      if (plain) {
        sx = PixelPosition(x, d.X);
        sy = PixelPosition(y, d.Y);
      } else {
        const double fx = SrcRect.Left + ((x - MappingRect.Left) + d.X / 65536.0 * ScaleX) * kx;
        const double fy = SrcRect.Top + ((y - MappingRect.Top) + d.Y / 65536.0 * ScaleY) * ky;
        sx = RoundHalfEven(fx * kFixedOne);
        sy = RoundHalfEven(fy * kFixedOne);
      }
      row[x] = TBitmap32::Combine(src, src.PixelBilinear(sx, sy), row[x]);
    }
  }
}

void TRemapTransformation::Render(TBitmap32& dst, const TBitmap32& src, const TRect& region,
                                  TRemapKernel kernel) const {
  CheckRects();
  const TRect r = Intersect(region, dst.BoundsRect());
  if (r.IsEmpty()) return;
  kernel = ResolveRemapKernel(kernel);
  if (kernel == TRemapKernel::Reference || !PlainGeometry()) {
    RenderReference(dst, src, r);
    return;
  }
  // Blending onto existing pixels is rare (the brushes use ClearAndRender), so the scalar row
  // walk serves every other kernel here.
  const TSource s = SourceOf(src);
  for (int y = r.Top; y < r.Bottom; ++y) {
    TColor32* row = dst.ScanLine(y);
    const TFixedVector* d = y < Map_.Height() ? Map_.Row(y) : nullptr;
    const TFixed rowY = PixelPosition(y, 0);
    for (int x = r.Left; x < r.Right; ++x) {
      const TFixedVector v = d && x < Map_.Width() ? d[x] : TFixedVector{};
      const TColor32 c = Sample(s, PixelPosition(x, v.X), SaturateFixed(int64_t(rowY) + v.Y));
      row[x] = TBitmap32::Combine(src, c, row[x]);
    }
  }
}

void TRemapTransformation::ClearAndRender(TBitmap32& dst, const TBitmap32& src, const TRect& region,
                                          TRemapKernel kernel) const {
  CheckRects();
  const TRect r = Intersect(region, dst.BoundsRect());
  if (r.IsEmpty()) return;
  kernel = ResolveRemapKernel(kernel);
  if (kernel == TRemapKernel::Reference || !PlainGeometry()) {
    dst.FillRect(r, 0);
    RenderReference(dst, src, r);
    return;
  }
  const TRowKernel rowKernel = RowKernel(kernel);
  const TSource s = SourceOf(src);
  // Columns beyond the map's width have no cells and count as undisplaced.
  const int mapEnd = std::clamp(Map_.Width(), r.Left, r.Right);
  for (int y = r.Top; y < r.Bottom; ++y) {
    TColor32* row = dst.ScanLine(y);
    const TFixed rowY = PixelPosition(y, 0);
    const TFixedVector* d = y < Map_.Height() ? Map_.Row(y) : nullptr;
    if (d) {
      rowKernel(s, d, rowY, r.Left, mapEnd, row);
      rowKernel(s, nullptr, rowY, mapEnd, r.Right, row);
    } else {
      rowKernel(s, nullptr, rowY, r.Left, r.Right, row);
    }
  }
}

}  // namespace gs
