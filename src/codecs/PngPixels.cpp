// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/PngPixels.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <tmmintrin.h>
#define GS_PNG_SSSE3 1
#endif

namespace gs {

namespace {

// 16-bit samples keep their high byte: exact for files widened from 8 bits, and no slower than
// a byte load.

template <int Depth>
void ConvertIndexed(const TPngRowConverter& cv, const uint8_t* src, TColor32* dst, int width) {
  const TColor32* table = cv.Table.data();
  if constexpr (Depth == 8) {
    for (int x = 0; x < width; ++x) dst[x] = table[src[x]];
  } else {
    constexpr int kPerByte = 8 / Depth;
    constexpr unsigned kMask = (1u << Depth) - 1;
    int whole = width / kPerByte;
    for (int i = 0; i < whole; ++i) {
      unsigned byte = src[i];
      for (int k = 0; k < kPerByte; ++k) dst[k] = table[(byte >> (8 - Depth * (k + 1))) & kMask];
      dst += kPerByte;
    }
    if (int left = width - whole * kPerByte; left > 0) {
      unsigned byte = src[whole];
      for (int k = 0; k < left; ++k) dst[k] = table[(byte >> (8 - Depth * (k + 1))) & kMask];
    }
  }
}

void ConvertGrey16(const TPngRowConverter& cv, const uint8_t* src, TColor32* dst, int width) {
  for (int x = 0; x < width; ++x, src += 2) {
    uint16_t sample = ReadBE16(src);
    uint8_t alpha = cv.HasKey && sample == cv.KeyRed ? 0 : 0xFF;
    dst[x] = Color32(src[0], src[0], src[0], alpha);
  }
}

void ConvertRgb8(const TPngRowConverter&, const uint8_t* src, TColor32* dst, int width) {
  for (int x = 0; x < width; ++x, src += 3)
    dst[x] = 0xFF000000u | (TColor32(src[0]) << 16) | (TColor32(src[1]) << 8) | src[2];
}

void ConvertRgba8(const TPngRowConverter&, const uint8_t* src, TColor32* dst, int width) {
  for (int x = 0; x < width; ++x, src += 4) {
    uint32_t rgba = uint32_t(src[0]) | (uint32_t(src[1]) << 8) | (uint32_t(src[2]) << 16) |
                    (uint32_t(src[3]) << 24);
    // Red and blue swap places; green and alpha stay.
    dst[x] = (rgba & 0xFF00FF00u) | ((rgba & 0xFFu) << 16) | ((rgba >> 16) & 0xFFu);
  }
}

#if GS_PNG_SSSE3

// Four pixels per shuffle. The 16-byte loads reach up to 4 bytes past the last RGB pixel,
// which the row padding allows.
__attribute__((target("ssse3"))) void ConvertRgb8Ssse3(const TPngRowConverter& cv, const uint8_t* src,
                                                       TColor32* dst, int width) {
  const __m128i order = _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
  const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
  int x = 0;
  for (; x + 4 <= width; x += 4, src += 12) {
    __m128i rgb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), _mm_or_si128(_mm_shuffle_epi8(rgb, order), opaque));
  }
  ConvertRgb8(cv, src, dst + x, width - x);
}

__attribute__((target("ssse3"))) void ConvertRgba8Ssse3(const TPngRowConverter& cv, const uint8_t* src,
                                                        TColor32* dst, int width) {
  const __m128i order = _mm_setr_epi8(2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15);
  int x = 0;
  for (; x + 4 <= width; x += 4, src += 16) {
    __m128i rgba = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), _mm_shuffle_epi8(rgba, order));
  }
  ConvertRgba8(cv, src, dst + x, width - x);
}

bool HaveSsse3() {
  static const bool have = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3") != 0;
  }();
  return have;
}
TPngRowConverter::TConvertFn Rgb8Fn() { return HaveSsse3() ? ConvertRgb8Ssse3 : ConvertRgb8; }
TPngRowConverter::TConvertFn Rgba8Fn() { return HaveSsse3() ? ConvertRgba8Ssse3 : ConvertRgba8; }

#else

TPngRowConverter::TConvertFn Rgb8Fn() { return ConvertRgb8; }
TPngRowConverter::TConvertFn Rgba8Fn() { return ConvertRgba8; }

#endif

void ConvertRgb8Keyed(const TPngRowConverter& cv, const uint8_t* src, TColor32* dst, int width) {
  Rgb8Fn()(cv, src, dst, width);
  const TColor32 key = Color32(uint8_t(cv.KeyRed), uint8_t(cv.KeyGreen), uint8_t(cv.KeyBlue));
  for (int x = 0; x < width; ++x) dst[x] = dst[x] == key ? RgbOf(key) : dst[x];
}

void ConvertRgb16(const TPngRowConverter& cv, const uint8_t* src, TColor32* dst, int width) {
  for (int x = 0; x < width; ++x, src += 6) {
    bool keyed = cv.HasKey && ReadBE16(src) == cv.KeyRed && ReadBE16(src + 2) == cv.KeyGreen &&
                 ReadBE16(src + 4) == cv.KeyBlue;
    dst[x] = Color32(src[0], src[2], src[4], keyed ? 0 : 0xFF);
  }
}

