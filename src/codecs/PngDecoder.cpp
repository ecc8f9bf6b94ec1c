// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/Png.h"

#include "codecs/PngChunks.h"
#include "codecs/PngFilters.h"
#include "codecs/PngInflater.h"
#include "codecs/PngPixels.h"
#include "common/Errors.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace gs {

namespace {

// Rows are inflated a batch at a time: big enough that zlib stays in its fast loop even for
// narrow pictures, small enough to stay in the cache until they are converted.
constexpr size_t kBatchBytes = 64 * 1024;
// UnfilterPngRow may load this far past a row.
constexpr size_t kRowPadding = 8;
// No deflate stream expands a byte into more than 1032 bytes (a 258-byte match in two bits).
constexpr uint64_t kMaxInflateRatio = 1032;

struct TPngPass {
  int X0, Y0, DX, DY;
};
constexpr TPngPass kWholeImage = {0, 0, 1, 1};
constexpr TPngPass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};

int PassSide(int size, int start, int step) { return size > start ? (size - start + step - 1) / step : 0; }
int PassWidth(const TPngHeader& h, const TPngPass& p) { return PassSide(h.Width, p.X0, p.DX); }
int PassHeight(const TPngHeader& h, const TPngPass& p) { return PassSide(h.Height, p.Y0, p.DY); }

std::span<const TPngPass> Passes(const TPngHeader& header) {
  if (header.Interlaced) return kAdam7;
  return std::span<const TPngPass>(&kWholeImage, 1);
}

// The inflated size the header promises: every row of every pass with its filter type byte.
uint64_t ImageDataSize(const TPngHeader& header) {
  uint64_t size = 0;
  for (const TPngPass& pass : Passes(header)) {
    int width = PassWidth(header, pass);
    if (width > 0) size += uint64_t(PassHeight(header, pass)) * (header.RowBytes(width) + 1);
  }
  return size;
}

// Inflates, unfilters and hands on the rows of one pass; rowDone(y, bytes) gets each
// unfiltered row in turn.
template <class TRowDone>
void ReadPassRows(TPngInflater& inflater, const TPngHeader& header, int width, int height, TRowDone&& rowDone) {
  const size_t rowBytes = header.RowBytes(width);
  const size_t stride = rowBytes + 1;
  const int step = header.FilterStep();
  const int batchRows = int(std::clamp<size_t>(kBatchBytes / stride, 1, size_t(height)));
  // The slot in front of the batch holds the row above its first row: zeros at the start.
  std::vector<uint8_t> buffer(size_t(batchRows + 1) * stride + kRowPadding, 0);
  for (int y = 0; y < height; y += batchRows) {
    int rows = std::min(batchRows, height - y);
    inflater.Read(buffer.data() + stride, size_t(rows) * stride);
    for (int i = 0; i < rows; ++i) {
      uint8_t* row = buffer.data() + size_t(i + 1) * stride;
      UnfilterPngRow(row[0], row + 1, row + 1 - stride, rowBytes, step);
      rowDone(y + i, row + 1);
    }
    std::memcpy(buffer.data(), buffer.data() + size_t(rows) * stride, stride);
  }
}

void ReadInterlaced(TPngInflater& inflater, const TPngHeader& header, const TPngRowConverter& converter,
                    TBitmap32& bitmap) {
  std::vector<TColor32> passRow(size_t(header.Width));
  for (const TPngPass& pass : kAdam7) {
    int width = PassWidth(header, pass);
    int height = PassHeight(header, pass);
    if (width == 0 || height == 0) continue;  // such passes have no rows at all, not even filter bytes
    ReadPassRows(inflater, header, width, height, [&](int y, const uint8_t* bytes) {
      converter.Convert(bytes, passRow.data(), width);
      TColor32* target = bitmap.ScanLine(pass.Y0 + y * pass.DY) + pass.X0;
      for (int x = 0; x < width; ++x) target[size_t(x) * pass.DX] = passRow[size_t(x)];
    });
  }
}

}  // namespace

TDecodedPicture DecodePng(TByteSpan bytes) {
  TPngChunks chunks = ReadPngChunks(bytes);
  const TPngHeader& header = chunks.Header;
  // Refuse before allocating the bitmap when the data cannot possibly inflate to the picture.
  if (ImageDataSize(header) > uint64_t(chunks.ImageDataBytes) * kMaxInflateRatio + 1024)
    throw EInvalidGraphic("PNG: truncated image data (too little for the picture size)");

  TDecodedPicture picture;
  picture.Bitmap.SetSize(header.Width, header.Height);
  TPngRowConverter converter(header, chunks.Palette, chunks.Transparency);
  TPngInflater inflater(chunks.ImageData);
  if (header.Interlaced) {
    ReadInterlaced(inflater, header, converter, picture.Bitmap);
  } else {
    ReadPassRows(inflater, header, header.Width, header.Height, [&](int y, const uint8_t* rowBytes) {
      converter.Convert(rowBytes, picture.Bitmap.ScanLine(y), header.Width);
    });
  }
  inflater.CheckNothingLeft();
  picture.TransparentColor = converter.TransparentColor;
  return picture;
}

}  // namespace gs
