// SPDX-License-Identifier: GPL-3.0-or-later
// The face warp on a 24-megapixel portrait: a preset, the sliders or Exaggerate applied to the
// picture (goal: at most 300 ms), a preset over an earlier one, the same through the document
// with its history step, one slider change in the Face Sculpt preview (goal: at most 30 ms),
// the presets' thumbnails, and the field alone by moving least squares and by thin-plate
// spline, with the share of the move each keeps to stay unfolded (limit) and the least
// Jacobian.
// CPU times are of every thread of the process: with two cores free the time is about half.
// Two portraits: the astronaut test photo stretched to 4900 x 4900 (face:0, a face about 900
// pixels wide) and its face cut out and stretched to 6000 x 4000 (face:1, about 2000 pixels).

#include "codecs/DecodeByExtension.h"
#include "codecs/FileIO.h"
#include "document/AutoCaricature.h"
#include "document/Document.h"
#include "faces/rules/Presets.h"
#include "faces/CaricaturePreview.h"
#include "faces/finder/FaceFinder.h"
#include "faces/rules/Sculpt.h"
#include "faces/warp/ApplyField.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <map>

namespace {

using namespace gs;

const TFaceFinder& Finder() {
  static const TFaceFinder finder(kDefaultFaceModel);
  return finder;
}

struct TPortrait {
  TBitmap32 Picture;
  std::vector<TFace> Faces;
};

const TPortrait& Portrait(int which) {
  static std::map<int, TPortrait> portraits;
  auto it = portraits.find(which);
  if (it != portraits.end()) return it->second;
  const TBitmap32 photo = DecodePicture(".png", ReadFileBytes(GS_TESTDATA_DIR "/faces/astronaut.png")).Bitmap;
  TPortrait portrait;
  if (which == 0) {
    portrait.Picture.SetSize(4900, 4900);
    portrait.Picture.StretchDraw(portrait.Picture.BoundsRect(), photo);
  } else {
    TBitmap32 cut(240, 160);
    cut.CopyRect(0, 0, photo, TRect{110, 40, 350, 200});
    portrait.Picture.SetSize(6000, 4000);
    portrait.Picture.StretchDraw(portrait.Picture.BoundsRect(), cut);
  }
  portrait.Faces = Finder().Find(portrait.Picture);
  return portraits.emplace(which, std::move(portrait)).first->second;
}

TSculpt SomeSliders(int k) {
  TSculpt sculpt;
  sculpt.Set(TSculptSlider::EyeSize, 40 + k % 20);
  sculpt.Set(TSculptSlider::Smile, 50);
  sculpt.Set(TSculptSlider::Jawline, -30);
  sculpt.Set(TSculptSlider::NoseWidth, 30);
  return sculpt;
}

enum TRuleKind { kBobbleHead, kAlien, kSliders, kExaggerate };

TFaceRule RuleOf(int kind, int k = 0) {
  switch (kind) {
    case kBobbleHead: return [](const TFace& f) { return PresetShape(f, TCaricaturePreset::BobbleHead, 1.0); };
    case kAlien: return [](const TFace& f) { return PresetShape(f, TCaricaturePreset::Alien, 1.0); };
    case kSliders: return [k](const TFace& f) { return SculptShape(f, SomeSliders(k), nullptr); };
    default: {
      TSculpt sculpt;
      sculpt.Exaggerate = 80;
      return [sculpt](const TFace& f) { return SculptShape(f, sculpt, &Finder().ShapeModel()); };
    }
  }
}

void OpenPortrait(TDocument& doc, const TPortrait& portrait) {
  TLoadedPicture loaded;
  loaded.Picture = portrait.Picture;
  doc.Open(std::move(loaded));
}

// The rule composed into a mesh bound to the picture and the changed part re-rendered.
void BM_FaceApply24MP(benchmark::State& state, int kind) {
  const TPortrait& portrait = Portrait(int(state.range(0)));
  if (portrait.Faces.empty()) return state.SkipWithError("no face found");
  TBitmap32 view = portrait.Picture;
  TRemapTransformation mesh;
  mesh.Bind(portrait.Picture, view);
  double limit = 1;
  int64_t pixels = 0;
  for (auto _ : state) {
    state.PauseTiming();
    mesh.VectorMap().Clear();
    std::vector<TFace> faces = portrait.Faces;
    state.ResumeTiming();
    const TFaceEditResult result = ApplyFaceRule(mesh, portrait.Picture, view, faces, 0, RuleOf(kind));
    limit = result.Limit;
    pixels = int64_t(result.Changed.Width()) * result.Changed.Height();
  }
  state.counters["face_px"] = portrait.Faces[0].Box.Width();
  state.counters["changed_Mpx"] = double(pixels) / 1e6;
  state.counters["limit"] = limit;
}

// Alien over an earlier Bobble Head: the composition reads the mesh the first warp left.
void BM_FaceApplyOverWarp24MP(benchmark::State& state) {
  const TPortrait& portrait = Portrait(int(state.range(0)));
  if (portrait.Faces.empty()) return state.SkipWithError("no face found");
  TBitmap32 view = portrait.Picture;
  TRemapTransformation mesh;
  mesh.Bind(portrait.Picture, view);
  for (auto _ : state) {
    state.PauseTiming();
    mesh.VectorMap().Clear();
    std::vector<TFace> faces = portrait.Faces;
    ApplyFaceRule(mesh, portrait.Picture, view, faces, 0, RuleOf(kBobbleHead));
    state.ResumeTiming();
    benchmark::DoNotOptimize(ApplyFaceRule(mesh, portrait.Picture, view, faces, 0, RuleOf(kAlien)));
  }
}

// Through the document: the history keeps the mesh's tiles it bends and packs them into a step.
void BM_FaceApplyDocument24MP(benchmark::State& state) {
  const TPortrait& portrait = Portrait(int(state.range(0)));
  if (portrait.Faces.empty()) return state.SkipWithError("no face found");
  TDocument doc;
  OpenPortrait(doc, portrait);
  for (auto _ : state) {
    std::vector<TFace> faces = portrait.Faces;
    benchmark::DoNotOptimize(ApplyAutoCaricature(doc, faces, 0, TCaricaturePreset::Alien, 1.0));
    state.PauseTiming();
    // The step's packing left to its worker is done before the next apply, as it is while the
    // user looks at the result; BM_FaceApplyParts24MP times it.
    doc.History.FinishPacking();
    doc.History.GoTo(doc, 0);
    state.ResumeTiming();
  }
}

// The same over an earlier Bobble Head, which the history keeps as a step of its own.
void BM_FaceApplyDocumentOverWarp24MP(benchmark::State& state) {
  const TPortrait& portrait = Portrait(int(state.range(0)));
  if (portrait.Faces.empty()) return state.SkipWithError("no face found");
  TDocument doc;
  OpenPortrait(doc, portrait);
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<TFace> faces = portrait.Faces;
    ApplyAutoCaricature(doc, faces, 0, TCaricaturePreset::BobbleHead, 1.0);
    doc.History.FinishPacking();
    state.ResumeTiming();
    benchmark::DoNotOptimize(ApplyAutoCaricature(doc, faces, 0, TCaricaturePreset::Alien, 1.0));
    state.PauseTiming();
    doc.History.FinishPacking();
    doc.History.GoTo(doc, 0);
    state.ResumeTiming();
  }
}

