// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Face recipes (.grimace): the Face Sculpt sliders, Exaggerate and the Auto Caricature presets a
// caricature was made with, in order, as a small JSON file, so that the same caricature can be
// carried to another face or another photo.

#include "faces/FaceEdit.h"
#include "faces/rules/Presets.h"
#include "faces/rules/Sculpt.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace gs {

class TDocument;

inline constexpr const char* kFaceRecipeExtension = "grimace";
inline constexpr const char* kFaceRecipeFilter = "Face Recipe (*.grimace)|*.grimace";
inline constexpr const char* kFaceRecipeStepName = "Face Recipe";

// One face edit: a preset at a strength, or the sliders and Exaggerate.
struct TRecipeStep {
  std::optional<TCaricaturePreset> Preset;
  double Strength = 1;  // the preset's, 0..1
  TSculpt Sculpt;
  friend bool operator==(const TRecipeStep& a, const TRecipeStep& b) {
    return a.Preset == b.Preset && a.Strength == b.Strength && a.Sculpt.Values == b.Sculpt.Values &&
           a.Sculpt.Exaggerate == b.Sculpt.Exaggerate;
  }
};

struct TFaceRecipe {
  std::vector<TRecipeStep> Steps;
};

std::string EncodeFaceRecipe(const TFaceRecipe& recipe);
// Fails with an Exception saying what is wrong with the text.
TFaceRecipe DecodeFaceRecipe(const std::string& text);

// Every step of the recipe on one face (faceIndex) or all (faceIndex < 0) through a mesh that
// bends source into view, each step from the faces the one before carried along; as a preview
// shows it, or the document takes it.
TFaceEditResult BendByFaceRecipe(TRemapTransformation& mesh, const TBitmap32& source, TBitmap32& view,
                                 std::vector<TFace>& faces, int faceIndex, const TFaceRecipe& recipe,
                                 const TShapeModel* model, const std::function<void(const TRect&)>& beforeChange = {});

// Every step of the recipe on one face (faceIndex) or all (faceIndex < 0), as one step of the
// history named kFaceRecipeStepName; the faces are carried through. Exaggerate needs the model.
TFaceEditResult ApplyFaceRecipe(TDocument& doc, std::vector<TFace>& faces, int faceIndex, const TFaceRecipe& recipe,
                                const TShapeModel* model);

}  // namespace gs
