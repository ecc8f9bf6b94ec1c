// SPDX-License-Identifier: GPL-3.0-or-later
// The still GIF's colours against pngquant (libimagequant, "--nofs --speed 1": its best
// palette, no dithering) on photos, portraits, gradients, a low-contrast photo and a cartoon.
// Each row is our encode time; its counters are our PSNR and, when pngquant is installed,
// pngquant's PSNR and time (the whole program, reading and writing a PNG included). Without
// pngquant the comparison counters are left out.

#include "codecs/Gif.h"
#include "codecs/Png.h"
#include "codecs/DecodeByExtension.h"
#include "codecs/FileIO.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <unistd.h>

namespace {

using namespace gs;

uint8_t Clamp8(double v) { return uint8_t(std::clamp(std::lround(v), 0L, 255L)); }

TBitmap32 PublicPicture(const char* name) {
  const std::string path = std::string(GS_TESTDATA_DIR) + "/" + name;
  return DecodePicture(LowerCase(ExtractFileExt(path)), ReadFileBytes(path)).Bitmap;
}

// Every grey level once a column.
TBitmap32 GreyRamp() {
  TBitmap32 picture(256, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 256; ++x) picture.SetPixel(x, y, Color32(uint8_t(x), uint8_t(x), uint8_t(x)));
  return picture;
}

// A studio backdrop: a wide, slightly noisy blue-grey gradient with a light vignette.
TBitmap32 Sky() {
  std::mt19937 random(5);
  TBitmap32 picture(1000, 600);
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 1000; ++x) {
      const double t = y / 600.0, r = std::hypot(x - 500.0, y - 300.0) / 600.0;
      const double noise = double(random() % 3) - 1.0;
      picture.SetPixel(x, y, Color32(Clamp8(90 + 120 * t - 40 * r + noise), Clamp8(140 + 90 * t - 40 * r + noise),
                                     Clamp8(220 + 30 * t - 50 * r + noise)));
    }
  return picture;
}

// Skin: a lit face-like oval in warm tones with soft shading, on a smooth background.
TBitmap32 Skin() {
  std::mt19937 random(9);
  TBitmap32 picture(800, 1000);
  for (int y = 0; y < 1000; ++y)
    for (int x = 0; x < 800; ++x) {
      const double dx = (x - 400.0) / 300.0, dy = (y - 480.0) / 400.0, d = dx * dx + dy * dy;
      const double noise = double(random() % 5) - 2.0;
      if (d < 1) {
        const double light = 0.55 + 0.45 * std::sqrt(1 - d) - 0.15 * dx;
        picture.SetPixel(x, y, Color32(Clamp8(235 * light + noise), Clamp8(180 * light + noise),
                                       Clamp8(150 * light + noise)));
      } else {
        picture.SetPixel(x, y, Color32(Clamp8(60 + y * 0.05 + noise), Clamp8(70 + y * 0.04 + noise),
                                       Clamp8(80 + x * 0.03 + noise)));
      }
    }
  return picture;
}

// The astronaut with its contrast pressed into a sixth of the range: thousands of colours
// close together, where a coarse histogram leaves most palette entries unused.
TBitmap32 LowContrast() {
  TBitmap32 picture = PublicPicture("faces/astronaut.png");
  TColor32* p = picture.Bits();
  for (size_t i = 0, n = size_t(picture.Width()) * size_t(picture.Height()); i < n; ++i)
    p[i] = Color32(Clamp8(100 + RedOf(p[i]) / 6.0), Clamp8(110 + GreenOf(p[i]) / 6.0),
                   Clamp8(105 + BlueOf(p[i]) / 6.0));
  return picture;
}

// A cartoon: flat shapes with soft edges (an antialiased outline blends each shape into the
// background), a few thousand colours in all.
TBitmap32 Cartoon() {
  TBitmap32 picture(640, 480);
  const struct {
    double X, Y, R;
    TColor32 Color;
  } shapes[] = {{320, 240, 180, Color32(250, 210, 170)}, {260, 200, 30, Color32(255, 255, 255)},
                {380, 200, 30, Color32(255, 255, 255)},  {320, 300, 60, Color32(200, 40, 60)},
                {120, 100, 70, Color32(255, 220, 0)},    {540, 400, 90, Color32(40, 120, 220)}};
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      double r = 120, g = 200, b = 120;
      for (const auto& s : shapes) {
        const double cover = std::clamp(s.R - std::hypot(x - s.X, y - s.Y), 0.0, 1.5) / 1.5;
        r += (RedOf(s.Color) - r) * cover, g += (GreenOf(s.Color) - g) * cover, b += (BlueOf(s.Color) - b) * cover;
      }
      picture.SetPixel(x, y, Color32(Clamp8(r), Clamp8(g), Clamp8(b)));
    }
  return picture;
}

