#include "faces/CaricaturePreview.h"

#include "common/Shrink.h"

namespace gs {

TCaricaturePreview::TCaricaturePreview(const TBitmap32& picture, const std::vector<TFace>& faces, int maxSide) {
  const TSize size = FittedSize(picture.Width(), picture.Height(), maxSide);
  Original_ = size.Width == picture.Width() ? picture : ShrinkPicture(picture, size.Width, size.Height);
  Scale_ = picture.Width() > 0 ? double(Original_.Width()) / picture.Width() : 1.0;
  PictureFaces_ = faces;
  for (const TFace& face : faces) Faces_.push_back(ScaledFace(face, Scale_));
}

const TBitmap32& TCaricaturePreview::Render(TCaricaturePreset preset, double strength, int faceIndex) {
  Result_ = Original_;
  Mesh_.Bind(Original_, Result_);
  Mesh_.VectorMap().Clear();
  ApplyWarpOperations(Mesh_, Original_, Result_,
                      ScaledOperations(PlanForFaces(PictureFaces_, faceIndex, preset, strength), Scale_));
  return Result_;
}

}  // namespace gs
