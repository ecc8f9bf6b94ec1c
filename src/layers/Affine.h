// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Affine transformations of the plane and rendering a picture through one.

#include "common/Bitmap32.h"
#include "common/Geometry.h"

namespace gs {

class TAffineTransformation {
public:
  // x' = A x + B y + C, y' = D x + E y + F; starts as the identity.
  double A = 1, B = 0, C = 0, D = 0, E = 1, F = 0;

  // Appends a rotation by `degrees` about (cx, cy). With rows growing downwards a positive
  // angle turns clockwise on screen.
  void Rotate(double cx, double cy, double degrees);
  void Translate(double dx, double dy);

  void Transform(double x, double y, double& tx, double& ty) const;
  // Where a transformed point came from; the identity when the transformation is singular.
  void Inverse(double x, double y, double& sx, double& sy) const;

  // The integer rectangle holding the transformed corners of r: floor of the smallest and
  // ceiling of the largest coordinates.
  TRect TransformedBounds(const TFloatRect& r) const;
};

// Fills dst: each pixel is the bilinear sample of src where the transformation brings it from,
// transparent where that lies outside src.
void Transform(TBitmap32& dst, const TBitmap32& src, const TAffineTransformation& t);

}  // namespace gs
