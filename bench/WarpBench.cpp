// SPDX-License-Identifier: GPL-3.0-or-later
// One brush application (compose the stamp into the mesh, re-render its square) on a 1-MP and
// a 24-MP picture. Its cost must follow the stamp's area, not the picture's: compare the
// s_per_cell counters of the two picture sizes, or read WarpSizeRatio's ratio directly.
// The stamp is the Warp brush's primary stamp, moved round a circle as in a stroke.

#include "BenchNoise.h"
#include "common/Bitmap32.h"
#include "common/RemapTransformation.h"
#include "warp/ApplyBrush.h"
#include "warp/Brush.h"
#include "warp/Compose.h"
#include "warp/Stamps.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <ctime>
#include <map>
#include <memory>
#include <numbers>
#include <string>
#include <utility>

namespace {

using namespace gs;

using bench::PixelNoise;

// An opaque picture with smooth shading and some noise, bound to a mesh like the document's.
struct TScene {
  TBitmap32 Source;
  TBitmap32 View;
  TRemapTransformation Mesh;
  TStrokeState Stroke;

  TScene(int width, int height) {
    Source.SetSize(width, height);
    for (int y = 0; y < height; ++y) {
      TColor32* row = Source.ScanLine(y);
      for (int x = 0; x < width; ++x) {
        const uint32_t n = PixelNoise(x, y) & 15;
        row[x] =
            Color32(uint8_t(x * 255 / width), uint8_t(y * 255 / height), uint8_t(96 + n), 0xFF);
      }
    }
    Source.OuterColor = 0x00FDFEFF;
    Source.DrawMode = TDrawMode::Blend;
    Source.CombineMode = TCombineMode::Merge;
    View = Source;
    Mesh.Bind(Source, View);
    // A face that earlier strokes have bent already: smooth displacements of a few pixels with
    // fractions everywhere, so no sample lands exactly on a pixel.
    TVectorMap& map = Mesh.VectorMap();
    for (int y = 0; y < height; ++y) {
      TFixedVector* row = map.Row(y);
      const double sy = std::sin(y * 0.013);
      for (int x = 0; x < width; ++x)
        row[x] =
            TFixedVector{TFixed(std::lround(2.7 * sy * std::cos(x * 0.011) * kFixedOne)),
                         TFixed(std::lround(2.3 * std::sin(x * 0.017 + y * 0.007) * kFixedOne))};
    }
    Mesh.Render(View, Source, View.BoundsRect());
  }
};

// The scenes live for the whole run: a 24-MP scene takes about 400 MB and a second to build.
TScene& Scene(int megapixels) {
  static std::map<int, std::unique_ptr<TScene>> scenes;
  auto& scene = scenes[megapixels];
  if (!scene)
    scene = megapixels == 1 ? std::make_unique<TScene>(1000, 1000)
                            : std::make_unique<TScene>(6000, 4000);
  return *scene;
}

struct TStamps {
  TVectorMap Stamp0, Stamp1, Scratch;
  explicit TStamps(int size) {
    TGenericBrush brush;
    brush.SetPressure(0.15f);  // what the Warp command sets
    brush.SetFeather(0.5f);
    Stamp0.SetSize(size, size);
    Stamp1.SetSize(size, size);
    Scratch.SetSize(size, size);
    BuildBrushStamps(Stamp0, Stamp1, brush, TBrushShape::Warp);
  }
};

// Top-left cell of application k: round a circle of radius 200 about the picture's centre,
// 5 degrees a step (17 pixels, a brisk drag).
TPoint PathPoint(const TScene& scene, int size, int64_t k) {
  const double a = double(k % 72) * (std::numbers::pi / 36.0);
  return TPoint{scene.Source.Width() / 2 - size / 2 + int(std::lround(200.0 * std::cos(a))),
                scene.Source.Height() / 2 - size / 2 + int(std::lround(200.0 * std::sin(a)))};
}

// cells: stamp cells applied per iteration.
void CountCells(benchmark::State& state, int64_t cells) {
  state.SetItemsProcessed(int64_t(state.iterations()) * cells);
  state.counters["s_per_cell"] = benchmark::Counter(
      double(cells), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

bool SkipUnavailable(benchmark::State& state, TRemapKernel kernel) {
  if (RemapKernelAvailable(kernel)) return false;
  state.SkipWithError("kernel not available on this processor");
  return true;
}

// Args: stamp size, megapixels (1 or 24).
void BM_WarpApplyBrush(benchmark::State& state, TRemapKernel kernel) {
  const int size = int(state.range(0));
  if (SkipUnavailable(state, kernel)) return;
  TScene& scene = Scene(int(state.range(1)));
  TStamps stamps(size);
  int64_t k = 0;
  for (auto _ : state) {
    const TRect r = ApplyBrush(scene.Mesh, scene.Source, scene.View, stamps.Stamp0, stamps.Scratch,
                               PathPoint(scene, size, k++), false, scene.Stroke, kernel);
    benchmark::DoNotOptimize(r);
    benchmark::ClobberMemory();
  }
  CountCells(state, int64_t(size) * size);
}

// One Reconstruct application: the cells under the stamp pulled, the square re-rendered. At
// strength 0 the cells are worked through as at any other strength but keep their values, so
// the scene stays as the other benchmarks expect it.
void BM_WarpReconstruct(benchmark::State& state, TRemapKernel kernel) {
  const int size = int(state.range(0));
  if (SkipUnavailable(state, kernel)) return;
  TScene& scene = Scene(int(state.range(1)));
  TStamps stamps(size);
  int64_t k = 0;
  for (auto _ : state) {
    const TRect r = ReconstructBrush(scene.Mesh, scene.Source, scene.View, stamps.Stamp0, 0,
                                     PathPoint(scene, size, k++), scene.Stroke, kernel);
    benchmark::DoNotOptimize(r);
    benchmark::ClobberMemory();
  }
  CountCells(state, int64_t(size) * size);
}

// The render half alone (ClearAndRender of the square through the mesh as the strokes left it).
void BM_WarpRenderSquare(benchmark::State& state, TRemapKernel kernel) {
  const int size = int(state.range(0));
  if (SkipUnavailable(state, kernel)) return;
  TScene& scene = Scene(int(state.range(1)));
  int64_t k = 0;
  for (auto _ : state) {
    const TPoint p = PathPoint(scene, size, k++);
    scene.Mesh.ClearAndRender(scene.View, scene.Source, TRect{p.X, p.Y, p.X + size, p.Y + size},
                              kernel);
    benchmark::ClobberMemory();
  }
  CountCells(state, int64_t(size) * size);
}

// The compose half alone: the stamp against the mesh into the scratch map, nothing written back.
void BM_WarpComposeStamp(benchmark::State& state, TRemapKernel kernel) {
  const int size = int(state.range(0));
  if (SkipUnavailable(state, kernel)) return;
  TScene& scene = Scene(int(state.range(1)));
  TStamps stamps(size);
  int64_t k = 0;
  for (auto _ : state) {
    const TPoint p = PathPoint(scene, size, k++);
    ComposeStamp(scene.Mesh.VectorMap(), stamps.Stamp0, stamps.Scratch, p.X, p.Y, 0, size - 1, 0,
                 size - 1, TFixedVector{kFixedOne, kFixedOne}, false, kernel);
    benchmark::ClobberMemory();
  }
  CountCells(state, int64_t(size) * size);
}

// Processor time of this thread: the machine may be busy with other work, and wall time would
// charge that to whichever picture happened to be running.
double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Time of one application on the 24-MP picture over one on the 1-MP picture, same stamp and
// path, fastest kernel: about 1 when the cost does not grow with the picture.
void BM_WarpSizeRatio(benchmark::State& state) {
  const int size = int(state.range(0));
  TScene& small = Scene(1);
  TScene& large = Scene(24);
  TStamps stamps(size);
  double smallTime = 0, largeTime = 0;
  int64_t k = 0;
  for (auto _ : state) {
    for (TScene* scene : {&small, &large}) {
      const double start = ThreadSeconds();
      const TRect r = ApplyBrush(scene->Mesh, scene->Source, scene->View, stamps.Stamp0,
                                 stamps.Scratch, PathPoint(*scene, size, k), false, scene->Stroke);
      benchmark::DoNotOptimize(r);
      benchmark::ClobberMemory();
      (scene == &small ? smallTime : largeTime) += ThreadSeconds() - start;
    }
    ++k;
  }
  state.counters["ratio_24MP_1MP"] = largeTime / smallTime;
  CountCells(state, 2 * int64_t(size) * size);
}

void SizeArgs(benchmark::internal::Benchmark* b) {
  for (int size : {100, 500})
    for (int megapixels : {1, 24}) b->Args({size, megapixels});
  b->ArgNames({"size", "MP"});
}

int RegisterKernelBenchmarks() {
  const std::pair<TRemapKernel, const char*> kernels[] = {{TRemapKernel::Reference, "Reference"},
                                                          {TRemapKernel::Scalar, "Scalar"},
                                                          {TRemapKernel::Sse2, "Sse2"},
                                                          {TRemapKernel::Avx2, "Avx2"}};
  for (const auto& [kernel, name] : kernels) {
    const std::string suffix = std::string("/") + name;
    benchmark::RegisterBenchmark(("BM_WarpApplyBrush" + suffix).c_str(), BM_WarpApplyBrush, kernel)
        ->Apply(SizeArgs)
        ->Unit(benchmark::kMicrosecond);
    // Composing has no reference path of its own: it is the scalar one.
    if (kernel != TRemapKernel::Reference)
      benchmark::RegisterBenchmark(("BM_WarpComposeStamp" + suffix).c_str(), BM_WarpComposeStamp,
                                   kernel)
          ->Apply(SizeArgs)
          ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("BM_WarpRenderSquare" + suffix).c_str(), BM_WarpRenderSquare,
                                 kernel)
        ->Apply(SizeArgs)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("BM_WarpReconstruct" + suffix).c_str(), BM_WarpReconstruct, kernel)
        ->Apply(SizeArgs)
        ->Unit(benchmark::kMicrosecond);
  }
  return 0;
}

[[maybe_unused]] const int kKernelBenchmarks = RegisterKernelBenchmarks();

BENCHMARK(BM_WarpSizeRatio)->Arg(100)->Arg(500)->ArgName("size")->Unit(benchmark::kMicrosecond);

}  // namespace
