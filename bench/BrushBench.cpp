// SPDX-License-Identifier: GPL-3.0-or-later
// How quickly a brush stroke shows on a 24-megapixel photo in the real main window. The window
// is made offscreen as the batch mode makes it (no user settings, no plug-ins), the photo opened
// and shown at Fit To Window or at 100 %; then a press, 200 mouse moves and a release go to the
// picture view as Qt mouse events. Each move is timed from its event to the end of the repaint
// of the square it changed: the move's handler, then the event loop run until nothing is pending,
// which paints what the move marked for repainting. The repeat timers are held still so that
// every figure is one move's work.
//
// Counters, over every move of all iterations: median_ms and p99_ms per move, paints_per_move
// (1 when every move's square was painted within its time) and the zoom.
// Goals: median <= 8 ms and p99 <= 16 ms per move with Warp at Size 500, at both zooms.

#include "BenchNoise.h"
#include "codecs/FileIO.h"
#include "codecs/Jpeg.h"
#include "platform/Dialogs.h"
#include "platform/ScriptedDialogs.h"
#include "shell/batch/Batch.h"
#include "shell/view/ImageView.h"
#include "shell/window/Studio.h"

#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <numbers>
#include <sstream>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace gs;

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kMoves = 200;

using bench::PixelNoise;

// Smooth shading, a face, fine stripes and sensor noise: detail everywhere, as in a photo.
TBitmap32 Photo() {
  TBitmap32 photo(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    TColor32* row = photo.ScanLine(y);
    for (int x = 0; x < kWidth; ++x) {
      const double dx = (x - kWidth / 2.0) / kWidth, dy = (y - kHeight / 2.0) / kHeight;
      const int face = int(220 * std::exp(-6 * (dx * dx + dy * dy)));
      const int n = int(PixelNoise(x, y) & 15);
      row[x] = Color32(uint8_t(face + n), uint8_t((face * 3 / 4 + ((x ^ y) & 31)) & 0xFF),
                       uint8_t(y * 200 / kHeight + n), 0xFF);
    }
  }
  return photo;
}

QApplication& App() {
  static QApplication* app = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "gs_bench";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);  // lives as long as the process
  }();
  return *app;
}

// Counts the paints of the view.
class TPaintWatch : public QObject {
public:
  int Paints = 0;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++Paints;
    return QObject::eventFilter(watched, event);
  }
};

// The main window with the photo open, made once for every benchmark: the photo takes seconds
// to make and about a gigabyte to edit.
class TBrushWindow {
public:
  TBrushWindow() {
    App();
    Folder_ = std::filesystem::temp_directory_path() / ("gs-brush-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(Folder_);
    const std::string photo = (Folder_ / "photo.jpg").string();
    WriteFileBytes(photo, EncodeJpeg(Photo(), 90));
    SetDialogs(&Dialogs_);
    Studio = new TSStudio;  // lives as long as the process, as the application does
    Studio->SetBatchMode(true);
    const auto missing = [&](const char* name) { return (Folder_ / name).string(); };
    Studio->UseFolders(TDataFolders{missing("bin"), missing("share"), missing("start"), missing("user")});
    Studio->resize(1280, 960);
    Studio->setAttribute(Qt::WA_DontShowOnScreen);
    Studio->show();
    QApplication::processEvents();
    Run("open " + photo);
    std::filesystem::remove_all(Folder_);
  }

  void Run(const std::string& script) {
    std::istringstream in(script);
    std::ostringstream err;
    if (RunBatch(*Studio, Dialogs_, in, err) != 0) throw std::runtime_error(err.str());
    QApplication::processEvents();
  }

  TSStudio* Studio = nullptr;

private:
  std::filesystem::path Folder_;
  TScriptedDialogs Dialogs_;
};

TBrushWindow& Window() {
  static TBrushWindow window;
  return window;
}

double Percentile(std::vector<double> values, double share) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t at = size_t(std::ceil(share * double(values.size()))) - 1;
  return values[std::min(at, values.size() - 1)];
}

void Send(QWidget* view, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
  QMouseEvent event(type, QPointF(at), QPointF(view->mapToGlobal(at)), button, held, Qt::NoModifier);
  QApplication::sendEvent(view, &event);
}

void BrushStroke(benchmark::State& state, const char* zoom, const char* tool, int size) {
  TBrushWindow& window = Window();
  window.Run(std::string("zoom ") + zoom + "\ntool " + tool + "\nsize " + std::to_string(size));
  TSStudio& studio = *window.Studio;
  auto* view = studio.findChild<TImageView*>(QStringLiteral("DstImg"));
  TPaintWatch watch;
  view->installEventFilter(&watch);
  // A circle round a point of the face that the window shows at either zoom: the top-left
  // quarter of the photo is in view at 100 % too.
  const QPoint centre = studio.PictureToView(TPointF{700, 560});
  const double radius = std::min(150.0, std::max(40.0, view->width() / 12.0));
  std::vector<QPoint> path;
  for (int i = 0; i <= kMoves; ++i) {
    const double angle = 2 * std::numbers::pi * i / kMoves;
    path.push_back(centre + QPoint(int(std::lround(radius * std::cos(angle))),
                                   int(std::lround(radius * std::sin(angle)))));
  }
  std::vector<double> ms;
  int paints = 0;
  for (auto _ : state) {
    Send(view, QEvent::MouseButtonPress, path.front(), Qt::LeftButton, Qt::LeftButton);
    for (auto* timer : {studio.findChild<QTimer*>(QStringLiteral("UpdateTimer")),
                        studio.findChild<QTimer*>(QStringLiteral("LayterTimer"))})
      timer->stop();
    QApplication::processEvents();
    for (int i = 1; i <= kMoves; ++i) {
      const int before = watch.Paints;
      const auto start = std::chrono::steady_clock::now();
      Send(view, QEvent::MouseMove, path[size_t(i)], Qt::NoButton, Qt::LeftButton);
      QApplication::processEvents();
      const auto end = std::chrono::steady_clock::now();
      ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
      paints += watch.Paints - before;
    }
    Send(view, QEvent::MouseButtonRelease, path.back(), Qt::LeftButton, Qt::NoButton);
    QApplication::processEvents();
  }
  view->removeEventFilter(&watch);
  state.counters["median_ms"] = Percentile(ms, 0.5);
  state.counters["p99_ms"] = Percentile(ms, 0.99);
  state.counters["paints_per_move"] = ms.empty() ? 0 : double(paints) / double(ms.size());
  state.counters["zoom_percent"] = studio.Document().ZoomPercent;
}

void BM_BrushFitWarp500(benchmark::State& state) { BrushStroke(state, "fit", "warp", 500); }
void BM_BrushOriginalWarp500(benchmark::State& state) { BrushStroke(state, "original", "warp", 500); }
void BM_BrushFitPutty100(benchmark::State& state) { BrushStroke(state, "fit", "putty", 100); }
void BM_BrushOriginalPutty100(benchmark::State& state) { BrushStroke(state, "original", "putty", 100); }
BENCHMARK(BM_BrushFitWarp500)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BrushOriginalWarp500)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BrushFitPutty100)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BrushOriginalPutty100)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
