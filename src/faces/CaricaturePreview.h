// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a preset or the sliders would do, shown on a shrunk copy of the picture: quick enough to
// follow every change of the preset, the strength, a slider or the face. The face warp is the
// same relative to the face at any scale, so the copy shows what the picture will get.

#include "common/Bitmap32.h"
#include "common/RemapTransformation.h"
#include "faces/rules/Presets.h"
#include "faces/Face.h"
#include "faces/FaceEdit.h"
#include "faces/rules/Sculpt.h"

#include <vector>

namespace gs {

class TCaricaturePreview {
public:
  // The copy's longer side is at most maxSide; the faces are scaled onto it.
  TCaricaturePreview(const TBitmap32& picture, const std::vector<TFace>& faces, int maxSide);

  const TBitmap32& Original() const { return Original_; }
  // The faces as the copy shows them.
  const std::vector<TFace>& Faces() const { return Faces_; }
  // Copy pixels per picture pixel.
  double Scale() const { return Scale_; }

  // The copy bent by the preset on one face (or all, faceIndex < 0).
  const TBitmap32& Render(TCaricaturePreset preset, double strength, int faceIndex);
  // The copy bent by the sliders (Exaggerate only with a mean face).
  const TBitmap32& Render(const TSculpt& sculpt, const TShapeModel* model, int faceIndex);
  // The least limit of the last render's fields: below 1 a move was cut short to keep the
  // picture from folding.
  double Limit() const { return Limit_; }

private:
  TBitmap32 Original_;
  TBitmap32 Result_;
  TRemapTransformation Mesh_;
  const TBitmap32& RenderRule(const TFaceRule& rule, int faceIndex);

  std::vector<TFace> Faces_;
  double Scale_ = 1;
  double Limit_ = 1;
};

}  // namespace gs
