// SPDX-License-Identifier: GPL-3.0-or-later
// PNG decoding and encoding against libpng and libspng. Benchmarks of one task share a name
// and differ in the last part (ours / libpng / libspng), so time ratios read off side by side.

#include "BenchNoise.h"
#include "codecs/Png.h"

#include <benchmark/benchmark.h>
#include <png.h>
#include <spng.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

using gs::TBytes;

constexpr int kPhotoWidth = 4000;
constexpr int kPhotoHeight = 3000;
constexpr int kPaletteSide = 256;

using gs::bench::Hash;

// Smooth shading with a little sensor noise: what a camera picture looks like to the filters
// and to deflate.
std::vector<uint8_t> MakePhotoRgb() {
  std::vector<uint8_t> rgb(size_t(kPhotoWidth) * kPhotoHeight * 3);
  uint8_t* p = rgb.data();
  for (int y = 0; y < kPhotoHeight; ++y) {
    double fy = y / double(kPhotoHeight);
    for (int x = 0; x < kPhotoWidth; ++x) {
      double fx = x / double(kPhotoWidth);
      double base = 0.5 + 0.25 * std::sin(6.0 * fx + 2.0 * fy) + 0.2 * std::cos(9.0 * fy - 3.0 * fx * fy);
      uint32_t noise = Hash(uint32_t(y * kPhotoWidth + x));
      for (int c = 0; c < 3; ++c) {
        double v = 255.0 * (base * (0.8 + 0.1 * c) + 0.05 * c) + double(int(noise >> (8 * c) & 7) - 3);
        *p++ = uint8_t(std::clamp(v, 0.0, 255.0));
      }
    }
  }
  return rgb;
}

std::vector<uint8_t> MakePaletteIndices() {
  std::vector<uint8_t> indices(size_t(kPaletteSide) * kPaletteSide);
  for (int y = 0; y < kPaletteSide; ++y)
    for (int x = 0; x < kPaletteSide; ++x)
      indices[size_t(y) * kPaletteSide + size_t(x)] = uint8_t((x / 8 + y / 8 * 3) ^ (x * y >> 9));
  return indices;
}

void AppendToBytes(png_structp png, png_bytep data, png_size_t size) {
  auto* out = static_cast<TBytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + size);
}

// libpng at its default settings (compression level, filter choice).
TBytes LibpngEncode(const uint8_t* pixels, int width, int height, int colorType,
                    const std::vector<png_color>& palette) {
  TBytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("libpng failed to encode");
  }
  png_set_write_fn(png, &out, AppendToBytes, nullptr);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, colorType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), int(palette.size()));
  png_write_info(png, info);
  size_t stride = size_t(width) * (colorType == PNG_COLOR_TYPE_RGB ? 3 : 1);
  for (int y = 0; y < height; ++y) png_write_row(png, pixels + size_t(y) * stride);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

struct TMemoryReader {
  const TBytes* Bytes;
  size_t Pos = 0;
};

void ReadFromBytes(png_structp png, png_bytep data, png_size_t size) {
  auto* in = static_cast<TMemoryReader*>(png_get_io_ptr(png));
  if (in->Pos + size > in->Bytes->size()) png_error(png, "truncated");
  std::memcpy(data, in->Bytes->data() + in->Pos, size);
  in->Pos += size;
}

// libpng asked for our output layout: 8-bit BGRA, so the work matches ours.
void LibpngDecode(const TBytes& file, std::vector<uint8_t>& pixels) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    throw std::runtime_error("libpng failed to decode");
  }
  TMemoryReader reader{&file};
  png_set_read_fn(png, &reader, ReadFromBytes);
  png_read_info(png, info);
  int width = int(png_get_image_width(png, info)), height = int(png_get_image_height(png, info));
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_bgr(png);
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_read_update_info(png, info);
  pixels.resize(size_t(width) * size_t(height) * 4);
  for (int y = 0; y < height; ++y) png_read_row(png, pixels.data() + size_t(y) * size_t(width) * 4, nullptr);
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
}

// libspng to 8-bit RGBA, the closest of its formats to ours.
void SpngDecode(const TBytes& file, std::vector<uint8_t>& pixels) {
  spng_ctx* ctx = spng_ctx_new(0);
  size_t size = 0;
  int error = spng_set_png_buffer(ctx, file.data(), file.size());
  if (!error) error = spng_decoded_image_size(ctx, SPNG_FMT_RGBA8, &size);
  if (!error) {
    pixels.resize(size);
    error = spng_decode_image(ctx, pixels.data(), size, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS);
  }
  spng_ctx_free(ctx);
  if (error) throw std::runtime_error(spng_strerror(error));
}

struct TInputs {
  std::vector<uint8_t> PhotoRgb = MakePhotoRgb();
  TBytes PhotoPng = LibpngEncode(PhotoRgb.data(), kPhotoWidth, kPhotoHeight, PNG_COLOR_TYPE_RGB, {});
  gs::TBitmap32 PhotoBitmap = ToBitmap(PhotoRgb);
  TBytes PalettePng = MakePalettePng();

