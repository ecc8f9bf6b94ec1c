// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Face Sculpt: sliders for the eyes, nose, mouth and the face's outline, and Exaggerate, which
// pushes a face further from the average face, as a caricaturist does. Each is a rule for where
// the points of the face go; the face warp bends the picture after them.

#include "faces/Face.h"
#include "faces/FaceEdit.h"
#include "faces/shape/ShapeModel.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gs {

enum class TSculptSlider {
  EyeSize, EyeHeight, EyeWidth, EyeTilt, EyeDistance,
  NoseHeight, NoseWidth,
  Smile, UpperLip, LowerLip, MouthWidth, MouthHeight,
  Forehead, ChinHeight, Jawline, FaceWidth,
};
inline constexpr int kSculptSliderCount = int(TSculptSlider::FaceWidth) + 1;

struct TSculptSliderName {
  TSculptSlider Slider;
  const char* Group;    // "Eyes", "Nose", "Mouth", "Face"
  const char* Caption;  // "Size"
  const char* Key;      // "eyesize": the batch word
};
// Every slider, in the order the dialog shows them.
const std::vector<TSculptSliderName>& SculptSliders();
std::optional<TSculptSlider> SculptSliderByKey(std::string_view key);
inline bool IsEyeSlider(TSculptSlider s) { return s <= TSculptSlider::EyeDistance; }

inline constexpr int kSculptLimit = 100;
inline constexpr int kExaggerateLimit = 200;

struct TSculpt {
  // -100..100 each. A positive value makes its feature bigger, higher, wider or longer, turns
  // the eyes' outer corners up and lifts the corners of the mouth. The eyes' sliders hold one
  // value per eye: [0] the eye on the picture's left, [1] the other; the rest use [0].
  std::array<std::array<int, 2>, kSculptSliderCount> Values{};
  int Exaggerate = 0;  // percent, 0..200

  int Value(TSculptSlider s, int eye = 0) const { return Values[size_t(s)][size_t(eye)]; }
  // Both eyes, or the one slider.
  void Set(TSculptSlider s, int value) { Values[size_t(s)] = {value, value}; }
  bool Empty() const;
};

// Where the sliders and Exaggerate put the points of a face. Exaggerate needs the shape model
// and is left out without one.
TFaceShape SculptShape(const TFace& face, const TSculpt& sculpt, const TShapeModel* model);

// "Exaggerate 80 %" when Exaggerate is all there is, else "Face Sculpt".
std::string SculptStepName(const TSculpt& sculpt);

}  // namespace gs
