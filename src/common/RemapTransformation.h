// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TRemapTransformation: renders a source picture through a displacement map. A destination
// pixel (x, y) samples the source at (x + dx, y + dy) when the source and mapping rectangles
// have the same size, as they do everywhere in the editor.

#include "common/Bitmap32.h"
#include "common/Geometry.h"
#include "common/VectorMap.h"

namespace gs {

// The code that computes the pixels. Every kernel gives the same bits; they differ in speed
// only. Reference is the per-pixel path through TBitmap32::PixelBilinear and Combine; Scalar
// walks rows in fixed point; Sse2 and Avx2 handle the interior of the picture several pixels at
// a time and hand edge and transparent pixels to the scalar code. Auto picks the fastest one
// this processor runs.
enum class TRemapKernel { Auto, Reference, Scalar, Sse2, Avx2 };

bool RemapKernelAvailable(TRemapKernel kernel);
// Auto resolved to the fastest kernel available; so is a kernel this processor cannot run.
TRemapKernel ResolveRemapKernel(TRemapKernel kernel);

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
  // bilinear sample blended onto what is there with src's draw and combine modes. Positions
  // are x * 65536 + dx in 16.16 (no half-pixel offset), saturated at the 32-bit range; pixels
  // beyond the map's cells count as undisplaced.
  // Fails with "SrcRect is empty!" or "MappingRect is empty!".
  void Render(TBitmap32& dst, const TBitmap32& src, const TRect& region,
              TRemapKernel kernel = TRemapKernel::Auto) const;

  // The same as filling region of dst with 0 and then calling Render, in one pass: how a brush
  // re-renders its square.
  void ClearAndRender(TBitmap32& dst, const TBitmap32& src, const TRect& region,
                      TRemapKernel kernel = TRemapKernel::Auto) const;

  // Fails as Render would with these rectangles; lets a caller check before changing anything.
  void CheckRects() const;

private:
  bool PlainGeometry() const;
  void RenderReference(TBitmap32& dst, const TBitmap32& src, const TRect& r) const;

  TVectorMap Map_;
};

}  // namespace gs
