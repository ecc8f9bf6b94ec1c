// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/Gif.h"
#include "codecs/GifLzw.h"
#include "common/Errors.h"
#include "common/Limits.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace gs {

namespace {

[[noreturn]] void Fail(const std::string& reason) { throw EInvalidGraphic("GIF: " + reason); }

class TByteReader {
public:
  explicit TByteReader(TByteSpan bytes) : Bytes_(bytes) {}

  bool AtEnd() const { return Pos_ >= Bytes_.size(); }
  size_t Left() const { return Bytes_.size() - Pos_; }

  uint8_t U8(const char* truncated) {
    if (AtEnd()) Fail(truncated);
    return Bytes_[Pos_++];
  }
  int U16(const char* truncated) {
    const int low = U8(truncated);
    return low | (U8(truncated) << 8);
  }
  TByteSpan Take(size_t count, const char* truncated) {
    if (count > Left()) Fail(truncated);
    const TByteSpan part = Bytes_.subspan(Pos_, count);
    Pos_ += count;
    return part;
  }

private:
  TByteSpan Bytes_;
  size_t Pos_ = 0;
};

using TColorTable = std::array<TColor32, 256>;

struct TScreen {
  int Width = 0, Height = 0;
  bool HasGlobalTable = false;
  uint8_t BackgroundIndex = 0;
  TColorTable GlobalTable{};
};

struct TImageHeader {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  bool Interlaced = false;
};

// A table of 2 << (packed & 7) colours; the unused rest of the 256 entries is opaque black.
TColorTable ReadColorTable(TByteReader& in, uint8_t packed) {
  const size_t count = size_t(2) << (packed & 7);
  const TByteSpan rgb = in.Take(count * 3, "truncated colour table");
  TColorTable table;
  table.fill(0xFF000000u);
  for (size_t i = 0; i < count; ++i) table[i] = Color32(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
  return table;
}

// Files without any colour table still need colours; a grey ramp over the code's range keeps
// whatever structure the indices have visible.
TColorTable GreyTable(int minCodeSize) {
  TColorTable table;
  table.fill(0xFF000000u);
  const int levels = 1 << minCodeSize;
  for (int i = 0; i < levels; ++i) {
    const auto grey = uint8_t(i * 255 / (levels - 1));
    table[size_t(i)] = Color32(grey, grey, grey);
  }
  return table;
}

TScreen ReadScreen(TByteReader& in) {
  const TByteSpan signature = in.Take(6, "not a GIF file");
  const std::string text(signature.begin(), signature.end());
  if (text.compare(0, 3, "GIF") != 0) Fail("not a GIF file");
  if (text != "GIF87a" && text != "GIF89a") Fail("unsupported version " + text.substr(3));
  TScreen screen;
  screen.Width = in.U16("truncated header");
  screen.Height = in.U16("truncated header");
  const uint8_t packed = in.U8("truncated header");
  screen.BackgroundIndex = in.U8("truncated header");
  in.U8("truncated header");  // pixel aspect ratio
  screen.HasGlobalTable = (packed & 0x80) != 0;
  if (screen.HasGlobalTable) screen.GlobalTable = ReadColorTable(in, packed);
  return screen;
}

void SkipSubBlocks(TByteReader& in) {
  for (;;) {
    const uint8_t size = in.U8("truncated extension");
    if (size == 0) return;
    in.Take(size, "truncated extension");
  }
}

// Skips an extension; a graphic control extension sets (or clears) the transparent index that
// applies to the next image.
void ReadExtension(TByteReader& in, std::optional<uint8_t>& transparentIndex) {
  const uint8_t label = in.U8("truncated extension");
  if (label == 0xF9) {
    const uint8_t size = in.U8("truncated extension");
    if (size == 0) return;
    const TByteSpan block = in.Take(size, "truncated extension");
    if (size >= 4) transparentIndex = (block[0] & 1) ? std::optional<uint8_t>(block[3]) : std::nullopt;
  }
  SkipSubBlocks(in);
}

TImageHeader ReadImageHeader(TByteReader& in, uint8_t& packed) {
  TImageHeader image;
  image.Left = in.U16("truncated image descriptor");
  image.Top = in.U16("truncated image descriptor");
  image.Width = in.U16("truncated image descriptor");
  image.Height = in.U16("truncated image descriptor");
  packed = in.U8("truncated image descriptor");
  image.Interlaced = (packed & 0x40) != 0;
  return image;
}

// The image's LZW codes with the sub-block lengths removed. A file cut off inside the chain
// keeps what it has: if those codes complete the image, nothing is lost.
TBytes JoinSubBlocks(TByteReader& in) {
  TBytes codes;
  codes.reserve(in.Left());
  while (!in.AtEnd()) {
    const uint8_t size = in.U8("truncated image data");
    if (size == 0) break;
    const TByteSpan block = in.Take(std::min<size_t>(size, in.Left()), "truncated image data");
    codes.insert(codes.end(), block.begin(), block.end());
  }
  return codes;
}

// The picture row of each decoded row: interlaced images send every 8th row from 0, every 8th
// from 4, every 4th from 2, then every 2nd from 1.
std::vector<int> RowOrder(int height, bool interlaced) {
  std::vector<int> rows;
  rows.reserve(size_t(height));
  if (!interlaced) {
    for (int y = 0; y < height; ++y) rows.push_back(y);
    return rows;
  }
  constexpr int kPasses[4][2] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
  for (const auto& pass : kPasses)
    for (int y = pass[0]; y < height; y += pass[1]) rows.push_back(y);
  return rows;
}

void DrawIndices(TBitmap32& bitmap, const TImageHeader& image, const std::vector<uint8_t>& indices,
                 const TColorTable& colors) {
  const std::vector<int> rows = RowOrder(image.Height, image.Interlaced);
  const int x0 = image.Left;
  const int x1 = std::min(bitmap.Width(), image.Left + image.Width);
  if (x0 >= x1) return;
  for (int r = 0; r < image.Height; ++r) {
    const int y = image.Top + rows[size_t(r)];
    if (y >= bitmap.Height()) continue;
    const uint8_t* src = indices.data() + size_t(r) * size_t(image.Width);
    TColor32* dst = bitmap.ScanLine(y) + x0;
    for (int x = 0; x < x1 - x0; ++x) dst[x] = colors[src[x]];
  }
}

// The indices of the image, after checking that the codes could possibly fill it.
std::vector<uint8_t> ReadIndices(TByteReader& in, const TImageHeader& image, int& minCodeSize) {
  minCodeSize = in.U8("truncated image data");
  if (minCodeSize < 1 || minCodeSize > 8)
    Fail("bad LZW minimum code size " + std::to_string(minCodeSize));
  const TBytes codes = JoinSubBlocks(in);
  const uint64_t pixelCount = uint64_t(image.Width) * uint64_t(image.Height);
  if (GifLzwMaxOutput(codes.size(), minCodeSize) < pixelCount) Fail("truncated image data");
  std::vector<uint8_t> indices(pixelCount);
  DecodeGifLzw(codes, minCodeSize, indices);
  return indices;
}

// The image's own table, else the global one, else a grey ramp; the transparent entry gets
// alpha 0.
TColorTable ImageColors(const TScreen& screen, const std::optional<TColorTable>& localTable,
                        int minCodeSize, std::optional<uint8_t> transparentIndex) {
  TColorTable colors = GreyTable(minCodeSize);
  if (localTable) colors = *localTable;
  else if (screen.HasGlobalTable) colors = screen.GlobalTable;
  if (transparentIndex) colors[*transparentIndex] = RgbOf(colors[*transparentIndex]);
  return colors;
}

TDecodedPicture ReadFirstImage(TByteReader& in, const TScreen& screen,
                               std::optional<uint8_t> transparentIndex) {
  uint8_t packed = 0;
  const TImageHeader image = ReadImageHeader(in, packed);
  CheckPictureSize(image.Width, image.Height);
  std::optional<TColorTable> localTable;
  if (packed & 0x80) localTable = ReadColorTable(in, packed);

  // A screen too small for the image grows to the image's size; the offset is not trusted to
  // grow it further, since a broken offset would otherwise make a huge empty picture.
  const int width = std::max(screen.Width, image.Width);
  const int height = std::max(screen.Height, image.Height);
  CheckPictureSize(width, height);
  int minCodeSize = 0;
  const std::vector<uint8_t> indices = ReadIndices(in, image, minCodeSize);
  if (width == 0 || height == 0) Fail("the picture has no pixels");

  const TColorTable colors = ImageColors(screen, localTable, minCodeSize, transparentIndex);
  TDecodedPicture result;
  TColor32 background = 0xFF000000u;
  if (screen.HasGlobalTable) background = screen.GlobalTable[screen.BackgroundIndex];
  if (transparentIndex) {
    background = colors[*transparentIndex];
    result.TransparentColor = Color32ToWinColor(background);
  }
  result.Bitmap.SetSize(width, height);
  const bool covered = image.Left == 0 && image.Top == 0 && image.Width >= width &&
                       image.Height >= height;
  if (!covered) result.Bitmap.Clear(background);
  DrawIndices(result.Bitmap, image, indices, colors);
  return result;
}

}  // namespace

TDecodedPicture DecodeGif(TByteSpan bytes) {
  TByteReader in(bytes);
  const TScreen screen = ReadScreen(in);
  std::optional<uint8_t> transparentIndex;
  for (;;) {
    const uint8_t block = in.U8("truncated file before the first image");
    switch (block) {
      case 0x21:
        ReadExtension(in, transparentIndex);
        break;
      case 0x2C:
        return ReadFirstImage(in, screen, transparentIndex);
      case 0x3B:
        Fail("no image in the file");
      default: {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", block);
        Fail(std::string("bad block type ") + hex);
      }
    }
  }
}

}  // namespace gs
