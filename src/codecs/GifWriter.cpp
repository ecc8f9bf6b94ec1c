// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/GifWriter.h"

#include "codecs/GifLzw.h"
#include "common/Errors.h"

#include <algorithm>
#include <string>

namespace gs {

namespace {

void AppendU16(TBytes& out, int value) {
  out.push_back(uint8_t(value));
  out.push_back(uint8_t(value >> 8));
}

void CheckSide(int value, const char* what) {
  if (value < 0 || value > 0xFFFF)
    throw Exception(std::string("GIF: the ") + what + " " + std::to_string(value) +
                    " does not fit in a GIF file");
}

void AppendColorTable(TBytes& out, std::span<const TColor32> colors, int bits) {
  const size_t size = size_t(1) << bits;
  for (size_t i = 0; i < size; ++i) {
    const TColor32 c = i < colors.size() ? colors[i] : 0;
    out.push_back(RedOf(c));
    out.push_back(GreenOf(c));
    out.push_back(BlueOf(c));
  }
}

}  // namespace

int GifTableBits(size_t colorCount) {
  int bits = 1;
  while (bits < 8 && (size_t(1) << bits) < colorCount) ++bits;
  return bits;
}

void AppendGifHeader(TBytes& out, int screenWidth, int screenHeight,
                     std::span<const TColor32> colors, uint8_t backgroundIndex) {
  CheckSide(screenWidth, "width");
  CheckSide(screenHeight, "height");
  const char signature[] = "GIF89a";
  out.insert(out.end(), signature, signature + 6);
  AppendU16(out, screenWidth);
  AppendU16(out, screenHeight);
  const int bits = GifTableBits(colors.size());
  const uint8_t colorResolution = 7 << 4;  // 8 bits a channel
  out.push_back(colors.empty() ? colorResolution : uint8_t(0x80 | colorResolution | (bits - 1)));
  out.push_back(backgroundIndex);
  out.push_back(0);  // no pixel aspect ratio
  if (!colors.empty()) AppendColorTable(out, colors, bits);
}

void AppendGifGraphicControl(TBytes& out, const TGifGraphicControl& control) {
  out.push_back(0x21);
  out.push_back(0xF9);
  out.push_back(4);
  out.push_back(uint8_t(((control.Disposal & 7) << 2) | (control.TransparentIndex ? 1 : 0)));
  AppendU16(out, std::clamp(control.DelayCentiseconds, 0, 0xFFFF));
  out.push_back(control.TransparentIndex.value_or(0));
  out.push_back(0);
}

void AppendGifImage(TBytes& out, const TGifImage& image) {
  CheckSide(image.Left, "image position");
  CheckSide(image.Top, "image position");
  CheckSide(image.Width, "image width");
  CheckSide(image.Height, "image height");
  if (image.Indices.size() != size_t(image.Width) * size_t(image.Height))
    throw Exception("GIF: the image's indices do not match its size");
  out.push_back(0x2C);
  AppendU16(out, image.Left);
  AppendU16(out, image.Top);
  AppendU16(out, image.Width);
  AppendU16(out, image.Height);
  int indexBits = std::clamp(image.IndexBits, 1, 8);
  if (image.LocalColors.empty()) {
    out.push_back(0);
  } else {
    indexBits = GifTableBits(image.LocalColors.size());
    out.push_back(uint8_t(0x80 | (indexBits - 1)));
    AppendColorTable(out, image.LocalColors, indexBits);
  }
  AppendGifLzwData(out, image.Indices, image.Alternatives, std::max(2, indexBits));
}

void AppendGifTrailer(TBytes& out) { out.push_back(0x3B); }

namespace {

// The before picture's pixels and indices when it can lend them, else null.
const TColor32* Lender(const TBitmap32& picture, const TGifMappedPicture& before) {
  const TBitmap32* p = before.Picture;
  const size_t count = size_t(picture.Width()) * size_t(picture.Height());
  if (!p || p->Width() != picture.Width() || p->Height() != picture.Height() || before.Indices.size() != count)
    return nullptr;
  return p->Bits();
}

}  // namespace

std::vector<uint8_t> GifIndicesOf(const TBitmap32& picture, TColorMapper& mapper,
                                  std::optional<uint8_t> transparentIndex,
                                  const TGifMappedPicture& before) {
  const size_t count = size_t(picture.Width()) * size_t(picture.Height());
  std::vector<uint8_t> indices(count);
  const TColor32* pixels = picture.Bits();
  const TColor32* lent = Lender(picture, before);
  // Without a transparent index every alpha counts as opaque.
  const TColor32 opaque = transparentIndex ? TColor32(kGifOpaqueAlpha) << 24 : 0;
  const uint8_t clear = transparentIndex.value_or(0);
  uint32_t previous = 0xFFFFFFFFu;
  uint8_t previousIndex = 0;
  for (size_t i = 0; i < count; ++i) {
    const TColor32 pixel = pixels[i];
    if (lent && lent[i] == pixel) {
      indices[i] = before.Indices[i];
      continue;
    }
    if (pixel < opaque) {
      indices[i] = clear;
      continue;
    }
    const uint32_t rgb = RgbOf(pixel);
    if (rgb != previous) {
      previous = rgb;
      previousIndex = mapper.IndexOf(rgb);
    }
    indices[i] = previousIndex;
  }
  return indices;
}

std::vector<uint8_t> GifIndicesOf(const TBitmap32& picture, TOrderedDither& dither,
                                  std::optional<uint8_t> transparentIndex,
                                  const TGifMappedPicture& before) {
  const int w = picture.Width(), h = picture.Height();
  std::vector<uint8_t> indices(size_t(w) * size_t(h));
  const TColor32* lent = Lender(picture, before);
  const TColor32 opaque = transparentIndex ? TColor32(kGifOpaqueAlpha) << 24 : 0;
  const uint8_t clear = transparentIndex.value_or(0);
  size_t i = 0;
  for (int y = 0; y < h; ++y) {
    const TColor32* row = picture.ScanLine(y);
    for (int x = 0; x < w; ++x, ++i) {
      if (lent && lent[i] == row[x]) indices[i] = before.Indices[i];
      else indices[i] = row[x] < opaque ? clear : dither.IndexOf(row[x], x, y);
    }
  }
  return indices;
}

TColor32 UnusedGifKey(std::span<const TColor32> colors, TColor32 wanted) {
  // At most 256 entries: one of the first 257 candidates is free.
  return *FirstUnusedColor(wanted, [&](uint32_t rgb) {
    return std::any_of(colors.begin(), colors.end(), [rgb](TColor32 c) { return RgbOf(c) == rgb; });
  });
}

}  // namespace gs
