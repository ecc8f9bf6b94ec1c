// SPDX-License-Identifier: GPL-3.0-or-later
// Auto Caricature on a 24-megapixel portrait: reading the face model (once per program, on a
// thread of its own), finding the face and its landmarks, and the dialog's preview.
// Goals: finding the face at most 1.5 s with the model already read; a preview render at the
// dialog's size (longer side 360) at most 100 ms per change of preset or strength. Building the
// previews, which happens once per dialog (or per face chosen), is reported separately.
// The previews are the dialog's two: the whole picture (face:0) and the face with room around
// it (face:1), where the face fills much of the 360 pixels and the stamps are largest.
// The portrait is the astronaut test photo stretched to 4900 x 4900.
// Finding is also timed on a 1-megapixel portrait, which the finder looks at doubled so that
// faces of 40 pixels are found, and on a 6000 x 4000 group of fifteen astronaut faces each a
// thirtieth of the shorter side, the smallest the finder promises on a picture that large.

#include "codecs/DecodeByExtension.h"
#include "codecs/FileIO.h"
#include "faces/CaricaturePreview.h"
#include "faces/finder/FaceFinder.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace gs;

constexpr int kPortraitSide = 4900;
constexpr int kPreviewSide = 360;

const TBitmap32& Astronaut() {
  static const TBitmap32 photo = DecodePicture(".png", ReadFileBytes(GS_TESTDATA_DIR "/faces/astronaut.png")).Bitmap;
  return photo;
}

const TBitmap32& Portrait() {
  static const TBitmap32 portrait = [] {
    TBitmap32 big(kPortraitSide, kPortraitSide);
    big.StretchDraw(big.BoundsRect(), Astronaut());
    return big;
  }();
  return portrait;
}

const TFaceFinder& Finder() {
  static const TFaceFinder finder(kDefaultFaceModel);
  return finder;
}

const std::vector<TFace>& PortraitFaces() {
  static const std::vector<TFace> faces = Finder().Find(Portrait());
  return faces;
}

// The dialog's close-up: the face's box grown to kRoom times its side, cut out of the picture,
// the face moved with it.
constexpr double kRoom = 2.6;

TCaricaturePreview MakePreview(bool closeUp) {
  const TBitmap32& portrait = Portrait();
  const std::vector<TFace>& faces = PortraitFaces();
  if (!closeUp) return TCaricaturePreview(portrait, faces, kPreviewSide);
  const TFloatRect& box = faces.at(0).Box;
  const double half = box.Width() * kRoom / 2;
  const double cx = (box.Left + box.Right) / 2, cy = (box.Top + box.Bottom) / 2;
  const TRect cut =
      Intersect(CoveringRect(TFloatRect{cx - half, cy - half, cx + half, cy + half}), portrait.BoundsRect());
  TBitmap32 part(cut.Width(), cut.Height());
  part.CopyRect(0, 0, portrait, cut);
  TFace face = faces[0];
  face.Box = TFloatRect{box.Left - cut.Left, box.Top - cut.Top, box.Right - cut.Left, box.Bottom - cut.Top};
  for (TPointF& p : face.Points) p = TPointF{p.X - cut.Left, p.Y - cut.Top};
  return TCaricaturePreview(part, {face}, kPreviewSide);
}

void BM_FaceModelLoad(benchmark::State& state) {
  for (auto _ : state) {
    TFaceFinder finder(kDefaultFaceModel);
    benchmark::DoNotOptimize(finder);
  }
}

void BM_FaceFind24MP(benchmark::State& state) {
  const TBitmap32& portrait = Portrait();
  const TFaceFinder& finder = Finder();
  size_t faces = 0;
  for (auto _ : state) {
    const std::vector<TFace> found = finder.Find(portrait);
    faces = found.size();
    benchmark::DoNotOptimize(found.data());
  }
  state.counters["faces"] = double(faces);
}

