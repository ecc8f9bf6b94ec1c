// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/Animation.h"

#include "codecs/ColorQuantizer.h"
#include "codecs/FileIO.h"
#include "codecs/PictureKinds.h"
#include "codecs/Webp.h"
#include "common/Errors.h"
#include "common/Limits.h"
#include "document/AnimatedGif.h"
#include "document/Document.h"
#include "document/Transparency.h"

#include <algorithm>
#include <string>

namespace gs {

namespace {

void CheckRange(int value, int low, int high, const char* what) {
  if (value < low || value > high)
    throw Exception(std::string(what) + " must be from " + std::to_string(low) + " to " +
                    std::to_string(high) + ", not " + std::to_string(value));
}

void CheckAnimationSize(const TAnimationScene& scene, int frames) {
  if (!scene.Source || scene.Source->Empty()) throw Exception("There is no picture to animate");
  const int w = scene.Source->Width(), h = scene.Source->Height();
  CheckPictureSize(w, h);
  if (int64_t(w) * h * frames > kMaxAnimationPixels)
    throw Exception("The animation would hold " + std::to_string(frames) + " frames of " +
                    std::to_string(w) + " x " + std::to_string(h) + " pixels, more than " +
                    std::to_string(kMaxAnimationPixels) +
                    " pixels in all. Use fewer frames or make the picture smaller (Edit > Image Size).");
}

TColor32 KeyRgb(TColor key) { return RgbOf(WinColorToColor32(key)); }

// As the still GIF save does: pixels less than half opaque take the key colour, all others
// turn opaque.
TBitmap32 RenderForGif(TAnimationFrameRenderer& renderer, int k, int frames, TColor key) {
  TBitmap32 frame = renderer.Render(k, frames);
  FillKeyColour(frame, key);
  return frame;
}

}  // namespace

void CheckAnimationSettings(const TAnimationSettings& settings) {
  CheckRange(settings.Frames, kMinAnimationFrames, kMaxAnimationFrames, "Frames");
  CheckRange(settings.DelayCentiseconds, kMinFrameDelay, kMaxFrameDelay, "Frame delay");
}

TFixed ScaleDisplacement(TFixed d, int k, int steps) {
  const int64_t n = int64_t(d) * k;
  int64_t q = n / steps;
  int64_t r = n % steps;
  if (r < 0) {  // division truncates toward zero; the rounding below wants the floor
    --q;
    r += steps;
  }
  if (2 * r > steps || (2 * r == steps && (q & 1) != 0)) ++q;
  return TFixed(q);
}

std::vector<int> AnimationOrder(int frames, bool backAndForth) {
  std::vector<int> order;
  for (int k = 0; k < frames; ++k) order.push_back(k);
  if (backAndForth)
    for (int k = frames - 2; k >= 1; --k) order.push_back(k);
  return order;
}

TAnimationScene SceneOf(const TDocument& doc) {
  TAnimationScene scene;
  scene.Source = &doc.SourceBitmap;
  scene.Warp = &doc.MeshTransformation.VectorMap();
  for (const auto& layer : doc.Layers())
    if (layer->Visible) scene.Layers.push_back(layer.get());
  scene.TransparentColor = doc.TransparentColor;
  return scene;
}

bool SceneHasWarp(const TAnimationScene& scene) {
  return scene.Warp && !scene.Warp->Empty() && !scene.Warp->IsIdentity();
}

bool SceneWantsDither(const TAnimationScene& scene) {
  return scene.Source && !scene.Source->Empty() && HasMoreColorsThan(*scene.Source, 256);
}

TKeptScene::TKeptScene(const TAnimationScene& scene)
    : Source(*scene.Source), Warp(*scene.Warp), TransparentColor(scene.TransparentColor) {
  for (const TRotatableLayer* layer : scene.Layers) Layers.push_back(*layer);
}

TAnimationScene TKeptScene::Scene() const {
  TAnimationScene scene;
  scene.Source = &Source;
  scene.Warp = &Warp;
  for (const TRotatableLayer& layer : Layers) scene.Layers.push_back(&layer);
  scene.TransparentColor = TransparentColor;
  return scene;
}

TAnimationScene AnimationSceneOf(const TDocument& doc) {
  const TAnimationScene scene = SceneOf(doc);
  if (!SceneHasWarp(scene) && doc.SceneBeforeSave) return doc.SceneBeforeSave->Scene();
  return scene;
}

TAnimationFrameRenderer::TAnimationFrameRenderer(const TAnimationScene& scene) : Scene_(scene) {
  if (!scene.Source || scene.Source->Empty() || !scene.Warp)
    throw Exception("There is no picture to animate");
  Mesh_.Bind(*scene.Source, *scene.Source);
}

TBitmap32 TAnimationFrameRenderer::Render(int k, int frames) {
  const TVectorMap& full = *Scene_.Warp;
  TVectorMap& scaled = Mesh_.VectorMap();
  const int steps = std::max(frames - 1, 1);
  k = std::clamp(k, 0, steps);
  // Cells beyond the full map stay zero: the view counts them as undisplaced too.
  const int w = std::min(full.Width(), scaled.Width());
  const int h = std::min(full.Height(), scaled.Height());
  for (int y = 0; y < h; ++y) {
    const TFixedVector* from = full.Row(y);
    TFixedVector* to = scaled.Row(y);
    for (int x = 0; x < w; ++x) {
      const TFixedVector d = from[x];
      to[x] = d == TFixedVector{} ? d
                                  : TFixedVector{ScaleDisplacement(d.X, k, steps),
                                                 ScaleDisplacement(d.Y, k, steps)};
    }
  }
  const TBitmap32& source = *Scene_.Source;
  TBitmap32 frame(source.Width(), source.Height());
  frame.DrawMode = source.DrawMode;
  frame.CombineMode = source.CombineMode;
  frame.OuterColor = source.OuterColor;
  Mesh_.ClearAndRender(frame, source, frame.BoundsRect());
  for (const TRotatableLayer* layer : Scene_.Layers) MergeLayer(frame, *layer);
  return frame;
}

std::optional<TBytes> EncodeCaricatureAnimation(const TAnimationScene& scene,
                                                const TAnimationSettings& settings,
                                                const TAnimationProgress& progress) {
  CheckAnimationSettings(settings);
  CheckAnimationSize(scene, settings.Frames);
  if (!SceneHasWarp(scene)) throw Exception(kNothingToAnimate);
  const int n = settings.Frames;
  // Every frame is rendered twice: once to count its colours, once to write it.
  const auto stopped = [&](int done) { return progress && !progress(done, 2 * n); };
  if (stopped(0)) return std::nullopt;

  TAnimationFrameRenderer renderer(scene);
  const TColor key = scene.TransparentColor;
  // One colour table for every frame, from every frame, each as often as it shows: the frames
  // are rendered twice rather than kept, since a big animation's frames fill gigabytes.
  TColorHistogram colors(std::nullopt, true);
  TBitmap32 first = RenderForGif(renderer, 0, n, key);
  colors.Add(first);
  if (stopped(1)) return std::nullopt;
  const uint32_t between = settings.BackAndForth ? 2 : 1;
  for (int k = 1; k < n - 1; ++k) {
    colors.Add(RenderForGif(renderer, k, n, key), between);
    if (stopped(k + 1)) return std::nullopt;
  }
  const TBitmap32 last = RenderForGif(renderer, n - 1, n, key);
  colors.Add(last);
  if (stopped(n)) return std::nullopt;

  TAnimatedGifWriter writer(colors, first.Width(), first.Height(),
                            TGifAnimationOptions{settings.DelayCentiseconds, settings.Loop,
                                                 KeyRgb(key), settings.Dither});
  writer.AddFrame(first);
  first = TBitmap32();  // a big picture's frames are large: keep no more of them than needed
  if (stopped(n + 1)) return std::nullopt;
  for (int k = 1; k < n - 1; ++k) {
    writer.AddFrame(RenderForGif(renderer, k, n, key));
    if (stopped(n + k + 1)) return std::nullopt;
  }
  writer.AddFrame(last);
  // The way back shows the frames already mapped: frame k was added as number k.
  if (settings.BackAndForth)
    for (int k = n - 2; k >= 1; --k) writer.RepeatFrame(k);
  if (stopped(2 * n)) return std::nullopt;
  return writer.Finish();
}

std::optional<TBytes> EncodeCaricatureWebp(const TAnimationScene& scene, const TAnimationSettings& settings,
                                           const TAnimationProgress& progress, int quality,
                                           const TFrameShaper& shape) {
  CheckAnimationSettings(settings);
  CheckAnimationSize(scene, settings.Frames);
  if (!SceneHasWarp(scene)) throw Exception(kNothingToAnimate);
  const int n = settings.Frames;
  const std::vector<int> order = AnimationOrder(n, settings.BackAndForth);
  const int total = int(order.size());
  if (progress && !progress(0, total)) return std::nullopt;

  TAnimationFrameRenderer renderer(scene);
  const auto render = [&](int k) { return shape ? shape(renderer.Render(k, n)) : renderer.Render(k, n); };
  std::optional<TAnimatedWebpWriter> writer;
  for (int i = 0; i < total; ++i) {
    const TBitmap32 frame = render(order[size_t(i)]);
    if (!writer) writer.emplace(frame.Width(), frame.Height(), settings.Loop, TWebpOptions{false, quality});
    writer->AddFrame(frame, settings.DelayCentiseconds * 10);
    if (progress && !progress(i + 1, total)) return std::nullopt;
  }
  return writer->Finish();
}

std::string AnimationFileName(const std::string& path) {
  if (path.empty()) throw Exception("Choose a file to save the animation to");
  const std::string ext = LowerCase(ExtractFileExt(path));
  if (ext.empty()) return path + ".gif";
  if (!IsPictureKind(path, TPictureKindId::Gif) && !IsPictureKind(path, TPictureKindId::Webp))
    throw Exception("An animation is saved as a GIF or WebP file: \"" + ExtractFileName(path) +
                    "\" does not end in .gif or .webp");
  return path;
}

bool WriteCaricatureAnimation(const TAnimationScene& scene, const TAnimationSettings& settings,
                              const std::string& path, const TAnimationProgress& progress) {
  const std::string target = AnimationFileName(path);
  const std::optional<TBytes> bytes = IsPictureKind(target, TPictureKindId::Webp)
                                          ? EncodeCaricatureWebp(scene, settings, progress)
                                          : EncodeCaricatureAnimation(scene, settings, progress);
  if (!bytes) return false;
  WriteFileBytes(target, *bytes);
  return true;
}

}  // namespace gs
