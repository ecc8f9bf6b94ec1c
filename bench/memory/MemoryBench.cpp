// SPDX-License-Identifier: GPL-3.0-or-later
// Peak resident memory while a user edits a 24-megapixel photo: open the JPEG, twenty Warp
// strokes at Size 300, undo, a quarter turn, save as PNG. Reported per picture pixel: the
// document keeps three pictures (4 bytes each) and the mesh (8 bytes) at once, so about 20 bytes
// per pixel is the floor and 32 the budget.
//
//   peak_B_per_px    the process's whole peak (VmHWM) divided by the pixels
//   growth_B_per_px  the peak minus what the process held before opening the photo

#include "codecs/FileIO.h"
#include "codecs/Jpeg.h"
#include "document/BrushTool.h"
#include "document/Canvas.h"
#include "document/Document.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <unistd.h>

namespace {

using namespace gs;

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kStrokes = 20;
constexpr int kStepsPerStroke = 24;
constexpr int kBrushSize = 300;

// A kilobyte figure from /proc/self/status ("VmHWM", "VmRSS"), in bytes.
double StatusBytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field + ":", 0) == 0) return std::stod(line.substr(field.size() + 1)) * 1024.0;
  return 0;
}

// Makes the kernel start the peak over from the present resident size.
bool ResetPeak() {
  std::ofstream clearRefs("/proc/self/clear_refs");
  clearRefs << "5";
  clearRefs.flush();
  return bool(clearRefs);
}

// A photo-like picture with smooth shading and fine detail, so that the JPEG has a realistic size.
void WritePortrait(const std::string& path) {
  TBitmap32 photo;
  photo.SetSize(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    TColor32* row = photo.ScanLine(y);
    for (int x = 0; x < kWidth; ++x) {
      const double dx = (x - kWidth / 2.0) / kWidth, dy = (y - kHeight / 2.0) / kHeight;
      const int face = int(255 * std::exp(-8 * (dx * dx + dy * dy)));
      row[x] = Color32(uint8_t(face), uint8_t((face * 3 / 4 + (x ^ y)) & 0xFF), uint8_t(y * 255 / kHeight), 0xFF);
    }
  }
  WriteFileBytes(path, EncodeJpeg(photo, 90));
}

// One stroke: the undo snapshot at the press, then the brush moved along an arc; the history
// keeps it as the window does.
void Stroke(TDocument& doc, int index) {
  doc.History.BeginStroke(doc);
  doc.TakeUndoSnapshot();
  const double cx = kWidth * (0.3 + 0.02 * index), cy = kHeight * 0.5;
  for (int step = 0; step < kStepsPerStroke; ++step) {
    const double angle = std::numbers::pi * step / kStepsPerStroke + index;
    const TPoint p{int(cx + 400 * std::cos(angle)) - kBrushSize / 2, int(cy + 400 * std::sin(angle)) - kBrushSize / 2};
    doc.Brushes.ApplyAt(p);
  }
  doc.History.EndStroke(doc, "Warp stroke");
}

// A command on the whole picture, kept by the history as the window does.
template <class TChange>
void Command(TDocument& doc, TChange change) {
  doc.History.BeginCommand(doc, TChangeScope::Picture);
  change();
  doc.History.EndCommand(doc, "command");
}

void EditingSession(benchmark::State& state) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("gs-memory-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string photo = (folder / "portrait.jpg").string();
  const std::string saved = (folder / "portrait.png").string();
  WritePortrait(photo);

  for (auto _ : state) {
    if (!ResetPeak()) {
      state.SkipWithError("cannot reset the peak resident size (/proc/self/clear_refs)");
      break;
    }
    const double before = StatusBytes("VmRSS");
    double history = 0;
    {
      TDocument doc;
      doc.Open(ReadPictureFile(photo));
      doc.Brushes.SetSize(kBrushSize);
      doc.Brushes.Choose(TToolMode::Warp);
      for (int i = 0; i < kStrokes; ++i) Stroke(doc, i);
      Command(doc, [&] { UndoPicture(doc); });
      Command(doc, [&] { RotateCanvas(doc, TRotation::Clockwise); });
      doc.WritePicture(saved);
      history = double(doc.History.Bytes());
    }
    const double peak = StatusBytes("VmHWM");
    const double pixels = double(kWidth) * kHeight;
    state.counters["history_B_per_px"] = history / pixels;
    state.counters["peak_without_history_B_per_px"] = (peak - history) / pixels;
    state.counters["peak_B_per_px"] = peak / pixels;
    state.counters["growth_B_per_px"] = (peak - before) / pixels;
    state.counters["peak_MiB"] = peak / (1024.0 * 1024.0);
  }
  std::filesystem::remove_all(folder);
}
BENCHMARK(EditingSession)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
