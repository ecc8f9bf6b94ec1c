#pragma once
// TRemapTransformation: renders a source picture through a displacement map. A destination
// pixel (x, y) samples the source at (x + dx, y + dy) when the source and mapping rectangles
// have the same size, as they do everywhere in the editor.

#include "common/Bitmap32.h"
#include "common/Geometry.h"
#include "common/VectorMap.h"

namespace gs {

class TRemapTransformation {
public:
  TRemapTransformation() { Map_.SetSize(1, 1); }

  TVectorMap& VectorMap() { return Map_; }
  const TVectorMap& VectorMap() const { return Map_; }

  TFloatRect SrcRect;
  TFloatRect MappingRect;
  double ScaleX = 1.0;
  double ScaleY = 1.0;

  // Sizes the map to the picture (clearing it when the size changes) and sets both rectangles
  // to the picture's bounds.
  void Bind(const TBitmap32& source, const TBitmap32& destination);

  // Renders region of dst (clipped to dst) from src through the map. Each pixel becomes the
  // bilinear sample blended onto what is there with src's draw and combine modes.
  // Fails with "SrcRect is empty!" or "MappingRect is empty!".
  void Render(TBitmap32& dst, const TBitmap32& src, const TRect& region) const;

private:
  TVectorMap Map_;
};

}  // namespace gs