// One megapixel of gradients, soft shapes and sensor-like noise: hundreds of thousands of colours.
TBitmap32 NoisyPhoto() {
  std::mt19937 random(2024);
  TBitmap32 picture(1000, 1000);
  for (int y = 0; y < 1000; ++y)
    for (int x = 0; x < 1000; ++x) {
      const double blob = std::exp(-((x - 600.0) * (x - 600.0) + (y - 400.0) * (y - 400.0)) / 40000.0);
      auto channel = [&](double v) { return Clamp8(v + double(random() % 7) - 3.0); };
      picture.SetPixel(x, y, Color32(channel(60 + 150 * blob + 40 * std::sin(x * 0.01)),
                                     channel(90 + 100 * y / 1000.0 + 50 * blob),
                                     channel(200 - 120 * (x + y) / 2000.0)));
    }
  return picture;
}

// The astronaut twice as large: a 1-megapixel photo.
TBitmap32 LargePhoto() {
  const TBitmap32 small = PublicPicture("faces/astronaut.png");
  TBitmap32 picture(small.Width() * 2, small.Height() * 2);
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) picture.SetPixel(x, y, small.Pixel(x / 2, y / 2));
  return picture;
}

double Psnr(const TBitmap32& a, const TBitmap32& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return 0;
  double sum = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) {
      const TColor32 p = a.Pixel(x, y), q = b.Pixel(x, y);
      sum += std::pow(RedOf(p) - RedOf(q), 2) + std::pow(GreenOf(p) - GreenOf(q), 2) +
             std::pow(BlueOf(p) - BlueOf(q), 2);
    }
  const double mse = sum / (3.0 * a.Width() * a.Height());
  return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

bool HavePngquant() {
  static const bool have = std::system("pngquant --version >/dev/null 2>&1") == 0;
  return have;
}

// pngquant's PSNR and wall-clock milliseconds, or nothing when it is missing or fails.
std::optional<std::pair<double, double>> Pngquant(const TBitmap32& picture, const std::string& name) {
  if (!HavePngquant()) return std::nullopt;
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("gs-quantize-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string in = (dir / (name + ".png")).string(), out = (dir / (name + "-256.png")).string();
  WriteFileBytes(in, EncodePng(picture, std::nullopt));
  const auto start = std::chrono::steady_clock::now();
  const int status = std::system(("pngquant --nofs --speed 1 --force --output '" + out + "' 256 '" + in + "'").c_str());
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  std::optional<std::pair<double, double>> result;
  if (status == 0) result = std::pair{Psnr(picture, DecodePng(ReadFileBytes(out)).Bitmap), ms};
  std::filesystem::remove_all(dir);
  return result;
}

void QuantizeAgainstPngquant(benchmark::State& state, const std::string& name,
                             const std::function<TBitmap32()>& make) {
  const TBitmap32 picture = make();
  TBytes gif;
  for (auto _ : state) {
    gif = EncodeGif(picture, std::nullopt);
    benchmark::DoNotOptimize(gif.data());
  }
  state.counters["psnr"] = Psnr(picture, DecodeGif(gif).Bitmap);
  state.counters["megapixels"] = picture.Width() * double(picture.Height()) / 1e6;
  if (const auto theirs = Pngquant(picture, name)) {
    state.counters["pngquant_psnr"] = theirs->first;
    state.counters["pngquant_ms"] = theirs->second;
  }
}

void Register(const char* name, TBitmap32 (*make)()) {
  benchmark::RegisterBenchmark((std::string("BM_QuantizeVsPngquant/") + name).c_str(),
                               [name, make](benchmark::State& state) { QuantizeAgainstPngquant(state, name, make); })
      ->Unit(benchmark::kMillisecond);
}

const int kRegistered = [] {
  Register("astronaut", [] { return PublicPicture("faces/astronaut.png"); });
  Register("photo_1mp", LargePhoto);
  Register("video_frame", [] { return PublicPicture("images/video-001.png"); });
  Register("grey_ramp", GreyRamp);
  Register("sky", Sky);
  Register("skin", Skin);
  Register("low_contrast", LowContrast);
  Register("cartoon", Cartoon);
  Register("noisy_1mp", NoisyPhoto);
  return 0;
}();

}  // namespace
