#pragma once
// What a preset would do, shown on a shrunk copy of the picture: quick enough to follow every
// change of the preset, the strength or the face.

#include "common/Bitmap32.h"
#include "common/RemapTransformation.h"
#include "faces/Caricature.h"
#include "faces/Face.h"

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

private:
  TBitmap32 Original_;
  TBitmap32 Result_;
  TRemapTransformation Mesh_;
  std::vector<TFace> Faces_;
  // The faces on the picture itself: the presets are planned there, with the stamp sizes the
  // picture would get, and only then shrunk with it.
  std::vector<TFace> PictureFaces_;
  double Scale_ = 1;
};

}  // namespace gs
