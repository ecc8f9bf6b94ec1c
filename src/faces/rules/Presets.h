// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Auto Caricature: a preset is a rule for where the points of a face go (eyes swollen, head
// grown, chin drawn out...), and the face warp bends the picture after them. The result lives
// in the mesh like a hand stroke: Reconstruct pulls it back, Animate animates it.

#include "common/Bitmap32.h"
#include "common/Geometry.h"
#include "common/RemapTransformation.h"
#include "faces/Face.h"
#include "faces/FaceEdit.h"

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace gs {

enum class TCaricaturePreset {
  BigEyes, TinyEyes, BobbleHead, BigGrin, TinyMouth, LongNose, ButtonNose, PointyChin, Alien, Twisted
};

struct TPresetName {
  TCaricaturePreset Preset;
  const char* Caption;  // "Big Eyes"
  const char* Key;      // "bigeyes": the caption in lower case without blanks
};

// Every preset, in the order the dialog lists them.
const std::vector<TPresetName>& CaricaturePresets();
const char* PresetCaption(TCaricaturePreset preset);
std::optional<TCaricaturePreset> PresetByKey(std::string_view key);

// Where a preset at a strength of 0..1 puts the points of a face; where they are at 0.
TFaceShape PresetShape(const TFace& face, TCaricaturePreset preset, double strength);

// The preset on one face (faceIndex) or all of them (faceIndex < 0), composed into the mesh
// and dst re-rendered from source; the faces are carried along. Nothing at strength 0.
TFaceEditResult ApplyCaricature(TRemapTransformation& mesh, const TBitmap32& source, TBitmap32& dst,
                                std::vector<TFace>& faces, int faceIndex, TCaricaturePreset preset,
                                double strength, const std::function<void(const TRect&)>& beforeChange = {});

}  // namespace gs
