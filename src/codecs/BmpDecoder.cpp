// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/Bmp.h"

#include "common/Errors.h"
#include "common/Limits.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <string>

namespace gs {
namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;
constexpr TColor32 kOpaque = 0xFF000000;

[[noreturn]] void Fail(const std::string& reason) { throw EInvalidGraphic("BMP: " + reason); }

uint16_t Get16(TByteSpan b, size_t at) { return uint16_t(b[at] | (b[at + 1] << 8)); }
uint32_t Get32(TByteSpan b, size_t at) {
  return uint32_t(b[at]) | (uint32_t(b[at + 1]) << 8) | (uint32_t(b[at + 2]) << 16) |
         (uint32_t(b[at + 3]) << 24);
}

struct TBmpHeader {
  int Width = 0;
  int Height = 0;
  bool TopDown = false;
  int BitsPerPixel = 0;
  uint32_t Compression = kBiRgb;
  uint32_t ColorsUsed = 0;
  std::array<uint32_t, 4> Masks{};  // red, green, blue, alpha
  size_t PaletteOffset = 0;
  size_t PaletteEntrySize = 4;
  size_t PixelOffset = 0;
  size_t Stride = 0;  // bytes a row of uncompressed pixels, padded to 4
};

bool IsRle(const TBmpHeader& h) { return h.Compression == kBiRle8 || h.Compression == kBiRle4; }

bool KnownInfoSize(uint32_t size) {
  // 12: OS/2 1.x; 16 and 64: OS/2 2.x; 40: Windows 3; 52, 56: V2, V3; 108: V4; 124: V5.
  for (uint32_t known : {12u, 16u, 40u, 52u, 56u, 64u, 108u, 124u})
    if (size == known) return true;
  return false;
}

void CheckCompression(const TBmpHeader& h, bool os2) {
  const uint32_t c = h.Compression;
  // OS/2 2.x uses 3 and 4 for Huffman and 24-bit RLE, which nobody writes any more.
  if (os2 && c > kBiRle4) Fail("unsupported OS/2 compression " + std::to_string(c));
  if (c == kBiRgb) {
    if (h.BitsPerPixel != 1 && h.BitsPerPixel != 4 && h.BitsPerPixel != 8 &&
        h.BitsPerPixel != 16 && h.BitsPerPixel != 24 && h.BitsPerPixel != 32)
      Fail("unsupported bit depth " + std::to_string(h.BitsPerPixel));
  } else if (c == kBiRle8 || c == kBiRle4) {
    const int needed = c == kBiRle8 ? 8 : 4;
    if (h.BitsPerPixel != needed)
      Fail("RLE" + std::to_string(needed) + " with " + std::to_string(h.BitsPerPixel) +
           " bits per pixel");
    if (h.TopDown) Fail("RLE pictures cannot be top-down");
  } else if (c == kBiBitfields || c == kBiAlphaBitfields) {
    if (h.BitsPerPixel != 16 && h.BitsPerPixel != 32)
      Fail("bit fields with " + std::to_string(h.BitsPerPixel) + " bits per pixel");
  } else {
    Fail("unsupported compression " + std::to_string(c));
  }
}

void SetDefaultMasks(TBmpHeader& h) {
  if (h.BitsPerPixel == 16) h.Masks = {0x7C00, 0x03E0, 0x001F, 0};
  if (h.BitsPerPixel == 32) h.Masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
}

// Reads the masks of bit-field pixels and returns how many bytes of masks follow the info
// header: a 40-byte header keeps them outside, the later headers inside.
size_t ReadMasks(TByteSpan bytes, uint32_t infoSize, TBmpHeader& h) {
  if (h.Compression != kBiBitfields && h.Compression != kBiAlphaBitfields) {
    SetDefaultMasks(h);
    return 0;
  }
  const size_t at = kFileHeaderSize + 40;
  size_t count = 3;
  size_t outside = 0;
  if (infoSize == 40) {
    count = h.Compression == kBiAlphaBitfields ? 4 : 3;
    outside = count * 4;
    if (bytes.size() < at + outside) Fail("truncated bit field masks");
  } else if (infoSize >= 56) {
    count = 4;
  }
  for (size_t i = 0; i < count; ++i) h.Masks[i] = Get32(bytes, at + 4 * i);
  return outside;
}

void ReadSizes(TByteSpan bytes, uint32_t infoSize, TBmpHeader& h) {
  const size_t at = kFileHeaderSize + 4;
  int64_t width, height;
  if (infoSize == 12) {
    width = Get16(bytes, at);
    height = Get16(bytes, at + 2);
    h.BitsPerPixel = Get16(bytes, at + 6);
  } else {
    width = int32_t(Get32(bytes, at));
    height = int32_t(Get32(bytes, at + 4));
    h.BitsPerPixel = Get16(bytes, at + 10);
  }
  if (width <= 0) Fail("invalid width " + std::to_string(width));
  if (height == 0) Fail("invalid height 0");
  h.TopDown = height < 0;
  height = h.TopDown ? -height : height;  // int64: INT_MIN negates safely
  CheckPictureSize(width, height);
  h.Width = int(width);
  h.Height = int(height);
}

// Before anything is allocated: a header may claim a size the file cannot hold.
void CheckPixelDataSize(TByteSpan bytes, TBmpHeader& h) {
  const uint64_t rowBits = uint64_t(h.Width) * uint64_t(h.BitsPerPixel);
  h.Stride = size_t((rowBits + 31) / 32 * 4);
  // The last row's padding may be missing: some writers stop at the last pixel.
  const uint64_t needed = uint64_t(h.Stride) * uint64_t(h.Height - 1) + (rowBits + 7) / 8;
  if (bytes.size() - h.PixelOffset < needed) Fail("truncated pixel data");
}

TBmpHeader ReadBmpHeader(TByteSpan bytes) {
  if (bytes.size() < kFileHeaderSize + 4) Fail("truncated file header");
  if (bytes[0] != 'B' || bytes[1] != 'M') Fail("not a bitmap file");
  const uint32_t infoSize = Get32(bytes, kFileHeaderSize);
  if (!KnownInfoSize(infoSize)) Fail("unsupported header size " + std::to_string(infoSize));
  if (bytes.size() < kFileHeaderSize + infoSize) Fail("truncated info header");

  TBmpHeader h;
  ReadSizes(bytes, infoSize, h);
  if (infoSize >= 40) {
    h.Compression = Get32(bytes, kFileHeaderSize + 16);
    h.ColorsUsed = Get32(bytes, kFileHeaderSize + 32);
  }
  CheckCompression(h, infoSize == 16 || infoSize == 64);
  h.PaletteOffset = kFileHeaderSize + infoSize + ReadMasks(bytes, infoSize, h);
  h.PaletteEntrySize = infoSize == 12 ? 3 : 4;

  h.PixelOffset = Get32(bytes, 10);
  if (h.PixelOffset < h.PaletteOffset)
    Fail("pixel data offset " + std::to_string(h.PixelOffset) + " lies inside the headers");
  if (h.PixelOffset > bytes.size())
    Fail("pixel data offset " + std::to_string(h.PixelOffset) + " lies beyond the end of the file");
  if (!IsRle(h)) CheckPixelDataSize(bytes, h);
  return h;
}

using TPalette = std::array<TColor32, 256>;

// Indices beyond the file's colours show opaque black, as Windows does.
TPalette ReadPalette(TByteSpan bytes, const TBmpHeader& h) {
  TPalette palette;
  palette.fill(kOpaque);
  const size_t maxColors = size_t(1) << h.BitsPerPixel;
  size_t count = h.ColorsUsed == 0 ? maxColors : std::min<size_t>(h.ColorsUsed, maxColors);
  // The palette ends where the pixels start, whatever the header claims.
  count = std::min(count, (h.PixelOffset - h.PaletteOffset) / h.PaletteEntrySize);
  if (count == 0) Fail("missing palette");
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* e = bytes.data() + h.PaletteOffset + i * h.PaletteEntrySize;
    palette[i] = Color32(e[2], e[1], e[0]);
  }
  return palette;
}