// Where the time of the document's apply goes, one part after the other as Auto Caricature
// takes them, each a counter in wall milliseconds: the undo snapshot, the field, the mesh's
// tiles kept for the history, the composition with the re-render, the step added (the result
// shows from here on), the wait for the step's packing on its worker, and the going back.
void BM_FaceApplyParts24MP(benchmark::State& state) {
  const TPortrait& portrait = Portrait(int(state.range(0)));
  if (portrait.Faces.empty()) return state.SkipWithError("no face found");
  TDocument doc;
  OpenPortrait(doc, portrait);
  using TClock = std::chrono::steady_clock;
  const auto since = [](TClock::time_point t) {
    return std::chrono::duration<double, std::milli>(TClock::now() - t).count();
  };
  double snapshot = 0, field = 0, touch = 0, apply = 0, step = 0, packing = 0, back = 0;
  for (auto _ : state) {
    TClock::time_point t = TClock::now();
    doc.TakeUndoSnapshot();
    snapshot += since(t);
    t = TClock::now();
    const TFace& face = portrait.Faces[0];
    const TWarpField warp = FaceField(face, RuleOf(kAlien)(face), {}, {doc.ImageWidth(), doc.ImageHeight()});
    field += since(t);
    t = TClock::now();
    doc.History.BeginStroke(doc);
    double touched = 0;
    ApplyWarpField(doc.MeshTransformation, doc.SourceBitmap, doc.ViewBitmap, warp, [&](const TRect& r) {
      const TClock::time_point k = TClock::now();
      doc.History.TouchMesh(doc, r);
      touched += since(k);
    });
    apply += since(t) - touched;
    touch += touched;
    t = TClock::now();
    doc.History.EndStroke(doc, "Auto Caricature");
    step += since(t);
    t = TClock::now();
    doc.History.FinishPacking();
    packing += since(t);
    t = TClock::now();
    doc.History.GoTo(doc, 0);
    back += since(t);
  }
  const double n = double(state.iterations());
  state.counters["snapshot_ms"] = snapshot / n;
  state.counters["field_ms"] = field / n;
  state.counters["touch_ms"] = touch / n;
  state.counters["apply_ms"] = apply / n;
  state.counters["step_ms"] = step / n;
  state.counters["packing_ms"] = packing / n;
  state.counters["back_ms"] = back / n;
}

