// SPDX-License-Identifier: GPL-3.0-or-later
// GIF decoding against giflib, and our encoding with colour reduction, on a 1-megapixel
// photo-like picture.

#include "codecs/Gif.h"

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

namespace {

using namespace gs;

// Gradients, a few soft shapes and sensor-like noise: hundreds of thousands of colours.
TBitmap32 GifBenchPhoto() {
  constexpr int kSide = 1000;
  std::mt19937 random(2024);
  TBitmap32 picture(kSide, kSide);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      const double blob = std::exp(-((x - 600.0) * (x - 600.0) + (y - 400.0) * (y - 400.0)) / 40000.0);
      auto channel = [&](double v) {
        return uint8_t(std::clamp(v + double(random() % 7) - 3.0, 0.0, 255.0));
      };
      picture.SetPixel(x, y, Color32(channel(60 + 150 * blob + 40 * std::sin(x * 0.01)),
                                     channel(90 + 100 * double(y) / kSide + 50 * blob),
                                     channel(200 - 120 * double(x + y) / (2 * kSide))));
    }
  return picture;
}

const TBitmap32& Photo() {
  static const TBitmap32 photo = GifBenchPhoto();
  return photo;
}

const TBytes& PhotoGif() {
  static const TBytes gif = EncodeGif(Photo(), std::nullopt);
  return gif;
}

struct TMemoryInput {
  const TBytes* Bytes;
  size_t Pos;
};

int ReadFromMemory(GifFileType* file, GifByteType* buffer, int length) {
  auto* input = static_cast<TMemoryInput*>(file->UserData);
  const size_t n = std::min(size_t(length), input->Bytes->size() - input->Pos);
  std::memcpy(buffer, input->Bytes->data() + input->Pos, n);
  input->Pos += n;
  return int(n);
}

// giflib's whole-file read plus the palette expansion our decoder also does.
bool DecodeWithGiflib(const TBytes& bytes, TBitmap32& out) {
  TMemoryInput input{&bytes, 0};
  int error = 0;
  GifFileType* file = DGifOpen(&input, ReadFromMemory, &error);
  if (!file) return false;
  bool ok = DGifSlurp(file) == GIF_OK && file->ImageCount > 0;
  if (ok) {
    const SavedImage& image = file->SavedImages[0];
    const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : file->SColorMap;
    TColor32 table[256] = {};
    for (int i = 0; map && i < map->ColorCount; ++i)
      table[i] = Color32(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue);
    out.SetSizeKeep(image.ImageDesc.Width, image.ImageDesc.Height);
    const GifByteType* src = image.RasterBits;
    TColor32* dst = out.Bits();
    const size_t count = size_t(out.Width()) * size_t(out.Height());
    for (size_t i = 0; i < count; ++i) dst[i] = table[src[i]];
  }
  DGifCloseFile(file, &error);
  return ok;
}

void BM_GifDecodeOurs(benchmark::State& state) {
  const TBytes& gif = PhotoGif();
  for (auto _ : state) {
    TDecodedPicture picture = DecodeGif(gif);
    benchmark::DoNotOptimize(picture.Bitmap.Bits());
  }
  state.SetItemsProcessed(state.iterations() * int64_t(Photo().Width()) * Photo().Height());
}
BENCHMARK(BM_GifDecodeOurs)->Unit(benchmark::kMillisecond);

void BM_GifDecodeGiflib(benchmark::State& state) {
  const TBytes& gif = PhotoGif();
  TBitmap32 reference;
  // giflib reading our file gives our decoder's pixels: checks the encoder as well.
  if (!DecodeWithGiflib(gif, reference) || !(reference == DecodeGif(gif).Bitmap)) {
    state.SkipWithError("giflib and our decoder disagree on the encoded picture");
    return;
  }
  for (auto _ : state) {
    TBitmap32 picture;
    DecodeWithGiflib(gif, picture);
    benchmark::DoNotOptimize(picture.Bits());
  }
  state.SetItemsProcessed(state.iterations() * int64_t(Photo().Width()) * Photo().Height());
}
BENCHMARK(BM_GifDecodeGiflib)->Unit(benchmark::kMillisecond);

void BM_GifEncodeWithColourReduction(benchmark::State& state) {
  const TBitmap32& photo = Photo();
  for (auto _ : state) {
    TBytes gif = EncodeGif(photo, std::nullopt);
    benchmark::DoNotOptimize(gif.data());
  }
  state.counters["bytes"] = double(PhotoGif().size());
}
BENCHMARK(BM_GifEncodeWithColourReduction)->Unit(benchmark::kMillisecond);

}  // namespace