template <int Depth>
void ConvertGreyAlpha(const TPngRowConverter&, const uint8_t* src, TColor32* dst, int width) {
  constexpr int kBytes = Depth / 8;
  for (int x = 0; x < width; ++x, src += 2 * kBytes) dst[x] = Color32(src[0], src[0], src[0], src[kBytes]);
}

void ConvertRgba16(const TPngRowConverter&, const uint8_t* src, TColor32* dst, int width) {
  for (int x = 0; x < width; ++x, src += 8) dst[x] = Color32(src[0], src[2], src[4], src[6]);
}

TPngRowConverter::TConvertFn IndexedFn(int depth) {
  switch (depth) {
    case 1: return ConvertIndexed<1>;
    case 2: return ConvertIndexed<2>;
    case 4: return ConvertIndexed<4>;
    default: return ConvertIndexed<8>;
  }
}

TColor WinGrey(uint8_t level) { return Color32ToWinColor(Color32(level, level, level)); }

void SetUpIndexed(TPngRowConverter& cv, TByteSpan palette, TByteSpan transparency) {
  cv.Table.fill(Color32(0, 0, 0));
  size_t entries = palette.size() / 3;
  bool onlyKeyAlphas = true;
  std::optional<size_t> firstClear;
  for (size_t i = 0; i < entries; ++i) {
    uint8_t alpha = i < transparency.size() ? transparency[i] : 0xFF;
    cv.Table[i] = Color32(palette[3 * i], palette[3 * i + 1], palette[3 * i + 2], alpha);
    if (alpha != 0 && alpha != 0xFF) onlyKeyAlphas = false;
    if (alpha == 0 && !firstClear) firstClear = i;
  }
  if (onlyKeyAlphas && firstClear) cv.TransparentColor = Color32ToWinColor(cv.Table[*firstClear]);
}

void SetUpGrey(TPngRowConverter& cv, int depth) {
  if (depth == 16) {
    cv.Fn = ConvertGrey16;
    if (cv.HasKey) cv.TransparentColor = WinGrey(uint8_t(cv.KeyRed >> 8));
    return;
  }
  cv.Fn = IndexedFn(depth);
  unsigned levels = 1u << depth;
  for (unsigned i = 0; i < levels; ++i) cv.Table[i] = Color32(0, 0, 0) | (0x010101u * (i * 255 / (levels - 1)));
  // A key outside the depth's range matches no pixel, so there is nothing transparent.
  if (cv.HasKey && cv.KeyRed < levels) {
    cv.Table[cv.KeyRed] = RgbOf(cv.Table[cv.KeyRed]);
    cv.TransparentColor = Color32ToWinColor(cv.Table[cv.KeyRed]);
  }
}

void SetUpRgb(TPngRowConverter& cv, int depth) {
  if (depth == 16) {
    cv.Fn = ConvertRgb16;
    if (cv.HasKey) {
      TColor32 key = Color32(uint8_t(cv.KeyRed >> 8), uint8_t(cv.KeyGreen >> 8), uint8_t(cv.KeyBlue >> 8));
      cv.TransparentColor = Color32ToWinColor(key);
    }
    return;
  }
  cv.Fn = Rgb8Fn();
  if (cv.HasKey && cv.KeyRed < 256 && cv.KeyGreen < 256 && cv.KeyBlue < 256) {
    cv.Fn = ConvertRgb8Keyed;
    TColor32 key = Color32(uint8_t(cv.KeyRed), uint8_t(cv.KeyGreen), uint8_t(cv.KeyBlue));
    cv.TransparentColor = Color32ToWinColor(key);
  }
}

}  // namespace

TPngRowConverter::TPngRowConverter(const TPngHeader& header, TByteSpan palette, TByteSpan transparency) {
  int depth = header.BitDepth;
  switch (header.ColorType) {
    case TPngColorType::Indexed:
      Fn = IndexedFn(depth);
      SetUpIndexed(*this, palette, transparency);
      break;
    case TPngColorType::Grey:
      HasKey = transparency.size() == 2;
      if (HasKey) KeyRed = ReadBE16(transparency.data());
      SetUpGrey(*this, depth);
      break;
    case TPngColorType::Rgb:
      HasKey = transparency.size() == 6;
      if (HasKey) {
        KeyRed = ReadBE16(transparency.data());
        KeyGreen = ReadBE16(transparency.data() + 2);
        KeyBlue = ReadBE16(transparency.data() + 4);
      }
      SetUpRgb(*this, depth);
      break;
    case TPngColorType::GreyAlpha:
      Fn = depth == 16 ? ConvertGreyAlpha<16> : ConvertGreyAlpha<8>;
      break;
    case TPngColorType::Rgba:
      Fn = depth == 16 ? ConvertRgba16 : Rgba8Fn();
      break;
  }
}

}  // namespace gs
