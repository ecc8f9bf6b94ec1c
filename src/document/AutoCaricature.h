// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Auto Caricature and Face Sculpt on the document: a preset, or the sliders and Exaggerate,
// applied to the faces found in the picture through the face warp, as one step of the history.
// The faces are carried through what they do, so the next one needs no new search.

#include "common/Geometry.h"
#include "faces/rules/Presets.h"
#include "faces/Face.h"
#include "faces/FaceEdit.h"
#include "faces/rules/Sculpt.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace gs {

class TDocument;
class THistoryStep;

inline constexpr const char* kNoFaceMessage =
    "No face found. Try a photo where the face looks into the camera, or bend it by hand with "
    "Putty, Warp and Twirl.";

// "Auto Caricature: Big Eyes"
std::string AutoCaricatureStepName(TCaricaturePreset preset);

// A face edit's limit (the delivered share of the moves asked for) in whole percent, rounded
// down so that a move held back at all never reads as 100 %.
int HeldPercent(double limit);
// Below a limit of 1: "Held to 72 % so that the picture does not fold", as the dialogs and the
// batch mode say it. Empty when nothing was held back.
std::string HeldBackMessage(double limit);
// A step's name with what was delivered when something was held back:
// "Exaggerate 200 %, held to 72 %"; the name alone otherwise.
std::string HeldStepName(const std::string& name, double limit);

// What bends the faces of a document's mesh: from the faces given, carrying them along, and
// telling beforeChange of each rectangle of the mesh before it changes.
using TFaceBend = std::function<TFaceEditResult(std::vector<TFace>& faces,
                                                const std::function<void(const TRect&)>& beforeChange)>;
// The bend as one history step named name (with what was held back), the undo snapshot taken
// first. Nothing without a picture or without face faceIndex (-1: all faces).
TFaceEditResult ApplyFaceBend(TDocument& doc, std::vector<TFace>& faces, int faceIndex, const std::string& name,
                              const TFaceBend& bend);

// Bends the picture's mesh; one history step, and the undo snapshot taken first. Nothing
// changes at strength 0. The faces are carried to where they show afterwards. Returns the part
// of the picture to repaint and the share of the moves delivered, which the step's name carries
// when it is below 1.
TFaceEditResult ApplyAutoCaricature(TDocument& doc, std::vector<TFace>& faces, int faceIndex,
                                    TCaricaturePreset preset, double strength);

// The sliders and Exaggerate (with a shape model) likewise: one step named by SculptStepName.
TFaceEditResult ApplyFaceSculpt(TDocument& doc, std::vector<TFace>& faces, int faceIndex, const TSculpt& sculpt,
                                const TShapeModel* model);

// The faces last found or bent, kept with the state of the document they describe: the same
// step of the history and the same picture. Anything else (a stroke, going back, a new picture)
// makes them stale, and the faces are looked for again.
class TKnownFaces {
public:
  // The faces of what doc shows now. The faces of earlier states are kept too, so that after
  // Undo or a step back the faces bent there are known again: a strong caricature's face may be
  // past what the finder can find.
  void Remember(const TDocument& doc, std::vector<TFace> faces);
  void Forget() { *this = TKnownFaces(); }
  // The faces, when they describe what doc shows; else none.
  const std::vector<TFace>* For(const TDocument& doc) const;
  // The faces while the picture still shows them where they were, whatever steps came since
  // (a layer added, a save): what a project keeps of them.
  const std::vector<TFace>* ShownIn(const TDocument& doc) const;

private:
  struct TState {
    int Current = -1;
    const THistoryStep* Step = nullptr;
    std::string StepName;
    int Width = 0, Height = 0;
    uint64_t Sample = 0;  // a hash of a sparse grid of the picture's pixels
    bool operator==(const TState&) const = default;
  };
  static TState StateOf(const TDocument& doc);

  struct TKnown {
    TState State;
    std::vector<TFace> Faces;
  };
  // The states remembered, the latest last; the oldest go first beyond this many.
  static constexpr size_t kStates = 64;
  std::vector<TKnown> Known_;
};

}  // namespace gs