// Scales one bit field of a pixel to 8 bits, so that the field's maximum gives 255.
class TChannelScale {
public:
  explicit TChannelScale(uint32_t mask) : Mask_(mask) {
    if (mask == 0) return;
    Shift_ = std::countr_zero(mask);
    const uint32_t field = mask >> Shift_;
    if ((field & (field + 1)) != 0) Fail("bit field mask is not contiguous");
    Bits_ = std::popcount(field);
    if (Bits_ <= 8)
      for (uint32_t v = 0; v <= field; ++v) Table_[v] = uint8_t((v * 255 + field / 2) / field);
  }
  uint8_t operator()(uint32_t pixel) const {
    const uint32_t v = (pixel & Mask_) >> Shift_;
    return Bits_ > 8 ? uint8_t(v >> (Bits_ - 8)) : Table_[v];
  }
  bool Present() const { return Mask_ != 0; }

private:
  uint32_t Mask_;
  int Shift_ = 0;
  int Bits_ = 0;
  std::array<uint8_t, 256> Table_{};
};

struct TFieldScales {
  TChannelScale Red, Green, Blue, Alpha;
};

// Decodes one row of uncompressed pixels and returns the OR of the alphas it wrote.
TColor32 DecodeRow(const uint8_t* src, TColor32* dst, int width, const TBmpHeader& h,
                   const TPalette& palette, const TFieldScales& f) {
  const int bpp = h.BitsPerPixel;
  if (bpp <= 8) {
    const int perByte = 8 / bpp;
    const unsigned indexMask = (1u << bpp) - 1;
    for (int x = 0; x < width; ++x) {
      const int shift = 8 - bpp * (x % perByte + 1);
      dst[x] = palette[(src[x / perByte] >> shift) & indexMask];
    }
    return kOpaque;
  }
  if (bpp == 24) {
    for (int x = 0; x < width; ++x, src += 3) dst[x] = Color32(src[2], src[1], src[0]);
    return kOpaque;
  }
  TColor32 alphas = 0;
  if (bpp == 32 && h.Masks == std::array<uint32_t, 4>{0xFF0000, 0xFF00, 0xFF, 0xFF000000}) {
    // The file's byte order is already the bitmap's.
    std::memcpy(dst, src, size_t(width) * 4);
    for (int x = 0; x < width; ++x) alphas |= dst[x];
    return alphas & kOpaque;
  }
  if (bpp == 32 && h.Masks == std::array<uint32_t, 4>{0xFF0000, 0xFF00, 0xFF, 0}) {
    std::memcpy(dst, src, size_t(width) * 4);
    for (int x = 0; x < width; ++x) dst[x] |= kOpaque;
    return kOpaque;
  }
  for (int x = 0; x < width; ++x) {
    uint32_t v;
    if (bpp == 16) {
      v = uint32_t(src[0] | (src[1] << 8));
      src += 2;
    } else {
      v = uint32_t(src[0]) | (uint32_t(src[1]) << 8) | (uint32_t(src[2]) << 16) |
          (uint32_t(src[3]) << 24);
      src += 4;
    }
    const uint8_t a = f.Alpha.Present() ? f.Alpha(v) : 0xFF;
    dst[x] = Color32(f.Red(v), f.Green(v), f.Blue(v), a);
    alphas |= TColor32(a) << 24;
  }
  return alphas;
}

