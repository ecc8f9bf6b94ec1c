// SPDX-License-Identifier: GPL-3.0-or-later
// Joining 200 frames of 640 x 480: Gifloom in process and as a program, against
// "gifsicle --merge" on the same files in the same run.

#include "BenchFrames.h"

#include "gifloom/GifAssembler.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace {

using gifloom::bench::TBenchFrames;

constexpr int kFrameCount = 200;
constexpr int kWidth = 640;
constexpr int kHeight = 480;

// Written on first use, removed when the program ends.
struct TScratchFrames {
  TBenchFrames Frames = gifloom::bench::WriteBenchFrames(kFrameCount, kWidth, kHeight);
  ~TScratchFrames() { gifloom::bench::RemoveBenchFrames(Frames); }
};

const TBenchFrames& Frames() {
  static const TScratchFrames scratch;
  return scratch.Frames;
}

std::string QuotedPaths() {
  std::string text;
  for (const std::string& path : Frames().Paths) text += " '" + path + "'";
  return text;
}

void SetBytes(benchmark::State& state) {
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Frames().TotalBytes));
  state.counters["frames"] = kFrameCount;
}

// Runs a shell command per iteration; skips the benchmark when it fails.
void RunCommand(benchmark::State& state, const std::string& command) {
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError(("failed: " + command.substr(0, 60) + "...").c_str());
      return;
    }
  }
  SetBytes(state);
}

void BM_GifloomInProcess(benchmark::State& state) {
  const std::string output = Frames().Folder + "/gifloom-out.gif";
  for (auto _ : state)
    gifloom::AssembleAnimatedGif(Frames().Paths, output, {.DelayCentiseconds = 10});
  SetBytes(state);
}
BENCHMARK(BM_GifloomInProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

#ifdef GIFLOOM_PROGRAM
void BM_GifloomProgram(benchmark::State& state) {
  RunCommand(state, std::string("'") + GIFLOOM_PROGRAM + "' --delay 10 -o '" + Frames().Folder +
                        "/gifloom-cli.gif'" + QuotedPaths());
}
BENCHMARK(BM_GifloomProgram)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif

void BM_GifsicleMerge(benchmark::State& state) {
  if (std::system("gifsicle --version > /dev/null 2>&1") != 0) {
    state.SkipWithError("gifsicle is not installed (apt-get install gifsicle)");
    return;
  }
  RunCommand(state, "gifsicle --no-warnings --merge --delay 10 --loopcount=forever" +
                        QuotedPaths() + " -o '" + Frames().Folder + "/gifsicle-out.gif'");
}
BENCHMARK(BM_GifsicleMerge)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
