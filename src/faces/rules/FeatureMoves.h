// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a caricature does to each feature, written once: the presets and the Face Sculpt sliders
// only choose how far. Every move is measured along the face's own axes (the eye line and the
// midline), and a move across the face is carried round the head, so that on a turned face the
// far side, which the picture shows foreshortened, moves only as far as the picture shows it.
// Each move is monotonic in its amount, so a stronger setting moves every point at least as far
// the same way.

#include "faces/Face.h"
#include "faces/rules/FaceShape.h"

namespace gs {

// The face's frame and how the head is turned, read once per rule.
struct THeadFrame {
  TFaceFrame Face;
  double Yaw = 0;     // radians, positive when the nose points to the picture's right
  double Axis = 0;    // along Face.Across: the head's vertical axis, midway between the jaw's ends
  double Radius = 1;  // along Face.Across: from the axis to either end of the jaw
  double Midline = 0; // along Face.Across: the line down the middle of the face as the picture shows it

  TPointF Up() const { return Scaled(Face.Down, -1); }
  // From the midline towards a side (the picture's right when right), unit length.
  TPointF Out(bool right) const { return Scaled(Face.Across, right ? 1 : -1); }
  // How point p moves when it is moved `by` pixels across the face (towards the picture's right
  // when positive): `by` is the move a frontal face would show, carried round the head as a
  // cylinder, so that on a turned face the far side shows it shortened and no point is pushed past
  // the head's outline.
  TPointF AcrossMove(TPointF p, double by) const;
  // A move along the outline of the face (the jaw, which the picture shows edge on) shows
  // shortened by the cosine of the turn on either side.
  // The far side, whose half width the turn shrinks further, shows it shorter still.
  double OutlineScale(bool right) const;
  // How far p lies from the midline along Face.Across, as a share of its side's half width:
  // 1 at the jaw's end on either side, whichever side the head is turned to.
  double SideShare(TPointF p) const;
};
THeadFrame HeadFrameOf(const TFace& face);

// ---- Eyes. `right` is the eye on the picture's right.
// The eye by factor about its centre, giving some of its growth outwards so that big eyes do not
// run into each other over the nose; the brow rides with the upper lid.
void ResizeEye(const TFace& face, const THeadFrame& frame, bool right, double factor, TFaceShape& shape);
// The eye by factor across the face only.
void StretchEye(const TFace& face, const THeadFrame& frame, bool right, double factor, TFaceShape& shape);
// The eye turned about its centre by angle radians, its outer corner rising for a positive angle.
void TiltEye(const TFace& face, bool right, double angle, TFaceShape& shape);
// The eye and its brow moved up by `up` and away from the nose by `out` pixels of a frontal face.
void MoveEye(const THeadFrame& frame, bool right, double up, double out, TFaceShape& shape);

// ---- Nose.
// The tip and nostrils drawn down by length pixels (up when negative), the bridge stretching
// after them; the mouth takes mouthFollows of the move (the chin two thirds of that), so that a
// longer nose does not push into the upper lip.
void LengthenNose(const THeadFrame& frame, double length, double mouthFollows, TFaceShape& shape);
// The nostrils by factor across the face, about the point under the nose.
void WidenNose(const TFace& face, const THeadFrame& frame, double factor, TFaceShape& shape);
// From the top of the nose to the point under it, along the midline.
double NoseLength(const TFace& face, const THeadFrame& frame);

// ---- Mouth.
// The corners of the mouth moved up by `up` and apart by `apart` pixels each, the lips beside
// them half as far: a grin, or a frown when negative.
void Grin(const THeadFrame& frame, double up, double apart, TFaceShape& shape);
// Each lip's outer edge moved out by a share of the lip's own thickness, so that a thin lip gets
// thinner without turning inside out.
void ThickenLips(const TFace& face, const THeadFrame& frame, double upper, double lower, TFaceShape& shape);
// The mouth by `across` along the eye line and `down` along the midline, about its centre.
void ResizeMouth(const TFace& face, const THeadFrame& frame, double across, double down, TFaceShape& shape);

// ---- Outline.
// The forehead raised by height pixels.
void RaiseForehead(const THeadFrame& frame, double height, TFaceShape& shape);
// The chin drawn down by length pixels, the jaw beside it less and less.
void LengthenChin(const THeadFrame& frame, double length, TFaceShape& shape);
// The jaw under the cheeks pushed out by width pixels on either side (drawn in when negative),
// tapering to nothing at the chin and at the ears.
void WidenJaw(const THeadFrame& frame, double width, TFaceShape& shape);
// The whole outline by factor across the face, about the midline.
void WidenFace(const THeadFrame& frame, double factor, TFaceShape& shape);

}  // namespace gs
