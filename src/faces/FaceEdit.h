// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Bending faces by their points: a face's landmarks (and a few points of its forehead, which
// has none) moved to new places, and the picture following smoothly, through the face warp.
// Presets, the Face Sculpt sliders and Exaggerate are each a rule for where the points go.

#include "common/Bitmap32.h"
#include "common/Geometry.h"
#include "common/RemapTransformation.h"
#include "faces/Face.h"
#include "faces/rules/FaceShape.h"
#include "faces/warp/WarpField.h"
#include "faces/warp/WarpSteps.h"

#include <array>
#include <functional>
#include <vector>

namespace gs {

// Where a face's field may act; the same relative to the face at any scale.
TWarpDisc DiscOf(const TFace& face);

// The field taking the face's shape to target in fold-free steps, the other faces held in
// place. Its Limit() is the share of the face's moves it delivers.
TWarpField FaceField(const TFace& face, const TFaceShape& target, const std::vector<TFace>& others,
                     TSize picture, TWarpModel model = TWarpModel::Tps);

// The face as it shows after the field: its landmarks carried, its box moved and scaled with
// them.
TFace CarriedFace(const TWarpField& field, const TFace& face);

// Where a rule wants the points of a face.
using TFaceRule = std::function<TFaceShape(const TFace&)>;

struct TFaceEditResult {
  TRect Changed;     // the part of dst re-rendered
  double Limit = 1;  // the least share of a face's moves delivered: below 1, moves were held back
};

// Bends one face (faceIndex) or all of them (faceIndex < 0) by the rule, one after the other,
// composing each into the mesh and re-rendering dst from source. Every face, chosen or not,
// is carried through each field, so faces then holds where they show now.
TFaceEditResult ApplyFaceRule(TRemapTransformation& mesh, const TBitmap32& source, TBitmap32& dst,
                              std::vector<TFace>& faces, int faceIndex, const TFaceRule& rule,
                              const std::function<void(const TRect&)>& beforeChange = {});

// A face scaled about the picture's origin, as a shrunk copy of the picture shows it.
TFace ScaledFace(const TFace& face, double scale);

}  // namespace gs
