// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces/CaricaturePreview.h"

#include "common/Shrink.h"
#include "faces/rules/Presets.h"

namespace gs {

TCaricaturePreview::TCaricaturePreview(const TBitmap32& picture, const std::vector<TFace>& faces, int maxSide) {
  const TSize size = FittedSize(picture.Width(), picture.Height(), maxSide);
  Original_ = size.Width == picture.Width() ? picture : ShrinkPicture(picture, size.Width, size.Height);
  Scale_ = picture.Width() > 0 ? double(Original_.Width()) / picture.Width() : 1.0;
  for (const TFace& face : faces) Faces_.push_back(ScaledFace(face, Scale_));
}

const TBitmap32& TCaricaturePreview::RenderRule(const TFaceRule& rule, int faceIndex) {
  Result_ = Original_;
  Mesh_.Bind(Original_, Result_);
  Mesh_.VectorMap().Clear();
  std::vector<TFace> faces = Faces_;
  Limit_ = ApplyFaceRule(Mesh_, Original_, Result_, faces, faceIndex, rule).Limit;
  return Result_;
}

const TBitmap32& TCaricaturePreview::Render(TCaricaturePreset preset, double strength, int faceIndex) {
  if (!(strength > 0)) {
    Result_ = Original_;
    Limit_ = 1;
    return Result_;
  }
  return RenderRule([&](const TFace& face) { return PresetShape(face, preset, strength); }, faceIndex);
}

const TBitmap32& TCaricaturePreview::Render(const TSculpt& sculpt, const TShapeModel* model, int faceIndex) {
  return RenderRule([&](const TFace& face) { return SculptShape(face, sculpt, model); }, faceIndex);
}

}  // namespace gs
