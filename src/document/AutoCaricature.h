#pragma once
// Auto Caricature on the document: a preset applied to the faces found in the picture, through
// the same brush path as a hand stroke, as one step of the history.

#include "common/Geometry.h"
#include "faces/Caricature.h"
#include "faces/Face.h"

#include <string>
#include <vector>

namespace gs {

class TDocument;

inline constexpr const char* kNoFaceMessage =
    "No face found. Try a photo where the face looks into the camera, or bend it by hand with "
    "Putty, Warp and Twirl.";

// "Auto Caricature: Big Eyes"
std::string AutoCaricatureStepName(TCaricaturePreset preset);

// Bends the picture's mesh; one history step, and the undo snapshot taken first. Nothing
// changes at strength 0. Returns the part of the picture to repaint.
TRect ApplyAutoCaricature(TDocument& doc, const std::vector<TFace>& faces, int faceIndex,
                          TCaricaturePreset preset, double strength);

}  // namespace gs
