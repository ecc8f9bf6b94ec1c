#include "codecs/PngPixels.h"

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
  for (int x = 0; x < width; ++x, src += 3) dst[x] = 0xFF000000u | (TColor32(src[0]) << 16) | (TColor32(src[1]) << 8) | src[2];
}

void ConvertRgb8Keyed(const TPngRowConverter& cv, const uint8_t* src, TColor32* dst, int width) {
  ConvertRgb8(cv, src, dst, width);
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

void ConvertRgba8(const TPngRowConverter&, const uint8_t* src, TColor32* dst, int width) {
  for (int x = 0; x < width; ++x, src += 4) {
    uint32_t rgba = uint32_t(src[0]) | (uint32_t(src[1]) << 8) | (uint32_t(src[2]) << 16) | (uint32_t(src[3]) << 24);
    // Red and blue swap places; green and alpha stay.
    dst[x] = (rgba & 0xFF00FF00u) | ((rgba & 0xFFu) << 16) | ((rgba >> 16) & 0xFFu);
  }
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
    if (cv.HasKey)
      cv.TransparentColor = Color32ToWinColor(Color32(uint8_t(cv.KeyRed >> 8), uint8_t(cv.KeyGreen >> 8), uint8_t(cv.KeyBlue >> 8)));
    return;
  }
  cv.Fn = ConvertRgb8;
  if (cv.HasKey && cv.KeyRed < 256 && cv.KeyGreen < 256 && cv.KeyBlue < 256) {
    cv.Fn = ConvertRgb8Keyed;
    cv.TransparentColor = Color32ToWinColor(Color32(uint8_t(cv.KeyRed), uint8_t(cv.KeyGreen), uint8_t(cv.KeyBlue)));
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
      Fn = depth == 16 ? ConvertRgba16 : ConvertRgba8;
      break;
  }
}

}  // namespace gs