void DecodeUncompressed(TByteSpan bytes, const TBmpHeader& h, const TPalette& palette,
                        TBitmap32& bitmap) {
  const TFieldScales fields{TChannelScale(h.Masks[0]), TChannelScale(h.Masks[1]),
                            TChannelScale(h.Masks[2]), TChannelScale(h.Masks[3])};
  TColor32 alphas = 0;
  for (int row = 0; row < h.Height; ++row) {
    const uint8_t* src = bytes.data() + h.PixelOffset + size_t(row) * h.Stride;
    const int y = h.TopDown ? row : h.Height - 1 - row;
    alphas |= DecodeRow(src, bitmap.ScanLine(y), h.Width, h, palette, fields);
  }
  // Most programs leave the alpha of their pixels 0: such a file is opaque, not invisible.
  if (alphas == 0) {
    TColor32* p = bitmap.Bits();
    for (size_t i = 0, n = size_t(h.Width) * size_t(h.Height); i < n; ++i) p[i] |= kOpaque;
  }
}

// Runs of palette indices, counted from the bottom line up. Pixels the stream never reaches
// stay transparent black.
class TRleReader {
public:
  TRleReader(TByteSpan bytes, const TBmpHeader& h, const TPalette& palette, TBitmap32& bitmap)
      : Data_(bytes.subspan(h.PixelOffset)), Palette_(palette),
        Bitmap_(bitmap), Nibbles_(h.Compression == kBiRle4) {}

