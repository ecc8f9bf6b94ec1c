// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TFace: one face found in a picture, as the 68-point landmark layout describes it (jaw 0-16,
// brows 17-26, nose 27-35, eyes 36-47, lips 48-67), in picture pixels. The eye on the
// picture's left is points 36-41, the one on its right 42-47.

#include "common/Geometry.h"

#include <array>

namespace gs {

struct TFace {
  static constexpr int kPointCount = 68;

  TFloatRect Box;  // the finder's square around the face
  std::array<TPointF, kPointCount> Points;

  // The centre of an eye's six points; `right` is the eye on the picture's right.
  TPointF EyeCentre(bool right) const;
  // From one corner of the eye to the other.
  double EyeWidth(bool right) const;
  TPointF NoseTip() const { return Points[30]; }
  TPointF NoseBridge() const { return Points[27]; }
  double NoseWidth() const;
  // The centre of the outer lip's twelve points, and its two corners.
  TPointF MouthCentre() const;
  TPointF MouthCorner(bool right) const { return Points[right ? 54 : 48]; }
  double MouthWidth() const;
  // The lowest point of the jaw.
  TPointF Chin() const;
  // The middle of the jaw line: the chin even when the head is tilted.
  TPointF ChinCentre() const { return Points[8]; }
  // How far a face is from looking straight down the picture: the angle, in radians, of the
  // line between the eyes.
  double Roll() const;
};

// The mean of points [first, last] of a face.
TPointF MeanPoint(const TFace& face, int first, int last);
double Distance(TPointF a, TPointF b);

}  // namespace gs
