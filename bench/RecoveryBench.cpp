// SPDX-License-Identifier: GPL-3.0-or-later
// The recovery copy of a 24-megapixel photo with a warped mesh: how long the interface thread is
// blocked taking the snapshot, and how long the worker thread then encodes and writes it.
// snapshot_ms_max is what the window pays: its snapshot copies into buffers the worker made
// beforehand (reserve_ms, off the interface thread). unreserved_snapshot_ms is what a snapshot
// into fresh memory would cost instead: the page faults, not the copying, are most of it.

#include "BenchClock.h"
#include "BenchStrokes.h"
#include "codecs/FileIO.h"
#include "document/Document.h"
#include "document/Recovery.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

namespace {

using namespace gs;
using namespace gs::bench;


void BM_RecoveryCopy24MP(benchmark::State& state) {
  TBitmap32 photo(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    TColor32* row = photo.ScanLine(y);
    for (int x = 0; x < kWidth; ++x)
      row[x] = Color32(uint8_t(x * 3 + (y >> 2)), uint8_t(y * 5 + (x >> 3)), uint8_t((x ^ y) * 7));
  }
  TDocument doc;
  doc.Open(TLoadedPicture{std::move(photo)});
  DrawWarpStrokes(
      doc, [](TDocument& d) { d.History.BeginStroke(d); }, [](TDocument& d) { d.History.EndStroke(d, "Warp stroke"); });
  const std::string path = (std::filesystem::temp_directory_path() / "gs-recovery-bench.gsr").string();

  for (auto _ : state) {
    double unreservedMs = 0;
    {
      TRecoveryCopy fresh;
      const auto t = TClock::now();
      TakeRecoverySnapshot(doc, fresh);
      unreservedMs = Milliseconds(t);
    }
    TRecoveryCopy snapshot;
    auto t = TClock::now();
    ReserveRecoverySnapshot(snapshot, RecoveryShapeOf(doc));
    const double reserveMs = Milliseconds(t);
    double laterMs = 0;
    for (int i = 0; i < 5; ++i) {
      t = TClock::now();
      TakeRecoverySnapshot(doc, snapshot);
      laterMs = std::max(laterMs, Milliseconds(t));
    }
    // Of that, the two pictures alone.
    t = TClock::now();
    snapshot.Source = doc.SourceBitmap;
    snapshot.View = doc.ViewBitmap;
    const double picturesMs = Milliseconds(t);
    t = TClock::now();
    const TBytes bytes = EncodeRecovery(snapshot);
    const double encodeMs = Milliseconds(t);
    t = TClock::now();
    WriteFileBytes(path, bytes);
    const double writeMs = Milliseconds(t);
    state.counters["unreserved_snapshot_ms"] = unreservedMs;
    state.counters["reserve_ms"] = reserveMs;
    state.counters["pictures_ms"] = picturesMs;
    state.counters["snapshot_ms_max"] = laterMs;
    state.counters["encode_ms"] = encodeMs;
    state.counters["write_ms"] = writeMs;
    state.counters["copy_MB"] = double(bytes.size()) / (1 << 20);
  }
  std::remove(path.c_str());
}
BENCHMARK(BM_RecoveryCopy24MP)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