  void Run() {
    for (;;) {
      if (Pos_ + 2 > Data_.size()) {
        if (Line_ >= Bitmap_.Height()) return;  // end-of-bitmap missing after the last line
        Fail("truncated RLE data");
      }
      const uint8_t count = Data_[Pos_];
      const uint8_t value = Data_[Pos_ + 1];
      Pos_ += 2;
      if (count > 0) {
        Repeat(count, value);
      } else if (value == 0) {
        X_ = 0;
        Line_ = std::min(Line_ + 1, Bitmap_.Height());
      } else if (value == 1) {
        return;
      } else if (value == 2) {
        Delta();
      } else {
        Absolute(value);
      }
    }
  }

private:
  void Put(int i, uint8_t index) {
    if (X_ + i < Bitmap_.Width())
      Bitmap_.SetPixel(X_ + i, Bitmap_.Height() - 1 - Line_, Palette_[index]);
  }

  // Pixels past the right edge are dropped, as Windows does with runs that cover the padding.
  void Advance(int count) { X_ = std::min(X_ + count, Bitmap_.Width()); }

  void CheckLine() const {
    if (Line_ >= Bitmap_.Height()) Fail("RLE data runs past the end of the picture");
  }

  void Repeat(int count, uint8_t value) {
    CheckLine();
    for (int i = 0; i < count; ++i) Put(i, Nibbles_ ? (i & 1 ? value & 15 : value >> 4) : value);
    Advance(count);
  }

  void Delta() {
    if (Pos_ + 2 > Data_.size()) Fail("truncated RLE data");
    X_ += Data_[Pos_];
    Line_ += Data_[Pos_ + 1];
    Pos_ += 2;
    if (X_ > Bitmap_.Width() || Line_ > Bitmap_.Height()) Fail("RLE delta leaves the picture");
  }

  void Absolute(int count) {
    CheckLine();
    const size_t length = Nibbles_ ? size_t(count + 1) / 2 : size_t(count);
    if (Pos_ + length > Data_.size()) Fail("truncated RLE data");
    const uint8_t* src = Data_.data() + Pos_;
    for (int i = 0; i < count; ++i)
      Put(i, Nibbles_ ? (i & 1 ? src[i / 2] & 15 : src[i / 2] >> 4) : src[i]);
    Advance(count);
    Pos_ += length + (length & 1);  // absolute runs are padded to whole 16-bit words
  }

  TByteSpan Data_;
  const TPalette& Palette_;
  TBitmap32& Bitmap_;
  bool Nibbles_;
  size_t Pos_ = 0;
  int X_ = 0;
  int Line_ = 0;
};

}  // namespace

TDecodedPicture DecodeBmp(TByteSpan bytes) {
  const TBmpHeader header = ReadBmpHeader(bytes);
  const TPalette palette = header.BitsPerPixel <= 8 ? ReadPalette(bytes, header) : TPalette{};
  TDecodedPicture result;
  result.Bitmap.SetSize(header.Width, header.Height);
  if (IsRle(header))
    TRleReader(bytes, header, palette, result.Bitmap).Run();
  else
    DecodeUncompressed(bytes, header, palette, result.Bitmap);
  return result;
}

}  // namespace gs