void BM_FaceFind1MP(benchmark::State& state) {
  const TBitmap32 portrait = [] {
    TBitmap32 p(1024, 1024);
    p.StretchDraw(p.BoundsRect(), Astronaut());
    return p;
  }();
  const TFaceFinder& finder = Finder();
  size_t faces = 0;
  for (auto _ : state) {
    const std::vector<TFace> found = finder.Find(portrait);
    faces = found.size();
    benchmark::DoNotOptimize(found.data());
  }
  state.counters["faces"] = double(faces);
}

// Fifteen copies of the astronaut's head, scaled so that each face is 140 pixels wide, on grey.
TBitmap32 Group24MP() {
  const TBitmap32& photo = Astronaut();
  const TFloatRect box = Finder().Find(photo).at(0).Box;
  const double scale = 140 / box.Width();
  const TRect head = Intersect(CoveringRect(TFloatRect{box.Left - box.Width() / 2, box.Top - box.Height() / 2,
                                                       box.Right + box.Width() / 2, box.Bottom + box.Height() / 2}),
                               photo.BoundsRect());
  TBitmap32 cut(head.Width(), head.Height());
  cut.CopyRect(0, 0, photo, head);
  TBitmap32 small(int(head.Width() * scale), int(head.Height() * scale));
  small.StretchDraw(small.BoundsRect(), cut);
  TBitmap32 group(6000, 4000, 0xFF7F8588);
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 5; ++column)
      group.Draw(500 + column * 1100 + (row % 2) * 300, 600 + row * 1200, small);
  return group;
}

void BM_FaceFindGroup24MP(benchmark::State& state) {
  const TBitmap32 group = Group24MP();
  const TFaceFinder& finder = Finder();
  size_t faces = 0;
  for (auto _ : state) {
    const std::vector<TFace> found = finder.Find(group);
    faces = found.size();
    benchmark::DoNotOptimize(found.data());
  }
  state.counters["faces"] = double(faces);
}

void BM_CaricaturePreviewBuild24MP(benchmark::State& state) {
  if (PortraitFaces().empty()) {
    state.SkipWithError("no face found in the portrait");
    return;
  }
  for (auto _ : state) {
    const TCaricaturePreview preview = MakePreview(state.range(0) != 0);
    benchmark::DoNotOptimize(preview.Original().Bits());
  }
}

// One change in the dialog: the preview re-rendered with the preset at a new strength.
void BM_CaricaturePreviewRender(benchmark::State& state, TCaricaturePreset preset) {
  if (PortraitFaces().empty()) {
    state.SkipWithError("no face found in the portrait");
    return;
  }
  TCaricaturePreview preview = MakePreview(state.range(0) != 0);
  state.counters["face_px"] = preview.Faces().at(0).Box.Width();
  int64_t k = 0;
  for (auto _ : state) {
    const double strength = 0.5 + 0.1 * double(k++ % 6);
    const TBitmap32& shown = preview.Render(preset, strength, 0);
    benchmark::DoNotOptimize(shown.Bits());
    benchmark::ClobberMemory();
  }
}

BENCHMARK(BM_FaceModelLoad)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
// Finding runs on every core: its CPU time is the whole process's, so that a busy machine, which
// stretches the real time, can be told from a slower finder.
BENCHMARK(BM_FaceFind24MP)->Unit(benchmark::kMillisecond)->Iterations(5)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_FaceFindGroup24MP)->Unit(benchmark::kMillisecond)->Iterations(5)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_FaceFind1MP)->Unit(benchmark::kMillisecond)->Iterations(10)->MeasureProcessCPUTime()->UseRealTime();
void PreviewArgs(benchmark::internal::Benchmark* b) {
  b->ArgName("face")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_CaricaturePreviewBuild24MP)->Apply(PreviewArgs);
BENCHMARK_CAPTURE(BM_CaricaturePreviewRender, Alien, TCaricaturePreset::Alien)->Apply(PreviewArgs);
BENCHMARK_CAPTURE(BM_CaricaturePreviewRender, BobbleHead, TCaricaturePreset::BobbleHead)->Apply(PreviewArgs);

}  // namespace
