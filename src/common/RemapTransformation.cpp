#include "common/RemapTransformation.h"

#include "common/Errors.h"

namespace gs {

void TRemapTransformation::Bind(const TBitmap32& source, const TBitmap32& destination) {
  Map_.SetSize(source.Width(), source.Height());
  SrcRect = FloatRect(source.BoundsRect());
  MappingRect = FloatRect(destination.BoundsRect());
}

void TRemapTransformation::Render(TBitmap32& dst, const TBitmap32& src, const TRect& region) const {
  if (SrcRect.IsEmpty()) throw Exception("SrcRect is empty!");
  if (MappingRect.IsEmpty()) throw Exception("MappingRect is empty!");
  const TRect r = Intersect(region, dst.BoundsRect());
  const bool plain = SrcRect.Left == 0 && SrcRect.Top == 0 && MappingRect.Left == 0 &&
                     MappingRect.Top == 0 && SrcRect.Width() == MappingRect.Width() &&
                     SrcRect.Height() == MappingRect.Height() && ScaleX == 1.0 && ScaleY == 1.0;
  const double kx = SrcRect.Width() / MappingRect.Width();
  const double ky = SrcRect.Height() / MappingRect.Height();
  for (int y = r.Top; y < r.Bottom; ++y) {
    TColor32* row = dst.ScanLine(y);
    for (int x = r.Left; x < r.Right; ++x) {
      const TFixedVector d = Map_.VectorS(x, y);
      TFixed sx, sy;
      if (plain) {
        sx = TFixed(x * kFixedOne + d.X);
        sy = TFixed(y * kFixedOne + d.Y);
      } else {
        const double fx = SrcRect.Left + ((x - MappingRect.Left) + d.X / 65536.0 * ScaleX) * kx;
        const double fy = SrcRect.Top + ((y - MappingRect.Top) + d.Y / 65536.0 * ScaleY) * ky;
        sx = RoundHalfEven(fx * kFixedOne);
        sy = RoundHalfEven(fy * kFixedOne);
      }
      row[x] = TBitmap32::Combine(src, src.PixelBilinear(sx, sy), row[x]);
    }
  }
}

}  // namespace gs