  static gs::TBitmap32 ToBitmap(const std::vector<uint8_t>& rgb) {
    gs::TBitmap32 bitmap(kPhotoWidth, kPhotoHeight);
    gs::TColor32* out = bitmap.Bits();
    for (size_t i = 0; i < rgb.size() / 3; ++i) out[i] = gs::Color32(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
    return bitmap;
  }
  static TBytes MakePalettePng() {
    std::vector<png_color> palette(256);
    for (int i = 0; i < 256; ++i) palette[size_t(i)] = {uint8_t(i), uint8_t(i * 7), uint8_t(255 - i)};
    return LibpngEncode(MakePaletteIndices().data(), kPaletteSide, kPaletteSide, PNG_COLOR_TYPE_PALETTE, palette);
  }
};

const TInputs& Inputs() {
  static const TInputs inputs;
  return inputs;
}

void SetPixelRate(benchmark::State& state, const TBytes& file, int width, int height) {
  state.SetBytesProcessed(int64_t(state.iterations()) * width * height * 4);
  state.counters["file_bytes"] = double(file.size());
}

void PngDecodePhoto_ours(benchmark::State& state) {
  const TBytes& file = Inputs().PhotoPng;
  for (auto _ : state) benchmark::DoNotOptimize(gs::DecodePng(file));
  SetPixelRate(state, file, kPhotoWidth, kPhotoHeight);
}
void PngDecodePhoto_libpng(benchmark::State& state) {
  const TBytes& file = Inputs().PhotoPng;
  for (auto _ : state) {
    std::vector<uint8_t> pixels;  // a fresh picture each time, as DecodePng makes
    LibpngDecode(file, pixels);
    benchmark::DoNotOptimize(pixels.data());
  }
  SetPixelRate(state, file, kPhotoWidth, kPhotoHeight);
}
void PngDecodePhoto_libspng(benchmark::State& state) {
  const TBytes& file = Inputs().PhotoPng;
  for (auto _ : state) {
    std::vector<uint8_t> pixels;  // a fresh picture each time, as DecodePng makes
    SpngDecode(file, pixels);
    benchmark::DoNotOptimize(pixels.data());
  }
  SetPixelRate(state, file, kPhotoWidth, kPhotoHeight);
}

void PngDecodePalette_ours(benchmark::State& state) {
  const TBytes& file = Inputs().PalettePng;
  for (auto _ : state) benchmark::DoNotOptimize(gs::DecodePng(file));
  SetPixelRate(state, file, kPaletteSide, kPaletteSide);
}
void PngDecodePalette_libpng(benchmark::State& state) {
  const TBytes& file = Inputs().PalettePng;
  for (auto _ : state) {
    std::vector<uint8_t> pixels;  // a fresh picture each time, as DecodePng makes
    LibpngDecode(file, pixels);
    benchmark::DoNotOptimize(pixels.data());
  }
  SetPixelRate(state, file, kPaletteSide, kPaletteSide);
}
void PngDecodePalette_libspng(benchmark::State& state) {
  const TBytes& file = Inputs().PalettePng;
  for (auto _ : state) {
    std::vector<uint8_t> pixels;  // a fresh picture each time, as DecodePng makes
    SpngDecode(file, pixels);
    benchmark::DoNotOptimize(pixels.data());
  }
  SetPixelRate(state, file, kPaletteSide, kPaletteSide);
}

void PngEncodePhoto_ours(benchmark::State& state) {
  TBytes file;
  for (auto _ : state) {
    file = gs::EncodePng(Inputs().PhotoBitmap, std::nullopt);
    benchmark::DoNotOptimize(file.data());
  }
  SetPixelRate(state, file, kPhotoWidth, kPhotoHeight);
}
void PngEncodePhoto_libpng(benchmark::State& state) {
  TBytes file;
  for (auto _ : state) {
    file = LibpngEncode(Inputs().PhotoRgb.data(), kPhotoWidth, kPhotoHeight, PNG_COLOR_TYPE_RGB, {});
    benchmark::DoNotOptimize(file.data());
  }
  SetPixelRate(state, file, kPhotoWidth, kPhotoHeight);
}

}  // namespace

BENCHMARK(PngDecodePhoto_ours)->Unit(benchmark::kMillisecond);
BENCHMARK(PngDecodePhoto_libpng)->Unit(benchmark::kMillisecond);
BENCHMARK(PngDecodePhoto_libspng)->Unit(benchmark::kMillisecond);
BENCHMARK(PngDecodePalette_ours)->Unit(benchmark::kMicrosecond);
BENCHMARK(PngDecodePalette_libpng)->Unit(benchmark::kMicrosecond);
BENCHMARK(PngDecodePalette_libspng)->Unit(benchmark::kMicrosecond);
BENCHMARK(PngEncodePhoto_ours)->Unit(benchmark::kMillisecond);
BENCHMARK(PngEncodePhoto_libpng)->Unit(benchmark::kMillisecond);
