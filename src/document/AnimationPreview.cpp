// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/AnimationPreview.h"

#include "common/Errors.h"
#include "common/Fixed.h"

#include <algorithm>
#include <cmath>

namespace gs {

namespace {

// The displacement at the full picture's position of a shrunk cell, shrunk by the same scale.
void ShrinkWarp(const TVectorMap& full, double scale, TVectorMap& shrunk) {
  for (int y = 0; y < shrunk.Height(); ++y) {
    TFixedVector* row = shrunk.Row(y);
    const TFixed fy = RoundHalfEven(y / scale * kFixedOne);
    for (int x = 0; x < shrunk.Width(); ++x) {
      const TFixed fx = RoundHalfEven(x / scale * kFixedOne);
      const TFixedVector d = full.VectorInterpolated(fx, fy);
      row[x] = TFixedVector{RoundHalfEven(d.X * scale), RoundHalfEven(d.Y * scale)};
    }
  }
}

TFloatRect Scaled(const TFloatRect& r, double scale) {
  return TFloatRect{r.Left * scale, r.Top * scale, r.Right * scale, r.Bottom * scale};
}

}  // namespace

TShrunkScene::TShrunkScene(const TAnimationScene& scene, int maxSide) {
  if (!scene.Source || scene.Source->Empty() || !scene.Warp)
    throw Exception("There is no picture to animate");
  const TBitmap32& source = *scene.Source;
  const double scale = std::min(1.0, double(std::max(maxSide, 1)) /
                                         std::max(source.Width(), source.Height()));
  const int w = std::max(1, int(std::lround(source.Width() * scale)));
  const int h = std::max(1, int(std::lround(source.Height() * scale)));
  Source_.SetSize(w, h);
  Source_.StretchDraw(Source_.BoundsRect(), source);
  Source_.DrawMode = source.DrawMode;
  Source_.CombineMode = source.CombineMode;
  Source_.OuterColor = source.OuterColor;
  Warp_.SetSize(w, h);
  ShrinkWarp(*scene.Warp, scale, Warp_);
  Layers_.reserve(scene.Layers.size());
  for (const TRotatableLayer* layer : scene.Layers) {
    Layers_.push_back(*layer);
    Layers_.back().Location = Scaled(layer->Location, scale);
  }
  Scene_.Source = &Source_;
  Scene_.Warp = &Warp_;
  for (const TRotatableLayer& layer : Layers_) Scene_.Layers.push_back(&layer);
  Scene_.TransparentColor = scene.TransparentColor;
}

std::vector<TBitmap32> RenderAnimationFrames(const TAnimationScene& scene, int frames) {
  TAnimationFrameRenderer renderer(scene);
  std::vector<TBitmap32> result;
  result.reserve(size_t(std::max(frames, 0)));
  for (int k = 0; k < frames; ++k) result.push_back(renderer.Render(k, frames));
  return result;
}

}  // namespace gs
