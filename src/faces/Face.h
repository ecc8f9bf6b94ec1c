// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TFace: one face found in a picture, as the 68-point landmark layout describes it, in picture
// pixels.

#include "common/Geometry.h"

#include <array>

namespace gs {

// The 68-point layout by name. A part is its first and last point, both included; the sides are
// the picture's, so kLeftEye is the eye on the picture's left.
struct TLandmarks {
  int First, Last;
  constexpr int Count() const { return Last - First + 1; }
  constexpr bool Holds(int k) const { return k >= First && k <= Last; }
};
inline constexpr TLandmarks kJaw{0, 16};
inline constexpr TLandmarks kLeftBrow{17, 21}, kRightBrow{22, 26};
inline constexpr TLandmarks kNoseBridge{27, 30};  // from between the eyes down to the tip
inline constexpr TLandmarks kNostrils{31, 35};    // the nose's lower edge, left to right
inline constexpr TLandmarks kNose{27, 35};
inline constexpr TLandmarks kLeftEye{36, 41}, kRightEye{42, 47};
inline constexpr TLandmarks kOuterLip{48, 59}, kInnerLip{60, 67};
// The outer edge of each lip between the corners: the upper lip left to right, the lower one
// right to left.
inline constexpr TLandmarks kUpperLipEdge{49, 53}, kLowerLipEdge{55, 59};
inline constexpr TLandmarks kMouth{48, 67};
inline constexpr TLandmarks kAllLandmarks{0, 67};

inline constexpr int kJawLeftEnd = 0, kChinPoint = 8, kJawRightEnd = 16;
inline constexpr int kLeftBrowInner = 21, kRightBrowInner = 22;
inline constexpr int kLeftBrowMiddle = 19, kRightBrowMiddle = 24;
inline constexpr int kNoseTop = 27, kNoseTip = 30, kNoseBottom = 33;
inline constexpr int kLeftNostril = 31, kRightNostril = 35;
inline constexpr int kLeftEyeOuter = 36, kLeftEyeInner = 39, kRightEyeInner = 42, kRightEyeOuter = 45;
inline constexpr int kLeftEyeUpper = 37, kLeftEyeLower = 41, kRightEyeUpper = 44, kRightEyeLower = 46;
inline constexpr int kMouthLeft = 48, kMouthRight = 54;
inline constexpr int kInnerMouthLeft = 60, kInnerMouthRight = 64;
inline constexpr int kUpperLipTop = 51, kLowerLipBottom = 57;
inline constexpr int kUpperLipBottom = 62, kLowerLipTop = 66;

constexpr TLandmarks EyeOf(bool right) { return right ? kRightEye : kLeftEye; }
constexpr TLandmarks BrowOf(bool right) { return right ? kRightBrow : kLeftBrow; }
constexpr int EyeOuterOf(bool right) { return right ? kRightEyeOuter : kLeftEyeOuter; }
constexpr int EyeUpperOf(bool right) { return right ? kRightEyeUpper : kLeftEyeUpper; }
constexpr int MouthCornerOf(bool right) { return right ? kMouthRight : kMouthLeft; }

struct TFace {
  static constexpr int kPointCount = 68;

  TFloatRect Box;  // the finder's square around the face
  std::array<TPointF, kPointCount> Points;

  // The centre of an eye's six points; `right` is the eye on the picture's right.
  TPointF EyeCentre(bool right) const;
  // From one corner of the eye to the other.
  double EyeWidth(bool right) const;
  TPointF NoseTip() const { return Points[kNoseTip]; }
  TPointF NoseBridge() const { return Points[kNoseTop]; }
  double NoseWidth() const;
  // The centre of the outer lip's twelve points, and its two corners.
  TPointF MouthCentre() const;
  TPointF MouthCorner(bool right) const { return Points[right ? kMouthRight : kMouthLeft]; }
  double MouthWidth() const;
  // The lowest point of the jaw.
  TPointF Chin() const;
  // The middle of the jaw line: the chin even when the head is tilted.
  TPointF ChinCentre() const { return Points[kChinPoint]; }
  // How far a face is from looking straight down the picture: the angle, in radians, of the
  // line between the eyes.
  double Roll() const;
};

// The mean of points [first, last] of a face.
TPointF MeanPoint(const TFace& face, int first, int last);
inline TPointF MeanPoint(const TFace& face, TLandmarks part) { return MeanPoint(face, part.First, part.Last); }
double Distance(TPointF a, TPointF b);

}  // namespace gs
