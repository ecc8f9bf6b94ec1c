// SPDX-License-Identifier: GPL-3.0-or-later
// A project (.ora) of a 24-megapixel photo with a warped mesh and three layers (a turned
// clipart, a warped bubble, a line of text): how long Save As "Grimacer Project" takes to encode
// and write it, how large the file is, and how long opening it takes (reading, checking,
// decoding, becoming the document).

#include "BenchClock.h"
#include "BenchNoise.h"
#include "BenchStrokes.h"
#include "codecs/FileIO.h"
#include "document/Document.h"
#include "document/project/ProjectFile.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <sstream>

namespace {

using namespace gs;
using namespace gs::bench;

// The processor time of the whole process: on a busy machine the wall clock says more about the
// others than about this.
double CpuMilliseconds(std::clock_t from) { return double(std::clock() - from) * 1000.0 / CLOCKS_PER_SEC; }

// A photo-like picture: smooth gradients with sensor noise, which packs as poorly as a photo.
TBitmap32 Photo(int width, int height) {
  TBitmap32 photo(width, height);
  for (int y = 0; y < height; ++y) {
    TColor32* row = photo.ScanLine(y);
    for (int x = 0; x < width; ++x) {
      const uint32_t n = bench::PixelNoise(x, y) & 15;
      row[x] = Color32(uint8_t(x / 24 + n), uint8_t(y / 16 + n), uint8_t((x + y) / 40 + n));
    }
  }
  return photo;
}

void AddLayer(TDocument& doc, TBitmap32 picture, TFloatRect at) {
  auto layer = std::make_unique<TRotatableLayer>(picture);
  layer->Location = at;
  doc.AddLayer(std::move(layer), TLayerBmp(picture));
}

void BuildDocument(TDocument& doc) {
  doc.Open(TLoadedPicture{Photo(kWidth, kHeight)});
  DrawWarpStrokes(doc);
  doc.Brushes.Choose(TToolMode::None);
  TBitmap32 clipart(800, 600, 0);
  clipart.FillRect(TRect{100, 100, 700, 500}, 0xFF202020);
  AddLayer(doc, clipart, TFloatRect{2000, 1000, 2800, 1600});
  doc.Layers()[0]->Rotate(20);
  TBitmap32 bubble(1200, 900, 0);
  bubble.FillRect(TRect{50, 50, 1150, 850}, 0xFFFFFFFF);
  AddLayer(doc, bubble, TFloatRect{3500, 300, 4700, 1200});
  TVectorMap& mesh = doc.LayerRecord(1).Warp.VectorMap();
  for (int yy = 200; yy < 700; ++yy)
    for (int xx = 200; xx < 900; ++xx) mesh.Vector(xx, yy) = TFixedVector{(xx - 550) << 10, (yy - 450) << 10};
  TBitmap32 text(1500, 160, 0);
  text.FillRect(TRect{10, 20, 1490, 140}, 0xFFC03020);
  AddLayer(doc, text, TFloatRect{500, 3500, 2000, 3660});
  doc.Layers()[2]->Text = TLayerText{"Hello from the bench", "DejaVu Sans", 96};
}

void BM_Project24MPThreeLayers(benchmark::State& state) {
  TDocument doc;
  BuildDocument(doc);
  const std::string path = (std::filesystem::temp_directory_path() / "gs-project-bench.ora").string();
  double saveMs = 0, openMs = 0, saveCpuMs = 0, openCpuMs = 0, bytes = 0;
  for (auto _ : state) {
    auto t = TClock::now();
    auto c = std::clock();
    WriteFileBytes(path, EncodeProject(doc, {}));
    saveMs = Milliseconds(t);
    saveCpuMs = CpuMilliseconds(c);
    bytes = double(std::filesystem::file_size(path));
    t = TClock::now();
    c = std::clock();
    std::ostringstream notes;
    TDocument opened;
    OpenProject(opened, ReadProjectFile(path, notes), path);
    openMs = Milliseconds(t);
    openCpuMs = CpuMilliseconds(c);
    benchmark::DoNotOptimize(opened.ViewBitmap.Bits());
  }
  std::remove(path.c_str());
  state.counters["save_ms"] = saveMs;
  state.counters["open_ms"] = openMs;
  state.counters["save_cpu_ms"] = saveCpuMs;
  state.counters["open_cpu_ms"] = openCpuMs;
  state.counters["file_mb"] = bytes / 1e6;
}
BENCHMARK(BM_Project24MPThreeLayers)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