// The field alone, by each model, for a preset and for Exaggerate.
void BM_FaceField(benchmark::State& state, TWarpModel model, int kind) {
  const TPortrait& portrait = Portrait(0);
  if (portrait.Faces.empty()) return state.SkipWithError("no face found");
  const TFace& face = portrait.Faces[0];
  const TFaceShape target = RuleOf(kind)(face);
  TWarpField field;
  for (auto _ : state) {
    field = FaceField(face, target, {}, {portrait.Picture.Width(), portrait.Picture.Height()}, model);
    benchmark::DoNotOptimize(field);
  }
  state.counters["limit"] = field.Limit();
  state.counters["least_jacobian"] = field.LeastJacobian();
}

// The Face Sculpt preview: the face with room round it at the dialog's 360 pixels, re-rendered
// for a slider's new value.
void BM_SculptPreviewChange(benchmark::State& state) {
  const TPortrait& portrait = Portrait(int(state.range(0)));
  if (portrait.Faces.empty()) return state.SkipWithError("no face found");
  const TFloatRect& box = portrait.Faces[0].Box;
  const double half = box.Width() * 3.2 / 2;
  const double cx = (box.Left + box.Right) / 2, cy = (box.Top + box.Bottom) / 2;
  const TRect cut = Intersect(CoveringRect(TFloatRect{cx - half, cy - half, cx + half, cy + half}),
                              portrait.Picture.BoundsRect());
  TBitmap32 part(cut.Width(), cut.Height());
  part.CopyRect(0, 0, portrait.Picture, cut);
  TFace face = portrait.Faces[0];
  for (TPointF& p : face.Points) p = TPointF{p.X - cut.Left, p.Y - cut.Top};
  TCaricaturePreview preview(part, {face}, 360);
  int k = 0;
  for (auto _ : state) benchmark::DoNotOptimize(preview.Render(SomeSliders(k++), nullptr, 0).Bits());
}

// Auto Caricature's ten thumbnails at 64 pixels, re-rendered when the strength changes.
void BM_PresetThumbnails(benchmark::State& state) {
  const TPortrait& portrait = Portrait(0);
  if (portrait.Faces.empty()) return state.SkipWithError("no face found");
  TCaricaturePreview preview(portrait.Picture, portrait.Faces, 64);
  for (auto _ : state)
    for (const TPresetName& preset : CaricaturePresets())
      benchmark::DoNotOptimize(preview.Render(preset.Preset, 0.8, 0).Bits());
}

void Portraits(benchmark::internal::Benchmark* b) {
  b->ArgName("face")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
}

BENCHMARK_CAPTURE(BM_FaceApply24MP, BobbleHead, kBobbleHead)->Apply(Portraits);
BENCHMARK_CAPTURE(BM_FaceApply24MP, Alien, kAlien)->Apply(Portraits);
BENCHMARK_CAPTURE(BM_FaceApply24MP, Sliders, kSliders)->Apply(Portraits);
BENCHMARK_CAPTURE(BM_FaceApply24MP, Exaggerate, kExaggerate)->Apply(Portraits);
BENCHMARK(BM_FaceApplyOverWarp24MP)->Apply(Portraits);
BENCHMARK(BM_FaceApplyDocument24MP)->Apply(Portraits);
BENCHMARK(BM_FaceApplyDocumentOverWarp24MP)->Apply(Portraits);
BENCHMARK(BM_FaceApplyParts24MP)->Apply(Portraits);
BENCHMARK_CAPTURE(BM_FaceField, MlsAlien, TWarpModel::Mls, kAlien)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK_CAPTURE(BM_FaceField, TpsAlien, TWarpModel::Tps, kAlien)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK_CAPTURE(BM_FaceField, MlsSliders, TWarpModel::Mls, kSliders)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK_CAPTURE(BM_FaceField, TpsSliders, TWarpModel::Tps, kSliders)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK_CAPTURE(BM_FaceField, MlsExaggerate, TWarpModel::Mls, kExaggerate)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK_CAPTURE(BM_FaceField, TpsExaggerate, TWarpModel::Tps, kExaggerate)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_SculptPreviewChange)->Apply(Portraits);
BENCHMARK(BM_PresetThumbnails)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
