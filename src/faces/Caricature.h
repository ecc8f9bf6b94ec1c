#pragma once
// Auto Caricature: a preset turns the landmarks of a face into a short list of ordinary warp
// operations (the Warp, Twirl and Putty brushes, placed and sized from the face), so that the
// result lives in the mesh like a hand stroke: Reconstruct pulls it back, Animate animates it.

#include "common/Bitmap32.h"
#include "common/Geometry.h"
#include "common/RemapTransformation.h"
#include "faces/Face.h"
#include "warp/Stamps.h"

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

// One brush application placed on a face, in picture pixels.
struct TWarpOperation {
  TBrushShape Shape = TBrushShape::Warp;  // Warp, Twirl or Putty
  bool Primary = true;  // Warp: grow (else shrink); Twirl: counter-clockwise (else clockwise)
  TPointF From;         // the centre of the stamp; a Putty drag starts here...
  TPointF To;           // ...and ends here
  int Size = 0;         // the stamp's side
  float Pressure = 0;   // the brush's pressure, strength included
  float Pinch = 0;      // the brush's profile, -1 (a spike) .. 1 (a flat disc)
  int Repeats = 1;      // Warp and Twirl: applications on the spot, as a held button gives
};

// The largest stamp a preset uses: a face filling a huge photo is bent with a coarser stamp
// rather than with gigabytes of them.
constexpr int kMaxOperationSize = 2400;

// The operations of a preset on a face at a strength of 0..1; none at 0.
std::vector<TWarpOperation> PlanCaricature(const TFace& face, TCaricaturePreset preset, double strength);

// The operations of a preset on one face (faceIndex) or on all of them (faceIndex < 0).
std::vector<TWarpOperation> PlanForFaces(const std::vector<TFace>& faces, int faceIndex,
                                         TCaricaturePreset preset, double strength);

// A face scaled about the picture's origin, as a shrunk copy of the picture shows it.
TFace ScaledFace(const TFace& face, double scale);
// Operations scaled likewise: what they do to the picture, done to a shrunk copy of it.
std::vector<TWarpOperation> ScaledOperations(std::vector<TWarpOperation> operations, double scale);

// Applies the operations to the mesh and re-renders dst from source where they act.
// `beforeChange` hears of each mesh rectangle before it changes (the history keeps it).
// Returns the part of dst re-rendered.
TRect ApplyWarpOperations(TRemapTransformation& mesh, const TBitmap32& source, TBitmap32& dst,
                          const std::vector<TWarpOperation>& operations,
                          const std::function<void(const TRect&)>& beforeChange = {});

}  // namespace gs
