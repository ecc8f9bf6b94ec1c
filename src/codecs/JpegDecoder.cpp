// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/Jpeg.h"

#include "codecs/JpegErrors.h"
#include "common/Limits.h"

#include <algorithm>
#include <bit>

namespace gs {
namespace {

// libjpeg-turbo writes the bitmap's byte order (B, G, R, A with A = 255) straight into its rows.
constexpr J_COLOR_SPACE kBitmapColorSpace =
    std::endian::native == std::endian::little ? JCS_EXT_BGRA : JCS_EXT_ARGB;

// A progressive file keeps all its coefficients in memory (2 bytes a sample); this bounds what a
// hostile header can make libjpeg allocate, well above what an allowed picture needs.
constexpr long kMaxDecoderMemory = 1536L << 20;
// Every scan refines the whole picture; thousands of tiny scans only burn time.
constexpr int kMaxScans = 1000;
constexpr int kRowsPerCall = 4;

struct TJpegReader {
  jpeg_decompress_struct Info{};
  jpeg::TErrorManager Errors{};
  jpeg_progress_mgr Progress{};
  ~TJpegReader() {
    if (Info.err) jpeg_destroy_decompress(&Info);
  }
};

void LimitScans(j_common_ptr info) {
  const auto* d = reinterpret_cast<j_decompress_ptr>(info);
  if (d->input_scan_number > kMaxScans) jpeg::AbortWith(info, "too many scans");
}

// The steps below run libjpeg under a setjmp: they create no objects with destructors, and a
// libjpeg failure returns false with the message in the reader's error manager.

bool ReadHeader(TJpegReader& r, TByteSpan bytes) {
  r.Info.err = jpeg::InstallErrorManager(r.Errors);
  if (setjmp(r.Errors.Jump)) return false;
  jpeg_create_decompress(&r.Info);
  r.Info.mem->max_memory_to_use = kMaxDecoderMemory;
  r.Progress.progress_monitor = LimitScans;
  r.Info.progress = &r.Progress;
  jpeg_mem_src(&r.Info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&r.Info, TRUE);
  return true;
}

// The rows go straight into the bitmap, so libjpeg must deliver exactly its size and layout.
void CheckOutput(TJpegReader& r, const TBitmap32& bitmap) {
  if (r.Info.output_components != 4 || r.Info.output_width != JDIMENSION(bitmap.Width()) ||
      r.Info.output_height != JDIMENSION(bitmap.Height()))
    jpeg::AbortWith(jpeg::Common(r.Info), "unexpected decoder output");
}

// Adobe's CMYK files store every ink inverted (255 = no ink), and Photoshop writes all CMYK
// JPEGs that way; other writers store plain ink amounts.
void CmykToBitmapRow(const JSAMPLE* cmyk, TColor32* dst, int width, bool inverted) {
  const int flip = inverted ? 0 : 255;
  for (int x = 0; x < width; ++x, cmyk += 4) {
    const int c = cmyk[0] ^ flip, m = cmyk[1] ^ flip, y = cmyk[2] ^ flip, k = cmyk[3] ^ flip;
    // With inverted inks, a channel is what the ink and the black plate let through.
    dst[x] = Color32(uint8_t((c * k + 127) / 255), uint8_t((m * k + 127) / 255),
                     uint8_t((y * k + 127) / 255));
  }
}

bool ReadCmykPixels(TJpegReader& r, TBitmap32& bitmap) {
  if (setjmp(r.Errors.Jump)) return false;
  jpeg_start_decompress(&r.Info);
  CheckOutput(r, bitmap);
  JSAMPARRAY row = (*r.Info.mem->alloc_sarray)(jpeg::Common(r.Info), JPOOL_IMAGE,
                                               r.Info.output_width * 4, 1);
  while (r.Info.output_scanline < r.Info.output_height) {
    const int y = int(r.Info.output_scanline);
    if (jpeg_read_scanlines(&r.Info, row, 1) != 1)
      jpeg::AbortWith(jpeg::Common(r.Info), "truncated file");
    CmykToBitmapRow(row[0], bitmap.ScanLine(y), bitmap.Width(), r.Info.saw_Adobe_marker);
  }
  return true;
}

bool ReadColourPixels(TJpegReader& r, TBitmap32& bitmap) {
  if (setjmp(r.Errors.Jump)) return false;
  jpeg_start_decompress(&r.Info);
  CheckOutput(r, bitmap);
  while (r.Info.output_scanline < r.Info.output_height) {
    const int first = int(r.Info.output_scanline);
    const int count = std::min(kRowsPerCall, bitmap.Height() - first);
    JSAMPROW rows[kRowsPerCall];
    for (int i = 0; i < count; ++i) rows[i] = reinterpret_cast<JSAMPROW>(bitmap.ScanLine(first + i));
    if (jpeg_read_scanlines(&r.Info, rows, JDIMENSION(count)) == 0)
      jpeg::AbortWith(jpeg::Common(r.Info), "truncated file");
  }
  return true;
}

}  // namespace

TBitmap32 DecodeJpeg(TByteSpan bytes) {
  if (bytes.empty()) throw EInvalidGraphic("JPEG: empty file");
  TJpegReader reader;
  if (!ReadHeader(reader, bytes)) jpeg::ThrowFailure<EInvalidGraphic>(reader.Errors);
  jpeg_decompress_struct& info = reader.Info;
  CheckPictureSize(info.image_width, info.image_height);

  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : kBitmapColorSpace;
  TBitmap32 bitmap(int(info.image_width), int(info.image_height));
  const bool done = cmyk ? ReadCmykPixels(reader, bitmap) : ReadColourPixels(reader, bitmap);
  if (!done) jpeg::ThrowFailure<EInvalidGraphic>(reader.Errors);
  return bitmap;
}

}  // namespace gs
