// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/PngFilters.h"

#include "common/Errors.h"

#include <cstring>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace gs {

namespace {

// Sub, Average and Paeth chain every byte to the one a pixel back, so they cannot run wider
// than a pixel; the fast paths below handle one whole pixel per step instead of one byte.

void UnfilterUp(uint8_t* row, const uint8_t* prev, size_t size) {
  for (size_t i = 0; i < size; ++i) row[i] = uint8_t(row[i] + prev[i]);
}

void UnfilterSubBytes(uint8_t* row, size_t size, int step) {
  for (size_t i = size_t(step); i < size; ++i) row[i] = uint8_t(row[i] + row[i - step]);
}

void UnfilterAverageBytes(uint8_t* row, const uint8_t* prev, size_t size, int step) {
  size_t first = size < size_t(step) ? size : size_t(step);
  for (size_t i = 0; i < first; ++i) row[i] = uint8_t(row[i] + (prev[i] >> 1));
  for (size_t i = first; i < size; ++i) row[i] = uint8_t(row[i] + ((row[i - step] + prev[i]) >> 1));
}

void UnfilterPaethBytes(uint8_t* row, const uint8_t* prev, size_t size, int step) {
  size_t first = size < size_t(step) ? size : size_t(step);
  for (size_t i = 0; i < first; ++i) row[i] = uint8_t(row[i] + prev[i]);  // a = c = 0 picks b
  for (size_t i = first; i < size; ++i)
    row[i] = uint8_t(row[i] + PngPaeth(row[i - step], prev[i], prev[i - step]));
}

#if defined(__SSE2__)

// One pixel of Step bytes in the low lanes. Loading 8 bytes is allowed by the row padding.
inline __m128i LoadPixel(const uint8_t* p) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)); }

// Stores the low Step bytes only: the bytes after them are the next pixel's, not yet read.
// Written out per size, since a memcpy of a spilled register makes the compiler go through
// the stack.
template <int Step>
inline void StorePixel(uint8_t* p, __m128i v) {
  if constexpr (Step == 8) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
  } else {
    uint32_t low = uint32_t(_mm_cvtsi128_si32(v));
    if constexpr (Step == 3) {
      uint16_t first = uint16_t(low);
      std::memcpy(p, &first, 2);
      p[2] = uint8_t(low >> 16);
    } else {
      std::memcpy(p, &low, 4);
      if constexpr (Step == 6) {
        uint16_t last = uint16_t(_mm_extract_epi16(v, 2));
        std::memcpy(p + 4, &last, 2);
      }
    }
  }
}

template <int Step>
void UnfilterSubPixels(uint8_t* row, size_t size) {
  __m128i a = _mm_setzero_si128();
  for (size_t i = 0; i < size; i += Step) {
    a = _mm_add_epi8(LoadPixel(row + i), a);
    StorePixel<Step>(row + i, a);
  }
}

template <int Step>
void UnfilterAveragePixels(uint8_t* row, const uint8_t* prev, size_t size) {
  // avg_epu8 rounds up where the filter rounds down, but on complements the rounding flips:
  // floor((a + b) / 2) = ~avg(~a, ~b). Carrying ~a from pixel to pixel leaves two instructions
  // on the chain: ~a' = ~(x + ~avg(~a, ~b)) = avg(~a, ~b) - x.
  const __m128i allOnes = _mm_set1_epi8(-1);
  __m128i notA = allOnes;
  for (size_t i = 0; i < size; i += Step) {
    __m128i notB = _mm_xor_si128(LoadPixel(prev + i), allOnes);
    notA = _mm_sub_epi8(_mm_avg_epu8(notA, notB), LoadPixel(row + i));
    StorePixel<Step>(row + i, _mm_xor_si128(notA, allOnes));
  }
}

inline __m128i Abs16(__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v)); }

inline __m128i Select(__m128i mask, __m128i ifSet, __m128i ifClear) {
  return _mm_or_si128(_mm_and_si128(mask, ifSet), _mm_andnot_si128(mask, ifClear));
}

template <int Step>
void UnfilterPaethPixels(uint8_t* row, const uint8_t* prev, size_t size) {
  // 16-bit lanes: the distances need nine bits and a sign.
  const __m128i zero = _mm_setzero_si128();
  const __m128i lowBytes = _mm_set1_epi16(0xFF);
  __m128i a = zero, c = zero;
  for (size_t i = 0; i < size; i += Step) {
    __m128i b = _mm_unpacklo_epi8(LoadPixel(prev + i), zero);
    __m128i bMinusC = _mm_sub_epi16(b, c);
    __m128i aMinusC = _mm_sub_epi16(a, c);
    __m128i pa = Abs16(bMinusC);
    __m128i pb = Abs16(aMinusC);
    __m128i pc = Abs16(_mm_add_epi16(bMinusC, aMinusC));
    __m128i smallest = _mm_min_epi16(_mm_min_epi16(pa, pb), pc);
    __m128i predicted = Select(_mm_cmpeq_epi16(pb, smallest), b, c);
    predicted = Select(_mm_cmpeq_epi16(pa, smallest), a, predicted);
    __m128i filtered = _mm_unpacklo_epi8(LoadPixel(row + i), zero);
    a = _mm_and_si128(_mm_add_epi16(filtered, predicted), lowBytes);
    StorePixel<Step>(row + i, _mm_packus_epi16(a, a));
    c = b;
  }
}

template <int Step>
bool UnfilterPixels(uint8_t filter, uint8_t* row, const uint8_t* prev, size_t size) {
  switch (filter) {
    case kPngFilterSub: UnfilterSubPixels<Step>(row, size); return true;
    case kPngFilterAverage: UnfilterAveragePixels<Step>(row, prev, size); return true;
    case kPngFilterPaeth: UnfilterPaethPixels<Step>(row, prev, size); return true;
    default: return false;
  }
}

// True when a whole-pixel path did the work.
bool UnfilterFast(uint8_t filter, uint8_t* row, const uint8_t* prev, size_t size, int step) {
  switch (step) {
    case 3: return UnfilterPixels<3>(filter, row, prev, size);
    case 4: return UnfilterPixels<4>(filter, row, prev, size);
    case 6: return UnfilterPixels<6>(filter, row, prev, size);
    case 8: return UnfilterPixels<8>(filter, row, prev, size);
    default: return false;
  }
}

#else

bool UnfilterFast(uint8_t, uint8_t*, const uint8_t*, size_t, int) { return false; }

#endif

}  // namespace

void UnfilterPngRow(uint8_t filter, uint8_t* row, const uint8_t* prev, size_t size, int step) {
  if (filter == kPngFilterNone) return;
  if (filter == kPngFilterUp) return UnfilterUp(row, prev, size);
  if (filter > kPngFilterPaeth) throw EInvalidGraphic("PNG: unknown filter type " + std::to_string(filter));
  if (UnfilterFast(filter, row, prev, size, step)) return;
  switch (filter) {
    case kPngFilterSub: return UnfilterSubBytes(row, size, step);
    case kPngFilterAverage: return UnfilterAverageBytes(row, prev, size, step);
    default: return UnfilterPaethBytes(row, prev, size, step);
  }
}

}  // namespace gs
